// Servers that try to hold the client or grow its memory: slow drips, endless heads, endless
// cookies, and a cancel from another thread. Each case ends with a clear failure, and the client
// then serves a healthy server as before.
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>

#include "platform/clock.h"
#include "tests/monitor/http_client_fixture.h"
#include "tests/support/doubles/memory_connection.h"

namespace lantervo::test {
namespace {

const std::string kInterrupted = "Socket Error # 10004\r\nInterrupted system call.";

class HostileServerTest : public HttpClientTest {
 protected:
  HostileServerTest() { options_.callDeadlineMs = 1500; }

  // The client still serves a well-behaved server after the hostile one.
  void ExpectHealthyAfterwards() {
    HttpTestServer healthy;
    healthy.Answer(HttpTestServer::Ok("fine"));
    EXPECT_EQ(Client().Get(healthy.Url("/")), "fine");
  }
};

TEST_F(HostileServerTest, SlowDripsRunIntoTheCallDeadline) {
  // Each byte comes well within the 5 s read timeout, so only the call's deadline ends these.
  server_.AnswerStream(HttpTestServer::Endless("HTTP/1.1 200 OK\r\n", "X-Drip: 1\r\n", 1), 200);
  server_.AnswerStream(
      HttpTestServer::Endless("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", "x", 1), 200);
  server_.AnswerStream(HttpTestServer::Endless("HTTP/1.1 200 OK\r\n\r\n", "x", 1), 200);
  server_.AnswerStream(
      HttpTestServer::Endless("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "1\r\nx\r\n",
                              1),
      100);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(GetFailure(Url("/")), "Read timed out.") << i;
  ExpectHealthyAfterwards();
}

TEST_F(HostileServerTest, TheDeadlineCoversTheWholeRedirectChain) {
  // Each redirect answer trickles in over about 0.4 s: no one answer is slow, the chain is.
  for (int i = 0; i < 14; ++i) {
    server_.AnswerStream(HttpTestServer::InSteps(HttpTestServer::Redirect("/r"), 20), 100,
                         Then::KeepOpen);
  }
  EXPECT_EQ(GetFailure(Url("/")), "Read timed out.");
  EXPECT_LT(server_.Requests().size(), 14u);
  ExpectHealthyAfterwards();
}

// Connects that take longer than the whole deadline do not use it up: only waits for bytes do.
TEST_F(HostileServerTest, ConnectTimeIsNotChargedToTheDeadline) {
  class SlowConnector : public Connector {
   public:
    explicit SlowConnector(std::vector<MemoryScript> scripts) : inner_(std::move(scripts)) {}
    std::unique_ptr<Connection> Connect(const std::string& host, int port) override {
      platform::SleepMs(400);
      return inner_.Connect(host, port);
    }

   private:
    MemoryConnector inner_;
  };
  const std::string moved =
      "HTTP/1.1 302 Found\r\nLocation: /next\r\nConnection: close\r\nContent-Length: 0\r\n\r\n";
  options_.callDeadlineMs = 1000;
  options_.connector = std::make_shared<SlowConnector>(std::vector<MemoryScript>{
      {moved}, {moved}, {moved}, {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ndone"}});
  EXPECT_EQ(Client().Get("http://example.test/"), "done");
}

TEST_F(HostileServerTest, EndlessHeadsFailWithoutGrowing) {
  server_.AnswerStream(HttpTestServer::Endless("HTTP/1.1 200 OK\r\n", "X-More: 1\r\n", 4096), 0);
  server_.AnswerStream(
      HttpTestServer::Endless("HTTP/1.1 200 OK\r\n", "X-Wide: " + std::string(16000, 'w') + "\r\n",
                              65536),
      0);
  server_.AnswerStream(HttpTestServer::Endless("HTTP/1.1 200 OK\r\nX-Folded: a\r\n",
                                               " " + std::string(200, 'f') + "\r\n", 4096),
                       0);
  server_.AnswerStream(HttpTestServer::Endless(
                           "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nx\r\n0\r\n",
                           "X-Trailer: 1\r\n", 4096),
                       0);
  server_.Answer(HttpTestServer::Ok("same server"));
  EXPECT_EQ(GetFailure(Url("/")), "Response header too large.");
  EXPECT_EQ(GetFailure(Url("/")), "Response header too large.");
  EXPECT_EQ(GetFailure(Url("/")), "Max line length exceeded.");
  EXPECT_EQ(GetFailure(Url("/")), "Response header too large.");
  EXPECT_EQ(Client().Get(Url("/")), "same server");
  EXPECT_EQ(server_.Connections(), 5);
}

TEST_F(HostileServerTest, EndlessCookiesStopAtTheCaps) {
  // Five answers of 50 new cookies each, to one host: the domain keeps its newest 180.
  for (int run = 0; run < 5; ++run) {
    std::string headers;
    for (int i = 0; i < 50; ++i) {
      headers +=
          "Set-Cookie: c" + std::to_string(run * 50 + i) + "=" + std::string(100, 'v') + "\r\n";
    }
    server_.Answer(HttpTestServer::Ok("set", headers));
  }
  server_.Answer(HttpTestServer::Ok("sent"));
  for (int run = 0; run < 5; ++run) EXPECT_EQ(Client().Get(Url("/")), "set");
  EXPECT_EQ(Client().Get(Url("/")), "sent");
  std::vector<Cookie> cookies = Client().Cookies().Cookies();
  ASSERT_EQ(cookies.size(), 180u);
  EXPECT_EQ(cookies.front().name, "c70");
  // 180 pairs of over 100 bytes do not fit in 8,190: the header stops after the first 76.
  const std::string request = Request(5);
  EXPECT_NE(request.find("\r\nCookie: c70="), std::string::npos);
  EXPECT_NE(request.find("c145="), std::string::npos);
  EXPECT_EQ(request.find("c146="), std::string::npos);
}

TEST_F(HostileServerTest, ChunkedTrailersAndExtensionsKeepTheConnectionExact) {
  server_.Answer(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
      "3;name=value\r\none\r\n0\r\nX-Checksum: 1\r\nX-Signature: 2\r\n\r\n");
  server_.Answer(HttpTestServer::Ok("next"));
  // A size that is not hexadecimal loses the framing: the next call needs a new connection.
  server_.Answer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\nzz\r\n\r\n");
  server_.Answer(HttpTestServer::Ok("fresh"));
  EXPECT_EQ(Client().Get(Url("/")), "one");
  EXPECT_EQ(Client().Get(Url("/")), "next");
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(Client().Get(Url("/")), "ok");
  EXPECT_EQ(Client().Get(Url("/")), "fresh");
  EXPECT_EQ(server_.Connections(), 2);
}

// Runs a GET on another thread, cancels it once `inWait` says it waits, and returns the
// failure; every later call on the client fails the same way without sending anything.
std::string CancelWhileWaiting(HttpClient& client, const std::string& url,
                               const std::function<bool()>& inWait) {
  auto call = std::async(std::launch::async, [&client, url]() -> std::string {
    try {
      client.Get(url);
    } catch (const HttpError& e) {
      return e.what();
    }
    return "(no failure)";
  });
  EXPECT_TRUE(inWait());
  client.Cancel();
  if (call.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
    ADD_FAILURE() << "the cancelled call did not return";
    std::abort();
  }
  return call.get();
}

TEST_F(HostileServerTest, CancelEndsEveryWait) {
  options_.callDeadlineMs = 600000;
  options_.readTimeoutMs = 600000;
  options_.redirectBodyWaitMs = 600000;
  options_.leftoverWaitMs = 600000;
  const std::pair<std::string, const char*> answers[] = {
      {"", "a read"},
      {"HTTP/1.1 302 Found\r\nLocation: /x\r\nContent-Length: 5\r\n\r\n", "the redirect body"},
      {"HTTP/1.1 204 No Content\r\n\r\n", "the leftover"},
  };
  for (const auto& [answer, wait] : answers) {
    SCOPED_TRACE(wait);
    HttpTestServer stalling;
    stalling.Answer(answer, Then::Stall);
    HttpClient client(options_);
    EXPECT_EQ(CancelWhileWaiting(client, stalling.Url("/"),
                                 [&] { return stalling.WaitForRequests(1, 60000); }),
              kInterrupted);
    EXPECT_EQ(CancelWhileWaiting(client, stalling.Url("/"), [] { return true; }), kInterrupted);
    EXPECT_EQ(stalling.Requests().size(), 1u);
  }
}

TEST_F(HostileServerTest, CancelEndsAPendingConnect) {
  // The resolver is the last step before the connect: once it has answered, the call is in
  // the connect's wait or about to enter it.
  class SignallingResolver : public platform::Resolver {
   public:
    platform::IpAddress ResolveIPv4(const std::string&) override {
      resolved_.set_value();
      return *platform::ParseIpAddress("127.0.0.1");
    }
    std::promise<void> resolved_;
  };
  SignallingResolver resolver;
  auto resolved = resolver.resolved_.get_future();
  UnansweredPort port;
  options_.connectTimeoutMs = 600000;
  options_.resolver = &resolver;
  HttpClient client(options_);
  EXPECT_EQ(
      CancelWhileWaiting(
          client, "http://unanswered.test:" + std::to_string(port.Port()) + "/",
          [&] { return resolved.wait_for(std::chrono::seconds(60)) == std::future_status::ready; }),
      kInterrupted);
}

}  // namespace
}  // namespace lantervo::test
