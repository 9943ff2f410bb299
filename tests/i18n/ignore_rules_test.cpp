// The global ignore rules that keep identifiers out of window translation.
#include "i18n/ignore_rules.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace lantervo {
namespace {

const std::string_view kField[] = {"TIntegerField", "TField", "TComponent"};
const std::string_view kParam[] = {"TParam", "TCollectionItem"};
const std::string_view kFieldDef[] = {"TFieldDef", "TNamedItem", "TCollectionItem"};
const std::string_view kLabel[] = {"TLabel", "TControl", "TComponent"};

TEST(IgnoreRulesTest, RulesForAClassCoverItsDescendantsWithoutRegardToCase) {
  TIgnoreRules rules;
  rules.AddBuiltInRules();
  for (const char* p : {"DefaultExpression", "FieldName", "KeyFields", "LookupKeyFields",
                        "LookupResultField", "Origin"})
    rules.IgnoreClassProperty("TField", p);
  rules.IgnoreClass("TParam");
  rules.IgnoreClassProperty("TFieldDef", "Name");

  EXPECT_TRUE(rules.IsPropertyIgnored(kField, "FIELDNAME"));
  EXPECT_TRUE(rules.IsPropertyIgnored(kField, "origin"));
  EXPECT_TRUE(rules.IsPropertyIgnored(kField, "Name"));  // built in, from TComponent
  EXPECT_FALSE(rules.IsPropertyIgnored(kField, "DisplayLabel"));
  EXPECT_FALSE(rules.IsClassIgnored(kField));
  EXPECT_TRUE(rules.IsClassIgnored(kParam));
  EXPECT_TRUE(rules.IsPropertyIgnored(kParam, "Anything"));
  EXPECT_TRUE(rules.IsPropertyIgnored(kFieldDef, "Name"));
  EXPECT_FALSE(rules.IsPropertyIgnored(kFieldDef, "DisplayName"));
  EXPECT_FALSE(rules.IsPropertyIgnored(kLabel, "Caption"));
  EXPECT_FALSE(rules.IsPropertyIgnored(kLabel, "FieldName"));  // a TField rule, not a TLabel one
  ASSERT_NE(rules.PropertiesOf("TField"), nullptr);
  EXPECT_EQ(rules.PropertiesOf("TField")->count("LOOKUPRESULTFIELD"), 1u);
  EXPECT_EQ(rules.PropertiesOf("TLabel"), nullptr);
}

TEST(IgnoreRulesTest, AClassCannotBeListedWholeTwice) {
  TIgnoreRules rules;
  rules.IgnoreClassProperty("TParam", "Value");
  rules.IgnoreClass("TParam");  // a property rule first does not count
  try {
    rules.IgnoreClass("TParam");
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(),
                 "You cannot add a class to the ignore list that is already on that list: TParam. "
                 "You should keep all TP_Global functions in one place in your source code.");
  }
  rules.Clear();
  EXPECT_FALSE(rules.IsClassIgnored(kParam));
}

}  // namespace
}  // namespace lantervo
