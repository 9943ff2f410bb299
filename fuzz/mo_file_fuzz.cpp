// .mo catalogs and the embedded catalog table from untrusted bytes: validation must reject
// anything a lookup could read past, and every lookup on an accepted catalog stays in bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "i18n/file_locator.h"
#include "i18n/mo_file.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lantervo;
  std::shared_ptr<const TMoFile> mo;
  try {
    mo = TMoFile::FromBytes(std::string(reinterpret_cast<const char*>(data), size), "fuzz.mo");
  } catch (const Error&) {
  }
  if (mo) {
    volatile std::size_t sink = mo->ContentType().size();
    std::string_view text;
    for (std::uint32_t i = 0; i < mo->Count() && i < 4096; ++i) {
      const std::string_view id = mo->Id(i);
      if (mo->Find(id, text)) sink = sink + text.size();
      sink = sink + mo->Translation(i).size();
    }
    for (std::string_view probe : {"", "Active", "\xff\xff", "Completed with %s error!"})
      if (mo->Find(probe, text)) sink = sink + text.size();
  }
  // The same bytes as an executable image with its table at a few offsets.
  for (std::uint64_t at : {std::uint64_t{0}, std::uint64_t{8}, std::uint64_t{size / 2},
                           static_cast<std::uint64_t>(size > 0 ? data[0] : 0)}) {
    for (const TEmbeddedFile& file : ParseEmbeddedTable(data, size, at)) {
      volatile std::size_t sink = file.path.size() + static_cast<std::size_t>(file.offset);
      (void)sink;
    }
  }
  return 0;
}
