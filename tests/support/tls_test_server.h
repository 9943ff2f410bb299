#pragma once
// A TLS front for an HttpTestServer on 127.0.0.1, with an ephemeral port: each TLS connection
// it accepts is carried to a connection of its own to the backend, so the backend's scripted
// answers, recorded requests and connection count hold for https as they do for http.
// On Linux it runs in the test process (OpenSSL); on Windows the tests start the Linux relay
// program, named by the environment variable LANTERVO_TLS_RELAY, which wine runs natively.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/tls_test_certs.h"

namespace lantervo::test {

// One handshake the server accepted: the server name the client sent (empty: none) and whether
// it resumed an earlier session.
struct TlsHandshake {
  std::string serverName;
  bool resumed = false;
};

class TlsTestServer {
 public:
  // Listening when it returns. Throws std::runtime_error when it cannot start.
  TlsTestServer(TestCertificate certificate, std::uint16_t backendPort);
  ~TlsTestServer();
  TlsTestServer(const TlsTestServer&) = delete;
  TlsTestServer& operator=(const TlsTestServer&) = delete;

  std::uint16_t Port() const;
  // "https://" + host + ":" + port + path.
  std::string Url(const std::string& path = "/", const std::string& host = "127.0.0.1") const;
  // Every handshake so far, in order.
  std::vector<TlsHandshake> Handshakes() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Why the TLS test server cannot run here, or empty when it can.
std::string TlsTestServerUnavailable();

}  // namespace lantervo::test
