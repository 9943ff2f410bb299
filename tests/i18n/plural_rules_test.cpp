// The plural rule table, by language code.
#include "i18n/plural_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace lantervo {
namespace {

// The form index for each count from 0 to 25 and for 101, 111, 112, 1002.
std::string Forms(std::string_view code) {
  TPluralRule rule = PluralRuleFor(code);
  std::string out;
  for (std::uint64_t n = 0; n <= 25; ++n) out += static_cast<char>('0' + rule(n));
  out += ' ';
  for (std::uint64_t n : {101, 111, 112, 1002}) out += static_cast<char>('0' + rule(n));
  return out;
}

// clang-format off
TEST(PluralRulesTest, EachLanguageGroupHasItsRule) {
  //                      n = 0123456789...                  101 111 112 1002
  EXPECT_EQ(Forms("en"),      "10111111111111111111111111 1111");
  EXPECT_EQ(Forms("de_AT"),   "10111111111111111111111111 1111");
  EXPECT_EQ(Forms("xx"),      "10111111111111111111111111 1111");
  EXPECT_EQ(Forms("C"),       "10111111111111111111111111 1111");
  for (const char* code : {"hu", "ko", "zh_TW", "ja", "tr"})
    EXPECT_EQ(Forms(code),    "00000000000000000000000000 0000") << code;
  for (const char* code : {"fr_CA", "fa", "pt_br", "PT_BR"})
    EXPECT_EQ(Forms(code),    "00111111111111111111111111 1111") << code;
  EXPECT_EQ(Forms("pt"),      "10111111111111111111111111 1111");
  EXPECT_EQ(Forms("lv"),      "20111111111111111111101111 0111");
  EXPECT_EQ(Forms("ga"),      "20122222222222222222222222 2222");
  EXPECT_EQ(Forms("lt"),      "20111111112222222222201111 0221");
  for (const char* code : {"ru", "uk", "hr"})
    EXPECT_EQ(Forms(code),    "20111222222222222222201112 0221") << code;
  for (const char* code : {"cs", "CS_cz", "sk"})
    EXPECT_EQ(Forms(code),    "20111222222222222222222222 2222") << code;
  EXPECT_EQ(Forms("pl"),      "20111222222222222222221112 2221");
  EXPECT_EQ(Forms("sl"),      "30122333333333333333333333 0331");
}
// clang-format on

TEST(PluralRulesTest, CountsAreTakenAsMagnitudes) {
  EXPECT_EQ(PluralMagnitude(-1), 1u);
  EXPECT_EQ(PluralMagnitude(7), 7u);
  EXPECT_EQ(PluralMagnitude(std::numeric_limits<std::int64_t>::min()), std::uint64_t{1} << 63);
  EXPECT_EQ(EnglishPlural(PluralMagnitude(-1)), 0);
  EXPECT_EQ(EnglishPlural(PluralMagnitude(-2)), 1);
}

}  // namespace
}  // namespace lantervo
