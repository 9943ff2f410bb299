#pragma once
// The TLS test server's relay on OpenSSL: accepts TLS on 127.0.0.1 and carries each
// connection's bytes to and from a connection of its own to the backend port.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/tls_test_certs.h"
#include "tests/support/tls_test_server.h"

typedef struct ssl_ctx_st SSL_CTX;

namespace lantervo::test {

class TlsRelay {
 public:
  // Listening when it returns. Throws std::runtime_error. Each accepted handshake is kept, and
  // also appended as a line to `recordFile` when one is named ("<server name>\t<0|1>").
  TlsRelay(TestCertificate certificate, std::uint16_t backendPort, std::string recordFile = {});
  ~TlsRelay();
  std::uint16_t Port() const { return port_; }
  std::vector<TlsHandshake> Handshakes();

 private:
  void Run();
  void Carry(int client);
  void Record(const TlsHandshake& handshake);

  SSL_CTX* ctx_ = nullptr;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::uint16_t backendPort_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::thread> carriers_;
  std::string recordFile_;
  std::vector<TlsHandshake> handshakes_;
  std::thread thread_;
};

}  // namespace lantervo::test
