#include "platform/locale.h"

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

}  // namespace lantervo::platform
