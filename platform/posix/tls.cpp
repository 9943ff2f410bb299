#include "platform/tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

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
    // Sessions are kept here by host and port, not in the library's own cache, which a client
    // cannot look up by server.
    SSL_CTX_set_session_cache_mode(ctx_, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
    SSL_CTX_sess_set_new_cb(ctx_, NewSession);
    SSL_CTX_set_app_data(ctx_, this);
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
  ~OpenSslContext() override {
    for (auto& [key, session] : sessions_) SSL_SESSION_free(session);
    SSL_CTX_free(ctx_);
  }
  SSL_CTX* Get() const { return ctx_; }

  // The session last offered for `key`, with a reference for the caller; null when none.
  SSL_SESSION* Take(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(key);
    if (it == sessions_.end()) return nullptr;
    SSL_SESSION* session = it->second;
    // A TLS 1.3 ticket is for one use; the resumed connection brings new ones.
    if (SSL_SESSION_get_protocol_version(session) >= TLS1_3_VERSION) {
      sessions_.erase(it);
    } else {
      SSL_SESSION_up_ref(session);
    }
    if (!SSL_SESSION_is_resumable(session)) {
      SSL_SESSION_free(session);
      return nullptr;
    }
    return session;
  }
  void Keep(const std::string& key, SSL_SESSION* session) {
    std::lock_guard lock(mutex_);
    SSL_SESSION*& slot = sessions_[key];
    if (slot) SSL_SESSION_free(slot);
    slot = session;
  }
  void Forget(const std::string& key) {
    std::lock_guard lock(mutex_);
    auto it = sessions_.find(key);
    if (it == sessions_.end()) return;
    SSL_SESSION_free(it->second);
    sessions_.erase(it);
  }

  // Where a session's key is kept on its SSL object, for the callback below.
  static int KeyIndex() {
    static const int index = SSL_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
  }

 private:
  // A session (or TLS 1.3 ticket) the server offered: kept for the next connection.
  static int NewSession(SSL* ssl, SSL_SESSION* session) {
    auto* key = static_cast<const std::string*>(SSL_get_ex_data(ssl, KeyIndex()));
    auto* self = static_cast<OpenSslContext*>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl)));
    if (!key || !self) return 0;
    self->Keep(*key, session);
    return 1;  // the reference is ours now
  }

  SSL_CTX* ctx_;
  std::mutex mutex_;
  std::map<std::string, SSL_SESSION*> sessions_;
};

class OpenSslSession : public TlsSession {
 public:
  OpenSslSession(OpenSslContext& context, const std::string& host, int port)
      : context_(context), key_(host + ":" + std::to_string(port)), ssl_(SSL_new(context.Get())) {
    if (!ssl_) throw TlsError(TlsFailure::Handshake, LibraryReason("cannot set up TLS"));
    SSL_set_ex_data(ssl_, OpenSslContext::KeyIndex(), &key_);
    if (SSL_SESSION* earlier = context.Take(key_)) {
      SSL_set_session(ssl_, earlier);
      SSL_SESSION_free(earlier);
    }
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
  ~OpenSslSession() override {
    // A connection closed without a TLS failure leaves its session good for resuming; freed
    // without this, the library would mark the session as unusable.
    if (!failed_) SSL_set_shutdown(ssl_, SSL_SENT_SHUTDOWN | SSL_RECEIVED_SHUTDOWN);
    SSL_free(ssl_);
  }

  bool Handshake(std::string& in, std::string& out) override {
    Feed(in);
    const int r = SSL_do_handshake(ssl_);
    Drain(out);
    if (r == 1) return true;
    const int error = SSL_get_error(ssl_, r);
    if (error == SSL_ERROR_WANT_READ) return false;
    // A session that failed is not offered again.
    failed_ = true;
    context_.Forget(key_);
    const long verify = SSL_get_verify_result(ssl_);
    if (verify != X509_V_OK) ThrowCertificate(verify);
    throw TlsError(TlsFailure::Handshake, LibraryReason("protocol error"));
  }

  void Encrypt(std::string_view plain, std::string& out) override {
    while (!plain.empty()) {
      const int chunk = static_cast<int>(std::min<std::size_t>(plain.size(), 1 << 30));
      const int n = SSL_write(ssl_, plain.data(), chunk);
      if (n <= 0) Fail(LibraryReason("cannot encrypt"));
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
      Fail(LibraryReason("protocol error"));
    }
  }

 private:
  [[noreturn]] void Fail(const std::string& reason) {
    failed_ = true;
    context_.Forget(key_);
    throw TlsError(TlsFailure::Handshake, reason);
  }
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

  OpenSslContext& context_;
  std::string key_;
  SSL* ssl_;
  BIO* in_ = nullptr;   // owned by ssl_
  BIO* out_ = nullptr;  // owned by ssl_
  std::string host_;
  bool failed_ = false;
};

}  // namespace

std::shared_ptr<TlsContext> MakeTlsContext(const std::string& trustAnchorsPem) {
  return std::make_shared<OpenSslContext>(trustAnchorsPem);
}

std::unique_ptr<TlsSession> StartTlsSession(TlsContext& context, const std::string& host,
                                            int port) {
  return std::make_unique<OpenSslSession>(static_cast<OpenSslContext&>(context), host, port);
}

std::string TlsLibraryVersion() {
  return OpenSSL_version(OPENSSL_VERSION);
}

}  // namespace lantervo::platform
