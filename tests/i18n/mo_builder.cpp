#include "tests/i18n/mo_builder.h"

#include <algorithm>
#include <cstdint>

#include "platform/file.h"
#include "platform/paths.h"
#include "tools/catalog_packer.h"

namespace lantervo::test {

namespace {

void Put32(std::string& out, std::size_t at, std::uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i) {
    const int shift = bigEndian ? 8 * (3 - i) : 8 * i;
    out[at + i] = static_cast<char>((v >> shift) & 0xff);
  }
}

}  // namespace

std::string BuildMo(MoEntries entries, const std::string& header, bool bigEndian) {
  if (!header.empty()) entries.emplace_back("", header);
  std::sort(entries.begin(), entries.end());  // std::string orders bytes as unsigned
  const auto n = static_cast<std::uint32_t>(entries.size());
  const std::uint32_t idTable = 28;
  const std::uint32_t textTable = idTable + 8 * n;
  std::string out(textTable + 8 * n, '\0');
  Put32(out, 0, 0x950412de, bigEndian);
  Put32(out, 8, n, bigEndian);
  Put32(out, 12, idTable, bigEndian);
  Put32(out, 16, textTable, bigEndian);
  for (int pass = 0; pass < 2; ++pass) {
    const std::uint32_t table = pass == 0 ? idTable : textTable;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::string& s = pass == 0 ? entries[i].first : entries[i].second;
      Put32(out, table + 8 * i, static_cast<std::uint32_t>(s.size()), bigEndian);
      Put32(out, table + 8 * i + 4, static_cast<std::uint32_t>(out.size()), bigEndian);
      out += s;
      out.push_back('\0');
    }
  }
  return out;
}

std::string BuiltCatalogPath(const std::string& code) {
  return std::string(LANTERVO_CATALOG_DIR) + "/" + code + "/LC_MESSAGES/default.mo";
}

std::string ReadBuiltCatalog(const std::string& code) {
  std::string bytes;
  platform::ReadWholeFile(BuiltCatalogPath(code), bytes);
  return bytes;
}

FakeProgram::FakeProgram() : exePath_(dir_.File("prog.exe")) {}

std::string FakeProgram::PutOnDisk(const std::string& code, const std::string& bytes,
                                   const std::string& domain) {
  const std::string sep = platform::PathSeparator();
  const std::string folder = dir_.Path() + sep + "locale" + sep + code + sep + "LC_MESSAGES";
  platform::CreateFolders(folder);
  const std::string path = folder + sep + domain + ".mo";
  platform::WriteFileAtomically(path, bytes);
  return path;
}

void FakeProgram::Embed(const MoEntries& files) {
  // Some bytes standing for the linked program, with the table slot in its data.
  std::string image(5000, 'x');
  image += EmbeddedTableMarker();
  image.append(8, '\0');
  image.append(3000, 'y');
  std::vector<tools::CatalogFile> catalogs;
  for (const auto& [name, bytes] : files) catalogs.push_back({name, bytes});
  tools::PackCatalogs(image, EmbeddedTableMarker(), catalogs);
  tableOffset_ = tools::ReadLe64(image, tools::FindTableSlot(image, EmbeddedTableMarker()));
  platform::WriteFileAtomically(exePath_, image);
}

std::shared_ptr<TFileLocator> FakeProgram::Locator() const {
  return TFileLocator::ForExecutable(exePath_, tableOffset_);
}

}  // namespace lantervo::test
