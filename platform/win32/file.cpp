#include "platform/file.h"

#include <windows.h>

#include <atomic>

#include "platform/utf.h"

namespace lantervo::platform {

namespace {

FileResult Failure(DWORD code) {
  return FileResult{false, static_cast<int>(code), SystemErrorText(static_cast<int>(code))};
}

}  // namespace

std::string SystemErrorText(int code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : std::wstring();
  if (buffer) LocalFree(buffer);
  // Like the runtime's own error texts: no trailing line break, blank or full stop.
  while (!text.empty() && (text.back() <= L' ' || text.back() == L'.')) text.pop_back();
  return Narrow(text);
}

bool FileExists(const std::string& path) {
  DWORD attrs = GetFileAttributesW(Widen(path).c_str());
  return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
}

FileResult ReadWholeFile(const std::string& path, std::string& contents) {
  contents.clear();
  HANDLE h = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Failure(GetLastError());
  LARGE_INTEGER size;
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0)
    contents.reserve(static_cast<size_t>(size.QuadPart));
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      DWORD err = GetLastError();
      CloseHandle(h);
      return Failure(err);
    }
    if (n == 0) break;
    contents.append(buf, n);
  }
  CloseHandle(h);
  return {};
}

WriteResult WriteFileAtomically(const std::string& path,
                                const std::function<bool(std::string& chunk)>& produce) {
  static std::atomic<unsigned> counter{0};
  const std::wstring target = Widen(path);
  const std::wstring temp =
      target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++);
  WriteResult result;
  auto fail = [&](WriteStage stage, DWORD code) {
    result.ok = false;
    result.stage = stage;
    result.code = static_cast<int>(code);
    result.message = SystemErrorText(static_cast<int>(code));
    return result;
  };
  // A read-only target stays as it is, as truncating it in place would.
  const DWORD attrs = GetFileAttributesW(target.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY))
    return fail(WriteStage::Create, ERROR_ACCESS_DENIED);
  HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return fail(WriteStage::Create, GetLastError());
  std::string data;
  for (;;) {
    data.clear();
    bool more = false;
    try {
      more = produce(data);
    } catch (...) {
      CloseHandle(h);
      DeleteFileW(temp.c_str());
      throw;
    }
    if (!more) break;
    size_t done = 0;
    while (done < data.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - done, 1u << 24));
      DWORD n = 0;
      if (!WriteFile(h, data.data() + done, chunk, &n, nullptr) || n == 0) {
        DWORD err = GetLastError();
        CloseHandle(h);
        DeleteFileW(temp.c_str());
        return fail(WriteStage::Write, err ? err : ERROR_DISK_FULL);
      }
      done += n;
    }
  }
  if (!FlushFileBuffers(h)) {
    DWORD err = GetLastError();
    CloseHandle(h);
    DeleteFileW(temp.c_str());
    return fail(WriteStage::Write, err);
  }
  CloseHandle(h);
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DWORD err = GetLastError();
    DeleteFileW(temp.c_str());
    return fail(WriteStage::Replace, err);
  }
  return result;
}

bool RemoveFile(const std::string& path) {
  return DeleteFileW(Widen(path).c_str()) != 0;
}

FileResult RenameFile(const std::string& from, const std::string& to) {
  if (!MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0)) {
    const DWORD code = GetLastError();
    return {false, static_cast<int>(code), SystemErrorText(static_cast<int>(code))};
  }
  return {};
}

FileResult CreateFolders(const std::string& path) {
  if (path.empty()) return {};
  std::wstring wide = Widen(path);
  for (auto& c : wide)
    if (c == L'/') c = L'\\';
  size_t pos = 0;
  // Skip a drive ("C:\") or UNC prefix ("\\server\share\").
  if (wide.size() >= 2 && wide[1] == L':') pos = 2;
  if (wide.rfind(L"\\\\", 0) == 0) {
    pos = wide.find(L'\\', 2);
    if (pos != std::wstring::npos) pos = wide.find(L'\\', pos + 1);
    if (pos == std::wstring::npos) return {};
  }
  while (pos != std::wstring::npos) {
    pos = wide.find(L'\\', pos + 1);
    std::wstring partial = wide.substr(0, pos);
    if (partial.empty() || partial.back() == L':') continue;
    if (!CreateDirectoryW(partial.c_str(), nullptr)) {
      DWORD err = GetLastError();
      if (err != ERROR_ALREADY_EXISTS) return Failure(err);
    }
  }
  DWORD attrs = GetFileAttributesW(wide.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY))
    return Failure(ERROR_PATH_NOT_FOUND);
  return {};
}

}  // namespace lantervo::platform
