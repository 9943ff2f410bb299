#include "platform/file_map.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <limits>

namespace lantervo::platform {

struct FileMappingAccess {
  static void Set(FileMapping& m, void* view, std::size_t viewSize, std::size_t delta,
                  std::size_t size) {
    m.view_ = view;
    m.viewSize_ = viewSize;
    m.data_ = static_cast<const unsigned char*>(view) + delta;
    m.size_ = size;
  }
};

void FileMapping::Release() {
  if (view_) munmap(view_, viewSize_);
  view_ = nullptr;
  viewSize_ = 0;
  data_ = nullptr;
  size_ = 0;
}

namespace {

MapResult Fail(MapStage stage, int code) {
  MapResult r;
  r.ok = false;
  r.code = code;
  r.message = SystemErrorText(code);
  r.stage = stage;
  return r;
}

MapResult Map(const std::string& path, bool whole, std::uint64_t offset, std::uint64_t size,
              FileMapping& mapping) {
  mapping = FileMapping();
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail(MapStage::Open, errno);
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int err = errno;
    close(fd);
    return Fail(MapStage::CreateMapping, err);
  }
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);
  if (whole) {
    offset = 0;
    size = fileSize;
  }
  // Pages past the end of the file would fault on access, so such a slice is refused here.
  if (offset > fileSize || size > fileSize - offset) {
    close(fd);
    return Fail(MapStage::Map, EINVAL);
  }
  if (size == 0) {
    close(fd);
    return {};
  }
  const auto page = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
  const std::uint64_t aligned = offset - offset % page;
  const std::uint64_t delta = offset - aligned;
  if (size > std::numeric_limits<std::size_t>::max() - delta) {
    close(fd);
    return Fail(MapStage::Map, ENOMEM);
  }
  const auto viewSize = static_cast<std::size_t>(size + delta);
  void* view = mmap(nullptr, viewSize, PROT_READ, MAP_PRIVATE, fd, static_cast<off_t>(aligned));
  int err = errno;
  close(fd);
  if (view == MAP_FAILED) return Fail(MapStage::Map, err);
  FileMappingAccess::Set(mapping, view, viewSize, static_cast<std::size_t>(delta),
                         static_cast<std::size_t>(size));
  return {};
}

}  // namespace

MapResult MapWholeFile(const std::string& path, FileMapping& mapping) {
  return Map(path, true, 0, 0, mapping);
}

MapResult MapFileSlice(const std::string& path, std::uint64_t offset, std::uint64_t size,
                       FileMapping& mapping) {
  return Map(path, false, offset, size, mapping);
}

}  // namespace lantervo::platform
