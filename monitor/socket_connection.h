#pragma once
// Connections over TCP sockets: the host rules of the client and the polled connect.
#include <memory>
#include <string>

#include "monitor/connection.h"
#include "monitor/http_options.h"
#include "platform/socket.h"

namespace lantervo {

// The address to connect to for a URL host: "LOCALHOST" in any case is 127.0.0.1, an IPv4
// literal is used as it is, "[...]" is an IPv6 literal, anything else is resolved (IPv4 only).
platform::IpAddress AddressOfHost(const std::string& host, platform::Resolver& resolver);

class SocketConnector : public Connector {
 public:
  SocketConnector(platform::Resolver& resolver, int connectTimeoutMs, int connectPollMs)
      : resolver_(resolver), connectTimeoutMs_(connectTimeoutMs), connectPollMs_(connectPollMs) {}
  std::unique_ptr<Connection> Connect(const std::string& host, int port) override;

 private:
  platform::Resolver& resolver_;
  int connectTimeoutMs_;
  int connectPollMs_;
};

}  // namespace lantervo
