// Opening a vendor link: the shell gets the link and the window, and its answer is ignored.
#include "ui/open_vendor_link.h"

#include <gtest/gtest.h>

#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "update/vendor_links.h"

namespace lantervo::test {
namespace {

TEST(VendorLinksTest, OpensWithTheParentWindowAndIgnoresTheShellsAnswer) {
  HeadlessDesktop desktop;
  TForm window(desktop);
  window.SetName("FormAbout");
  desktop.SetShellOpenResult(false);
  OpenVendorLink("about", window, "en");
  ASSERT_EQ(desktop.ShellOpens().size(), 1u);
  EXPECT_EQ(desktop.ShellOpens()[0].owner, "FormAbout");
  EXPECT_EQ(desktop.ShellOpens()[0].target, VendorLink("about", "en"));
}

}  // namespace
}  // namespace lantervo::test
