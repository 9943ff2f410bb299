#pragma once
// UTF-8 <-> UTF-16 without any platform call. Malformed UTF-8 becomes U+FFFD.
#include <string>
#include <string_view>

namespace lantervo::platform {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);
#ifdef _WIN32
inline std::wstring Widen(std::string_view utf8) {
  std::u16string w = Utf8ToUtf16(utf8);
  return std::wstring(w.begin(), w.end());
}
inline std::string Narrow(std::wstring_view wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}
#endif

}  // namespace lantervo::platform
