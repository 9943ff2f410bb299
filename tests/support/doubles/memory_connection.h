#pragma once
// Connections over canned bytes, handed out in pieces of chosen sizes, so the protocol code can
// be driven through every short read without a network (tests and the fuzzer).
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "monitor/connection.h"

namespace lantervo {

// What one connection receives: the bytes, the sizes of the pieces they arrive in (the last
// size repeats; none means all at once), and whether the peer closes after the last byte or
// stays silent, which a wait reports as no data.
struct MemoryScript {
  std::string bytes;
  std::vector<std::size_t> pieces;
  bool closeAtEnd = true;
};

class MemoryConnection : public Connection {
 public:
  // `sent` collects what the client writes; it may be null.
  MemoryConnection(MemoryScript script, std::string* sent);
  void Send(std::string_view bytes) override;
  bool WaitReadable(int waitMs) override;
  std::size_t Receive(char* buffer, std::size_t size) override;
  bool PeerOpen() override;

 private:
  MemoryScript script_;
  std::string* sent_;
  std::size_t pos_ = 0;
  std::size_t piece_ = 0;
};

// Hands out one connection per script, in order; connecting beyond the last script fails as a
// refused connection.
class MemoryConnector : public Connector {
 public:
  explicit MemoryConnector(std::vector<MemoryScript> scripts);
  std::unique_ptr<Connection> Connect(const std::string& host, int port) override;

  // What the client wrote on each connection made so far.
  std::vector<std::string> Sent() const;
  // The host and port of each connection made so far, as "host:port".
  const std::vector<std::string>& Endpoints() const { return endpoints_; }

 private:
  std::vector<MemoryScript> scripts_;
  std::size_t next_ = 0;
  // Stable addresses: each connection keeps a pointer to its own entry.
  std::vector<std::unique_ptr<std::string>> sent_;
  std::vector<std::string> endpoints_;
};

}  // namespace lantervo
