#pragma once
// Opening a link to the maker's web site from a window.
#include <string>

namespace lantervo {

class TForm;

// Asks the shell to open VendorLink(action, language) with `parent` as the owner window. Nothing
// is reported: with no browser or no network the program simply carries on.
void OpenVendorLink(const std::string& action, const TForm& parent, const std::string& language);

}  // namespace lantervo
