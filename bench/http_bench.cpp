// GETs against one local server, our client side by side with libcurl in the same run:
// sequential keep-alive GETs of a 1 KB and a 1 MB body, GETs each on a new connection, and
// keep-alive GETs of 1 KB over HTTPS through the loopback TLS test server, and HTTPS GETs each on
// a new connection to a server that offers session tickets (ratio of medians).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#include "bench/ratio_reporter.h"
#include "monitor/http_client.h"
#include "platform/tls.h"
#include "tests/support/http_test_server.h"
#include "tests/support/tls_test_server.h"

#ifdef LANTERVO_HAVE_CURL
#include <curl/curl.h>
#endif

namespace {

using lantervo::test::HttpTestServer;

// User-mode CPU of the calling thread in microseconds: what the client itself computes, apart
// from the kernel's share of moving the bytes.
double ThreadUserMicroseconds() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec * 1e6 + usage.ru_utime.tv_usec;
}

class UserCpuCounter {
 public:
  explicit UserCpuCounter(benchmark::State& state)
      : state_(state), start_(ThreadUserMicroseconds()) {}
  ~UserCpuCounter() {
    state_.counters["user_us"] =
        benchmark::Counter(ThreadUserMicroseconds() - start_, benchmark::Counter::kAvgIterations);
  }

 private:
  benchmark::State& state_;
  double start_;
};

lantervo::test::HttpTestServer& Server() {
  static HttpTestServer server;
  return server;
}

// A page of plain ASCII markup, as a monitored server would send.
std::string Page(std::size_t size) {
  const std::string line = "<p class=\"status\">Service status: all systems operational.</p>\n";
  std::string page;
  while (page.size() < size) page += line;
  page.resize(size);
  return page;
}

lantervo::test::TlsTestServer& Tls() {
  static lantervo::test::TlsTestServer tls(lantervo::test::TestCertificate::Good, Server().Port());
  return tls;
}

enum class Kind { KeepAlive1K, KeepAlive1M, NewConnection, HttpsKeepAlive1K, HttpsNewConnection };

void Serve(Kind kind) {
  switch (kind) {
    case Kind::KeepAlive1K:
    case Kind::HttpsKeepAlive1K:
      Server().AnswerAlways(HttpTestServer::Ok(Page(1024), "Content-Type: text/html\r\n"));
      break;
    case Kind::KeepAlive1M:
      Server().AnswerAlways(HttpTestServer::Ok(Page(1 << 20), "Content-Type: text/html\r\n"));
      break;
    case Kind::NewConnection:
    case Kind::HttpsNewConnection:
      Server().AnswerAlways(
          HttpTestServer::Ok(Page(1024), "Content-Type: text/html\r\nConnection: close\r\n"),
          HttpTestServer::Then::Close);
      break;
  }
}

std::string UrlFor(Kind kind) {
  const bool https = kind == Kind::HttpsKeepAlive1K || kind == Kind::HttpsNewConnection;
  return https ? Tls().Url("/status.html") : Server().Url("/status.html");
}

void Ours(benchmark::State& state, Kind kind) {
  Serve(kind);
  lantervo::HttpClientOptions options;
  options.httpsEnabled = true;
  options.tlsTrustAnchors = lantervo::test::TestCaPem();
  lantervo::HttpClient client(options);
  const std::string url = UrlFor(kind);
  UserCpuCounter userCpu(state);
  for (auto _ : state) benchmark::DoNotOptimize(client.Get(url));
}

#ifdef LANTERVO_HAVE_CURL
std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

void Curl(benchmark::State& state, Kind kind) {
  Serve(kind);
  CURL* curl = curl_easy_init();
  const std::string url = UrlFor(kind);
  std::string body;
  const std::string ca = lantervo::test::TestCaPem();
  curl_blob anchor{const_cast<char*>(ca.data()), ca.size(), CURL_BLOB_COPY};
  curl_easy_setopt(curl, CURLOPT_CAINFO_BLOB, &anchor);
  UserCpuCounter userCpu(state);
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_TCP_NODELAY, 1L);
  for (auto _ : state) {
    body.clear();
    if (curl_easy_perform(curl) != CURLE_OK) state.SkipWithError("libcurl failed");
    benchmark::DoNotOptimize(body);
  }
  curl_easy_cleanup(curl);
}
#endif

// Repetitions of each case; the ratios are of their medians.
constexpr int kRepetitions = 7;

void BM_OursKeepAlive1K(benchmark::State& s) {
  Ours(s, Kind::KeepAlive1K);
}
void BM_OursKeepAlive1M(benchmark::State& s) {
  Ours(s, Kind::KeepAlive1M);
}
void BM_OursNewConnection(benchmark::State& s) {
  Ours(s, Kind::NewConnection);
}
BENCHMARK(BM_OursKeepAlive1K)
    ->Iterations(2000)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursKeepAlive1M)
    ->Iterations(200)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursNewConnection)
    ->Iterations(500)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
void BM_OursHttpsKeepAlive1K(benchmark::State& s) {
  Ours(s, Kind::HttpsKeepAlive1K);
}
BENCHMARK(BM_OursHttpsKeepAlive1K)
    ->Iterations(1000)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
void BM_OursHttpsNewConnection(benchmark::State& s) {
  Ours(s, Kind::HttpsNewConnection);
}
BENCHMARK(BM_OursHttpsNewConnection)
    ->Iterations(300)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
#ifdef LANTERVO_HAVE_CURL
void BM_CurlKeepAlive1K(benchmark::State& s) {
  Curl(s, Kind::KeepAlive1K);
}
void BM_CurlKeepAlive1M(benchmark::State& s) {
  Curl(s, Kind::KeepAlive1M);
}
void BM_CurlNewConnection(benchmark::State& s) {
  Curl(s, Kind::NewConnection);
}
BENCHMARK(BM_CurlKeepAlive1K)
    ->Iterations(2000)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlKeepAlive1M)
    ->Iterations(200)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlNewConnection)
    ->Iterations(500)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
void BM_CurlHttpsKeepAlive1K(benchmark::State& s) {
  Curl(s, Kind::HttpsKeepAlive1K);
}
BENCHMARK(BM_CurlHttpsKeepAlive1K)
    ->Iterations(1000)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
void BM_CurlHttpsNewConnection(benchmark::State& s) {
  Curl(s, Kind::HttpsNewConnection);
}
BENCHMARK(BM_CurlHttpsNewConnection)
    ->Iterations(300)
    ->Repetitions(kRepetitions)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef LANTERVO_HAVE_CURL
  curl_global_init(CURL_GLOBAL_DEFAULT);
#endif
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nour time per request / libcurl's (medians of %d repetitions):\n", kRepetitions);
  const char* rows[][3] = {
      {"2,000 keep-alive GETs of 1 KB", "KeepAlive1K", "2000"},
      {"200 keep-alive GETs of 1 MB", "KeepAlive1M", "200"},
      {"500 GETs on new connections", "NewConnection", "500"},
      {"1,000 keep-alive HTTPS GETs of 1 KB", "HttpsKeepAlive1K", "1000"},
      {"300 HTTPS GETs on new connections (tickets)", "HttpsNewConnection", "300"},
  };
  for (const auto& row : rows) {
    const std::string suffix = std::string(row[1]) + "/iterations:" + row[2] + "/real_time";
    if (reporter.PrintRatio(std::string(row[0]) + ", wall", "BM_Ours" + suffix, "BM_Curl" + suffix,
                            "<= 1.0") == 0) {
      std::printf("%-52s (no libcurl peer in this build)\n", row[0]);
      continue;
    }
    reporter.PrintCpuRatio(std::string(row[0]) + ", CPU of the calling thread", "BM_Ours" + suffix,
                           "BM_Curl" + suffix, "<= 1.0");
    reporter.PrintCounterRatio(std::string(row[0]) + ", user CPU", "BM_Ours" + suffix,
                               "BM_Curl" + suffix, "user_us", "<= 1.0");
  }
  std::printf("TLS: ours on %s", lantervo::platform::TlsLibraryVersion().c_str());
#ifdef LANTERVO_HAVE_CURL
  std::printf("; libcurl %s", curl_version());
#endif
  std::printf("\n");
  benchmark::Shutdown();
#ifdef LANTERVO_HAVE_CURL
  curl_global_cleanup();
#endif
  return 0;
}
