#include "update/vendor_links.h"

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

}  // namespace lantervo
