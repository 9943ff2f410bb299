#pragma once
// What changed since the last run: each server's state as its checks left it, so that a
// balloon can tell of a change instead of repeating the same failure every run. A server is
// known by its name and URL, as the history knows it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "history/history_store.h"
#include "monitor/check_run.h"

namespace lantervo {

// The row's Status as the history knows it; false for the run's own marks (CHECK, OFFLINE).
bool ProbeStatusOf(const std::string& status, history::ProbeStatus& out);

struct StateChange {
  std::string name;
  history::ServerState from = history::ServerState::Unknown;
  history::ServerState to = history::ServerState::Unknown;
  // A failure's result text, as the grid shows it; the load time of a slow load.
  std::string text;
  std::int32_t loadMs = -1;
  // Back up: how long it was not up (0 when that is not known).
  std::int64_t downMs = 0;
};

class StateChanges {
 public:
  // What the history remembers of a server from an earlier session; ignored for a server this
  // session has already checked.
  void Seed(const std::string& name, const std::string& url, history::ServerState state,
            std::int64_t since);
  // One check of this run, at UTC `at` (ms). Remembers its state; a change joins the run's.
  void Checked(const std::string& name, const std::string& url, history::ServerState state,
               const std::string& text, std::int32_t loadMs, std::int64_t at);
  // The changes since the last call, in the order they were seen.
  std::vector<StateChange> TakeChanges();

 private:
  struct Known {
    history::ServerState state = history::ServerState::Unknown;
    // When it stopped being up (none while it is up, or when that is not known).
    std::optional<std::int64_t> notUpSince;
  };
  std::map<std::pair<std::string, std::string>, Known> servers_;
  std::vector<StateChange> changes_;
};

struct ChangeNotice {
  std::string title;
  std::string text;
  BalloonKind kind = BalloonKind::Error;
};

// The balloon that tells of a run's changes, for the balloon level the user chose (a change
// into a state the level would not announce is not told, and neither is its return); none when
// nothing is left to tell. Several changes make one summary naming the first few.
std::optional<ChangeNotice> NoticeOf(const std::vector<StateChange>& changes, int balloonLevel);

}  // namespace lantervo
