#include "platform/folder.h"

#include <windows.h>

#include <string>

#include "platform/paths.h"
#include "platform/utf.h"

namespace lantervo::platform {

namespace {

bool ProcessAlive(unsigned long pid) {
  if (pid == GetCurrentProcessId()) return true;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;  // someone else's, still there
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

}  // namespace

unsigned long CurrentProcessId() {
  return GetCurrentProcessId();
}

bool CanCreateFilesIn(const std::string& folder) {
  const std::wstring probe =
      Widen(folder) + L"\\.lantervo-write-test-" + std::to_wstring(GetCurrentProcessId());
  HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

std::vector<std::string> SubfolderNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found;
  std::wstring pattern = Widen(folder);
  if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  HANDLE search = FindFirstFileW((pattern + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(Narrow(name));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

int RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string fileName = path.substr(folder.size() + (folder.empty() ? 0 : 1));
  const std::wstring prefix = folder.empty() ? std::wstring() : Widen(folder) + L"\\";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((prefix + Widen(fileName) + L".tmp*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int removed = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const unsigned long owner = TemporaryCopyOwner(Narrow(found.cFileName), fileName);
    if (owner == 0 || ProcessAlive(owner)) continue;
    if (DeleteFileW((prefix + found.cFileName).c_str())) ++removed;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return removed;
}

}  // namespace lantervo::platform
