#pragma once
// The catalogs carried inside the executable file, and the cache of open catalogs.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "i18n/mo_file.h"

namespace lantervo {

// One file appended to the executable: its path relative to the executable's folder (as written
// by the packaging step, e.g. "locale\cs\LC_MESSAGES\default.mo") and where it lies in the file.
struct TEmbeddedFile {
  std::string path;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
};

// The 36-character marker the packaging step looks for in the executable.
std::string EmbeddedTableMarker();
// The table offset written after the marker in this program's image; 0 when nothing is embedded.
std::uint64_t EmbeddedTableOffset();

// Reads the table at `tableOffset` of an executable file's bytes. Entries: next-entry offset,
// file offset and size (8 bytes each, little endian), then the blank-padded path up to the next
// entry; a next-entry offset of 0 ends the table. Whatever cannot be read ends the list there.
std::vector<TEmbeddedFile> ParseEmbeddedTable(const unsigned char* data, std::size_t size,
                                              std::uint64_t tableOffset);

// Paths compared as catalogs are: '/' and '\' alike, ASCII letters without regard to case.
bool SameCatalogPath(std::string_view a, std::string_view b);

class TFileLocator {
 public:
  TFileLocator(std::string executablePath, std::vector<TEmbeddedFile> embedded);

  // The table of an executable file; a file that cannot be read gives an empty list.
  static std::shared_ptr<TFileLocator> ForExecutable(const std::string& executablePath,
                                                     std::uint64_t tableOffset);
  static std::shared_ptr<TFileLocator> ForThisProgram();

  const std::string& ExecutablePath() const { return executablePath_; }
  // The executable's folder with a trailing separator.
  const std::string& BaseDirectory() const { return baseDirectory_; }
  const std::vector<TEmbeddedFile>& EmbeddedFiles() const { return embedded_; }

  // A second home for catalogs that are not carried inside the program: an installed program
  // cannot write beside itself, so extra catalogs live in the user's data folder. A path below
  // the base directory that is neither embedded nor on disk is looked for below this folder.
  // Set before the locator is shared.
  void SetDataDirectory(const std::string& folder);
  // The data folder with a trailing separator; empty when none is set.
  const std::string& DataDirectory() const { return dataDirectory_; }
  // The path a catalog is read from: fullPath itself, or its place below the data folder.
  std::string Resolve(const std::string& fullPath) const;

  // The embedded file for a full path (base directory + relative path), or nullptr.
  const TEmbeddedFile* FindEmbedded(std::string_view fullPath) const;
  // True when the path is embedded or exists on disk.
  bool Exists(const std::string& fullPath) const;
  // Opens the catalog, preferring an embedded one. One path is mapped once and shared while
  // anyone holds it. Throws Error with the catalog messages.
  std::shared_ptr<const TMoFile> Open(const std::string& fullPath);
  // Catalogs currently open through this locator.
  std::size_t OpenCount() const;

 private:
  std::string executablePath_;
  std::string baseDirectory_;
  std::vector<TEmbeddedFile> embedded_;
  std::string dataDirectory_;
  mutable std::mutex cacheLock_;
  std::map<std::pair<std::string, std::uint64_t>, std::weak_ptr<const TMoFile>> cache_;
};

}  // namespace lantervo
