#pragma once
// HTTPS under the HTTP client: a Connection that carries TLS records over another Connection.
// The handshake and every later wait go through the inner connection's cancellable waits and
// the call's deadline, so Cancel and "Read timed out." work as over plain TCP.
#include <memory>
#include <string>

#include "monitor/call_guard.h"
#include "monitor/connection.h"
#include "platform/tls.h"

namespace lantervo {

// The failure text of a TLS failure: "SSL certificate problem: " or "SSL handshake failed: "
// and the reason, looked up in the catalog where the reason is one of ours.
std::string TlsFailureText(const platform::TlsError& error);

class TlsConnection : public Connection {
 public:
  // Runs the handshake with `host` (as written in the URL). Throws HttpError with the TLS
  // failure texts or "Read timed out.", or platform::SocketError.
  TlsConnection(std::unique_ptr<Connection> inner, platform::TlsContext& context,
                const std::string& host, int port, int readTimeoutMs, const CallGuard* guard);

  void Send(std::string_view bytes) override;
  bool WaitReadable(int waitMs) override;
  std::size_t Receive(char* buffer, std::size_t size) override;
  bool PeerOpen() override;

 private:
  // Receives what the inner connection has and decrypts the complete records.
  void ReceiveRecords();
  void Decrypt();
  // The handshake's wait for bytes, bounded like every read of the call.
  void WaitForHandshake();

  std::unique_ptr<Connection> inner_;
  std::unique_ptr<platform::TlsSession> session_;
  int readTimeoutMs_;
  const CallGuard* guard_;
  std::string cipher_;  // received, not yet decrypted
  std::string plain_;
  std::size_t plainPos_ = 0;
  bool closed_ = false;  // the peer said it closes, or closed the connection
};

}  // namespace lantervo
