#include "update/vendor_links.h"

#include "toolkit/desktop.h"
#include "toolkit/form.h"

#ifndef LANTERVO_VENDOR_HOST
#define LANTERVO_VENDOR_HOST "quorvik-media.example"
#endif

namespace lantervo {

const char* VendorHost() {
  return LANTERVO_VENDOR_HOST;
}

std::string VendorLink(const std::string& action, const std::string& language) {
  return std::string("http://") + VendorHost() + "/app_redirect/ltv?action=" + action +
         "&lang=" + language;
}

void OpenVendorLink(const std::string& action, const TForm& parent, const std::string& language) {
  // The shell's answer changes nothing: the user sees the browser or nothing.
  parent.GetDesktop()->ShellOpen(&parent, VendorLink(action, language));
}

}  // namespace lantervo
