#include "tests/support/posix/tls_relay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace lantervo::test {

namespace {

constexpr int kSliceMs = 50;

X509* ReadCertificate(const char* pem) {
  BIO* bio = BIO_new_mem_buf(pem, -1);
  X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  return cert;
}

EVP_PKEY* ReadKey(const char* pem) {
  BIO* bio = BIO_new_mem_buf(pem, -1);
  EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  return key;
}

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(port);
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

bool SendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

TlsRelay::TlsRelay(TestCertificate certificate, std::uint16_t backendPort, std::string recordFile)
    : backendPort_(backendPort), recordFile_(std::move(recordFile)) {
  ctx_ = SSL_CTX_new(TLS_server_method());
  X509* cert = ReadCertificate(TestCertificatePem(certificate));
  EVP_PKEY* key = ReadKey(TestKeyPem(certificate));
  const bool ready = ctx_ && cert && key && SSL_CTX_use_certificate(ctx_, cert) == 1 &&
                     SSL_CTX_use_PrivateKey(ctx_, key) == 1;
  X509_free(cert);
  EVP_PKEY_free(key);
  if (!ready) {
    SSL_CTX_free(ctx_);
    throw std::runtime_error("TLS test server: cannot load its certificate");
  }
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a = Loopback(0);
  socklen_t length = sizeof a;
  if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(listener_, 64) != 0 ||
      getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &length) != 0) {
    if (listener_ >= 0) close(listener_);
    SSL_CTX_free(ctx_);
    throw std::runtime_error("TLS test server: cannot listen");
  }
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Run(); });
}

TlsRelay::~TlsRelay() {
  stop_ = true;
  thread_.join();
  for (std::thread& t : carriers_) t.join();
  close(listener_);
  SSL_CTX_free(ctx_);
}

std::vector<TlsHandshake> TlsRelay::Handshakes() {
  std::lock_guard lock(mutex_);
  return handshakes_;
}

void TlsRelay::Record(const TlsHandshake& handshake) {
  std::lock_guard lock(mutex_);
  handshakes_.push_back(handshake);
  if (recordFile_.empty()) return;
  if (FILE* out = std::fopen(recordFile_.c_str(), "a")) {
    std::fprintf(out, "%s\t%d\n", handshake.serverName.c_str(), handshake.resumed ? 1 : 0);
    std::fclose(out);
  }
}

void TlsRelay::Run() {
  while (!stop_) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, kSliceMs) <= 0) continue;
    const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    std::lock_guard lock(mutex_);
    carriers_.emplace_back([this, client] { Carry(client); });
  }
}

void TlsRelay::Carry(int client) {
  // A client that stops in the middle of a record cannot hold the relay for long.
  timeval limit{5, 0};
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  int on = 1;
  setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  SSL* ssl = SSL_new(ctx_);
  SSL_set_fd(ssl, client);
  int backend = -1;
  if (SSL_accept(ssl) == 1) {
    const char* name = SSL_get_servername(ssl, TLSEXT_NAMETYPE_host_name);
    Record({name ? name : "", SSL_session_reused(ssl) == 1});
    backend = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(backendPort_);
    if (connect(backend, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
      close(backend);
      backend = -1;
    } else {
      setsockopt(backend, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
  }
  char buffer[16384];
  bool reset = false;
  while (backend >= 0 && !stop_) {
    pollfd p[2] = {{client, POLLIN, 0}, {backend, POLLIN, 0}};
    if (SSL_pending(ssl) == 0 && poll(p, 2, kSliceMs) <= 0) continue;
    if (SSL_pending(ssl) > 0 || p[0].revents) {
      const int n = SSL_read(ssl, buffer, sizeof buffer);
      if (n <= 0) {
        const int error = SSL_get_error(ssl, n);
        if (error == SSL_ERROR_WANT_READ) continue;
        break;
      }
      if (!SendAll(backend, buffer, static_cast<std::size_t>(n))) break;
    }
    if (p[1].revents) {
      const ssize_t n = recv(backend, buffer, sizeof buffer, 0);
      if (n < 0) reset = true;
      if (n <= 0) {
        if (!reset) SSL_shutdown(ssl);
        break;
      }
      if (SSL_write(ssl, buffer, static_cast<int>(n)) <= 0) break;
    }
  }
  ERR_clear_error();
  SSL_free(ssl);
  if (backend >= 0) close(backend);
  if (reset) {
    linger l{1, 0};
    setsockopt(client, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  }
  close(client);
}

}  // namespace lantervo::test
