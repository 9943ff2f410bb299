#include "platform/paths.h"

#include <windows.h>

#include "platform/utf.h"

namespace lantervo::platform {

const char* PathSeparator() {
  return "\\";
}

std::string ExecutablePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return Narrow(buf);
    }
    buf.resize(buf.size() * 2);
  }
}

std::string UserConfigFolder() {
  wchar_t buf[32768];
  DWORD n = GetEnvironmentVariableW(L"APPDATA", buf, 32768);
  if (n == 0 || n >= 32768) return ExecutableFolder();
  return Narrow(std::wstring_view(buf, n));
}

std::string UserDataFolder() {
  wchar_t buf[32768];
  DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buf, 32768);
  if (n == 0 || n >= 32768) return {};
  return Narrow(std::wstring_view(buf, n)) + "\\Lantervo";
}

}  // namespace lantervo::platform
