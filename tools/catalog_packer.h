#pragma once
// Appends catalogs to a linked executable image and records them in the table the program
// reads at start: entries of next-entry offset, file offset and size (8 bytes each, little
// endian) and a blank-padded name, ended by 8 zero bytes; the table's offset goes into the
// 8 bytes after the marker. Plain standard C++, so that it builds for the build machine.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lantervo::tools {

struct CatalogFile {
  std::string name;  // relative to the program's folder; '/' is written as '\'
  std::string bytes;
};

inline constexpr std::size_t kTableEntrySize = 256;
inline constexpr std::size_t kTableNameField = kTableEntrySize - 24;

// Position of the 8-byte slot after the marker. Throws std::runtime_error unless the marker
// occurs exactly once.
std::size_t FindTableSlot(std::string_view image, std::string_view marker);
std::uint64_t ReadLe64(std::string_view bytes, std::size_t at);

// Packs `files` into `image`. An image packed before loses its old catalogs first, so packaging
// twice gives the same bytes as packaging once. Throws std::runtime_error.
void PackCatalogs(std::string& image, std::string_view marker,
                  const std::vector<CatalogFile>& files);

}  // namespace lantervo::tools
