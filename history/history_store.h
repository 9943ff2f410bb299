#pragma once
// The monitor's memory, in an SQLite database beside the list: every check with its time,
// the runs, each server's state and since when, outages, and hourly figures kept longer than
// the checks themselves. Times are UTC milliseconds since 1970. Used from one thread.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "history/load_times.h"

namespace lantervo::history {

class Database;

// How a check ended, as the run wrote it in the row's Status.
enum class ProbeStatus : int { Up = 0, Down = 1, WrongResponse = 2, Slow = 3 };
// A server's state: that of its last check, Unknown before the first.
enum class ServerState : int { Unknown = 0, Up = 1, Down = 2, Slow = 3, WrongResponse = 4 };

// Down and wrong response are failures, and a run of them is an outage; slow is not.
bool IsFailure(ServerState state);
// The state a check leaves its server in.
ServerState StateOf(ProbeStatus status);

struct ProbeOutcome {
  std::int64_t at = 0;
  std::string name;
  std::string url;
  ProbeStatus status = ProbeStatus::Up;
  std::int32_t loadMs = -1;  // -1: none (a load that failed)
  std::string text;          // a failure's result text, as the grid showed it
  std::int32_t slowMs = -1;  // the row's time-out when it is checked, else -1
};

enum RunRecordState : int { rrOffline = 1, rrAllOk = 2, rrProblems = 3 };

struct RunRecord {
  std::int64_t start = 0;
  std::int64_t end = 0;
  int state = rrAllOk;
  int errorCount = 0;
  std::vector<ProbeOutcome> probes;
};

struct HistoryLimits {
  int probeDays = 30;         // raw checks
  int hourlyDays = 400;       // hourly figures, runs and ended outages
  std::int64_t maxPages = 0;  // the file's size in database pages at most; 0: no limit
};

struct ServerRecord {
  std::int64_t id = 0;
  std::string name;
  std::string url;
  ServerState state = ServerState::Unknown;
  std::int64_t since = 0;      // when the state began (0: unknown)
  std::int64_t lastCheck = 0;  // 0: never checked
  std::int32_t slowMs = -1;
};

struct HourRecord {
  std::int64_t server = 0;
  std::int64_t hour = 0;  // UTC ms / 3,600,000
  int checks = 0;
  int down = 0;
  int wrong = 0;
  int slow = 0;
  std::vector<std::int32_t> loads;  // sorted
};

struct OutageRecord {
  std::int64_t server = 0;
  std::int64_t start = 0;
  std::int64_t end = 0;  // 0: still going on
  std::string text;      // the first failure's result text
};

struct RunRow {
  std::int64_t start = 0;
  std::int64_t end = 0;
  int state = 0;
  int errorCount = 0;
};

struct ProbeRow {
  std::int64_t at = 0;
  std::int64_t server = 0;
  ProbeStatus status = ProbeStatus::Up;
  std::int32_t loadMs = -1;
  std::string text;
};

constexpr std::int64_t kHourMs = 3600 * 1000;
constexpr std::int64_t kDayMs = 24 * kHourMs;

class HistoryStore {
 public:
  // Opens or creates the database; throws SqliteError (Corrupt for a damaged file or one that
  // is not a history).
  HistoryStore(const std::string& path, HistoryLimits limits = {});
  ~HistoryStore();
  HistoryStore(const HistoryStore&) = delete;
  HistoryStore& operator=(const HistoryStore&) = delete;

  // One run, in one transaction: all of it or nothing.
  void Record(const RunRecord& run);
  // Hourly figures for every hour before `now` that has checks and none yet; `stop` ends it
  // between hours, keeping those done.
  void RollUp(std::int64_t now, const std::function<bool()>& stop = {});
  // Drops what is older than the limits, a slice at a time; `stop` ends it between slices.
  // Answers false when it stopped before the end.
  bool Prune(std::int64_t now, const std::function<bool()>& stop = {});
  // Deep check of the file (PRAGMA integrity_check): "ok" or the first problem.
  std::string IntegrityCheck();

  // Reading, for the report and the export.
  std::vector<ServerRecord> Servers();
  // Every server's hours in [fromHour, toHour): rolled-up hours from the hourly table, the
  // others computed from the checks.
  std::vector<HourRecord> Hours(std::int64_t fromHour, std::int64_t toHour);
  // The same hours one at a time, in hour order (servers in id order within an hour); the
  // record is reused between calls.
  void ForEachHour(std::int64_t fromHour, std::int64_t toHour,
                   const std::function<void(const HourRecord&)>& hour);
  // Outages that overlap [from, to), oldest first.
  std::vector<OutageRecord> Outages(std::int64_t from, std::int64_t to);
  std::vector<RunRow> Runs(std::int64_t from, std::int64_t to);
  // Checks in [from, to), in time order.
  void ForEachProbe(std::int64_t from, std::int64_t to,
                    const std::function<void(const ProbeRow&)>& row);
  // The first hour not rolled up yet.
  std::int64_t RolledUpTo();

 private:
  struct Cache;
  void LoadCache();
  // The server a check belongs to, as an index into the cache's servers.
  std::size_t ServerFor(const ProbeOutcome& probe, std::vector<bool>& seen);
  std::int64_t TextId(const std::string& text);
  void ApplyState(std::size_t server, const ProbeOutcome& probe, std::int64_t textId);
  void RollUpHour(std::int64_t hour);

  std::unique_ptr<Database> db_;
  HistoryLimits limits_;
  std::unique_ptr<Cache> cache_;
};

}  // namespace lantervo::history
