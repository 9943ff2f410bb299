// The cost of one hand-off from a worker to the user-interface thread (a check run makes
// fifteen to twenty per server), side by side with a bare mutex and condition-variable ping-pong
// between two threads, the least any blocking cross-thread call can cost.
#include <benchmark/benchmark.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "bench/ratio_reporter.h"
#include "core/hand_off.h"

namespace {

using namespace lantervo;

void BM_SynchronizeRoundTrip(benchmark::State& state) {
  HandOffQueue queue;
  bool stop = false;  // changed through Notify, read under the queue's lock
  std::mutex readyLock;
  std::condition_variable readyWake;
  bool ready = false;
  std::thread ui([&] {
    queue.BindToCurrentThread();
    {
      std::lock_guard lock(readyLock);
      ready = true;
    }
    readyWake.notify_all();
    queue.WaitUntil([&] { return stop; });
  });
  {
    std::unique_lock lock(readyLock);
    readyWake.wait(lock, [&] { return ready; });
  }
  int counter = 0;
  for (auto _ : state) queue.Synchronize([&] { ++counter; });
  queue.Notify([&] { stop = true; });
  ui.join();
  benchmark::DoNotOptimize(counter);
}

void BM_CondVarPingPong(benchmark::State& state) {
  std::mutex lock;
  std::condition_variable wake;
  int turn = 0;  // 1: the partner's move, 2: done, 3: stop
  int counter = 0;
  std::thread partner([&] {
    std::unique_lock guard(lock);
    for (;;) {
      wake.wait(guard, [&] { return turn == 1 || turn == 3; });
      if (turn == 3) return;
      ++counter;
      turn = 2;
      wake.notify_all();
    }
  });
  for (auto _ : state) {
    std::unique_lock guard(lock);
    turn = 1;
    wake.notify_all();
    wake.wait(guard, [&] { return turn == 2; });
  }
  {
    std::lock_guard guard(lock);
    turn = 3;
  }
  wake.notify_all();
  partner.join();
  benchmark::DoNotOptimize(counter);
}

BENCHMARK(BM_SynchronizeRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_CondVarPingPong)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("hand-off round trip / condvar ping-pong",
                      "BM_SynchronizeRoundTrip/real_time", "BM_CondVarPingPong/real_time",
                      "<= 2.0");
  const double handOff = reporter.Time("BM_SynchronizeRoundTrip/real_time");
  if (handOff > 0)
    std::printf("%-44s %8.2f us  (goal: < 50 us)\n", "one hand-off round trip", handOff);
  benchmark::Shutdown();
  return 0;
}
