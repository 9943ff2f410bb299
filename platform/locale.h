#pragma once
// The user's locale as the platform reports it.
#include <string>

namespace lantervo::platform {

// The user's locale name, e.g. "cs_CZ" (Linux: LC_ALL, then LC_MESSAGES/LC_CTYPE, then LANG,
// without encoding; Windows: the user default locale name with "-" turned into "_").
std::string UserLocaleName();

}  // namespace lantervo::platform
