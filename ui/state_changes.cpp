#include "ui/state_changes.h"

#include "core/text_format.h"
#include "history/history_report.h"
#include "i18n/gettext.h"

namespace lantervo {

using history::ServerState;

bool ProbeStatusOf(const std::string& status, history::ProbeStatus& out) {
  if (status == "OK")
    out = history::ProbeStatus::Up;
  else if (status == "ERR_LOAD")
    out = history::ProbeStatus::Down;
  else if (status == "ERR_RESP")
    out = history::ProbeStatus::WrongResponse;
  else if (status == "ERR_SLOW")
    out = history::ProbeStatus::Slow;
  else
    return false;
  return true;
}

void StateChanges::Seed(const std::string& name, const std::string& url, ServerState state,
                        std::int64_t since) {
  auto [it, added] = servers_.try_emplace({name, url});
  if (!added) return;
  it->second.state = state;
  if (state != ServerState::Up && state != ServerState::Unknown && since > 0)
    it->second.notUpSince = since;
}

void StateChanges::Checked(const std::string& name, const std::string& url, ServerState state,
                           const std::string& text, std::int32_t loadMs, std::int64_t at) {
  Known& known = servers_[{name, url}];
  const ServerState from = known.state;
  known.state = state;
  if (state == ServerState::Up) {
    const std::optional<std::int64_t> since = std::exchange(known.notUpSince, std::nullopt);
    // The first check of a session that finds a server up tells nothing new.
    if (from == ServerState::Up || from == ServerState::Unknown) return;
    changes_.push_back({name, from, state, {}, -1, since && at > *since ? at - *since : 0});
    return;
  }
  if (!known.notUpSince) known.notUpSince = at;
  if (from == state) return;
  changes_.push_back({name, from, state, text, loadMs, 0});
}

std::vector<StateChange> StateChanges::TakeChanges() {
  return std::exchange(changes_, {});
}

namespace {

// The balloon level from which a state is announced.
int LevelOf(ServerState state) {
  switch (state) {
    case ServerState::Down:
      return 1;
    case ServerState::WrongResponse:
      return 2;
    case ServerState::Slow:
      return 3;
    default:
      return 0;
  }
}

bool Told(const StateChange& change, int balloonLevel) {
  if (balloonLevel <= 0) return false;
  // A return is told when the state it ends was.
  const ServerState announced = change.to == ServerState::Up ? change.from : change.to;
  const int level = LevelOf(announced);
  return level > 0 && balloonLevel >= level;
}

std::string ChangeLine(const StateChange& change) {
  switch (change.to) {
    case ServerState::Up:
      // Under a second is a glitch between two checks, not a length worth telling.
      return change.downMs >= 1000 ? FormatText(TranslateText("'%s' is back after %s"),
                                                {change.name, history::DurationText(change.downMs)})
                                   : FormatText(TranslateText("'%s' is back"), {change.name});
    case ServerState::Down:
      return FormatText(TranslateText("'%s' is down: %s"), {change.name, change.text});
    case ServerState::WrongResponse:
      return FormatText(TranslateText("'%s' gives a wrong response"), {change.name});
    case ServerState::Slow:
      return FormatText(TranslateText("'%s' is slow: %s ms"),
                        {change.name, std::to_string(change.loadMs)});
    case ServerState::Unknown:
      break;
  }
  return change.name;
}

std::string TitleOf(const StateChange& change) {
  switch (change.to) {
    case ServerState::Up:
      return TranslateText("Back up");
    case ServerState::Down:
      return TranslateText("Load error");
    case ServerState::WrongResponse:
      return TranslateText("Response error");
    default:
      return TranslateText("Slow load");
  }
}

// How many changes a summary names before "and N more".
constexpr std::size_t kNamed = 3;

}  // namespace

std::optional<ChangeNotice> NoticeOf(const std::vector<StateChange>& changes, int balloonLevel) {
  std::vector<const StateChange*> told;
  for (const StateChange& change : changes)
    if (Told(change, balloonLevel)) told.push_back(&change);
  if (told.empty()) return std::nullopt;
  bool failure = false;
  for (const StateChange* change : told) failure = failure || change->to != ServerState::Up;
  ChangeNotice notice;
  notice.kind = failure ? BalloonKind::Error : BalloonKind::Info;
  if (told.size() == 1) {
    notice.title = TitleOf(*told.front());
    notice.text = ChangeLine(*told.front());
    return notice;
  }
  notice.title = FormatText(TranslateText("Servers changed: %s"), {std::to_string(told.size())});
  for (std::size_t i = 0; i < told.size() && i < kNamed; ++i) {
    // A balloon is one line.
    if (i > 0) notice.text += "; ";
    notice.text += ChangeLine(*told[i]);
  }
  if (told.size() > kNamed)
    notice.text +=
        "; " + FormatText(TranslateText("and %s more"), {std::to_string(told.size() - kNamed)});
  return notice;
}

}  // namespace lantervo
