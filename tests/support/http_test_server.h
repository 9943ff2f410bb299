#pragma once
// A scripted HTTP server on 127.0.0.1 with an ephemeral port, served by one thread. It records
// every request's exact bytes and counts accepted connections, and answers each request with
// the next scripted bytes, then keeps the connection, closes it, resets it or stalls. An answer
// may also be sent piece by piece with pauses, without end, as hostile servers do.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"

namespace lantervo::test {

class HttpTestServer {
 public:
  // What happens to the connection once an answer has been sent.
  enum class Then {
    KeepOpen,  // wait for the next request on it
    Close,     // orderly close
    Reset,     // abortive close: the client sees a reset
    Stall,     // hold it silently until the client gives up and closes it
  };

  HttpTestServer();  // listening on 127.0.0.1 when it returns
  // Listening on the given loopback address (::1 for IPv6 tests).
  explicit HttpTestServer(const platform::IpAddress& address);
  ~HttpTestServer();
  HttpTestServer(const HttpTestServer&) = delete;
  HttpTestServer& operator=(const HttpTestServer&) = delete;

  std::uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `path`.
  std::string Url(const std::string& path = "/") const;

  // Queues the answer to the next request. A request with no answer left gets its
  // connection closed.
  void Answer(std::string bytes, Then then = Then::KeepOpen);
  // The answer to every request once the queue is empty.
  void AnswerAlways(std::string bytes, Then then = Then::KeepOpen);
  // Gives the i-th piece of a streamed answer; an empty piece ends it.
  using Pieces = std::function<std::string(std::size_t)>;
  // Queues an answer sent piece by piece, `pauseMs` apart. Sending stops early when the client
  // goes away or the server is destroyed.
  void AnswerStream(Pieces pieces, int pauseMs, Then then = Then::Close);
  void AnswerStreamAlways(Pieces pieces, int pauseMs, Then then = Then::Close);
  // `head`, then `repeat` over and over without end, `step` bytes a piece.
  static Pieces Endless(std::string head, std::string repeat, std::size_t step);
  // `bytes` in pieces of `step` bytes.
  static Pieces InSteps(std::string bytes, std::size_t step);

  // Blocks until the answer taken last has been sent and its Then carried out (a Stall is
  // carried out once the client closes).
  void WaitIdle();
  // Blocks until `count` requests have come in; false when `timeoutMs` passed first.
  bool WaitForRequests(std::size_t count, int timeoutMs);

  // Long runs keep only the count of requests (Requests() then stays empty), so that the
  // server's own memory does not grow with them.
  void KeepRequests(bool keep);
  std::size_t RequestCount() const;
  std::vector<std::string> Requests() const;
  int Connections() const;

  // "HTTP/1.1 200 OK", a Content-Length for `body`, `headers` (each ending in CR LF), `body`.
  static std::string Ok(const std::string& body, const std::string& headers = "");
  // A redirect answer with an empty body.
  static std::string Redirect(const std::string& location, int status = 302);

 private:
  struct Reply {
    std::shared_ptr<const std::string> bytes;  // shared, so a large answer is never copied
    Then then;
    Pieces pieces;  // a streamed answer instead of `bytes`
    int pauseMs = 0;
  };
  void Run();
  void Serve(platform::TcpSocket& connection);
  bool ReadRequest(platform::TcpSocket& connection, std::string& buffer, std::string& request);
  std::optional<Reply> NextReply();
  void ReplyDone();
  void Stream(platform::TcpSocket& connection, const Reply& reply);
  bool Stopping() const;

  platform::TcpSocket listener_;
  std::uint16_t port_ = 0;
  mutable std::mutex mutex_;
  std::condition_variable idle_;
  std::condition_variable requested_;
  std::deque<Reply> replies_;
  std::optional<Reply> always_;
  bool busy_ = false;
  std::vector<std::string> requests_;
  std::size_t requestCount_ = 0;
  bool keepRequests_ = true;
  int connections_ = 0;
  bool stop_ = false;
  std::thread thread_;
};

// A port on 127.0.0.1 whose listener's queue is full, so a connect to it stays pending.
class UnansweredPort {
 public:
  UnansweredPort();
  std::uint16_t Port() const { return port_; }

 private:
  platform::TcpSocket listener_;
  std::vector<platform::TcpSocket> fillers_;
  std::uint16_t port_ = 0;
};

// A port on 127.0.0.1 that nothing listens on.
std::uint16_t ClosedPort();

}  // namespace lantervo::test
