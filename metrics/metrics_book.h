#pragma once
// What the monitor has seen since it started, kept for a scrape: each active server's last check
// and its counts, and the runs. The user-interface thread writes as rows are posted; the
// listener's thread renders. One lock, held only while a record changes or a scrape is written.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace lantervo::metrics {

enum class CheckStatus : int { Up = 0, Down = 1, WrongResponse = 2, Slow = 3 };
enum class RunState : int { None = 0, Offline = 1, AllOk = 2, Problems = 3 };

struct ServerKey {
  std::string name;
  std::string url;
  auto operator<=>(const ServerKey&) const = default;
};

class MetricsBook {
 public:
  explicit MetricsBook(std::string version);

  // The servers a scrape lists: the active ones. A server that stays keeps its counts; one that
  // goes loses them, as it would on a restart.
  void SetServers(const std::vector<ServerKey>& servers);
  // A check's outcome; loadMs is -1 when the load failed. A server not listed yet joins.
  void RecordCheck(const ServerKey& server, CheckStatus status, std::int32_t loadMs,
                   std::int64_t atUtcMs);
  void RecordRun(RunState state, std::int64_t startUtcMs, std::int64_t endUtcMs);

  // The Prometheus text format (version 0.0.4).
  std::string Exposition() const;

 private:
  struct Server {
    bool checked = false;
    CheckStatus status = CheckStatus::Up;
    std::int32_t loadMs = -1;  // of the last load that succeeded
    std::int64_t lastCheckMs = 0;
    std::uint64_t checks = 0;
    std::uint64_t byStatus[4] = {};
  };

  const std::string version_;
  mutable std::mutex mutex_;
  std::map<ServerKey, Server> servers_;
  std::uint64_t runs_ = 0;
  RunState lastRun_ = RunState::None;
  std::int64_t lastRunMs_ = 0;
  std::int64_t lastRunEndMs_ = 0;
};

// A label value as the text format writes it between quotes: backslash, double quote and line
// feed escaped, and bytes that are not UTF-8 replaced by U+FFFD (the format is UTF-8 only).
std::string EscapeLabelValue(std::string_view value);
// Milliseconds as seconds with three decimals, whatever the locale: 1234 -> "1.234".
std::string SecondsText(std::int64_t ms);

}  // namespace lantervo::metrics
