#pragma once
// TLS 1.2/1.3 client sessions over bytes that the caller moves: the session never touches a
// socket, so the caller's waits (deadlines, cancel) bound every step. OpenSSL on Linux,
// SChannel on Windows.
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lantervo::platform {

enum class TlsFailure {
  Expired,       // the certificate is outside its validity period
  Untrusted,     // no chain to a trusted root
  NameMismatch,  // the certificate does not name the host
  Certificate,   // any other certificate problem; the reason says which
  Handshake,     // the handshake itself failed; the reason says why
};

class TlsError : public std::runtime_error {
 public:
  TlsError(TlsFailure kind, const std::string& reason) : std::runtime_error(reason), kind_(kind) {}
  TlsFailure Kind() const { return kind_; }

 private:
  TlsFailure kind_;
};

// What sessions share: the trusted roots, the library's settings and the sessions a server
// offered for resuming (by host and port), so a reconnect skips the full handshake. Made once
// per client.
class TlsContext {
 public:
  virtual ~TlsContext() = default;
};

// `trustAnchorsPem` (PEM certificates) are then the only trusted roots; when empty, the
// system's trust store is. Throws TlsError (Handshake) when the library cannot be set up.
std::shared_ptr<TlsContext> MakeTlsContext(const std::string& trustAnchorsPem);

class TlsSession {
 public:
  virtual ~TlsSession() = default;
  // One handshake step. Takes what it can use from the front of `in` (bytes received) and
  // appends to `out` what must be sent. True once the handshake is done and the certificate
  // verified. Throws TlsError.
  virtual bool Handshake(std::string& in, std::string& out) = 0;
  // Appends the records that carry `plain` to `out`.
  virtual void Encrypt(std::string_view plain, std::string& out) = 0;
  // Takes the complete records from the front of `in`, appends their data to `plain` and to
  // `out` anything the session must answer. False once the peer has said it is closing.
  // Throws TlsError.
  virtual bool Decrypt(std::string& in, std::string& plain, std::string& out) = 0;
};

// A client session for `host` as written in the URL (a bracketed IPv6 literal keeps its
// brackets) and `port`: the certificate must name it, and a host name (never an address) goes
// out as the server name. A session the server offered on an earlier connection to the same host
// and port is offered back for resuming.
std::unique_ptr<TlsSession> StartTlsSession(TlsContext& context, const std::string& host, int port);

// The versions of the TLS library in use, for notes and benchmarks.
std::string TlsLibraryVersion();

}  // namespace lantervo::platform
