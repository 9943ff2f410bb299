#include "i18n/file_locator.h"

#include "platform/file.h"
#include "platform/file_map.h"
#include "platform/paths.h"

namespace lantervo {

namespace {

// The packaging step finds the marker in the executable file and writes the little-endian
// offset of the catalog table into the eight bytes after it. volatile keeps the compiler from
// folding the unpatched zero into the code that reads it.
[[gnu::used]] volatile char gEmbeddedTable[44] =
    "6637DB2E-62E1-4A60-AC19-C23867046A89\0\0\0\0\0\0\0";
constexpr std::size_t kMarkerLength = 36;
constexpr std::size_t kEntryNumbers = 24;
// Longer names than this are not something the packaging step writes.
constexpr std::uint64_t kMaxNameField = 4096;

std::uint64_t ReadLe64(const unsigned char* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

char Fold(char c) {
  if (c == '/') return '\\';
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  return c;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::string EmbeddedTableMarker() {
  std::string marker(kMarkerLength, '\0');
  for (std::size_t i = 0; i < kMarkerLength; ++i) marker[i] = gEmbeddedTable[i];
  return marker;
}

std::uint64_t EmbeddedTableOffset() {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i)
    v = (v << 8) | static_cast<unsigned char>(gEmbeddedTable[kMarkerLength + i]);
  return v;
}

std::vector<TEmbeddedFile> ParseEmbeddedTable(const unsigned char* data, std::size_t size,
                                              std::uint64_t tableOffset) {
  std::vector<TEmbeddedFile> files;
  std::uint64_t at = tableOffset;
  while (at != 0 && at <= size && size - at >= 8) {
    const std::uint64_t next = ReadLe64(data + at);
    if (next == 0) break;
    // Entries only move forward, so a damaged table cannot loop.
    if (next <= at || next - at <= kEntryNumbers || next - at - kEntryNumbers > kMaxNameField ||
        next > size)
      break;
    TEmbeddedFile file;
    file.offset = ReadLe64(data + at + 8);
    file.size = ReadLe64(data + at + 16);
    const auto nameLength = static_cast<std::size_t>(next - at - kEntryNumbers);
    file.path =
        std::string(Trim({reinterpret_cast<const char*>(data + at + kEntryNumbers), nameLength}));
    files.push_back(std::move(file));
    at = next;
  }
  return files;
}

bool SameCatalogPath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

TFileLocator::TFileLocator(std::string executablePath, std::vector<TEmbeddedFile> embedded)
    : executablePath_(std::move(executablePath)),
      baseDirectory_(platform::FolderOf(executablePath_) + platform::PathSeparator()),
      embedded_(std::move(embedded)) {}

std::shared_ptr<TFileLocator> TFileLocator::ForExecutable(const std::string& executablePath,
                                                          std::uint64_t tableOffset) {
  std::vector<TEmbeddedFile> files;
  platform::FileMapping image;
  // An unreadable table means no embedded catalogs; there is nobody to tell yet.
  if (tableOffset != 0 && platform::MapWholeFile(executablePath, image).ok)
    files = ParseEmbeddedTable(image.Data(), image.Size(), tableOffset);
  return std::make_shared<TFileLocator>(executablePath, std::move(files));
}

std::shared_ptr<TFileLocator> TFileLocator::ForThisProgram() {
  return ForExecutable(platform::ExecutablePath(), EmbeddedTableOffset());
}

const TEmbeddedFile* TFileLocator::FindEmbedded(std::string_view fullPath) const {
  if (fullPath.size() < baseDirectory_.size() ||
      !SameCatalogPath(fullPath.substr(0, baseDirectory_.size()), baseDirectory_))
    return nullptr;
  const std::string_view relative = fullPath.substr(baseDirectory_.size());
  for (const TEmbeddedFile& file : embedded_)
    if (SameCatalogPath(relative, file.path)) return &file;
  return nullptr;
}

void TFileLocator::SetDataDirectory(const std::string& folder) {
  dataDirectory_ = folder;
  const std::string sep = platform::PathSeparator();
  if (!dataDirectory_.empty() && dataDirectory_.back() != '/' && dataDirectory_.back() != '\\')
    dataDirectory_ += sep;
}

std::string TFileLocator::Resolve(const std::string& fullPath) const {
  if (dataDirectory_.empty() || FindEmbedded(fullPath) || platform::FileExists(fullPath))
    return fullPath;
  if (fullPath.size() < baseDirectory_.size() ||
      !SameCatalogPath(std::string_view(fullPath).substr(0, baseDirectory_.size()), baseDirectory_))
    return fullPath;
  const std::string candidate = dataDirectory_ + fullPath.substr(baseDirectory_.size());
  return platform::FileExists(candidate) ? candidate : fullPath;
}

bool TFileLocator::Exists(const std::string& fullPath) const {
  return FindEmbedded(fullPath) != nullptr || platform::FileExists(Resolve(fullPath));
}

std::shared_ptr<const TMoFile> TFileLocator::Open(const std::string& requestedPath) {
  const std::string fullPath = Resolve(requestedPath);
  const TEmbeddedFile* embedded = FindEmbedded(fullPath);
  auto key = embedded ? std::make_pair(executablePath_, embedded->offset)
                      : std::make_pair(fullPath, std::uint64_t{0});
  std::lock_guard lock(cacheLock_);
  for (auto it = cache_.begin(); it != cache_.end();)
    it = it->second.expired() ? cache_.erase(it) : std::next(it);
  if (auto it = cache_.find(key); it != cache_.end()) {
    if (auto shared = it->second.lock()) return shared;
    cache_.erase(it);  // released between the sweep and now
  }
  std::shared_ptr<const TMoFile> file =
      embedded ? TMoFile::Open(executablePath_, embedded->offset, embedded->size)
               : TMoFile::Open(fullPath);
  cache_.emplace(std::move(key), file);
  return file;
}

std::size_t TFileLocator::OpenCount() const {
  std::lock_guard lock(cacheLock_);
  std::size_t n = 0;
  for (const auto& [key, file] : cache_) n += file.expired() ? 0 : 1;
  return n;
}

}  // namespace lantervo
