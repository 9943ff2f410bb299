#include "platform/locale.h"

#include <windows.h>

#include "platform/utf.h"

namespace lantervo::platform {

std::string UserLocaleName() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  if (GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) <= 0) return "en_US";
  std::string s = Narrow(name);
  for (char& c : s)
    if (c == '-') c = '_';
  return s;
}

bool UserLocaleNamesLanguage() {
  return true;
}

namespace {

// The value of one locale field when it is exactly two letters, else "".
std::string TwoLetterField(LCTYPE field) {
  wchar_t buf[16] = {};
  int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, field, buf, 16);
  if (n != 3) return {};  // two letters and the terminating NUL
  return Narrow(std::wstring_view(buf, 2));
}

}  // namespace

LanguageCountry UserLanguageCountry() {
  return {TwoLetterField(LOCALE_SISO639LANGNAME), TwoLetterField(LOCALE_SISO3166CTRYNAME)};
}

unsigned ThreadLocaleId() {
  return static_cast<unsigned>(GetThreadLocale());
}

}  // namespace lantervo::platform
