#pragma once
// The byte stream under the HTTP client. The protocol code reads only through this, so it can
// be fed from sockets, or from canned bytes in tests and the fuzzer.
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace lantervo {

class Connection {
 public:
  virtual ~Connection() = default;
  // Writes all bytes. Throws platform::SocketError or HttpError.
  virtual void Send(std::string_view bytes) = 0;
  // True when Receive would not block (bytes, the peer's close or an error are there).
  virtual bool WaitReadable(int waitMs) = 0;
  // Up to `size` bytes; 0 when the peer has closed.
  virtual std::size_t Receive(char* buffer, std::size_t size) = 0;
  // Without waiting: false when the peer has closed; throws when the check finds an error.
  virtual bool PeerOpen() = 0;
};

class Connector {
 public:
  virtual ~Connector() = default;
  // A connection to host (as written in the URL) and port. Throws HttpError or
  // platform::SocketError.
  virtual std::unique_ptr<Connection> Connect(const std::string& host, int port) = 0;
};

}  // namespace lantervo
