#include "tests/support/proxy_test_server.h"

#include <cstdlib>

namespace lantervo::test {

namespace {

constexpr int kSliceMs = 20;

std::string Base64(const std::string& plain) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < plain.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(plain[i]) << 16;
    if (i + 1 < plain.size()) v |= static_cast<unsigned char>(plain[i + 1]) << 8;
    if (i + 2 < plain.size()) v |= static_cast<unsigned char>(plain[i + 2]);
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += i + 1 < plain.size() ? alphabet[(v >> 6) & 63] : '=';
    out += i + 2 < plain.size() ? alphabet[v & 63] : '=';
  }
  return out;
}

// The value of a header in a head, by its exact name; empty when missing.
std::string HeaderOf(const std::string& head, const std::string& name) {
  const std::string key = "\r\n" + name + ": ";
  const std::size_t at = head.find(key);
  if (at == std::string::npos) return {};
  const std::size_t start = at + key.size();
  return head.substr(start, head.find("\r\n", start) - start);
}

}  // namespace

ProxyTestServer::ProxyTestServer()
    : listener_(platform::TcpSocket::ListenLoopback(16)),
      port_(listener_.LocalPort()),
      answer_("HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nproxied") {
  thread_ = std::thread([this] { Run(); });
}

ProxyTestServer::~ProxyTestServer() {
  stop_ = true;
  thread_.join();
  for (std::thread& t : threads_) t.join();
}

std::string ProxyTestServer::Url() const {
  return "http://127.0.0.1:" + std::to_string(port_);
}

std::string ProxyTestServer::Url(const std::string& user, const std::string& password) const {
  return "http://" + user + ":" + password + "@127.0.0.1:" + std::to_string(port_);
}

void ProxyTestServer::SetMode(Mode mode) {
  std::lock_guard lock(mutex_);
  mode_ = mode;
}

void ProxyTestServer::AnswerAlways(std::string bytes) {
  std::lock_guard lock(mutex_);
  answer_ = std::move(bytes);
}

void ProxyTestServer::RequireCredentials(const std::string& user, const std::string& password) {
  std::lock_guard lock(mutex_);
  requiredAuthorization_ = "Basic " + Base64(user + ":" + password);
}

std::vector<std::string> ProxyTestServer::Heads() const {
  std::lock_guard lock(mutex_);
  return heads_;
}

std::vector<std::string> ProxyTestServer::RequestLines() const {
  std::vector<std::string> lines;
  for (const std::string& head : Heads()) lines.push_back(head.substr(0, head.find("\r\n")));
  return lines;
}

int ProxyTestServer::Connections() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

void ProxyTestServer::Run() {
  while (!Stopping()) {
    if (!listener_.WaitReadable(kSliceMs)) continue;
    platform::TcpSocket client = listener_.Accept();
    {
      std::lock_guard lock(mutex_);
      ++connections_;
    }
    threads_.emplace_back([this, c = std::move(client)]() mutable { Serve(std::move(c)); });
  }
}

void ProxyTestServer::Serve(platform::TcpSocket client) {
  std::string received;
  char buffer[4096];
  try {
    while (!Stopping()) {
      const std::size_t end = received.find("\r\n\r\n");
      if (end == std::string::npos) {
        if (!client.WaitReadable(kSliceMs)) continue;
        const std::size_t n = client.Receive(buffer, sizeof buffer);
        if (n == 0) return;
        received.append(buffer, n);
        continue;
      }
      const std::string head = received.substr(0, end + 4);
      // A form's bytes follow its head; they are read and dropped.
      std::size_t bodyLength = std::strtoul(HeaderOf(head, "Content-Length").c_str(), nullptr, 10);
      while (received.size() < head.size() + bodyLength && !Stopping()) {
        if (!client.WaitReadable(kSliceMs)) continue;
        const std::size_t n = client.Receive(buffer, sizeof buffer);
        if (n == 0) return;
        received.append(buffer, n);
      }
      received.erase(0, head.size() + bodyLength);
      Mode mode;
      std::string answer, required;
      {
        std::lock_guard lock(mutex_);
        heads_.push_back(head);
        mode = mode_;
        answer = answer_;
        required = requiredAuthorization_;
      }
      if (mode == Mode::Stall) {
        while (!Stopping()) {
          if (!client.WaitReadable(kSliceMs)) continue;
          if (client.Receive(buffer, sizeof buffer) == 0) return;
        }
        return;
      }
      if (mode == Mode::Refuse) {
        client.SendAll("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
        continue;
      }
      if (!required.empty() && HeaderOf(head, "Proxy-Authorization") != required) {
        client.SendAll(
            "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: Basic "
            "realm=\"test\"\r\nContent-Length: 0\r\n\r\n");
        continue;
      }
      if (head.rfind("CONNECT ", 0) == 0) {
        const std::size_t space = head.find(' ', 8);
        Tunnel(client, head.substr(8, space - 8));
        return;
      }
      client.SendAll(answer);
    }
  } catch (const platform::SocketError&) {
    // the client went away
  }
}

void ProxyTestServer::Tunnel(platform::TcpSocket& client, const std::string& target) {
  // Every name is loopback here; only the port matters.
  const int port = std::atoi(target.substr(target.rfind(':') + 1).c_str());
  platform::TcpSocket server;
  try {
    platform::IpAddress loopback;
    loopback.bytes = {127, 0, 0, 1};
    server = platform::TcpSocket::BeginConnect(loopback, static_cast<std::uint16_t>(port));
    while (!server.FinishConnect(kSliceMs))
      if (Stopping()) return;
  } catch (const platform::SocketError&) {
    client.SendAll("HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  client.SendAll("HTTP/1.1 200 Connection established\r\n\r\n");
  char buffer[16384];
  while (!Stopping()) {
    bool moved = false;
    for (auto [from, to] : {std::pair{&client, &server}, std::pair{&server, &client}}) {
      if (!from->WaitReadable(moved ? 0 : kSliceMs / 2)) continue;
      const std::size_t n = from->Receive(buffer, sizeof buffer);
      if (n == 0) return;
      to->SendAll(std::string_view(buffer, n));
      moved = true;
    }
  }
}

}  // namespace lantervo::test
