#pragma once
// One check run over the server table. The run reaches the table, the log and the windows only
// through RunHost, whose operations the user-interface thread carries out; it can therefore be
// driven by a fake host, a fake probe and a fake clock.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lantervo {

enum RunState : int { rsOffline = 1, rsAllOk = 2, rsProblems = 3 };
enum class BalloonKind { Error, Warning, Info };

// The run's copy of the configuration values it needs, taken when it starts.
struct RunSettings {
  bool VerifyEnabled = false;
  std::string VerifyURL;
  std::int32_t BalloonLevel = 0;
  // A failed check is tried again this many times, kRetryPauseMs apart, before it counts.
  std::int32_t RetryCount = 0;
  // The window tells of changes once the run has posted its rows; the run shows no balloon
  // of its own for a server.
  bool NotifyOnChange = false;
  // The machine has just woken: the run first waits, at most kNetworkWaitMs, until the network
  // answers (the verification URL when it is on, else a connect to the first active server).
  bool WaitForNetwork = false;
  // Active rows are checked this many at once (1 to 16), each lane doing for its row what the
  // one-lane loop does; 1 is that loop exactly.
  std::int32_t Lanes = 1;
};

// An active row as a lane takes it: where it is among all rows, and what its check reads.
struct LaneRow {
  int index = 0;
  std::string name;
  std::string url;
  bool responseEnabled = false;
  std::string response;
  bool timeoutEnabled = false;
  std::int32_t timeout = 0;
};

// What a lane writes into its row in one step; the load time only when the server loaded.
struct RowWrite {
  std::string status;
  std::string result;
  std::optional<std::int32_t> loadTime;
};

// The pause before a failed check is tried again.
constexpr std::uint32_t kRetryPauseMs = 2000;
// After a wake: how long a run waits for the network at most, and how often it asks.
constexpr std::uint32_t kNetworkWaitMs = 60000;
constexpr std::uint32_t kNetworkAskMs = 2000;
// A probe during which the machine slept this long or more was cut by the sleep.
constexpr std::uint64_t kSleepGapMs = 2000;

class RunHost {
 public:
  virtual ~RunHost() = default;
  virtual void BeginRunUi() = 0;
  virtual void EndRunUi() = 0;
  virtual void AddLog(const std::string& message, const std::string& level) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // The run state, with the number of servers that failed in this run (0 on the offline path,
  // which checks none).
  virtual void SetRunState(int state, int errorCount) = 0;
  virtual void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind) = 0;
  virtual void MoveFirst() = 0;
  virtual void MoveNext() = 0;
  virtual bool AtEnd() = 0;
  virtual void BeginEdit() = 0;
  virtual void PostRow() = 0;
  virtual bool GetBool(const std::string& field) = 0;
  virtual std::int32_t GetInt(const std::string& field) = 0;
  virtual std::string GetText(const std::string& field) = 0;
  virtual void SetInt(const std::string& field, std::int32_t value) = 0;
  virtual void SetText(const std::string& field, const std::string& value) = 0;
  // The lanes' way to the table, where every step names its row and is one hand-off: the
  // active rows in table order, and an edit of one row posted at once.
  virtual std::vector<LaneRow> ActiveRows() = 0;
  virtual void PostRowAt(int index, const RowWrite& write) = 0;
};

// The HTTP GET the run relies on: a body, or an exception whose message is the error text.
using ProbeGet = std::function<std::string(const std::string& url)>;
// Whether a connection to the URL's host can be made now.
using ProbeReach = std::function<bool(const std::string& url)>;

struct RunClock {
  std::function<std::uint32_t()> TickCount;
  std::function<void(std::uint32_t)> Sleep;
  // Milliseconds the machine has slept so far; may be left empty (no sleep is seen then).
  std::function<std::uint64_t()> SleptMs;
  static RunClock System();
};

// Runs one check.
// Never lets an error escape; EndRunUi always runs last. Once `stop` is set (Quit), the run
// probes no further server and writes nothing for the one in hand: it ends at once, keeping
// what it wrote before. Once `asleep` is set (the machine is going to sleep), or when the clock
// shows that a probe slept, the servers not checked yet are marked offline rather than blamed
// for the sleep, and the run ends as offline.
// With several lanes, `laneGets` are the probes of the lanes after the first (each with a
// connection of its own); the run uses min(settings.Lanes, 1 + laneGets.size()) lanes.
void Execute(const RunSettings& settings, RunHost& host, const ProbeGet& get, const RunClock& clock,
             const std::atomic<bool>* stop = nullptr, const std::atomic<bool>* asleep = nullptr,
             const ProbeReach& reach = {}, const std::vector<ProbeGet>& laneGets = {});

}  // namespace lantervo
