// The metrics endpoint as the window runs it: started from the settings, fed by a real run,
// scraped over loopback; a port in use costs one log line and nothing else.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/socket.h"
#include "tests/support/http_test_server.h"
#include "tests/ui/main_form_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::uint16_t FreePort() {
  return platform::TcpSocket::ListenLoopback(1).LocalPort();
}

class MetricsEndpointTest : public MainFormTest {
 protected:
  std::string Scrape() {
    HttpClient client(QuickHttpOptions());
    return client.Get("http://127.0.0.1:" + std::to_string(form->MetricsPort()) + "/metrics");
  }
};

TEST_F(MetricsEndpointTest, ARunIsScrapedWithItsServersAndOutcome) {
  HttpTestServer fine;
  fine.AnswerAlways(HttpTestServer::Ok("hello"));
  AddServer({"alpha", fine.Url("/a"), true, "hello"});
  AddServer({"bravo \"quoted\"", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"});
  AddServer({"golf", fine.Url("/g"), false});
  form->StartMetrics();
  EXPECT_EQ(form->MetricsPort(), 0) << "off by default";
  config.Set(&AppConfig::MetricsPort, static_cast<std::int32_t>(FreePort()));
  form->StartMetrics();
  ASSERT_NE(form->MetricsPort(), 0);
  EXPECT_THAT(dir.Read("LTV.log"), HasSubstr("Metrics are served at http://127.0.0.1:" +
                                             std::to_string(form->MetricsPort()) + "/metrics"));
  std::string text = Scrape();
  EXPECT_THAT(text, HasSubstr("lantervo_server_checks_total{server=\"alpha\""));
  EXPECT_THAT(text, Not(HasSubstr("golf")));

  utcNow = 1'800'000'000'000;
  RunOnce();
  text = Scrape();
  const std::string alpha = "{server=\"alpha\",url=\"" + fine.Url("/a") + "\"";
  EXPECT_THAT(text, HasSubstr("lantervo_server_status" + alpha + ",status=\"up\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_load_time_seconds" + alpha + "} 0.100\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_last_check_timestamp_seconds" + alpha +
                              "} 1800000000.000\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_server_status{server=\"bravo \\\"quoted\\\"\""));
  EXPECT_THAT(text, HasSubstr(",kind=\"down\"} 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_runs_total 1\n"));
  EXPECT_THAT(text, HasSubstr("lantervo_last_run_state{state=\"problems\"} 1\n"));

  // Switched off in the settings: the port is given back.
  const std::uint16_t port = form->MetricsPort();
  config.Set(&AppConfig::MetricsPort, 0);
  form->StartMetrics();
  EXPECT_EQ(form->MetricsPort(), 0);
  platform::TcpSocket::Listen(*platform::ParseIpAddress("127.0.0.1"), port, 1);
}

TEST_F(MetricsEndpointTest, APortInUseCostsOneLogLineAndTheRunsGoOn) {
  platform::TcpSocket taken = platform::TcpSocket::ListenLoopback(1);
  config.Set(&AppConfig::MetricsPort, static_cast<std::int32_t>(taken.LocalPort()));
  form->StartMetrics();
  form->StartMetrics();  // the same settings saved again: not tried, not told again
  EXPECT_EQ(form->MetricsPort(), 0);
  const std::string expected =
      "The metrics endpoint cannot listen on 127.0.0.1:" + std::to_string(taken.LocalPort()) +
      ": Socket Error # 10048 Address already in use.";
  const std::string written = dir.Read("LTV.log");
  EXPECT_EQ(written, LogLine("ERROR", expected));
  HttpTestServer fine;
  fine.AnswerAlways(HttpTestServer::Ok("hello"));
  AddServer({"alpha", fine.Url("/a")});
  RunOnce();
  EXPECT_EQ(Rows()[0].status, "OK");
}

}  // namespace
}  // namespace lantervo::test
