#pragma once
// The metrics endpoint's listener: one thread that takes one connection at a time, reads its
// request head within a time limit and answers it. Nothing here waits for the user-interface
// thread or a run, and Stop returns within a fraction of a second whatever a client does.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "platform/socket.h"

namespace lantervo::metrics {

struct MetricsServerOptions {
  // An IP address (IPv4 or IPv6 literal); empty means 127.0.0.1.
  std::string address;
  std::uint16_t port = 0;  // 0: an ephemeral port (tests)
  // The scrape's body; called on the listener's thread.
  std::function<std::string()> exposition;
  // What one connection may take, from its accept to its last byte sent.
  int connectionMs = 5000;
};

class MetricsServer {
 public:
  // Binds and starts serving. Throws platform::SocketError when the port cannot be had, and
  // std::invalid_argument for an address that is not an IP address.
  explicit MetricsServer(MetricsServerOptions options);
  ~MetricsServer();  // Stop()
  MetricsServer(const MetricsServer&) = delete;
  MetricsServer& operator=(const MetricsServer&) = delete;

  std::uint16_t Port() const { return port_; }
  void Stop();

  // How often the thread looks at the stop flag while it waits.
  static constexpr int kSliceMs = 50;

 private:
  void Body();
  void Serve(platform::TcpSocket& client);
  bool SendWithin(platform::TcpSocket& client, std::string_view bytes, std::int64_t deadline);

  MetricsServerOptions options_;
  platform::TcpSocket listener_;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The address the endpoint binds: the given IP literal, or 127.0.0.1 when empty. Nothing for
// any other text (host names are not looked up).
std::optional<platform::IpAddress> BindAddress(const std::string& text);

}  // namespace lantervo::metrics
