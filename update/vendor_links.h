#pragma once
// Links to the maker's web site: a redirect page that picks the right page for what the user
// asked for ("help", "about", "update") and the language the program uses. The windows open
// them with OpenVendorLink (ui/open_vendor_link.h).
#include <string>

namespace lantervo {

// The host of the maker's web site (a build-time setting).
const char* VendorHost();
// "http://" + host + "/app_redirect/ltv?action=" + action + "&lang=" + language, with the
// language exactly as stored: the web site takes it as it comes.
std::string VendorLink(const std::string& action, const std::string& language);

}  // namespace lantervo
