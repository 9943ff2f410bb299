#pragma once
// Links to the maker's web site: a redirect page that picks the right page for what the user
// asked for ("help", "about", "update") and the language the program uses.
#include <string>

namespace lantervo {

class TForm;

// The host of the maker's web site (a build-time setting).
const char* VendorHost();
// "http://" + host + "/app_redirect/ltv?action=" + action + "&lang=" + language, with the
// language exactly as stored: the web site takes it as it comes.
std::string VendorLink(const std::string& action, const std::string& language);
// Asks the shell to open the link with `parent` as the owner window. Nothing is reported: with
// no browser or no network the program simply carries on.
void OpenVendorLink(const std::string& action, const TForm& parent, const std::string& language);

}  // namespace lantervo
