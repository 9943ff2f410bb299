// Feeds arbitrary bytes to the list file reader; a readable document must survive a
// write-read round trip unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/list_file.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lantervo;
  static const platform::CodePage codePage = platform::CodePage::Open(1252);
  static const platform::Collator collator = platform::Collator::ForLocale("en_US");
  ServerTable table(codePage, collator);
  try {
    ReadDataPacket(std::string_view(reinterpret_cast<const char*>(data), size), table);
  } catch (const Error&) {
    return 0;
  }
  // "&" followed by the byte 1 is written as "&#" by design, which need not read back the same.
  for (const FieldDef& field : table.Fields())
    if ((field.name + field.fileType).find("&\x01") != std::string::npos) return 0;
  for (const Row* row : table.RowsInEntryOrder())
    for (const Cell& cell : row->cells)
      if (cell.text.find("&\x01") != std::string::npos) return 0;
  const std::string written = WriteDataPacket(table);
  ServerTable again(codePage, collator);
  ReadDataPacket(written, again);
  if (WriteDataPacket(again) != written) std::abort();
  return 0;
}
