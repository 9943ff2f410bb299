#pragma once
// Read-only mapping of a whole file or of a slice of a file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file.h"

namespace lantervo::platform {

// One read-only view; unmapped when destroyed. Movable, not copyable.
class FileMapping {
 public:
  FileMapping() = default;
  ~FileMapping();
  FileMapping(FileMapping&& other) noexcept;
  FileMapping& operator=(FileMapping&& other) noexcept;
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  const unsigned char* Data() const { return data_; }
  std::size_t Size() const { return size_; }

 private:
  friend struct FileMappingAccess;
  void Release();

  void* view_ = nullptr;  // start of the mapped view (aligned down)
  std::size_t viewSize_ = 0;
  const unsigned char* data_ = nullptr;  // the requested offset inside the view
  std::size_t size_ = 0;
};

// Which step failed, so that callers can word their own messages.
enum class MapStage { Open, CreateMapping, Map };
struct MapResult : FileResult {
  MapStage stage = MapStage::Open;
};

// Maps the whole file. An empty file gives an empty mapping.
MapResult MapWholeFile(const std::string& path, FileMapping& mapping);
// Maps `size` bytes starting at `offset`. A slice that does not lie inside the file fails at
// the Map stage instead of mapping pages beyond the end.
MapResult MapFileSlice(const std::string& path, std::uint64_t offset, std::uint64_t size,
                       FileMapping& mapping);

}  // namespace lantervo::platform
