#pragma once
// Plural rules by language code: a count's magnitude -> the index of the form to use.
#include <cstdint>
#include <string_view>

namespace lantervo {

using TPluralRule = int (*)(std::uint64_t n);

// The rule for a language code, chosen by its first two letters ("pt_BR" as a whole code).
TPluralRule PluralRuleFor(std::string_view code);
// 0 for one, 1 otherwise.
int EnglishPlural(std::uint64_t n);
// |count| without overflow for the most negative count.
std::uint64_t PluralMagnitude(std::int64_t count);

}  // namespace lantervo
