// The vendor link scheme.
#include "update/vendor_links.h"

#include <gtest/gtest.h>

namespace lantervo::test {
namespace {

TEST(VendorLinksTest, LinkNamesActionAndLanguageUnencoded) {
  const std::string base = std::string("http://") + VendorHost() + "/app_redirect/ltv?action=";
  EXPECT_EQ(VendorLink("help", "cs"), base + "help&lang=cs");
  EXPECT_EQ(VendorLink("about", "en"), base + "about&lang=en");
  EXPECT_EQ(VendorLink("update", ""), base + "update&lang=");
  // Appended exactly as stored: the web site takes it as it comes.
  EXPECT_EQ(VendorLink("help", "c s&x=1"), base + "help&lang=c s&x=1");
  // The build's host sits under the reserved ".example" domain unless a release sets another.
  EXPECT_NE(std::string(VendorHost()).find('.'), std::string::npos);
}

}  // namespace
}  // namespace lantervo::test
