#pragma once
// The URL check of the server dialog and the verify URL: the URL must begin with "http://",
// or with "https://" once HTTPS is allowed; letter case counts.
#include <string_view>

namespace lantervo {

inline bool HasAcceptedScheme(std::string_view url, bool httpsEnabled) {
  return url.starts_with("http://") || (httpsEnabled && url.starts_with("https://"));
}

}  // namespace lantervo
