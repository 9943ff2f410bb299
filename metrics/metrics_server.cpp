#include "metrics/metrics_server.h"

#include <chrono>
#include <stdexcept>

#include "metrics/metrics_request.h"

namespace lantervo::metrics {

namespace {

std::int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::optional<platform::IpAddress> BindAddress(const std::string& text) {
  return platform::ParseIpAddress(text.empty() ? std::string("127.0.0.1") : text);
}

MetricsServer::MetricsServer(MetricsServerOptions options) : options_(std::move(options)) {
  const auto address = BindAddress(options_.address);
  if (!address) throw std::invalid_argument("not an IP address: " + options_.address);
  listener_ = platform::TcpSocket::Listen(*address, options_.port, 4);
  port_ = listener_.LocalPort();
  thread_ = std::thread([this] { Body(); });
}

MetricsServer::~MetricsServer() {
  Stop();
}

void MetricsServer::Stop() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  listener_.Close();
}

void MetricsServer::Body() {
  while (!stop_) {
    try {
      if (!listener_.WaitReadable(kSliceMs)) continue;
      platform::TcpSocket client = listener_.Accept();
      Serve(client);
    } catch (const std::exception&) {
      // A connection that failed costs only itself; a listener that keeps failing is slowed
      // down to one try a slice.
      if (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(kSliceMs));
    }
  }
}

void MetricsServer::Serve(platform::TcpSocket& client) {
  const std::int64_t deadline = NowMs() + options_.connectionMs;
  std::string received;
  RequestHead head;
  char buffer[2048];
  while (!stop_) {
    head = ParseRequestHead(received);
    if (head.state != RequestHead::State::Incomplete) break;
    if (NowMs() >= deadline) {
      SendWithin(client, AnswerStatus(408), deadline + kSliceMs);
      return;
    }
    if (!client.WaitReadable(kSliceMs)) continue;
    const std::size_t n = client.Receive(buffer, sizeof buffer);
    if (n == 0) return;  // gone before its head was whole
    received.append(buffer, n);
  }
  if (stop_) return;
  if (SendWithin(client, AnswerRequest(head, options_.exposition), deadline)) client.ShutdownSend();
}

bool MetricsServer::SendWithin(platform::TcpSocket& client, std::string_view bytes,
                               std::int64_t deadline) {
  while (!bytes.empty()) {
    if (stop_ || NowMs() >= deadline) return false;
    bytes.remove_prefix(client.SendSome(bytes, kSliceMs));
  }
  return true;
}

}  // namespace lantervo::metrics
