#pragma once
// Connections over TCP sockets: the host rules of the client and the polled connect. Every wait
// (connect and reads) looks at the client's cancel flag at least every kCancelSliceMs.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "monitor/connection.h"
#include "monitor/http_options.h"
#include "platform/socket.h"

namespace lantervo {

// The address to connect to for a URL host: "LOCALHOST" in any case is 127.0.0.1, an IPv4
// literal is used as it is, "[...]" is an IPv6 literal, anything else is resolved (IPv4 only).
platform::IpAddress AddressOfHost(const std::string& host, platform::Resolver& resolver);
// The addresses to try in order: AddressOfHost's, or, for a name without any IPv4 address, its
// IPv6 addresses. A name that has neither fails as the IPv4 lookup did.
std::vector<platform::IpAddress> AddressesOfHost(const std::string& host,
                                                 platform::Resolver& resolver);

class SocketConnector : public Connector {
 public:
  // `cancelled` may be null: nothing then cuts a wait short.
  SocketConnector(platform::Resolver& resolver, int connectTimeoutMs, int connectPollMs,
                  const std::atomic<bool>* cancelled = nullptr)
      : resolver_(resolver),
        connectTimeoutMs_(connectTimeoutMs),
        connectPollMs_(connectPollMs),
        cancelled_(cancelled) {}
  std::unique_ptr<Connection> Connect(const std::string& host, int port) override;

 private:
  platform::Resolver& resolver_;
  int connectTimeoutMs_;
  int connectPollMs_;
  const std::atomic<bool>* cancelled_;
};

}  // namespace lantervo
