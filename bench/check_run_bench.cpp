// The check run's own cost: one run over 1,000 active servers on a loopback server, with the
// pauses taking no time, beside a bare loop of the same 1,000 GETs with the same client. The cost
// of one hand-off is synchronize_bench's.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <thread>

#include "bench/loopback_site.h"
#include "bench/ratio_reporter.h"
#include "core/config_store.h"
#include "core/event_log.h"
#include "monitor/http_client.h"
#include "platform/clock.h"
#include "tests/support/http_test_server.h"
#include "tests/support/proxy_test_server.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless_desktop.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"

namespace {

using lantervo::test::HttpTestServer;
constexpr int kServers = 1000;

HttpTestServer& Server() {
  return lantervo::bench::LoopbackSite();
}

std::string ServerUrl(int i) {
  return Server().Url("/site" + std::to_string(i));
}

// CPU and wall time per server of a benchmark whose iterations each visit every server.
void PerServerCounters(benchmark::State& state, double cpuSeconds) {
  const double visits = static_cast<double>(kServers) * static_cast<double>(state.iterations());
  state.counters["cpu_us_per_server"] = cpuSeconds * 1e6 / visits;
  state.counters["wall_per_server"] =
      benchmark::Counter(visits, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

struct RunFixture {
  lantervo::HeadlessDesktop desktop;
  lantervo::ConfigStore config;
  lantervo::test::TempDir dir;
  lantervo::EventLog log{dir.File("LTV.log"), [] { return true; }};
  std::unique_ptr<lantervo::TMainForm> form;

  // `pauseDivisor` 0: the run's pauses take no time; else each takes 1/pauseDivisor of its time.
  explicit RunFixture(int pauseDivisor = 0,
                      const std::function<std::string(int)>& url = ServerUrl) {
    lantervo::MainFormContext context{desktop, config, &log};
    context.clock = lantervo::RunClock{[] { return lantervo::platform::TickCount(); },
                                       [pauseDivisor](std::uint32_t ms) {
                                         if (pauseDivisor > 0)
                                           lantervo::platform::SleepMs(ms / pauseDivisor);
                                       }};
    form = std::make_unique<lantervo::TMainForm>(std::move(context));
    lantervo::ServerTable& table = form->setServer;
    table.CreateList();
    for (int i = 0; i < kServers; ++i) {
      table.AppendRow();
      table.SetText("Name", "server " + std::to_string(100000 + i));
      table.SetText("Url", url(i));
      table.SetBool("Active", true);
      table.SetBool("ResponseEnabled", false);
      table.SetBool("TimeoutEnabled", false);
      table.SetInt("LoadTime", -1);
      table.PostRow();
    }
  }
};

// A whole run per iteration, from StartCheck to the end of its last hand-off.
void Runs(benchmark::State& state, RunFixture& fixture) {
  double cpu = 0;
  for (auto _ : state) {
    const double start = lantervo::bench::ProcessCpuSeconds();
    fixture.form->StartCheck();
    fixture.form->CurrentCheck()->WaitFor();
    cpu += lantervo::bench::ProcessCpuSeconds() - start;
  }
  PerServerCounters(state, cpu);
}

void BM_CheckRun(benchmark::State& state) {
  RunFixture fixture;
  Runs(state, fixture);
}
BENCHMARK(BM_CheckRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0)->Repetitions(3);

// Checks at once: a run over the 1,000 servers with 1 and with 8 lanes, the run's two pauses per
// server taking a twentieth of their time (20 ms a server), so that a one-lane run takes 20 s
// rather than 400 s and the lanes' overlap is what is measured.
void BM_CheckRunLanes(benchmark::State& state) {
  // A site that serves every connection at once (a thread each), as a real server farm would.
  static lantervo::test::ProxyTestServer site;
  RunFixture fixture(20, [](int i) { return site.Url() + "/site" + std::to_string(i); });
  fixture.config.Set(&lantervo::AppConfig::CheckLanes, static_cast<std::int32_t>(state.range(0)));
  Runs(state, fixture);
}
BENCHMARK(BM_CheckRunLanes)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

// The lanes' peer: 8 threads, each with a client of its own, sharing out the same 1,000 GETs
// with the same pauses and, per server, the hand-offs a lane makes (its two row writes, its
// status text and a log line), each an empty operation the window's thread carries out.
void BM_BareLaneGets(benchmark::State& state) {
  static lantervo::test::ProxyTestServer site;
  lantervo::HeadlessDesktop desktop;
  lantervo::HandOffQueue& handOffs = desktop.HandOffs();
  std::vector<std::unique_ptr<lantervo::HttpClient>> clients;
  for (int lane = 0; lane < 8; ++lane) clients.push_back(std::make_unique<lantervo::HttpClient>());
  double cpu = 0;
  for (auto _ : state) {
    const double start = lantervo::bench::ProcessCpuSeconds();
    std::atomic<int> next{0}, finished{0};
    std::vector<std::thread> lanes;
    for (auto& client : clients)
      lanes.emplace_back([&, c = client.get()] {
        for (int i; (i = next++) < kServers;) {
          handOffs.Synchronize([] {});
          handOffs.Synchronize([] {});
          benchmark::DoNotOptimize(c->Get(site.Url() + "/site" + std::to_string(i)));
          lantervo::platform::SleepMs(10);
          handOffs.Synchronize([] {});
          lantervo::platform::SleepMs(10);
          handOffs.Synchronize([] {});
        }
        handOffs.Notify([&] { ++finished; });
      });
    handOffs.WaitUntil([&] { return finished == 8; });
    for (std::thread& lane : lanes) lane.join();
    cpu += lantervo::bench::ProcessCpuSeconds() - start;
  }
  PerServerCounters(state, cpu);
}
BENCHMARK(BM_BareLaneGets)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(3);

// The same GETs with one client on a worker thread, as the run makes them.
void BM_BareGets(benchmark::State& state) {
  lantervo::HttpClient client;
  std::vector<std::string> urls;
  for (int i = 0; i < kServers; ++i) urls.push_back(ServerUrl(i));
  double cpu = 0;
  for (auto _ : state) {
    const double start = lantervo::bench::ProcessCpuSeconds();
    std::thread worker([&] {
      for (const std::string& url : urls) benchmark::DoNotOptimize(client.Get(url));
    });
    worker.join();
    cpu += lantervo::bench::ProcessCpuSeconds() - start;
  }
  PerServerCounters(state, cpu);
}
BENCHMARK(BM_BareGets)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0)->Repetitions(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("check run / bare GETs (wall, 1000 servers)",
                      "BM_CheckRun/min_time:3.000/real_time",
                      "BM_BareGets/min_time:3.000/real_time", "<= 1.10");
  reporter.PrintRatio("8 lanes / 1 lane (wall, 1000 servers, pauses at 1/20)",
                      "BM_CheckRunLanes/8/iterations:1/real_time",
                      "BM_CheckRunLanes/1/iterations:1/real_time", "<= 0.143 (7x faster)");
  reporter.PrintCounterRatio("CPU per server: 8 lanes / 8 bare lanes of GETs and hand-offs",
                             "BM_CheckRunLanes/8/iterations:1/real_time",
                             "BM_BareLaneGets/iterations:1/real_time", "cpu_us_per_server",
                             "<= 1.10");
  reporter.PrintRatio("wall: 8 lanes / 8 bare lanes", "BM_CheckRunLanes/8/iterations:1/real_time",
                      "BM_BareLaneGets/iterations:1/real_time", "-");
  reporter.PrintCounterRatio("CPU per server: 8 lanes / 1 lane",
                             "BM_CheckRunLanes/8/iterations:1/real_time",
                             "BM_CheckRunLanes/1/iterations:1/real_time", "cpu_us_per_server", "-");
  std::printf("(the cost of one hand-off is measured by synchronize_bench)\n");
  benchmark::Shutdown();
  return 0;
}
