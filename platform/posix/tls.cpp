#include "platform/tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>

namespace lantervo::platform {

namespace {

// The first queued library error as text, or `fallback`; the queue is emptied.
std::string LibraryReason(const char* fallback) {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return fallback;
  const char* reason = ERR_reason_error_string(code);
  return reason ? reason : fallback;
}

class OpenSslContext : public TlsContext {
 public:
  explicit OpenSslContext(const std::string& trustAnchorsPem)
      : ctx_(SSL_CTX_new(TLS_client_method())) {
    if (!ctx_) throw TlsError(TlsFailure::Handshake, LibraryReason("cannot set up TLS"));
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    if (trustAnchorsPem.empty()) {
      SSL_CTX_set_default_verify_paths(ctx_);
    } else {
      X509_STORE* store = SSL_CTX_get_cert_store(ctx_);
      BIO* bio = BIO_new_mem_buf(trustAnchorsPem.data(), static_cast<int>(trustAnchorsPem.size()));
      while (X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        X509_STORE_add_cert(store, cert);
        X509_free(cert);
      }
      BIO_free(bio);
      ERR_clear_error();  // the end of the PEM text leaves a "no start line" behind
    }
  }
  ~OpenSslContext() override { SSL_CTX_free(ctx_); }
  SSL_CTX* Get() const { return ctx_; }

 private:
  SSL_CTX* ctx_;
};

class OpenSslSession : public TlsSession {
 public:
  OpenSslSession(OpenSslContext& context, const std::string& host) : ssl_(SSL_new(context.Get())) {
    if (!ssl_) throw TlsError(TlsFailure::Handshake, LibraryReason("cannot set up TLS"));
    in_ = BIO_new(BIO_s_mem());
    out_ = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl_, in_, out_);
    SSL_set_connect_state(ssl_);
    std::string name = host;
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
      name = name.substr(1, name.size() - 2);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
    // An address literal is matched against the certificate's addresses and sent as no name.
    if (X509_VERIFY_PARAM_set1_ip_asc(param, name.c_str()) != 1) {
      ERR_clear_error();
      X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
      SSL_set1_host(ssl_, name.c_str());
      SSL_set_tlsext_host_name(ssl_, name.c_str());
    }
    host_ = name;
  }
  ~OpenSslSession() override { SSL_free(ssl_); }

  bool Handshake(std::string& in, std::string& out) override {
    Feed(in);
    const int r = SSL_do_handshake(ssl_);
    Drain(out);
    if (r == 1) return true;
    const int error = SSL_get_error(ssl_, r);
    if (error == SSL_ERROR_WANT_READ) return false;
    const long verify = SSL_get_verify_result(ssl_);
    if (verify != X509_V_OK) ThrowCertificate(verify);
    throw TlsError(TlsFailure::Handshake, LibraryReason("protocol error"));
  }

  void Encrypt(std::string_view plain, std::string& out) override {
    while (!plain.empty()) {
      const int chunk = static_cast<int>(std::min<std::size_t>(plain.size(), 1 << 30));
      const int n = SSL_write(ssl_, plain.data(), chunk);
      if (n <= 0) throw TlsError(TlsFailure::Handshake, LibraryReason("cannot encrypt"));
      plain.remove_prefix(static_cast<std::size_t>(n));
      Drain(out);
    }
  }

  bool Decrypt(std::string& in, std::string& plain, std::string& out) override {
    Feed(in);
    char buffer[16384];
    for (;;) {
      const int n = SSL_read(ssl_, buffer, sizeof buffer);
      if (n > 0) {
        plain.append(buffer, static_cast<std::size_t>(n));
        continue;
      }
      const int error = SSL_get_error(ssl_, n);
      Drain(out);
      if (error == SSL_ERROR_WANT_READ) return true;
      if (error == SSL_ERROR_ZERO_RETURN) return false;
      throw TlsError(TlsFailure::Handshake, LibraryReason("protocol error"));
    }
  }

 private:
  void Feed(std::string& in) {
    if (in.empty()) return;
    BIO_write(in_, in.data(), static_cast<int>(in.size()));
    in.clear();
  }
  void Drain(std::string& out) {
    char buffer[16384];
    int n;
    while ((n = BIO_read(out_, buffer, sizeof buffer)) > 0)
      out.append(buffer, static_cast<std::size_t>(n));
  }
  [[noreturn]] void ThrowCertificate(long verify) {
    ERR_clear_error();
    switch (verify) {
      case X509_V_ERR_CERT_HAS_EXPIRED:
      case X509_V_ERR_CERT_NOT_YET_VALID:
        throw TlsError(TlsFailure::Expired, "");
      case X509_V_ERR_HOSTNAME_MISMATCH:
      case X509_V_ERR_IP_ADDRESS_MISMATCH:
        throw TlsError(TlsFailure::NameMismatch, host_);
      case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
      case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
      case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
      case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
      case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
      case X509_V_ERR_CERT_UNTRUSTED:
        throw TlsError(TlsFailure::Untrusted, "");
      default:
        throw TlsError(TlsFailure::Certificate, X509_verify_cert_error_string(verify));
    }
  }

  SSL* ssl_;
  BIO* in_ = nullptr;   // owned by ssl_
  BIO* out_ = nullptr;  // owned by ssl_
  std::string host_;
};

}  // namespace

std::shared_ptr<TlsContext> MakeTlsContext(const std::string& trustAnchorsPem) {
  return std::make_shared<OpenSslContext>(trustAnchorsPem);
}

std::unique_ptr<TlsSession> StartTlsSession(TlsContext& context, const std::string& host) {
  return std::make_unique<OpenSslSession>(static_cast<OpenSslContext&>(context), host);
}

std::string TlsLibraryVersion() {
  return OpenSSL_version(OPENSSL_VERSION);
}

}  // namespace lantervo::platform
