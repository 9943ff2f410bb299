// GETs against one local server, our client side by side with libcurl in the same run:
// sequential keep-alive GETs of a 1 KB and a 1 MB body, and GETs each on a new connection.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <string>

#include "bench/ratio_reporter.h"
#include "monitor/http_client.h"
#include "tests/support/http_test_server.h"

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
  explicit UserCpuCounter(benchmark::State& state) : state_(state), start_(ThreadUserMicroseconds()) {}
  ~UserCpuCounter() {
    state_.counters["user_us"] = benchmark::Counter(ThreadUserMicroseconds() - start_,
                                                    benchmark::Counter::kAvgIterations);
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

enum class Kind { KeepAlive1K, KeepAlive1M, NewConnection };

void Serve(Kind kind) {
  switch (kind) {
    case Kind::KeepAlive1K:
      Server().AnswerAlways(HttpTestServer::Ok(Page(1024), "Content-Type: text/html\r\n"));
      break;
    case Kind::KeepAlive1M:
      Server().AnswerAlways(HttpTestServer::Ok(Page(1 << 20), "Content-Type: text/html\r\n"));
      break;
    case Kind::NewConnection:
      Server().AnswerAlways(
          HttpTestServer::Ok(Page(1024), "Content-Type: text/html\r\nConnection: close\r\n"),
          HttpTestServer::Then::Close);
      break;
  }
}

void Ours(benchmark::State& state, Kind kind) {
  Serve(kind);
  lantervo::HttpClient client;
  const std::string url = Server().Url("/status.html");
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
  const std::string url = Server().Url("/status.html");
  std::string body;
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
BENCHMARK(BM_OursKeepAlive1K)->Iterations(2000)->Repetitions(kRepetitions)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursKeepAlive1M)->Iterations(200)->Repetitions(kRepetitions)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursNewConnection)->Iterations(500)->Repetitions(kRepetitions)->UseRealTime()->Unit(benchmark::kMicrosecond);
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
BENCHMARK(BM_CurlKeepAlive1K)->Iterations(2000)->Repetitions(kRepetitions)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlKeepAlive1M)->Iterations(200)->Repetitions(kRepetitions)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CurlNewConnection)->Iterations(500)->Repetitions(kRepetitions)->UseRealTime()->Unit(benchmark::kMicrosecond);
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
  benchmark::Shutdown();
#ifdef LANTERVO_HAVE_CURL
  curl_global_cleanup();
#endif
  return 0;
}
