#include "ui/open_vendor_link.h"

#include "toolkit/desktop.h"
#include "toolkit/form.h"
#include "update/vendor_links.h"

namespace lantervo {

void OpenVendorLink(const std::string& action, const TForm& parent, const std::string& language) {
  // The shell's answer changes nothing: the user sees the browser or nothing.
  parent.GetDesktop()->ShellOpen(&parent, VendorLink(action, language));
}

}  // namespace lantervo
