// HTTPS once it is allowed, against the loopback TLS test server with the test CA as the only
// trust anchor: the same request bytes, redirects, cookies and connection reuse as over http,
// the certificate failures in clear words, and cancel and deadlines inside the handshake.
#include <chrono>
#include <future>
#include <thread>

#include "tests/monitor/http_client_fixture.h"
#include "tests/support/tls_test_server.h"

namespace lantervo::test {
namespace {

const std::string kInterrupted = "Socket Error # 10004\r\nInterrupted system call.";

class HttpsTest : public HttpClientTest {
 protected:
  HttpsTest() {
    options_.httpsEnabled = true;
    options_.tlsTrustAnchors = TestCaPem();
  }
  void SetUp() override {
    const std::string unavailable = TlsTestServerUnavailable();
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  }
  // The TLS front of server_ with `certificate`.
  TlsTestServer& Tls(TestCertificate certificate = TestCertificate::Good) {
    if (!tls_) tls_ = std::make_unique<TlsTestServer>(certificate, server_.Port());
    return *tls_;
  }
  std::string TlsHost() { return "127.0.0.1:" + std::to_string(Tls().Port()); }

  std::unique_ptr<TlsTestServer> tls_;
};

// A peer that takes the connection and the client's first bytes, then does `reply`:
// answers with bytes that are no TLS, closes, or stays silent until it is destroyed.
class RawPeer {
 public:
  enum class Reply { Silence, Close, PlainHttp };
  explicit RawPeer(Reply reply) : listener_(platform::TcpSocket::ListenLoopback(4)) {
    thread_ = std::thread([this, reply] {
      if (!listener_.WaitReadable(30000)) return;
      platform::TcpSocket connection = listener_.Accept();
      if (connection.WaitReadable(30000)) {
        // Read, so that the close is an orderly one and not a reset over unread bytes.
        char hello[4096];
        connection.Receive(hello, sizeof hello);
        heard_.set_value();
      }
      if (reply == Reply::PlainHttp)
        connection.SendAll("HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
      if (reply == Reply::Silence) done_.get_future().wait_for(std::chrono::seconds(60));
    });
  }
  ~RawPeer() {
    done_.set_value();
    thread_.join();
  }
  std::string Url() { return "https://127.0.0.1:" + std::to_string(listener_.LocalPort()) + "/"; }
  bool Heard() { return heard.wait_for(std::chrono::seconds(60)) == std::future_status::ready; }

 private:
  platform::TcpSocket listener_;
  std::promise<void> heard_;
  std::future<void> heard = heard_.get_future();
  std::promise<void> done_;
  std::thread thread_;
};

TEST(HttpsSettingTest, OffByDefaultHttpsFailsAsWithoutATlsLayer) {
  const std::string unavailable = TlsTestServerUnavailable();
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  HttpTestServer backend;
  backend.AnswerAlways(HttpTestServer::Ok("secret"));
  TlsTestServer tls(TestCertificate::Good, backend.Port());
  HttpClientOptions options;
  options.tlsTrustAnchors = TestCaPem();
  HttpClient client(options);
  for (const std::string& url : {tls.Url("/"), tls.Url("/", "localhost")}) {
    try {
      client.Get(url);
      ADD_FAILURE() << "no failure for " << url;
    } catch (const HttpError& e) {
      EXPECT_EQ(std::string(e.what()), "IOHandler value is not valid");
    }
  }
  // And a redirect to https fails the same way, before any byte goes to the TLS server.
  backend.Answer(HttpTestServer::Redirect(tls.Url("/x")));
  try {
    client.Get(backend.Url("/"));
    ADD_FAILURE() << "no failure for the redirect";
  } catch (const HttpError& e) {
    EXPECT_EQ(std::string(e.what()), "IOHandler value is not valid");
  }
  EXPECT_EQ(backend.Connections(), 1);
}

TEST_F(HttpsTest, GetsOverTlsWithTheSameRequestBytesAndReusesTheConnection) {
  server_.Answer(HttpTestServer::Ok("first", "Content-Type: text/html; charset=utf-8\r\n"));
  server_.Answer(HttpTestServer::Ok("second"));
  server_.Answer(HttpTestServer::Ok("by name"));
  EXPECT_EQ(Client().Get(Tls().Url("/a?b=1#frag")), "first");
  EXPECT_EQ(Client().Get(Tls().Url("/next")), "second");
  EXPECT_EQ(server_.Connections(), 1);
  // "localhost" is another host to the client: a connection of its own.
  EXPECT_EQ(Client().Get(Tls().Url("/n", "localhost")), "by name");
  EXPECT_EQ(server_.Connections(), 2);
  EXPECT_EQ(Request(0), GetRequest("/a?b=1", TlsHost()));
  EXPECT_EQ(Request(1), GetRequest("/next", TlsHost()));
  EXPECT_EQ(Request(2), GetRequest("/n", "localhost:" + std::to_string(Tls().Port())));
}

TEST_F(HttpsTest, AConnectionIsKeptPerSchemeHostAndPort) {
  server_.AnswerAlways(HttpTestServer::Ok("x"));
  Client().Get(Tls().Url("/1"));
  Client().Get(server_.Url("/2"));  // plain http to the backend itself: another connection
  Client().Get(Tls().Url("/3"));
  EXPECT_EQ(server_.Connections(), 3);
  // An answer with "Connection: close" closes the TLS connection too.
  server_.Answer(HttpTestServer::Ok("bye", "Connection: close\r\n"));
  EXPECT_EQ(Client().Get(Tls().Url("/4")), "bye");
  EXPECT_EQ(Client().Get(Tls().Url("/5")), "x");
  EXPECT_EQ(server_.Connections(), 4);
}

TEST_F(HttpsTest, AReconnectResumesTheSessionAndAnAddressGoesOutAsNoServerName) {
  server_.AnswerAlways(HttpTestServer::Ok("x", "Connection: close\r\n"),
                       HttpTestServer::Then::Close);
  for (const char* host : {"127.0.0.1", "127.0.0.1", "localhost", "localhost", "127.0.0.1"})
    EXPECT_EQ(Client().Get(Tls().Url("/", host)), "x") << host;
  const std::vector<TlsHandshake> handshakes = Tls().Handshakes();
  ASSERT_EQ(handshakes.size(), 5u);
  // The name extension carries host names only.
  EXPECT_EQ(handshakes[0].serverName, "");
  EXPECT_EQ(handshakes[1].serverName, "");
  EXPECT_EQ(handshakes[2].serverName, "localhost");
  EXPECT_EQ(handshakes[3].serverName, "localhost");
  // The first connection to each host is a full handshake; a reconnect resumes the session
  // the server offered, and each host keeps its own.
  EXPECT_FALSE(handshakes[0].resumed);
  EXPECT_FALSE(handshakes[2].resumed);
#ifndef _WIN32
  EXPECT_TRUE(handshakes[3].resumed);
  EXPECT_TRUE(handshakes[1].resumed);
  EXPECT_TRUE(handshakes[4].resumed);
#else
  // SChannel resumes by itself for the same credentials and name; wine's SChannel, on which
  // these tests run, resumes nothing, so only the full handshakes are checked here.
#endif
}

TEST_F(HttpsTest, FollowsARedirectFromHttpToHttpsAndBack) {
  HttpTestServer plain;
  plain.Answer(HttpTestServer::Redirect(Tls().Url("/secure")));
  plain.Answer(HttpTestServer::Ok("plain again"));
  server_.Answer(HttpTestServer::Redirect(plain.Url("/back"), 301));
  EXPECT_EQ(Client().Get(plain.Url("/start")), "plain again");
  EXPECT_EQ(Request(0), GetRequest("/secure", TlsHost()));
  ASSERT_EQ(plain.Requests().size(), 2u);
  EXPECT_EQ(plain.Requests()[1], GetRequest("/back", "127.0.0.1:" + std::to_string(plain.Port())));

  // A relative redirect keeps the https scheme of the base.
  server_.Answer(HttpTestServer::Redirect("/relative"));
  server_.Answer(HttpTestServer::Ok("there"));
  EXPECT_EQ(Client().Get(Tls().Url("/from")), "there");
  EXPECT_EQ(Request(2), GetRequest("/relative", TlsHost()));
}

TEST_F(HttpsTest, SecureCookiesGoOverHttpsOnly) {
  server_.Answer(HttpTestServer::Ok("set", "Set-Cookie: s=1; Secure\r\nSet-Cookie: p=2\r\n"));
  server_.AnswerAlways(HttpTestServer::Ok("x"));
  Client().Get(Tls().Url("/"));
  Client().Get(Tls().Url("/again"));
  Client().Get(server_.Url("/plain"));  // the same host over http
  EXPECT_EQ(Request(1), GetRequest("/again", TlsHost(), "Cookie: s=1; p=2\r\n"));
  EXPECT_EQ(Request(2), GetRequest("/plain", Host(), "Cookie: p=2\r\n"));
}

TEST_F(HttpsTest, CertificateProblemsFailWithTheirReason) {
  const std::pair<TestCertificate, std::string> cases[] = {
      {TestCertificate::Expired, "SSL certificate problem: certificate has expired"},
      {TestCertificate::WrongName,
       "SSL certificate problem: certificate name does not match 127.0.0.1"},
      {TestCertificate::Untrusted, "SSL certificate problem: certificate is not trusted"},
  };
  server_.AnswerAlways(HttpTestServer::Ok("never"));
  for (const auto& [certificate, message] : cases) {
    SCOPED_TRACE(TestCertificateName(certificate));
    TlsTestServer tls(certificate, server_.Port());
    HttpClient client(options_);
    EXPECT_EQ(GetFailureOf(client, tls.Url("/")), message);
  }
  {
    TlsTestServer tls(TestCertificate::WrongName, server_.Port());
    HttpClient client(options_);
    EXPECT_EQ(GetFailureOf(client, tls.Url("/", "localhost")),
              "SSL certificate problem: certificate name does not match localhost");
  }
  // Without the test CA as anchor, the system's store knows nothing of it.
  HttpClientOptions systemTrust = options_;
  systemTrust.tlsTrustAnchors.clear();
  HttpClient client(systemTrust);
  EXPECT_EQ(GetFailureOf(client, Tls().Url("/")),
            "SSL certificate problem: certificate is not trusted");
  EXPECT_TRUE(server_.Requests().empty());
  // The failure leaves the client usable.
  EXPECT_EQ(Client().Get(Tls().Url("/")), "never");
}

TEST_F(HttpsTest, HandshakeFailuresSayWhy) {
  {
    RawPeer peer(RawPeer::Reply::Close);
    EXPECT_EQ(GetFailure(peer.Url()), "SSL handshake failed: connection closed by the server");
  }
  {
    RawPeer peer(RawPeer::Reply::PlainHttp);
    const std::string failure = GetFailure(peer.Url());
    EXPECT_EQ(failure.rfind("SSL handshake failed: ", 0), 0u) << failure;
    EXPECT_GT(failure.size(), std::string("SSL handshake failed: ").size()) << failure;
  }
}

TEST_F(HttpsTest, TheDeadlineAndCancelReachIntoTheHandshake) {
  {
    options_.callDeadlineMs = 300;
    RawPeer peer(RawPeer::Reply::Silence);
    EXPECT_EQ(GetFailure(peer.Url()), "Read timed out.");
  }
  options_.callDeadlineMs = 600000;
  options_.readTimeoutMs = 600000;
  RawPeer peer(RawPeer::Reply::Silence);
  HttpClient client(options_);
  auto call = std::async(std::launch::async, [&] { return GetFailureOf(client, peer.Url()); });
  ASSERT_TRUE(peer.Heard());
  client.Cancel();
  ASSERT_EQ(call.wait_for(std::chrono::seconds(60)), std::future_status::ready);
  EXPECT_EQ(call.get(), kInterrupted);
}

TEST_F(HttpsTest, AStalledAnswerRunsIntoTheReadTimeout) {
  options_.readTimeoutMs = 300;
  server_.Answer("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Then::Stall);
  EXPECT_EQ(GetFailure(Tls().Url("/")), "Read timed out.");
}

}  // namespace
}  // namespace lantervo::test
