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

}  // namespace lantervo::platform
