// The check run's own cost: one run over 1,000 active servers on a loopback server, with the
// pauses taking no time, beside a bare loop of the same 1,000 GETs with the same client; and one
// hand-off round trip from a worker to the user-interface thread.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "bench/ratio_reporter.h"
#include "core/config_store.h"
#include "core/event_log.h"
#include "monitor/http_client.h"
#include "platform/clock.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless_desktop.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"

namespace {

using lantervo::test::HttpTestServer;
constexpr int kServers = 1000;

HttpTestServer& Server() {
  static HttpTestServer server;
  static bool answering = [] {
    server.AnswerAlways(
        HttpTestServer::Ok("<html><body>Service status: operational.</body></html>"));
    return true;
  }();
  (void)answering;
  return server;
}

std::string ServerUrl(int i) {
  return Server().Url("/site" + std::to_string(i));
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct RunFixture {
  lantervo::HeadlessDesktop desktop;
  lantervo::ConfigStore config;
  lantervo::test::TempDir dir;
  lantervo::EventLog log{dir.File("LTV.log"), [] { return true; }};
  std::unique_ptr<lantervo::TMainForm> form;

  RunFixture() {
    lantervo::MainFormContext context{desktop, config, log};
    context.clock =
        lantervo::RunClock{[] { return lantervo::platform::TickCount(); }, [](std::uint32_t) {}};
    form = std::make_unique<lantervo::TMainForm>(std::move(context));
    lantervo::ServerTable& table = form->setServer;
    table.CreateList();
    for (int i = 0; i < kServers; ++i) {
      table.AppendRow();
      table.SetText("Name", "server " + std::to_string(100000 + i));
      table.SetText("Url", ServerUrl(i));
      table.SetBool("Active", true);
      table.SetBool("ResponseEnabled", false);
      table.SetBool("TimeoutEnabled", false);
      table.SetInt("LoadTime", -1);
      table.PostRow();
    }
  }
};

// A whole run per iteration, from StartCheck to the end of its last hand-off.
void BM_CheckRun(benchmark::State& state) {
  RunFixture fixture;
  double cpu = 0;
  for (auto _ : state) {
    const double start = ThreadCpuSeconds();
    fixture.form->StartCheck();
    fixture.form->CurrentCheck()->WaitFor();
    cpu += ThreadCpuSeconds() - start;
  }
  state.counters["cpu_us_per_server"] =
      cpu * 1e6 / static_cast<double>(state.iterations()) / kServers;
  state.counters["wall_per_server"] =
      benchmark::Counter(static_cast<double>(kServers) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_CheckRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// The same GETs with one client on a worker thread, as the run makes them.
void BM_BareGets(benchmark::State& state) {
  lantervo::HttpClient client;
  std::vector<std::string> urls;
  for (int i = 0; i < kServers; ++i) urls.push_back(ServerUrl(i));
  double cpu = 0;
  for (auto _ : state) {
    const double start = ThreadCpuSeconds();
    std::thread worker([&] {
      for (const std::string& url : urls) benchmark::DoNotOptimize(client.Get(url));
    });
    worker.join();
    cpu += ThreadCpuSeconds() - start;
  }
  state.counters["cpu_us_per_server"] =
      cpu * 1e6 / static_cast<double>(state.iterations()) / kServers;
  state.counters["wall_per_server"] =
      benchmark::Counter(static_cast<double>(kServers) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BareGets)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// One Synchronize round trip: the worker hands off an empty operation and waits for it.
void BM_SynchronizeRoundTrip(benchmark::State& state) {
  lantervo::HeadlessDesktop desktop;
  std::atomic<long> count{0};
  lantervo::HandOffQueue& queue = desktop.HandOffs();
  std::atomic<bool> finished{false};
  std::thread worker;
  for (auto _ : state) {
    state.PauseTiming();
    count = 0;
    finished = false;
    const long rounds = 20000;
    worker = std::thread([&] {
      for (long i = 0; i < rounds; ++i) queue.Synchronize([&] { count.fetch_add(1); });
      queue.Notify([&] { finished = true; });
    });
    state.ResumeTiming();
    queue.WaitUntil([&] { return finished.load(); });
    worker.join();
  }
  state.SetItemsProcessed(state.iterations() * 20000);
  state.counters["us_per_handoff"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 20000,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_SynchronizeRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("check run / bare GETs (wall, 1000 servers)",
                      "BM_CheckRun/min_time:3.000/real_time",
                      "BM_BareGets/min_time:3.000/real_time", "<= 1.10");
  const double handOffMs = reporter.Time("BM_SynchronizeRoundTrip/real_time");
  if (handOffMs > 0)
    std::printf("%-44s %8.2f us  (goal: < 50 us)\n", "one Synchronize round trip",
                handOffMs * 1000.0 / 20000);
  benchmark::Shutdown();
  return 0;
}
