#pragma once
// The program's own catalogs with English chosen whatever the machine's language, so tests read
// the texts they expect.
#include <memory>
#include <string>

#include "i18n/file_locator.h"
#include "i18n/gettext.h"

namespace lantervo::test {

// Installs the instance and answers the one it replaced, for the test to put back.
inline std::shared_ptr<TGnuGettextInstance> InstallEnglishTexts() {
  TLocaleSource english;
  english.langVariable = [] { return std::string("en"); };
  english.userLanguageCountry = [] { return platform::LanguageCountry{}; };
  english.threadLocaleId = [] { return 0u; };
  return InstallTextInstance(
      std::make_shared<TGnuGettextInstance>(TFileLocator::ForThisProgram(), english));
}

}  // namespace lantervo::test
