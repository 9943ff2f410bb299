// Hostile servers against the client, each for LANTERVO_SOAK_SECONDS (2 s unless set; 60 for
// the real figure): slow drips of head and body, endless header lines and folded values, many
// distinct cookies on many hosts, and chunked answers with trailers. Each reports its calls,
// the time per call, the last failure and the process's peak resident memory while it ran,
// which must stay below 150 MB. A last case measures how soon a cancelled call returns.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "monitor/http_client.h"
#include "monitor/http_error.h"
#include "platform/clock.h"
#include "platform/process_memory.h"
#include "platform/socket.h"
#include "tests/support/http_test_server.h"

namespace {

using lantervo::HttpClient;
using lantervo::HttpClientOptions;
using lantervo::test::HttpTestServer;
using Then = HttpTestServer::Then;
using Clock = std::chrono::steady_clock;

int SoakSeconds() {
  const char* text = std::getenv("LANTERVO_SOAK_SECONDS");
  const int seconds = text ? std::atoi(text) : 0;
  return seconds > 0 ? seconds : 2;
}

// The highest resident set seen while it lives, sampled every 10 ms.
class PeakRss {
 public:
  PeakRss() : peak_(lantervo::platform::ResidentBytes()) {
    sampler_ = std::thread([this] {
      while (!stop_.load()) {
        Sample();
        lantervo::platform::SleepMs(10);
      }
    });
  }
  ~PeakRss() {
    stop_.store(true);
    sampler_.join();
  }
  double Megabytes() {
    Sample();
    return static_cast<double>(peak_.load()) / (1 << 20);
  }

 private:
  void Sample() {
    std::uint64_t now = lantervo::platform::ResidentBytes();
    std::uint64_t seen = peak_.load();
    while (now > seen && !peak_.compare_exchange_weak(seen, now)) {
    }
  }
  std::atomic<std::uint64_t> peak_;
  std::atomic<bool> stop_{false};
  std::thread sampler_;
};

// The client's own profile, with the deadline shortened only when the soak is shorter.
HttpClientOptions SoakOptions(int soakMs) {
  HttpClientOptions options;
  options.callDeadlineMs = std::min(options.callDeadlineMs, soakMs);
  return options;
}

// Calls `url()` on one client until the soak time is up (at least once).
template <typename UrlOf>
void Soak(benchmark::State& state, HttpTestServer& server, UrlOf url, HttpClientOptions options) {
  const int soakMs = SoakSeconds() * 1000;
  // Only the client's memory is of interest, not a record of every request.
  server.KeepRequests(false);
  PeakRss rss;
  for (auto _ : state) {
    HttpClient client(options);
    std::size_t calls = 0, failures = 0;
    std::string lastFailure = "(none)";
    const Clock::time_point start = Clock::now();
    do {
      try {
        benchmark::DoNotOptimize(client.Get(url(calls)));
      } catch (const lantervo::HttpError& e) {
        ++failures;
        lastFailure = e.what();
      }
      ++calls;
    } while (Clock::now() - start < std::chrono::milliseconds(soakMs));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["failed"] = static_cast<double>(failures);
    state.counters["calls_per_s"] = calls / seconds;
    state.counters["ms_per_call"] = seconds * 1000 / calls;
    state.counters["cookies"] = static_cast<double>(client.Cookies().Size());
    state.SetLabel(lastFailure);
  }
  state.counters["peak_rss_MB"] = rss.Megabytes();
}

void Stream(benchmark::State& state, HttpTestServer::Pieces pieces, int pauseMs) {
  HttpTestServer server;
  server.AnswerStreamAlways(std::move(pieces), pauseMs);
  const int soakMs = SoakSeconds() * 1000;
  Soak(
      state, server, [&](std::size_t) { return server.Url("/"); }, SoakOptions(soakMs));
}

const std::string kStatus = "HTTP/1.1 200 OK\r\n";

// One byte a second: each gap is far inside the read timeout, so only the deadline ends it.
void BM_SlowDripHead(benchmark::State& state) {
  Stream(state, HttpTestServer::Endless(kStatus, "X-Drip: 1\r\n", 1), 1000);
}
void BM_SlowDripBody(benchmark::State& state) {
  Stream(state, HttpTestServer::Endless(kStatus + "Content-Length: 100000000\r\n\r\n", "x", 1),
         1000);
}
void BM_EndlessHeaderLines(benchmark::State& state) {
  Stream(state, HttpTestServer::Endless(kStatus, "X-More: 1\r\n", 64 * 1024), 0);
}
void BM_EndlessFoldedHeader(benchmark::State& state) {
  Stream(state,
         HttpTestServer::Endless(kStatus + "X-Folded: a\r\n", " " + std::string(200, 'f') + "\r\n",
                                 64 * 1024),
         0);
}

// Every answer sets 100 cookies never seen before, and the calls go round 40 host names, so
// both the per-domain and the overall cap are reached and held.
void BM_ManyCookies(benchmark::State& state) {
  constexpr int kHosts = 40;
  // Every name is this machine: nothing leaves it.
  class LoopbackResolver : public lantervo::platform::Resolver {
   public:
    lantervo::platform::IpAddress ResolveIPv4(const std::string&) override {
      return *lantervo::platform::ParseIpAddress("127.0.0.1");
    }
  } loopback;
  std::vector<std::string> hosts;
  for (int i = 0; i < kHosts; ++i) hosts.push_back("h" + std::to_string(i) + ".soak.test");
  auto counter = std::make_shared<std::atomic<std::uint64_t>>(0);
  HttpTestServer server;
  server.AnswerStreamAlways(
      [counter](std::size_t i) {
        if (i > 0) return std::string();
        std::string headers;
        for (int c = 0; c < 100; ++c) {
          headers += "Set-Cookie: n" + std::to_string(counter->fetch_add(1)) + "=" +
                     std::string(200, 'v') + "\r\n";
        }
        return HttpTestServer::Ok("set", headers);
      },
      0, Then::KeepOpen);
  HttpClientOptions options = SoakOptions(SoakSeconds() * 1000);
  options.resolver = &loopback;
  const std::string port = ":" + std::to_string(server.Port());
  Soak(
      state, server,
      [&](std::size_t call) { return "http://" + hosts[call % kHosts] + port + "/"; }, options);
}

void BM_ChunkedTrailers(benchmark::State& state) {
  HttpTestServer server;
  server.AnswerAlways(kStatus +
                      "Transfer-Encoding: chunked\r\n\r\n5;ext=1\r\nhello\r\n0\r\n"
                      "X-Checksum: 1\r\nX-Signature: 2\r\n\r\n");
  Soak(
      state, server, [&](std::size_t) { return server.Url("/"); },
      SoakOptions(SoakSeconds() * 1000));
}

// Quit cancels the check run's call: how long from Cancel until a dripping call has returned.
void BM_CancelDuringDrip(benchmark::State& state) {
  HttpTestServer server;
  server.AnswerStreamAlways(HttpTestServer::Endless(kStatus, "X-Drip: 1\r\n", 1), 1000);
  double worstMs = 0, totalMs = 0;
  int cancels = 0;
  for (auto _ : state) {
    HttpClient client;
    std::thread call([&] {
      try {
        client.Get(server.Url("/"));
      } catch (const lantervo::HttpError&) {
        // The cancelled call's failure is the expected end.
      }
    });
    server.WaitForRequests(static_cast<std::size_t>(cancels) + 1, 10000);
    // Cancels land at different points of the waits' slices.
    lantervo::platform::SleepMs(300 + 7 * static_cast<std::uint32_t>(cancels));
    const Clock::time_point start = Clock::now();
    client.Cancel();
    call.join();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    worstMs = std::max(worstMs, ms);
    totalMs += ms;
    ++cancels;
  }
  state.counters["cancel_ms_mean"] = totalMs / cancels;
  state.counters["cancel_ms_worst"] = worstMs;
}

BENCHMARK(BM_SlowDripHead)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SlowDripBody)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EndlessHeaderLines)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EndlessFoldedHeader)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManyCookies)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChunkedTrailers)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CancelDuringDrip)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
