#include "platform/locale.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace lantervo::platform {

namespace {

// The locale that decides character handling (LC_ALL, LC_CTYPE, then LANG), without encoding
// and modifier; none when all three are unset or empty.
std::optional<std::string> CharacterLocale() {
  for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    std::string s(v);
    s.resize(std::min(s.size(), s.find_first_of(".@")));
    return s;
  }
  return std::nullopt;
}

bool IsPortableLocale(const std::string& name) {
  return name == "C" || name == "POSIX";
}

}  // namespace

std::string UserLocaleName() {
  const std::optional<std::string> locale = CharacterLocale();
  return !locale || IsPortableLocale(*locale) ? "en_US" : *locale;
}

bool UserLocaleNamesLanguage() {
  const std::optional<std::string> locale = CharacterLocale();
  return locale && !locale->empty() && !IsPortableLocale(*locale);
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
