#include "platform/locale.h"

#include <algorithm>
#include <cstdlib>

namespace lantervo::platform {

std::string UserLocaleName() {
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    if (v && *v) {
      std::string s(v);
      auto cut = s.find_first_of(".@");
      if (cut != std::string::npos) s.resize(cut);
      if (s == "C" || s == "POSIX") return "en_US";
      return s;
    }
  }
  return "en_US";
}

bool UserLocaleNamesLanguage() {
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    std::string s(v);
    s.resize(std::min(s.size(), s.find_first_of(".@")));
    return !s.empty() && s != "C" && s != "POSIX";
  }
  return false;
}

LanguageCountry UserLanguageCountry() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    std::string s(v);
    auto cut = s.find_first_of(".@");
    if (cut != std::string::npos) s.resize(cut);
    LanguageCountry result;
    auto bar = s.find('_');
    std::string language = s.substr(0, bar);
    std::string country = bar == std::string::npos ? std::string() : s.substr(bar + 1);
    if (language.size() == 2) result.language = language;
    if (country.size() == 2) result.country = country;
    return result;
  }
  return {};
}

unsigned ThreadLocaleId() {
  return 0;
}

}  // namespace lantervo::platform
