#include <cctype>
#include <string>

#include "platform/code_page.h"

namespace lantervo::platform {

namespace {

std::string LowerLanguage(std::string_view locale) {
  std::string lang;
  for (char c : locale) {
    if (c == '_' || c == '-' || c == '.' || c == '@') break;
    lang += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return lang;
}

std::string UpperCountry(std::string_view locale) {
  auto start = locale.find_first_of("_-");
  if (start == std::string_view::npos) return {};
  std::string country;
  for (char c : locale.substr(start + 1)) {
    if (c == '.' || c == '@' || c == '_' || c == '-') break;
    country += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return country;
}

}  // namespace

unsigned AnsiCodePageForLocale(std::string_view locale) {
  const std::string lang = LowerLanguage(locale);
  const std::string country = UpperCountry(locale);
  auto in = [&](std::initializer_list<const char*> langs) {
    for (const char* l : langs)
      if (lang == l) return true;
    return false;
  };
  if (in({"cs", "sk", "pl", "hu", "sl", "hr", "bs", "sq", "ro", "tk"})) return 1250;
  if (lang == "sr") return locale.find("latin") != std::string_view::npos ? 1250 : 1251;
  if (in({"ru", "uk", "be", "bg", "mk", "kk", "ky", "tt", "mn", "ba", "sah"})) return 1251;
  if (lang == "el") return 1253;
  if (in({"tr", "az", "uz"})) return 1254;
  if (in({"he", "yi"})) return 1255;
  if (in({"ar", "fa", "ur", "ps", "ug", "sd"})) return 1256;
  if (in({"et", "lv", "lt"})) return 1257;
  if (lang == "vi") return 1258;
  if (in({"th", "lo"})) return 874;
  if (lang == "ja") return 932;
  if (lang == "ko") return 949;
  if (lang == "zh") {
    if (country == "TW" || country == "HK" || country == "MO") return 950;
    return 936;
  }
  return 1252;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int len;
    unsigned min;
    unsigned cp;
    if ((c & 0xE0) == 0xC0) {
      len = 2, min = 0x80, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3, min = 0x800, cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4, min = 0x10000, cp = c & 0x07;
    } else {
      return false;
    }
    if (i + len > n) return false;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

}  // namespace lantervo::platform
