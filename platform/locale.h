#pragma once
// The user's locale as the platform reports it.
#include <string>

namespace lantervo::platform {

// The user's locale name, e.g. "cs_CZ" (Linux: LC_ALL, then LC_MESSAGES/LC_CTYPE, then LANG,
// without encoding; Windows: the user default locale name with "-" turned into "_").
std::string UserLocaleName();
// False where the locale says nothing of a language (Linux: LC_ALL, LC_CTYPE and LANG unset,
// empty, "C" or "POSIX"); Windows always has one.
bool UserLocaleNamesLanguage();

// The user's default locale as two-letter ISO 639 language and ISO 3166 country codes, e.g.
// {"cs", "CZ"}; a part the platform cannot report as two letters is left empty (Linux: taken
// from LC_ALL, then LC_MESSAGES).
struct LanguageCountry {
  std::string language;
  std::string country;
};
LanguageCountry UserLanguageCountry();

// The calling thread's Windows locale identifier (GetThreadLocale); 0 where there is none.
unsigned ThreadLocaleId();

}  // namespace lantervo::platform
