#include "platform/shared_read_file.h"

#include <windows.h>

#include <algorithm>

#include "platform/utf.h"

namespace lantervo::platform {

namespace {

HANDLE AsHandle(std::intptr_t h) {
  return reinterpret_cast<HANDLE>(h);
}

}  // namespace

int SharedReadFile::Open(const std::string& path, FileOpenMode mode) {
  Close();
  DWORD access = GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  if (mode == FileOpenMode::Read) access = GENERIC_READ;
  if (mode == FileOpenMode::Truncate) disposition = CREATE_ALWAYS;
  HANDLE h = CreateFileW(Widen(path).c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return static_cast<int>(GetLastError());
  if (mode == FileOpenMode::AppendExisting) {
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(h, zero, nullptr, FILE_END)) {
      DWORD err = GetLastError();
      CloseHandle(h);
      return static_cast<int>(err);
    }
  }
  handle_ = reinterpret_cast<std::intptr_t>(h);
  return 0;
}

int SharedReadFile::Write(std::string_view data) {
  if (handle_ == -1) return ERROR_INVALID_HANDLE;
  size_t done = 0;
  while (done < data.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
    DWORD n = 0;
    if (!WriteFile(AsHandle(handle_), data.data() + done, chunk, &n, nullptr))
      return static_cast<int>(GetLastError());
    if (n == 0) return ERROR_DISK_FULL;
    done += n;
  }
  return 0;
}

int SharedReadFile::Read(char* buffer, std::size_t size, std::size_t& count) {
  count = 0;
  if (handle_ == -1) return ERROR_INVALID_HANDLE;
  DWORD n = 0;
  if (!ReadFile(AsHandle(handle_), buffer, static_cast<DWORD>(std::min<size_t>(size, 1u << 24)), &n,
                nullptr))
    return static_cast<int>(GetLastError());
  count = n;
  return 0;
}

int SharedReadFile::Close() {
  if (handle_ == -1) return 0;
  HANDLE h = AsHandle(handle_);
  handle_ = -1;
  return CloseHandle(h) ? 0 : static_cast<int>(GetLastError());
}

}  // namespace lantervo::platform
