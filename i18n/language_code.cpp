#include "i18n/language_code.h"

#include <cstdlib>

namespace lantervo {

TLocaleSource TLocaleSource::System() {
  TLocaleSource source;
  source.langVariable = [] {
    const char* v = std::getenv("LANG");
    return std::string(v ? v : "");
  };
  source.userLanguageCountry = [] { return platform::UserLanguageCountry(); };
  source.threadLocaleId = [] { return platform::ThreadLocaleId(); };
  return source;
}

std::string LanguageForLocaleId(unsigned localeId) {
  switch (localeId) {
    case 1030:
      return "da_DK";
    case 1031:
      return "de_DE";
    case 1032:
      return "el_GR";
    case 1033:
      return "en_US";
    case 1034:
    case 3082:
      return "es_ES";
    case 1035:
      return "fi_FI";
    case 1036:
      return "fr_FR";
    case 1039:
      return "is_IS";
    case 1040:
      return "it_IT";
    case 1042:
      return "ko_KO";
    case 1043:
      return "nl_NL";
    case 1044:
      return "nb_NO";
    case 1045:
      return "pl_PL";
    case 1046:
      return "pt_BR";
    case 1049:
      return "ru_RU";
    case 1053:
      return "sv_SE";
    case 2057:
      return "en_GB";
    case 2060:
      return "fr_BE";
    case 2067:
      return "nl_BE";
    case 2068:
      return "nn_NO";
    case 2070:
      return "pt_PT";
    case 2077:
      return "sv_FI";
    case 3084:
      return "fr_CA";
    case 4103:
      return "de_LU";
    default:
      return "C";
  }
}

std::string EnvironmentLanguage(const TLocaleSource& source) {
  std::string code = source.langVariable ? source.langVariable() : std::string();
  if (code.empty()) {
    platform::LanguageCountry user =
        source.userLanguageCountry ? source.userLanguageCountry() : platform::LanguageCountry{};
    if (user.language == "no") user.language = "nb";
    if (user.language.size() == 2 && user.country.size() == 2)
      code = user.language + "_" + user.country;
    else
      code = LanguageForLocaleId(source.threadLocaleId ? source.threadLocaleId() : 0);
  }
  const auto dot = code.find('.');
  if (dot != std::string::npos) code.resize(dot);
  return code;
}

}  // namespace lantervo
