#include "tests/support/tls_test_server.h"

#include "tests/support/posix/tls_relay.h"

namespace lantervo::test {

class TlsTestServer::Impl : public TlsRelay {
 public:
  using TlsRelay::TlsRelay;
};

TlsTestServer::TlsTestServer(TestCertificate certificate, std::uint16_t backendPort)
    : impl_(std::make_unique<Impl>(certificate, backendPort)) {}

TlsTestServer::~TlsTestServer() = default;

std::uint16_t TlsTestServer::Port() const {
  return impl_->Port();
}

std::vector<TlsHandshake> TlsTestServer::Handshakes() const {
  return impl_->Handshakes();
}

std::string TlsTestServerUnavailable() {
  return {};
}

}  // namespace lantervo::test
