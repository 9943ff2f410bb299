#pragma once
// A scripted HTTP proxy on 127.0.0.1: it records every request head, answers plain requests
// itself with scripted bytes, and opens CONNECT tunnels to 127.0.0.1 (whatever the name asked
// for), so https through it reaches a loopback TLS test server. It may ask for credentials,
// refuse tunnels or stall.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace lantervo::test {

class ProxyTestServer {
 public:
  enum class Mode {
    Serve,   // plain requests get the scripted answer, CONNECT a tunnel
    Refuse,  // every request, CONNECT included, gets "502 Bad Gateway"
    Stall,   // nothing is answered; the connection is held until the client closes it
  };

  ProxyTestServer();  // listening when it returns
  ~ProxyTestServer();
  ProxyTestServer(const ProxyTestServer&) = delete;
  ProxyTestServer& operator=(const ProxyTestServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>", or with "user:password@" before the address.
  std::string Url() const;
  std::string Url(const std::string& user, const std::string& password) const;

  void SetMode(Mode mode);
  // The answer to every plain request (a 200 with body "proxied" until set).
  void AnswerAlways(std::string bytes);
  // Requests without "Proxy-Authorization: Basic" of these get "407 Proxy Authentication
  // Required".
  void RequireCredentials(const std::string& user, const std::string& password);

  // Every request head so far, in order, as received.
  std::vector<std::string> Heads() const;
  // Their first lines.
  std::vector<std::string> RequestLines() const;
  int Connections() const;

 private:
  void Run();
  void Serve(platform::TcpSocket client);
  void Tunnel(platform::TcpSocket& client, const std::string& target);
  bool Stopping() const { return stop_.load(); }

  platform::TcpSocket listener_;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  Mode mode_ = Mode::Serve;
  std::string answer_;
  std::string requiredAuthorization_;
  std::vector<std::string> heads_;
  int connections_ = 0;
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
  std::thread thread_;
};

}  // namespace lantervo::test
