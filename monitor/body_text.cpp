#include "monitor/body_text.h"

#include <cstdint>

#include "monitor/ascii.h"
#include "platform/code_page.h"
#include "platform/utf.h"

namespace lantervo {

namespace {

bool IsAscii(const std::string& bytes) {
  // Bodies run to megabytes and are nearly always plain ASCII: whole blocks of a fixed size,
  // which compilers turn into vector code, then the tail.
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  unsigned char high = 0;
  for (; n >= 64; p += 64, n -= 64) {
    unsigned char block = 0;
    for (int i = 0; i < 64; ++i) block |= p[i];
    high |= block;
  }
  for (; n > 0; ++p, --n) high |= *p;
  return high < 0x80;
}

}  // namespace

std::string CharsetOf(std::string_view contentType) {
  std::size_t at = FindIgnoreCase(contentType, "CHARSET");
  if (at == std::string_view::npos) return {};
  std::string_view rest = contentType.substr(at + 7);
  auto skipBlanks = [&rest] {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  };
  skipBlanks();
  if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);
  skipBlanks();
  if (!rest.empty() && rest.front() == '"') {
    rest.remove_prefix(1);
    return std::string(rest.substr(0, rest.find('"')));
  }
  return std::string(rest.substr(0, rest.find(';')));
}

std::string BodyToText(std::string body, std::string_view contentType) {
  if (IsAscii(body)) return body;
  const std::string charset = CharsetOf(contentType);
  if (EqualsIgnoreCase(charset, "UTF-8") || EqualsIgnoreCase(charset, "UTF8")) {
    if (platform::IsValidUtf8(body)) return body;
    return platform::Utf16ToUtf8(platform::Utf8ToUtf16(body));
  }
  std::string text;
  text.reserve(body.size() * 2);
  for (char c : body) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (byte >> 6));
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

}  // namespace lantervo
