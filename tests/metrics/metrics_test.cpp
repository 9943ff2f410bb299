#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "metrics/metrics_book.h"
#include "metrics/metrics_request.h"
#include "metrics/metrics_server.h"
#include "platform/socket.h"

namespace lantervo::metrics {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const ServerKey kShop{"Shop", "http://shop.test/"};
const ServerKey kMail{"Mail", "http://mail.test/"};

TEST(MetricsText, LabelValuesAreEscapedAndMadeUtf8) {
  EXPECT_EQ(EscapeLabelValue("plain"), "plain");
  EXPECT_EQ(EscapeLabelValue("a\"b\\c\nd"), "a\\\"b\\\\c\\nd");
  EXPECT_EQ(EscapeLabelValue("k\xc5\xaf\xc5\x88"), "k\xc5\xaf\xc5\x88");  // kůň stays
  // A byte that is not UTF-8 would make the whole scrape fail.
  EXPECT_EQ(EscapeLabelValue("a\xff"
                             "b"),
            "a\xef\xbf\xbd"
            "b");
  EXPECT_EQ(SecondsText(0), "0.000");
  EXPECT_EQ(SecondsText(7), "0.007");
  EXPECT_EQ(SecondsText(1234), "1.234");
  EXPECT_EQ(SecondsText(1'700'000'000'123), "1700000000.123");
  EXPECT_EQ(SecondsText(-1500), "-1.500");
}

TEST(MetricsBook, ListsTheActiveServersWithTheirLastStateAndCounts) {
  MetricsBook book("2.0.1");
  book.SetServers({kShop, kMail});
  std::string text = book.Exposition();
  // Before any check: every state 0, no load time, no last check, zero counts.
  EXPECT_THAT(text, HasSubstr("lantervo_server_status{server=\"Shop\",url=\"http://shop.test/\","
                              "status=\"up\"} 0\n"));
  EXPECT_THAT(text, Not(HasSubstr("lantervo_server_load_time_seconds{")));
  EXPECT_THAT(text, Not(HasSubstr("lantervo_server_last_check_timestamp_seconds{")));
  EXPECT_THAT(
      text,
      HasSubstr("lantervo_server_checks_total{server=\"Mail\",url=\"http://mail.test/\"} 0\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_runs_total 0\n"));
  EXPECT_THAT(text, Not(HasSubstr("lantervo_last_run_duration_seconds ")));
  EXPECT_THAT(text, HasSubstr("lantervo_build_info{version=\"2.0.1\"} 1\n"));

  book.RecordCheck(kShop, CheckStatus::Up, 250, 1'000'000);
  book.RecordCheck(kShop, CheckStatus::Down, -1, 1'300'000);
  book.RecordCheck(kMail, CheckStatus::Slow, 3100, 1'300'500);
  book.RecordRun(RunState::Problems, 1'000'000, 1'301'250);
  text = book.Exposition();
  const std::string shop = "{server=\"Shop\",url=\"http://shop.test/\"";
  EXPECT_THAT(text, HasSubstr("lantervo_server_status" + shop + ",status=\"down\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_status" + shop + ",status=\"up\"} 0\n"));
  // A failed load keeps the time of the last one that succeeded.
  EXPECT_THAT(text, HasSubstr("lantervo_server_load_time_seconds" + shop + "} 0.250\n"));
  EXPECT_THAT(text,
              HasSubstr("lantervo_server_last_check_timestamp_seconds" + shop + "} 1300.000\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_checks_total" + shop + "} 2\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_failures_total" + shop + ",kind=\"down\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_failures_total" + shop + ",kind=\"slow\"} 0\n"));
  EXPECT_THAT(text,
              HasSubstr("lantervo_server_failures_total{server=\"Mail\",url=\"http://mail.test/\","
                        "kind=\"slow\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_runs_total 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_last_run_state{state=\"problems\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_last_run_state{state=\"all_ok\"} 0\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_last_run_duration_seconds 301.250\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_last_run_timestamp_seconds 1301.250\n"));

  // Deactivated: gone from the scrape; still active: counts kept.
  book.SetServers({kMail});
  text = book.Exposition();
  EXPECT_THAT(text, Not(HasSubstr("Shop")));
  EXPECT_THAT(
      text,
      HasSubstr("lantervo_server_checks_total{server=\"Mail\",url=\"http://mail.test/\"} 1\n"));
}

// Every family is introduced once by its HELP and TYPE lines, before its samples, and every
// sample line is a name, optional labels and a value.
TEST(MetricsBook, TheExpositionIsWellFormedLineByLine) {
  MetricsBook book("1.0");
  const ServerKey odd{"a\"b\\c\nd \xff", "http://x.test/?q=\"1\""};
  book.SetServers({odd, kShop});
  book.RecordCheck(odd, CheckStatus::WrongResponse, 10, 5);
  book.RecordRun(RunState::AllOk, 0, 7);
  std::string text = book.Exposition();
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(text.back(), '\n');
  std::set<std::string> families;
  std::string current;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.rfind("# HELP ", 0) == 0) {
      current = line.substr(7, line.find(' ', 7) - 7);
      EXPECT_TRUE(families.insert(current).second) << current;
      continue;
    }
    if (line.rfind("# TYPE " + current + " ", 0) == 0) continue;
    ASSERT_FALSE(current.empty()) << line;
    EXPECT_THAT(line, StartsWith(current)) << line;
    // The value after the last space is a number.
    const std::string value = line.substr(line.rfind(' ') + 1);
    EXPECT_NE(value.find_first_of("0123456789"), std::string::npos) << line;
    EXPECT_EQ(value.find_first_not_of("0123456789.-"), std::string::npos) << line;
  }
  EXPECT_EQ(families.size(), 10u);
  EXPECT_THAT(
      text,
      HasSubstr("server=\"a\\\"b\\\\c\\nd \xef\xbf\xbd\",url=\"http://x.test/?q=\\\"1\\\"\""));
}

TEST(MetricsRequest, ReadsTheHeadAndAnswersOnlyScrapes) {
  EXPECT_EQ(ParseRequestHead("GET /metrics HTTP/1.1\r\nHost: x\r\n").state,
            RequestHead::State::Incomplete);
  RequestHead head = ParseRequestHead("GET /metrics?x=1 HTTP/1.1\r\nHost: x\r\n\r\n");
  ASSERT_EQ(head.state, RequestHead::State::Complete);
  EXPECT_EQ(head.method, "GET");
  EXPECT_EQ(head.path, "/metrics");
  EXPECT_EQ(ParseRequestHead("HEAD /metrics HTTP/1.0\n\n").state, RequestHead::State::Complete);
  for (const char* bad : {"GET\r\n\r\n", "GET /metrics\r\n\r\n", "GET  /metrics HTTP/1.1\r\n\r\n",
                          "G(T /metrics HTTP/1.1\r\n\r\n", "GET /metrics HTTP/11\r\n\r\n",
                          "GET /met\x01rics HTTP/1.1\r\n\r\n", " GET /metrics HTTP/1.1\r\n\r\n"})
    EXPECT_EQ(ParseRequestHead(bad).state, RequestHead::State::Malformed) << bad;
  std::string endless = "GET /metrics HTTP/1.1\r\n";
  while (endless.size() < kMaxRequestHead) endless += "X-Filler: 0123456789\r\n";
  EXPECT_EQ(ParseRequestHead(endless).state, RequestHead::State::TooLarge);
  EXPECT_EQ(ParseRequestHead(endless + "\r\n").state, RequestHead::State::TooLarge);

  int scrapes = 0;
  const auto body = [&] {
    ++scrapes;
    return std::string("m 1\n");
  };
  const std::string ok = AnswerRequest(head, body);
  EXPECT_THAT(ok, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(ok, HasSubstr("Content-Type: text/plain; version=0.0.4; charset=utf-8\r\n"));
  EXPECT_THAT(ok, HasSubstr("Content-Length: 4\r\nConnection: close\r\n\r\nm 1\n"));
  const std::string headOnly =
      AnswerRequest(ParseRequestHead("HEAD /metrics HTTP/1.1\r\n\r\n"), body);
  EXPECT_THAT(headOnly, HasSubstr("Content-Length: 4\r\n"));
  EXPECT_EQ(headOnly.substr(headOnly.size() - 4), "\r\n\r\n");
  EXPECT_EQ(scrapes, 2);
  const std::string post = AnswerRequest(ParseRequestHead("POST /metrics HTTP/1.1\r\n\r\n"), body);
  EXPECT_THAT(post, StartsWith("HTTP/1.1 405 Method Not Allowed\r\n"));
  EXPECT_THAT(post, HasSubstr("Allow: GET, HEAD\r\n"));
  EXPECT_THAT(AnswerRequest(ParseRequestHead("GET / HTTP/1.1\r\n\r\n"), body),
              StartsWith("HTTP/1.1 404 Not Found\r\n"));
  EXPECT_THAT(AnswerRequest(ParseRequestHead("GET /metrics/x HTTP/1.1\r\n\r\n"), body),
              StartsWith("HTTP/1.1 404 "));
  EXPECT_THAT(AnswerRequest(ParseRequestHead("get /metrics HTTP/1.1\r\n\r\n"), body),
              StartsWith("HTTP/1.1 405 "));
  EXPECT_THAT(AnswerRequest(ParseRequestHead(endless), body), StartsWith("HTTP/1.1 431 "));
  EXPECT_THAT(AnswerRequest(ParseRequestHead("nonsense\r\n\r\n"), body),
              StartsWith("HTTP/1.1 400 "));
  EXPECT_EQ(scrapes, 2);
}

// A client of the endpoint over loopback.
platform::TcpSocket Connect(std::uint16_t port) {
  platform::IpAddress loopback;
  loopback.bytes = {127, 0, 0, 1};
  platform::TcpSocket s = platform::TcpSocket::BeginConnect(loopback, port);
  while (!s.FinishConnect(1000)) {
  }
  return s;
}

// Everything the endpoint sends until it closes or resets (or 10 s pass).
std::string ReadAll(platform::TcpSocket& s) {
  std::string out;
  char buffer[4096];
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  try {
    while (std::chrono::steady_clock::now() < until) {
      if (!s.WaitReadable(100)) continue;
      const std::size_t n = s.Receive(buffer, sizeof buffer);
      if (n == 0) break;
      out.append(buffer, n);
    }
  } catch (const platform::SocketError&) {
    // a connection the endpoint dropped
  }
  return out;
}

std::string Fetch(std::uint16_t port, const std::string& request) {
  platform::TcpSocket s = Connect(port);
  s.SendAll(request);
  return ReadAll(s);
}

MetricsServerOptions Options(MetricsBook& book) {
  MetricsServerOptions options;
  options.exposition = [&book] { return book.Exposition(); };
  return options;
}

TEST(MetricsServer, ServesScrapesOverLoopbackAndRefusesTheRest) {
  MetricsBook book("3.1");
  book.SetServers({kShop});
  book.RecordCheck(kShop, CheckStatus::Up, 42, 1000);
  MetricsServer server(Options(book));
  ASSERT_NE(server.Port(), 0);
  const std::string scrape = Fetch(server.Port(), "GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
  EXPECT_THAT(scrape, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(
      scrape,
      HasSubstr(
          "lantervo_server_load_time_seconds{server=\"Shop\",url=\"http://shop.test/\"} 0.042\n"));
  const std::size_t bodyAt = scrape.find("\r\n\r\n") + 4;
  EXPECT_THAT(scrape,
              HasSubstr("Content-Length: " + std::to_string(scrape.size() - bodyAt) + "\r\n"));
  // The head may come in pieces.
  {
    platform::TcpSocket s = Connect(server.Port());
    s.SendAll("HEAD /metr");
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    s.SendAll("ics HTTP/1.1\r\n\r\n");
    const std::string head = ReadAll(s);
    EXPECT_THAT(head, StartsWith("HTTP/1.1 200 OK\r\n"));
    EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");
  }
  EXPECT_THAT(Fetch(server.Port(), "DELETE /metrics HTTP/1.1\r\n\r\n"),
              StartsWith("HTTP/1.1 405 "));
  EXPECT_THAT(Fetch(server.Port(), "GET /admin HTTP/1.1\r\n\r\n"), StartsWith("HTTP/1.1 404 "));
  std::string endless = "GET /metrics HTTP/1.1\r\n";
  while (endless.size() < 3 * kMaxRequestHead) endless += "X-Filler: 0123456789\r\n";
  EXPECT_THAT(Fetch(server.Port(), endless), StartsWith("HTTP/1.1 431 "));
}

// One connection at a time, but a client that sends nothing, or never reads, holds the
// endpoint only for its connection time, and never holds Stop.
TEST(MetricsServer, HostileClientsHoldItOnlyForTheirConnectionTime) {
  MetricsBook book("1");
  std::vector<ServerKey> many;
  for (int i = 0; i < 3000; ++i) many.push_back({"server " + std::to_string(i), "http://x.test/"});
  book.SetServers(many);  // a scrape of some megabytes, more than a socket buffers
  MetricsServerOptions options = Options(book);
  options.connectionMs = 300;
  MetricsServer server(options);
  platform::TcpSocket silent = Connect(server.Port());
  // The silent one is told it took too long; the next is served after it.
  const std::string next = Fetch(server.Port(), "GET /metrics HTTP/1.1\r\n\r\n");
  EXPECT_THAT(ReadAll(silent), StartsWith("HTTP/1.1 408 "));
  EXPECT_THAT(next, StartsWith("HTTP/1.1 200 OK\r\n"));
  EXPECT_THAT(next, HasSubstr("server 2999"));
  // One that asks and never reads is dropped when its time is up; the endpoint goes on.
  platform::TcpSocket reader = Connect(server.Port());
  reader.SendAll("GET /metrics HTTP/1.1\r\n\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(600));
  EXPECT_THAT(Fetch(server.Port(), "HEAD /metrics HTTP/1.1\r\n\r\n"), StartsWith("HTTP/1.1 200 "));
  // Stop with a client still connected and silent.
  platform::TcpSocket last = Connect(server.Port());
  last.SendAll("GET /metrics HTTP/1.1\r\n");
  server.Stop();
  EXPECT_THAT(ReadAll(last), Not(HasSubstr("200 OK")));
}

TEST(MetricsServer, BindsTheGivenAddressAndRefusesAPortInUse) {
  MetricsBook book("1");
  MetricsServer first(Options(book));
  MetricsServerOptions again = Options(book);
  again.port = first.Port();
  try {
    MetricsServer second(again);
    ADD_FAILURE() << "a port in use was taken";
  } catch (const platform::SocketError& e) {
    EXPECT_EQ(e.Code(), 10048);
  }
  MetricsServerOptions named = Options(book);
  named.address = "localhost";  // no name lookup: addresses only
  EXPECT_THROW(MetricsServer{named}, std::invalid_argument);
  EXPECT_EQ(BindAddress("")->bytes[0], 127);
  EXPECT_TRUE(BindAddress("::")->v6);
  EXPECT_FALSE(BindAddress("10.0.0"));
  // A port that was served and given up can be taken again at once.
  const std::uint16_t port = first.Port();
  first.Stop();
  MetricsServerOptions reuse = Options(book);
  reuse.port = port;
  MetricsServer third(reuse);
  EXPECT_THAT(Fetch(third.Port(), "GET /metrics HTTP/1.1\r\n\r\n"), StartsWith("HTTP/1.1 200 "));
}

}  // namespace
}  // namespace lantervo::metrics
