#include "platform/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace lantervo::platform {
namespace {

std::vector<std::string> Sorted(const Collator& c, std::vector<std::string> names) {
  std::stable_sort(names.begin(), names.end(),
                   [&](const std::string& a, const std::string& b) { return c.Compare(a, b) < 0; });
  return names;
}

TEST(Collation, CaseDecidesOnlyBetweenOtherwiseEqualNames) {
  const Collator c = Collator::ForLocale("en_US");
  EXPECT_EQ(Sorted(c, {"b", "A", "a", "B"}), (std::vector<std::string>{"a", "A", "b", "B"}));
  EXPECT_EQ(Sorted(c, {"Beta", "alpha", "Alpha", "beta"}),
            (std::vector<std::string>{"alpha", "Alpha", "beta", "Beta"}));
  EXPECT_NE(c.Compare("a", "A"), 0);
  EXPECT_EQ(c.Compare("Shop", "Shop"), 0);
}

TEST(Collation, AccentsAreLinguisticNotByteOrder) {
  const Collator c = Collator::ForLocale("en_US");
  // By bytes "é" would sort after "z"; the locale puts it with "e".
  EXPECT_LT(c.Compare("\xC3\xA9t\xC3\xA9", "zebra"), 0);
  EXPECT_LT(c.Compare("", "a"), 0);
}

TEST(Collation, KeysCompareLikeTexts) {
  const Collator& c = Collator::User();
  const std::vector<std::string> names = {"Intranet", "intranet", "Shop & Co",
                                          "",         "B-server", "A-server"};
  for (const auto& a : names)
    for (const auto& b : names) {
      const int direct = c.Compare(a, b);
      const int keyed = c.Compare(c.MakeKey(a), c.MakeKey(b));
      EXPECT_EQ(direct < 0, keyed < 0) << a << " / " << b;
      EXPECT_EQ(direct == 0, keyed == 0) << a << " / " << b;
    }
}

}  // namespace
}  // namespace lantervo::platform
