#include "monitor/socket_connection.h"

#include <cstdint>

#include "monitor/ascii.h"
#include "monitor/call_guard.h"
#include "monitor/http_error.h"
#include "platform/clock.h"

namespace lantervo {

namespace {

class SocketConnection : public Connection {
 public:
  SocketConnection(platform::TcpSocket socket, const std::atomic<bool>* cancelled)
      : socket_(std::move(socket)), cancelled_(cancelled) {}
  void Send(std::string_view bytes) override { socket_.SendAll(bytes); }
  bool WaitReadable(int waitMs) override {
    return WaitCancellable(cancelled_, waitMs,
                           [this](int sliceMs) { return socket_.WaitReadable(sliceMs); });
  }
  std::size_t Receive(char* buffer, std::size_t size) override {
    return socket_.Receive(buffer, size);
  }
  bool PeerOpen() override { return socket_.CheckPeer() == platform::TcpSocket::PeerState::Open; }

 private:
  platform::TcpSocket socket_;
  const std::atomic<bool>* cancelled_;
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

std::vector<platform::IpAddress> AddressesOfHost(const std::string& host,
                                                 platform::Resolver& resolver) {
  try {
    return {AddressOfHost(host, resolver)};
  } catch (const platform::SocketError& e) {
    // Only a name can have IPv6 addresses to fall back on; a literal cannot.
    if (IsIpHost(host) || (e.Code() != 11001 && e.Code() != 11004)) throw;
    try {
      return resolver.ResolveIPv6(host);
    } catch (const platform::SocketError&) {
      throw e;  // no address at all: the IPv4 lookup's answer, as before
    }
  }
}

std::unique_ptr<Connection> SocketConnector::Connect(const std::string& host, int port) {
  // Name resolution cannot be interrupted: getaddrinfo has no way to be cancelled, so a cancel
  // is seen only once it returns, at the first look of the connect's wait.
  const std::vector<platform::IpAddress> addresses = AddressesOfHost(host, resolver_);
  // Port 0 and numbers beyond 16 bits cannot be connected to; Windows says so with 10049.
  if (port <= 0 || port > 65535) throw platform::SocketError(10049);
  // Several addresses (IPv6 only) are tried in order within the one connect time-out; the last
  // failure is the call's.
  const std::uint32_t start = platform::TickCount();
  for (std::size_t i = 0;; ++i) {
    try {
      platform::TcpSocket socket =
          platform::TcpSocket::BeginConnect(addresses[i], static_cast<std::uint16_t>(port));
      const auto finished = [&socket](int sliceMs) { return socket.FinishConnect(sliceMs); };
      while (!WaitCancellable(cancelled_, connectPollMs_, finished)) {
        if (platform::TickCount() - start >= static_cast<std::uint32_t>(connectTimeoutMs_)) {
          throw HttpError("Connect timed out.");
        }
      }
      // The head goes out in one piece; nothing is gained by holding it back.
      socket.SetNoDelay();
      return std::make_unique<SocketConnection>(std::move(socket), cancelled_);
    } catch (const platform::SocketError& e) {
      if (i + 1 >= addresses.size() || e.Code() == 10004) throw;
    }
  }
}

}  // namespace lantervo
