#pragma once
// A console reporter that also remembers each benchmark's time per iteration, so a program can
// print our time over a peer's measured in the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace lantervo::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // Repetitions also report their aggregates, under names such as "..._median".
    for (const Run& run : runs)
      if (!run.error_occurred) times_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  // Prints "label: ours / peer = ratio (goal ...)"; returns the ratio (0 when either is missing).
  double PrintRatio(const std::string& label, const std::string& ours, const std::string& peer,
                    const char* goal) const {
    auto a = times_.find(ours), b = times_.find(peer);
    if (a == times_.end() || b == times_.end() || b->second == 0) return 0;
    const double ratio = a->second / b->second;
    std::printf("%-44s %8.3fx  (goal: %s)\n", label.c_str(), ratio, goal);
    return ratio;
  }
  double Time(const std::string& name) const {
    auto it = times_.find(name);
    return it == times_.end() ? 0 : it->second;
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace lantervo::bench
