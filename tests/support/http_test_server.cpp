#include "tests/support/http_test_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/clock.h"

namespace lantervo::test {

namespace {

// How often the server thread looks at its stop flag while it waits for bytes.
constexpr int kTickMs = 20;

std::size_t ContentLengthOf(const std::string& head) {
  std::string lower(head);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return static_cast<std::size_t>(std::strtoul(lower.c_str() + at + 17, nullptr, 10));
}

}  // namespace

HttpTestServer::HttpTestServer()
    : listener_(platform::TcpSocket::ListenLoopback(16)), port_(listener_.LocalPort()) {
  thread_ = std::thread([this] { Run(); });
}

HttpTestServer::HttpTestServer(const platform::IpAddress& address)
    : listener_(platform::TcpSocket::Listen(address, 0, 16)), port_(listener_.LocalPort()) {
  thread_ = std::thread([this] { Run(); });
}

HttpTestServer::~HttpTestServer() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  thread_.join();
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpTestServer::Answer(std::string bytes, Then then) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_.push_back(Reply{std::make_shared<const std::string>(std::move(bytes)), then});
}

void HttpTestServer::AnswerAlways(std::string bytes, Then then) {
  std::lock_guard<std::mutex> lock(mutex_);
  always_ = Reply{std::make_shared<const std::string>(std::move(bytes)), then};
}

void HttpTestServer::AnswerStream(Pieces pieces, int pauseMs, Then then) {
  std::lock_guard<std::mutex> lock(mutex_);
  replies_.push_back(Reply{nullptr, then, std::move(pieces), pauseMs});
}

void HttpTestServer::AnswerStreamAlways(Pieces pieces, int pauseMs, Then then) {
  std::lock_guard<std::mutex> lock(mutex_);
  always_ = Reply{nullptr, then, std::move(pieces), pauseMs};
}

HttpTestServer::Pieces HttpTestServer::Endless(std::string head, std::string repeat,
                                               std::size_t step) {
  return [head = std::move(head), repeat = std::move(repeat), step](std::size_t i) {
    if (i == 0 && !head.empty()) return head;
    const std::size_t n = head.empty() ? i : i - 1;
    std::string piece;
    for (std::size_t at = n * step; piece.size() < step; ++at) {
      piece += repeat[at % repeat.size()];
    }
    return piece;
  };
}

HttpTestServer::Pieces HttpTestServer::InSteps(std::string bytes, std::size_t step) {
  return [bytes = std::move(bytes), step](std::size_t i) {
    return i * step < bytes.size() ? bytes.substr(i * step, step) : std::string();
  };
}

bool HttpTestServer::WaitForRequests(std::size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return requested_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return requestCount_ >= count; });
}

bool HttpTestServer::Stopping() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stop_;
}

void HttpTestServer::WaitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return !busy_; });
}

void HttpTestServer::KeepRequests(bool keep) {
  std::lock_guard<std::mutex> lock(mutex_);
  keepRequests_ = keep;
}

std::size_t HttpTestServer::RequestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requestCount_;
}

std::vector<std::string> HttpTestServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

int HttpTestServer::Connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

std::string HttpTestServer::Ok(const std::string& body, const std::string& headers) {
  return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + headers +
         "\r\n" + body;
}

std::string HttpTestServer::Redirect(const std::string& location, int status) {
  return "HTTP/1.1 " + std::to_string(status) + " Found\r\nLocation: " + location +
         "\r\nContent-Length: 0\r\n\r\n";
}

std::optional<HttpTestServer::Reply> HttpTestServer::NextReply() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (replies_.empty()) return always_;
  Reply reply = std::move(replies_.front());
  replies_.pop_front();
  busy_ = true;
  return reply;
}

void HttpTestServer::ReplyDone() {
  std::lock_guard<std::mutex> lock(mutex_);
  busy_ = false;
  idle_.notify_all();
}

void HttpTestServer::Run() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return;
    }
    try {
      if (!listener_.WaitReadable(kTickMs)) continue;
      platform::TcpSocket connection = listener_.Accept();
      connection.SetNoDelay();
      {
        std::lock_guard<std::mutex> lock(mutex_);
        ++connections_;
      }
      Serve(connection);
    } catch (const platform::SocketError&) {
      // A client that went away mid-exchange ends only that connection.
    }
    ReplyDone();
  }
}

bool HttpTestServer::ReadRequest(platform::TcpSocket& connection, std::string& buffer,
                                 std::string& request) {
  char chunk[16 * 1024];
  for (;;) {
    std::size_t headEnd = buffer.find("\r\n\r\n");
    if (headEnd != std::string::npos) {
      std::size_t total = headEnd + 4 + ContentLengthOf(buffer.substr(0, headEnd + 2));
      if (buffer.size() >= total) {
        request = buffer.substr(0, total);
        buffer.erase(0, total);
        return true;
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_) return false;
    }
    if (!connection.WaitReadable(kTickMs)) continue;
    std::size_t n = connection.Receive(chunk, sizeof chunk);
    if (n == 0) return false;
    buffer.append(chunk, n);
  }
}

void HttpTestServer::Serve(platform::TcpSocket& connection) {
  std::string buffer, request;
  while (ReadRequest(connection, buffer, request)) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (keepRequests_) requests_.push_back(request);
      ++requestCount_;
      requested_.notify_all();
    }
    std::optional<Reply> reply = NextReply();
    if (!reply) return;
    if (reply->pieces) {
      Stream(connection, *reply);
      if (Stopping()) return;
    } else {
      connection.SendAll(*reply->bytes);
    }
    switch (reply->then) {
      case Then::KeepOpen:
        ReplyDone();
        continue;
      case Then::Close:
        connection.Close();
        return;
      case Then::Reset:
        connection.Reset();
        return;
      case Then::Stall: {
        std::string ignored;
        while (ReadRequest(connection, buffer, ignored)) {
        }
        return;
      }
    }
  }
}

void HttpTestServer::Stream(platform::TcpSocket& connection, const Reply& reply) {
  for (std::size_t i = 0;; ++i) {
    if (i > 0) {
      // Paused in ticks, so that a server being destroyed does not wait out a long pause.
      for (int left = reply.pauseMs; left > 0; left -= kTickMs) {
        if (Stopping()) return;
        platform::SleepMs(static_cast<std::uint32_t>(std::min(left, kTickMs)));
      }
    }
    if (Stopping()) return;
    std::string piece = reply.pieces(i);
    if (piece.empty()) return;
    // A client that has gone away makes this fail, which ends the answer and the connection.
    connection.SendAll(piece);
  }
}

UnansweredPort::UnansweredPort() : listener_(platform::TcpSocket::ListenLoopback(1)) {
  port_ = listener_.LocalPort();
  platform::IpAddress loopback;
  loopback.bytes = {127, 0, 0, 1};
  // Connections that are never accepted fill the listener's queue; the system then drops
  // further connection requests, which leaves their connect pending.
  for (int i = 0; i < 4; ++i)
    fillers_.push_back(platform::TcpSocket::BeginConnect(loopback, port_));
}

std::uint16_t ClosedPort() {
  platform::TcpSocket listener = platform::TcpSocket::ListenLoopback(1);
  return listener.LocalPort();
}

}  // namespace lantervo::test
