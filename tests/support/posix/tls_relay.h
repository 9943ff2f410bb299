#pragma once
// The TLS test server's relay on OpenSSL: accepts TLS on 127.0.0.1 and carries each
// connection's bytes to and from a connection of its own to the backend port.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "tests/support/tls_test_certs.h"

typedef struct ssl_ctx_st SSL_CTX;

namespace lantervo::test {

class TlsRelay {
 public:
  // Listening when it returns. Throws std::runtime_error.
  TlsRelay(TestCertificate certificate, std::uint16_t backendPort);
  ~TlsRelay();
  std::uint16_t Port() const { return port_; }

 private:
  void Run();
  void Carry(int client);

  SSL_CTX* ctx_ = nullptr;
  int listener_ = -1;
  std::uint16_t port_ = 0;
  std::uint16_t backendPort_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::thread> carriers_;
  std::thread thread_;
};

}  // namespace lantervo::test
