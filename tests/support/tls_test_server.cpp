#include "tests/support/tls_test_server.h"

namespace lantervo::test {

std::string TlsTestServer::Url(const std::string& path, const std::string& host) const {
  return "https://" + host + ":" + std::to_string(Port()) + path;
}

}  // namespace lantervo::test
