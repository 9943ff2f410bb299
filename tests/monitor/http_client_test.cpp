// The client against the loopback server: request bytes, connection reuse, bodies, failures.
#include "monitor/http_client.h"

#include "tests/monitor/http_client_fixture.h"
#include "tests/support/doubles/memory_connection.h"

namespace lantervo::test {
namespace {

TEST_F(HttpClientTest, RequestBytesForEachUrlShape) {
  const std::string port = std::to_string(server_.Port());
  const std::pair<std::string, std::string> cases[] = {
      {Url("/"), "/"},
      {"http://127.0.0.1:" + port, "/"},
      {Url("/a=b/c"), "/a=b/c"},
      {Url("/p?q=1?r#frag"), "/p?q=1?r"},
      {Url("/p#frag?x"), "/p"},
      {"http:\\\\127.0.0.1:" + port + "\\a\\b.html", "/a/b.html"},
      {Url("/\xC5\xBE?x=\xC3\xA9"), "/%C5%BE?x=%C3%A9"},
  };
  for (const auto& [url, target] : cases) {
    server_.Answer(HttpTestServer::Ok("body"));
    EXPECT_EQ(Client().Get(url), "body");
    EXPECT_EQ(server_.Requests().back(), GetRequest(target, Host())) << url;
  }
  EXPECT_EQ(server_.Connections(), 1);
}

TEST_F(HttpClientTest, HostValueIsTheHostAsWritten) {
  server_.Answer(HttpTestServer::Ok("a"));
  EXPECT_EQ(Client().Get("http://LocalHost:" + std::to_string(server_.Port()) + "/x"), "a");
  EXPECT_EQ(Request(0), GetRequest("/x", "LocalHost:" + std::to_string(server_.Port())));
}

TEST_F(HttpClientTest, HostlessUrlFailsEmptyThenGoesToTheLastHost) {
  auto connector = std::make_shared<MemoryConnector>(
      std::vector<MemoryScript>{{"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n1"
                                 "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n2",
                                 {},
                                 false}});
  options_.connector = connector;
  EXPECT_EQ(GetFailure("http://"), "");
  EXPECT_TRUE(connector->Endpoints().empty());
  EXPECT_EQ(Client().Get("http://example.com/a/b"), "1");
  EXPECT_EQ(Client().Get("http://"), "2");
  ASSERT_EQ(connector->Sent().size(), 1u);
  EXPECT_EQ(connector->Endpoints()[0], "example.com:80");
  EXPECT_EQ(connector->Sent()[0],
            GetRequest("/a/b", "example.com") + GetRequest("/", "example.com"));
}

TEST_F(HttpClientTest, UrlsThatCannotBeFetched) {
  EXPECT_EQ(GetFailure("/relative"), "Unknown Protocol");
  EXPECT_EQ(GetFailure("https://127.0.0.1/"), "IOHandler value is not valid");
  EXPECT_EQ(GetFailure("HTTPS://127.0.0.1:" + std::to_string(server_.Port()) + "/"),
            "IOHandler value is not valid");
  // The https URL became the base, so a relative URL stays on https.
  EXPECT_EQ(GetFailure("/relative"), "IOHandler value is not valid");
  EXPECT_EQ(server_.Connections(), 0);
}

TEST_F(HttpClientTest, KeepAliveSharesOneConnectionUntilTheHostChanges) {
  server_.Answer(HttpTestServer::Ok("1"));
  server_.Answer(HttpTestServer::Ok("2"));
  server_.Answer(HttpTestServer::Ok("3"));
  server_.Answer(HttpTestServer::Ok("4"));
  EXPECT_EQ(Client().Get(Url("/1")), "1");
  EXPECT_EQ(Client().Get(Url("/2")), "2");
  EXPECT_EQ(server_.Connections(), 1);
  EXPECT_EQ(Client().Get("http://localhost:" + std::to_string(server_.Port()) + "/3"), "3");
  EXPECT_EQ(server_.Connections(), 2);
  // Host names compare without letter case.
  EXPECT_EQ(Client().Get("http://LOCALHOST:" + std::to_string(server_.Port()) + "/4"), "4");
  EXPECT_EQ(server_.Connections(), 2);
}

TEST_F(HttpClientTest, ConnectionCloseAnswersOpenANewConnectionNextTime) {
  server_.Answer(HttpTestServer::Ok("1", "Connection: close\r\n"));
  server_.Answer(HttpTestServer::Ok("2", "Proxy-Connection:  Close \r\n"));
  server_.Answer(HttpTestServer::Ok("3", "Connection: keep-alive\r\n"));
  server_.Answer(HttpTestServer::Ok("4"));
  for (const char* body : {"1", "2", "3", "4"}) EXPECT_EQ(Client().Get(Url("/")), body);
  EXPECT_EQ(server_.Connections(), 3);
}

TEST_F(HttpClientTest, PeerClosedBetweenCallsIsReplaced) {
  server_.Answer(HttpTestServer::Ok("1"), Then::Close);
  server_.Answer(HttpTestServer::Ok("2"));
  EXPECT_EQ(Client().Get(Url("/")), "1");
  server_.WaitIdle();
  EXPECT_EQ(Client().Get(Url("/")), "2");
  EXPECT_EQ(server_.Connections(), 2);
}

TEST_F(HttpClientTest, ResetFoundBeforeTheRequestFailsWithoutRetry) {
  server_.Answer(HttpTestServer::Ok("1"), Then::Reset);
  server_.Answer(HttpTestServer::Ok("3"));
  EXPECT_EQ(Client().Get(Url("/")), "1");
  server_.WaitIdle();
  EXPECT_EQ(GetFailure(Url("/")), "Socket Error # 10054\r\nConnection reset by peer.");
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(Client().Get(Url("/")), "3");  // usable again, on a new connection
  EXPECT_EQ(server_.Connections(), 2);
}

TEST_F(HttpClientTest, StatusFailuresCarryTheStatusLineAndKeepTheConnection) {
  server_.Answer("HTTP/1.0 404 Not Found\r\nContent-Length: 4\r\n\r\ngone");
  server_.Answer("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
  server_.Answer("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n");
  server_.Answer("HTTP/1.1 304 Not Modified\r\n\r\n");
  server_.Answer("HTTP/1.1 101 Switching Protocols\r\n\r\n");
  server_.Answer("garbage\r\nContent-Length: 0\r\n\r\n");
  server_.Answer("\r\nContent-Length: 0\r\n\r\n");
  server_.Answer(HttpTestServer::Ok("fine"));
  try {
    Client().Get(Url("/"));
    ADD_FAILURE() << "a 404 succeeded";
  } catch (const HttpError& e) {
    EXPECT_EQ(std::string(e.what()), "HTTP/1.0 404 Not Found");
    EXPECT_EQ(e.StatusCode(), 404);
    EXPECT_EQ(e.ErrorBody(), "gone");
  }
  EXPECT_EQ(GetFailure(Url("/")), "HTTP/1.1 500 Internal Server Error");
  EXPECT_EQ(GetFailure(Url("/")), "HTTP/1.1 401 Unauthorized");
  EXPECT_EQ(GetFailure(Url("/")), "HTTP/1.1 304 Not Modified");
  EXPECT_EQ(GetFailure(Url("/")), "HTTP/1.1 101 Switching Protocols");
  EXPECT_EQ(GetFailure(Url("/")), "garbage");
  EXPECT_EQ(GetFailure(Url("/")), "");
  EXPECT_EQ(Client().Get(Url("/")), "fine");
  EXPECT_EQ(server_.Connections(), 1);
}

TEST_F(HttpClientTest, BodiesByFraming) {
  server_.Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(60, 'x'),
                 Then::Close);
  server_.Answer("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nuntil the close", Then::Close);
  server_.Answer(
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nchun\r\n3\r\nked\r\n0\r\n\r\n");
  server_.Answer("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 100 Continue\r\nX: y\r\n\r\n" +
                 HttpTestServer::Ok("after 100"));
  server_.Answer("HTTP/1.1 204 No Content\r\n\r\n");
  server_.Answer(HttpTestServer::Ok("", "Content-Type: text/html; charset=utf-8\r\n"));
  server_.Answer(HttpTestServer::Ok("\xC5\xBE", "Content-Type: text/html; charset=\"UTF-8\"\r\n"));
  server_.Answer(
      HttpTestServer::Ok("\xC5\xBE", "Content-Type: text/html; charset=windows-1250\r\n"));
  EXPECT_EQ(Client().Get(Url("/")), std::string(60, 'x'));
  EXPECT_EQ(Client().Get(Url("/")), "until the close");
  EXPECT_EQ(Client().Get(Url("/")), "chunked");
  EXPECT_EQ(Client().Get(Url("/")), "after 100");
  EXPECT_EQ(Client().Get(Url("/")), "");
  EXPECT_EQ(Client().Get(Url("/")), "");
  EXPECT_EQ(Client().Get(Url("/")), "\xC5\xBE");
  EXPECT_EQ(Client().Get(Url("/")), "\xC3\x85\xC2\xBE");
  EXPECT_EQ(server_.Connections(), 3);
}

TEST_F(HttpClientTest, EarlyClosesAndOverlongLines) {
  server_.Answer("", Then::Close);
  server_.Answer("HTTP/1.1 200", Then::Close);
  server_.Answer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n9\r\nabc", Then::Close);
  server_.Answer("HTTP/1.1 200 OK\r\nX: " + std::string(16400, 'a') + "\r\n\r\n");
  server_.Answer(HttpTestServer::Ok("fine"));
  EXPECT_EQ(GetFailure(Url("/")), "Connection Closed Gracefully.");
  EXPECT_EQ(GetFailure(Url("/")), "Connection Closed Gracefully.");
  EXPECT_EQ(GetFailure(Url("/")), "Connection Closed Gracefully.");
  EXPECT_EQ(GetFailure(Url("/")), "Max line length exceeded.");
  // The half-read answer is not taken for the next one: a new connection serves it.
  EXPECT_EQ(Client().Get(Url("/")), "fine");
  EXPECT_EQ(server_.Connections(), 5);
}

TEST_F(HttpClientTest, SilentServerRunsIntoTheReadTimeout) {
  options_.readTimeoutMs = 200;
  server_.Answer("", Then::Stall);
  server_.Answer("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc", Then::Stall);
  server_.Answer(HttpTestServer::Ok("fine"));
  EXPECT_EQ(GetFailure(Url("/")), "Read timed out.");
  EXPECT_EQ(GetFailure(Url("/")), "Read timed out.");
  EXPECT_EQ(Client().Get(Url("/")), "fine");
  EXPECT_EQ(server_.Connections(), 3);
}

TEST_F(HttpClientTest, BodiesBeyondTheLimitFailAndCloseTheConnection) {
  options_.maxBodyBytes = 1000;
  server_.Answer(HttpTestServer::Ok(std::string(1000, 'a')));
  server_.Answer(HttpTestServer::Ok(std::string(1001, 'a')));
  server_.Answer("HTTP/1.1 200 OK\r\n\r\n" + std::string(1001, 'b'));
  server_.Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 5000\r\n\r\n" + std::string(5000, 'c'));
  server_.Answer(HttpTestServer::Ok("fine"));
  EXPECT_EQ(Client().Get(Url("/")).size(), 1000u);
  EXPECT_EQ(GetFailure(Url("/")), "Response too large.");
  EXPECT_EQ(GetFailure(Url("/")), "Response too large.");
  EXPECT_EQ(GetFailure(Url("/")), "Response too large.");
  EXPECT_EQ(Client().Get(Url("/")), "fine");
  EXPECT_EQ(server_.Connections(), 4);
}

TEST_F(HttpClientTest, PostSendsAnHttp10FormOnANewConnection) {
  server_.Answer(HttpTestServer::Ok("before"));
  server_.Answer(HttpTestServer::Ok("posted"));
  server_.Answer(HttpTestServer::Ok("again", "Connection: Keep-Alive\r\n"));
  server_.Answer(HttpTestServer::Ok("after"));
  EXPECT_EQ(Client().Get(Url("/")), "before");
  EXPECT_EQ(Client().Post(Url("/upd?x=1"), {"a=1 2", "b=x&y"}), "posted");
  EXPECT_EQ(Request(1),
            "POST /upd?x=1 HTTP/1.0\r\n"
            "Connection: keep-alive\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\n"
            "Content-Length: 13\r\n"
            "Host: " +
                Host() +
                "\r\n"
                "Accept: text/html, */*\r\n"
                "Accept-Encoding: identity\r\n"
                "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
                "\r\n"
                "a=1%202&b=x&y");
  EXPECT_EQ(server_.Connections(), 2);
  // An HTTP/1.0 answer keeps the connection only when it says keep-alive.
  EXPECT_EQ(Client().Post(Url("/upd"), {"a=1"}), "again");
  EXPECT_EQ(server_.Connections(), 3);
  EXPECT_EQ(Client().Get(Url("/")), "after");
  EXPECT_EQ(server_.Connections(), 3);
}

}  // namespace
}  // namespace lantervo::test
