#include "platform/file_map.h"

#include <windows.h>

#include <cstdint>
#include <limits>

#include "platform/utf.h"

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
  if (view_) UnmapViewOfFile(view_);
  view_ = nullptr;
  viewSize_ = 0;
  data_ = nullptr;
  size_ = 0;
}

namespace {

MapResult Fail(MapStage stage, DWORD code) {
  MapResult r;
  r.ok = false;
  r.code = static_cast<int>(code);
  r.message = SystemErrorText(static_cast<int>(code));
  r.stage = stage;
  return r;
}

MapResult Map(const std::string& path, bool whole, std::uint64_t offset, std::uint64_t size,
              FileMapping& mapping) {
  mapping = FileMapping();
  // Sharing delete keeps a mapped catalog from blocking its replacement by an installer.
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(MapStage::Open, GetLastError());
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file, &length)) {
    DWORD err = GetLastError();
    CloseHandle(file);
    return Fail(MapStage::CreateMapping, err);
  }
  const auto fileSize = static_cast<std::uint64_t>(length.QuadPart);
  if (whole) {
    offset = 0;
    size = fileSize;
  }
  if (offset > fileSize || size > fileSize - offset) {
    CloseHandle(file);
    return Fail(MapStage::Map, ERROR_HANDLE_EOF);
  }
  // An empty file cannot be mapped on Windows; an empty view serves just as well.
  if (size == 0) {
    CloseHandle(file);
    return {};
  }
  HANDLE section = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!section) {
    DWORD err = GetLastError();
    CloseHandle(file);
    return Fail(MapStage::CreateMapping, err);
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const std::uint64_t granularity = info.dwAllocationGranularity;
  const std::uint64_t aligned = offset - offset % granularity;
  const std::uint64_t delta = offset - aligned;
  if (size > std::numeric_limits<std::size_t>::max() - delta) {
    CloseHandle(section);
    CloseHandle(file);
    return Fail(MapStage::Map, ERROR_NOT_ENOUGH_MEMORY);
  }
  const auto viewSize = static_cast<std::size_t>(size + delta);
  void* view = MapViewOfFile(section, FILE_MAP_READ, static_cast<DWORD>(aligned >> 32),
                             static_cast<DWORD>(aligned & 0xFFFFFFFFu), viewSize);
  DWORD err = GetLastError();
  // The view keeps the section alive on its own.
  CloseHandle(section);
  CloseHandle(file);
  if (!view) return Fail(MapStage::Map, err);
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
