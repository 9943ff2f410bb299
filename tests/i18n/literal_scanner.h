#pragma once
// Finds the string literals passed to TranslateText and TranslatePlural in C++ source, so that a
// test can check each against the Czech catalog.
#include <string>
#include <string_view>
#include <vector>

namespace lantervo::test {

struct TranslatedLiteral {
  std::string id;  // decoded, CRs removed as the lookup does; plural: singular NUL plural
  int line = 0;
  bool plural = false;
};

// Calls whose text arguments are not literals (variables, expressions) are left out.
std::vector<TranslatedLiteral> FindTranslatedLiterals(std::string_view source);

}  // namespace lantervo::test
