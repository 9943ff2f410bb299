#include "monitor/socket_connection.h"

#include <cstdint>

#include "core/error.h"
#include "monitor/ascii.h"
#include "platform/clock.h"

namespace lantervo {

namespace {

class SocketConnection : public Connection {
 public:
  explicit SocketConnection(platform::TcpSocket socket) : socket_(std::move(socket)) {}
  void Send(std::string_view bytes) override { socket_.SendAll(bytes); }
  bool WaitReadable(int waitMs) override { return socket_.WaitReadable(waitMs); }
  std::size_t Receive(char* buffer, std::size_t size) override {
    return socket_.Receive(buffer, size);
  }
  bool PeerOpen() override { return socket_.CheckPeer() == platform::TcpSocket::PeerState::Open; }

 private:
  platform::TcpSocket socket_;
};

}  // namespace

platform::IpAddress AddressOfHost(const std::string& host, platform::Resolver& resolver) {
  if (EqualsIgnoreCase(host, "LOCALHOST")) {
    platform::IpAddress loopback;
    loopback.bytes = {127, 0, 0, 1};
    return loopback;
  }
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    auto literal = platform::ParseIpAddress(host.substr(1, host.size() - 2));
    if (literal && literal->v6) return *literal;
    throw platform::SocketError(11001);
  }
  auto literal = platform::ParseIpAddress(host);
  if (literal && !literal->v6) return *literal;
  return resolver.ResolveIPv4(host);
}

std::unique_ptr<Connection> SocketConnector::Connect(const std::string& host, int port) {
  platform::IpAddress address = AddressOfHost(host, resolver_);
  // Port 0 and numbers beyond 16 bits cannot be connected to; Windows says so with 10049.
  if (port <= 0 || port > 65535) throw platform::SocketError(10049);
  platform::TcpSocket socket =
      platform::TcpSocket::BeginConnect(address, static_cast<std::uint16_t>(port));
  const std::uint32_t start = platform::TickCount();
  while (!socket.FinishConnect(connectPollMs_)) {
    if (platform::TickCount() - start >= static_cast<std::uint32_t>(connectTimeoutMs_)) {
      throw HttpError("Connect timed out.");
    }
  }
  // The head goes out in one piece; nothing is gained by holding it back.
  socket.SetNoDelay();
  return std::make_unique<SocketConnection>(std::move(socket));
}

}  // namespace lantervo
