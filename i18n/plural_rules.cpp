#include "i18n/plural_rules.h"

#include <string>

namespace lantervo {

namespace {

int AlwaysFirst(std::uint64_t) {
  return 0;
}
int ZeroOrOneFirst(std::uint64_t n) {
  return n <= 1 ? 0 : 1;
}
int Latvian(std::uint64_t n) {
  if (n % 10 == 1 && n % 100 != 11) return 0;
  return n != 0 ? 1 : 2;
}
int Irish(std::uint64_t n) {
  return n == 1 ? 0 : n == 2 ? 1 : 2;
}
bool InTeens(std::uint64_t n) {
  return n % 100 >= 10 && n % 100 <= 19;
}
int Lithuanian(std::uint64_t n) {
  if (n % 10 == 1 && n % 100 != 11) return 0;
  return n % 10 >= 2 && !InTeens(n) ? 1 : 2;
}
int Russian(std::uint64_t n) {
  if (n % 10 == 1 && n % 100 != 11) return 0;
  return n % 10 >= 2 && n % 10 <= 4 && !InTeens(n) ? 1 : 2;
}
int Czech(std::uint64_t n) {
  return n == 1 ? 0 : n >= 2 && n <= 4 ? 1 : 2;
}
int Polish(std::uint64_t n) {
  if (n == 1) return 0;
  return n % 10 >= 2 && n % 10 <= 4 && !InTeens(n) ? 1 : 2;
}
int Slovenian(std::uint64_t n) {
  switch (n % 100) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 3:
    case 4:
      return 2;
    default:
      return 3;
  }
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace

int EnglishPlural(std::uint64_t n) {
  return n == 1 ? 0 : 1;
}

std::uint64_t PluralMagnitude(std::int64_t count) {
  return count < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(count)
                   : static_cast<std::uint64_t>(count);
}

TPluralRule PluralRuleFor(std::string_view code) {
  const std::string whole = Lower(code);
  if (whole == "pt_br") return ZeroOrOneFirst;
  const std::string two = whole.substr(0, 2);
  if (two == "hu" || two == "ko" || two == "zh" || two == "ja" || two == "tr") return AlwaysFirst;
  if (two == "fr" || two == "fa") return ZeroOrOneFirst;
  if (two == "lv") return Latvian;
  if (two == "ga") return Irish;
  if (two == "lt") return Lithuanian;
  if (two == "ru" || two == "uk" || two == "hr") return Russian;
  if (two == "cs" || two == "sk") return Czech;
  if (two == "pl") return Polish;
  if (two == "sl") return Slovenian;
  return EnglishPlural;
}

}  // namespace lantervo
