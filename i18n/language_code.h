#pragma once
// The language code the environment asks for when the configuration names none.
#include <functional>
#include <string>

#include "platform/locale.h"

namespace lantervo {

// Where the environment's language comes from; tests give their own.
struct TLocaleSource {
  std::function<std::string()> langVariable;  // the environment variable LANG
  std::function<platform::LanguageCountry()> userLanguageCountry;
  std::function<unsigned()> threadLocaleId;

  static TLocaleSource System();
};

// A Windows locale identifier as "ll_CC" from a fixed table; "C" for any other.
std::string LanguageForLocaleId(unsigned localeId);

// LANG; else the user's language_country ("no" read as "nb"); else the thread locale's entry in
// the table. Cut before the first "." so that an encoding suffix is dropped.
std::string EnvironmentLanguage(const TLocaleSource& source);

}  // namespace lantervo
