#include "core/int_parse.h"

#include <gtest/gtest.h>

#include <climits>

namespace lantervo {
namespace {

TEST(IntParse, AcceptsDecimalWithBlanksAndSign) {
  EXPECT_EQ(ParseInt32("60"), 60);
  EXPECT_EQ(ParseInt32(" 60"), 60);
  EXPECT_EQ(ParseInt32("    +60"), 60);
  EXPECT_EQ(ParseInt32("-60"), -60);
  EXPECT_EQ(ParseInt32("007"), 7);
  EXPECT_EQ(ParseInt32("0"), 0);
  EXPECT_EQ(ParseInt32("-0"), 0);
  EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseInt32("0000000000002147483647"), INT32_MAX);
}

TEST(IntParse, AcceptsEveryHexPrefix) {
  for (const char* text : {"$3C", "$3c", "x3C", "X3c", "0x3C", "0X3c", " $003C", "+0x3c"})
    EXPECT_EQ(ParseInt32(text), 60) << text;
  EXPECT_EQ(ParseInt32("-$3C"), -60);
  EXPECT_EQ(ParseInt32("0x0"), 0);
}

TEST(IntParse, HexIsThirtyTwoBitTwosComplement) {
  EXPECT_EQ(ParseInt32("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseInt32("$80000000"), INT32_MIN);
  EXPECT_EQ(ParseInt32("$7FFFFFFF"), INT32_MAX);
  EXPECT_EQ(ParseInt32("-$FFFFFFFF"), 1);
  EXPECT_EQ(ParseInt32("-$80000000"), INT32_MIN);
  // Leading zeros are not significant digits.
  EXPECT_EQ(ParseInt32("$00000000FFFFFFFF"), -1);
  EXPECT_EQ(ParseInt32("$100000000"), std::nullopt);
  EXPECT_EQ(ParseInt32("0x123456789"), std::nullopt);
}

TEST(IntParse, RejectsOutOfRangeDecimal) {
  EXPECT_EQ(ParseInt32("2147483648"), std::nullopt);
  EXPECT_EQ(ParseInt32("-2147483649"), std::nullopt);
  EXPECT_EQ(ParseInt32("4294967296"), std::nullopt);
  EXPECT_EQ(ParseInt32("99999999999999999999999999"), std::nullopt);
}

TEST(IntParse, RejectsMalformedText) {
  for (const char* text :
       {"",    " ",   "   ", "60 ", "6 0", "+",    "-",   "$",    "x",    "0x",  "-$",    "--1",
        "+-1", "- 1", "1.0", "1e3", "$G",  "0x-1", "abc", "60\n", "\t60", "$ 1", "0x0x1", "1$"})
    EXPECT_EQ(ParseInt32(text), std::nullopt) << '"' << text << '"';
  EXPECT_EQ(ParseInt32(std::string_view("6\0"
                                        "0",
                                        3)),
            std::nullopt);
}

}  // namespace
}  // namespace lantervo
