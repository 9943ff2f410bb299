#pragma once
// A console reporter that also remembers each benchmark's times per iteration, so a program can
// print our time over a peer's measured in the same run. With repetitions, the ratio is one of
// medians: a single noisy repetition on a shared machine does not decide it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace lantervo::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      Samples& samples = times_[WithoutRepeats(run.benchmark_name())];
      samples.real.push_back(run.GetAdjustedRealTime());
      samples.cpu.push_back(run.GetAdjustedCPUTime());
      for (const auto& [counter, value] : run.counters) samples.counters[counter].push_back(value);
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints "label: ours / peer = ratio (goal ...)" of the median wall times; returns the ratio
  // (0 when either is missing).
  double PrintRatio(const std::string& label, const std::string& ours, const std::string& peer,
                    const char* goal) const {
    return Print(label, Time(ours), Time(peer), goal);
  }
  // The same of the median CPU times of the benchmark's own thread.
  double PrintCpuRatio(const std::string& label, const std::string& ours, const std::string& peer,
                       const char* goal) const {
    return Print(label, CpuTime(ours), CpuTime(peer), goal);
  }
  // The same of the medians of a counter the benchmarks set.
  double PrintCounterRatio(const std::string& label, const std::string& ours,
                           const std::string& peer, const std::string& counter,
                           const char* goal) const {
    return Print(label, Counter(ours, counter), Counter(peer, counter), goal);
  }
  double Counter(const std::string& name, const std::string& counter) const {
    auto it = times_.find(name);
    if (it == times_.end()) return 0;
    auto values = it->second.counters.find(counter);
    return values == it->second.counters.end() ? 0 : Median(values->second);
  }
  // Median wall time per iteration over the repetitions; 0 when the benchmark did not run.
  double Time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : Median(it->second.real);
  }
  double CpuTime(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : Median(it->second.cpu);
  }

  // 0 for no values.
  static double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
  }

 private:
  struct Samples {
    std::vector<double> real;
    std::vector<double> cpu;
    std::map<std::string, std::vector<double>> counters;
  };
  // Repetitions are one benchmark: "BM_X/repeats:5/real_time" is kept as "BM_X/real_time".
  static std::string WithoutRepeats(std::string name) {
    const std::size_t at = name.find("/repeats:");
    if (at == std::string::npos) return name;
    const std::size_t end = name.find('/', at + 1);
    name.erase(at, end == std::string::npos ? std::string::npos : end - at);
    return name;
  }
  static double Print(const std::string& label, double ours, double peer, const char* goal) {
    if (ours == 0 || peer == 0) return 0;
    const double ratio = ours / peer;
    std::printf("%-52s %8.3fx  (goal: %s)\n", label.c_str(), ratio, goal);
    return ratio;
  }

  std::map<std::string, Samples> times_;
};

}  // namespace lantervo::bench
