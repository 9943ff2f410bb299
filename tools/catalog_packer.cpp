#include "tools/catalog_packer.h"

#include <algorithm>
#include <stdexcept>

namespace lantervo::tools {

namespace {

void WriteLe64(std::string& bytes, std::size_t at, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

void AppendLe64(std::string& bytes, std::uint64_t value) {
  bytes.append(8, '\0');
  WriteLe64(bytes, bytes.size() - 8, value);
}

// Where the catalogs of an earlier packaging begin: the smallest file offset in its table.
std::uint64_t EarlierPackageStart(std::string_view image, std::uint64_t table) {
  std::uint64_t start = table;
  std::uint64_t at = table;
  while (at + 24 <= image.size()) {
    const std::uint64_t next = ReadLe64(image, at);
    if (next == 0 || next <= at) break;
    start = std::min(start, ReadLe64(image, at + 8));
    at = next;
  }
  return start;
}

}  // namespace

std::uint64_t ReadLe64(std::string_view bytes, std::size_t at) {
  std::uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::size_t FindTableSlot(std::string_view image, std::string_view marker) {
  const std::size_t first = image.find(marker);
  if (first == std::string_view::npos)
    throw std::runtime_error("the catalog table marker is not in the program");
  if (image.find(marker, first + 1) != std::string_view::npos)
    throw std::runtime_error("the catalog table marker occurs more than once in the program");
  const std::size_t slot = first + marker.size();
  if (slot + 8 > image.size()) throw std::runtime_error("the program ends inside the marker");
  return slot;
}

void PackCatalogs(std::string& image, std::string_view marker,
                  const std::vector<CatalogFile>& files) {
  const std::size_t slot = FindTableSlot(image, marker);
  const std::uint64_t earlier = ReadLe64(image, slot);
  if (earlier != 0) {
    const std::uint64_t start = EarlierPackageStart(image, earlier);
    if (start <= slot + 8 || start > image.size())
      throw std::runtime_error("the program carries a damaged catalog table");
    image.resize(static_cast<std::size_t>(start));
  }
  if (files.empty()) {
    WriteLe64(image, slot, 0);
    return;
  }
  std::vector<std::uint64_t> offsets;
  for (const CatalogFile& file : files) {
    if (file.name.size() > kTableNameField)
      throw std::runtime_error("catalog name too long: " + file.name);
    offsets.push_back(image.size());
    image += file.bytes;
  }
  const std::uint64_t table = image.size();
  for (std::size_t i = 0; i < files.size(); ++i) {
    const std::uint64_t entry = image.size();
    AppendLe64(image, entry + kTableEntrySize);
    AppendLe64(image, offsets[i]);
    AppendLe64(image, files[i].bytes.size());
    std::string name = files[i].name;
    std::replace(name.begin(), name.end(), '/', '\\');
    name.resize(kTableNameField, ' ');
    image += name;
  }
  AppendLe64(image, 0);
  WriteLe64(image, slot, table);
}

}  // namespace lantervo::tools
