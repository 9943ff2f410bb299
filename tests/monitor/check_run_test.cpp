#include "monitor/check_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <thread>

#include "i18n/gettext.h"
#include "monitor/http_error.h"
#include "tests/core/table_fixture.h"

namespace lantervo {
namespace {

using Calls = std::vector<std::string>;

// Carries out every operation on a real table and records it, in order, as one line.
class RecordingHost : public RunHost {
 public:
  explicit RecordingHost(ServerTable& table) : table_(table) {}

  Calls calls;
  std::string failOn;  // a recorded line that throws instead of running

  void BeginRunUi() override { Record("BeginRunUi"); }
  void EndRunUi() override { Record("EndRunUi"); }
  void AddLog(const std::string& m, const std::string& level) override {
    Record("AddLog(" + m + "|" + level + ")");
  }
  void SetStatusText(const std::string& t) override { Record("SetStatusText(" + t + ")"); }
  void SetRunState(int state, int errors) override {
    Record("SetRunState(" + std::to_string(state) + ")");
    errorCount = errors;
  }
  int errorCount = -7;  // as told with the run state
  void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind) override {
    Record("ShowBalloon(" + title + "|" + text + "|" +
           (kind == BalloonKind::Error ? "error" : "warning") + ")");
  }
  void MoveFirst() override { Record("MoveFirst"), table_.MoveFirst(); }
  void MoveNext() override { Record("MoveNext"), table_.MoveNext(); }
  bool AtEnd() override { return Record("AtEnd"), table_.AtEnd(); }
  void BeginEdit() override { Record("BeginEdit"), table_.BeginEdit(); }
  void PostRow() override { Record("PostRow"), table_.PostRow(); }
  bool GetBool(const std::string& f) override {
    return Record("GetBool(" + f + ")"), table_.GetBool(f);
  }
  std::int32_t GetInt(const std::string& f) override {
    return Record("GetInt(" + f + ")"), table_.GetInt(f);
  }
  std::string GetText(const std::string& f) override {
    return Record("GetText(" + f + ")"), table_.GetText(f);
  }
  void SetInt(const std::string& f, std::int32_t v) override {
    Record("SetInt(" + f + "," + std::to_string(v) + ")"), table_.SetInt(f, v);
  }
  void SetText(const std::string& f, const std::string& v) override {
    Record("SetText(" + f + "," + v + ")"), table_.SetText(f, v);
  }
  // The lanes' steps: whole, under the lock, as the hand-off makes them.
  std::vector<LaneRow> ActiveRows() override {
    std::lock_guard lock(mutex_);
    Record("ActiveRows");
    std::vector<LaneRow> rows;
    for (table_.MoveFirst(); !table_.AtEnd(); table_.MoveNext()) {
      if (!table_.GetBool("Active")) continue;
      LaneRow row;
      row.index = table_.CurrentIndex();
      row.name = table_.GetText("Name");
      row.url = table_.GetText("Url");
      row.responseEnabled = table_.GetBool("ResponseEnabled");
      row.response = table_.GetText("Response");
      row.timeoutEnabled = table_.GetBool("TimeoutEnabled");
      if (row.timeoutEnabled) row.timeout = table_.GetInt("Timeout");
      rows.push_back(row);
    }
    return rows;
  }
  void PostRowAt(int index, const RowWrite& write) override {
    std::lock_guard lock(mutex_);
    Record("PostRowAt(" + table_.TextAt(index, "Name") + "," + write.status + ")");
    table_.MoveTo(index);
    table_.BeginEdit();
    table_.SetText("Status", write.status);
    table_.SetText("Result", write.result);
    if (write.loadTime) table_.SetInt("LoadTime", *write.loadTime);
    table_.PostRow();
  }

  // The calls from `first` (inclusive) up to the next `last` (inclusive).
  Calls Slice(const std::string& first, const std::string& last, size_t from = 0) const {
    Calls out;
    size_t i = from;
    while (i < calls.size() && calls[i] != first) ++i;
    for (; i < calls.size(); ++i) {
      out.push_back(calls[i]);
      if (calls[i] == last && out.size() > 1) break;
    }
    return out;
  }
  Calls Matching(const std::string& prefix) const {
    Calls out;
    for (const auto& c : calls)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }

 private:
  int Record(const std::string& line) {
    std::lock_guard lock(mutex_);
    calls.push_back(line);
    if (line == failOn) throw Error("host failed at " + line);
    return 0;
  }
  ServerTable& table_;
  std::recursive_mutex mutex_;  // lanes call from threads of their own
};

struct Server {
  std::string name;
  bool active = true;
  std::string url = "http://127.0.0.1/";
  bool responseEnabled = false;
  std::string response;
  bool timeoutEnabled = false;
  std::optional<std::int32_t> timeout;
};

class CheckRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SwitchLanguage("en");
    table.CreateList();
  }

  void Add(const Server& s) {
    table.AppendRow();
    table.SetText("Name", s.name);
    table.SetText("Url", s.url);
    table.SetBool("Active", s.active);
    table.SetBool("ResponseEnabled", s.responseEnabled);
    table.SetText("Response", s.response);
    table.SetBool("TimeoutEnabled", s.timeoutEnabled);
    if (s.timeout) table.SetInt("Timeout", *s.timeout);
    table.SetText("Status", "");
    table.SetText("Result", "Waiting...");
    table.SetInt("LoadTime", -1);
    table.PostRow();
  }

  void Run() {
    RunClock clock{[this] {
                     if (ticks.empty()) return std::uint32_t{0};
                     const std::uint32_t t = ticks.front();
                     ticks.pop_front();
                     return t;
                   },
                   [this](std::uint32_t ms) {
                     sleeps.push_back(ms);
                     if (stopAtSleep > 0 && sleeps.size() == stopAtSleep) stop = true;
                   },
                   [this] { return slept.load(); }};
    Execute(
        settings, host,
        [this](const std::string& url) {
          gets.push_back(url);
          if (auto found = sleepDuring.find(url); found != sleepDuring.end()) {
            if (found->second == 0) {
              asleep = true;
              throw HttpError("Socket Error # 10004\r\nInterrupted system call.");
            }
            slept += found->second;
            throw HttpError("Read timed out");
          }
          if (auto& next = sequences[url]; !next.empty()) {
            const std::string answer = next.front();
            next.pop_front();
            if (answer.rfind("!", 0) == 0) throw HttpError(answer.substr(1));
            return answer;
          }
          auto it = answers.find(url);
          if (it == answers.end()) throw HttpError("Socket Error # 10061\r\nConnection refused.");
          // Quit arrives while this server's probe is under way; the probe then fails as a
          // cancelled socket wait does.
          if (url == stopDuring) {
            stop = true;
            throw HttpError("Socket Error # 10004\r\nInterrupted system call.");
          }
          if (it->second.rfind("!", 0) == 0) throw HttpError(it->second.substr(1));
          return it->second;
        },
        clock, &stop, &asleep,
        [this](const std::string& url) {
          reaches.push_back(url);
          if (reachable.empty()) return true;
          const bool answer = reachable.front();
          reachable.pop_front();
          return answer;
        });
  }

  std::string Field(const std::string& name, const std::string& field) {
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
      if (table.GetText("Name") == name) return table.GetText(field);
    return "(no row)";
  }

  ServerTable table = test::MakeTable();
  RecordingHost host{table};
  RunSettings settings{false, "", 3};
  std::map<std::string, std::string> answers;  // url -> body, or "!message" to fail
  // url -> the answers of its next probes, taken before `answers`
  std::map<std::string, std::deque<std::string>> sequences;
  std::size_t stopAtSleep = 0;          // Quit comes with this sleep (1-based); 0: never
  std::atomic<std::uint64_t> slept{0};  // the machine's time asleep, as the clock tells it
  std::atomic<bool> asleep{false};
  // url -> what happens during its probe: the machine sleeps that long, or (0) is told to
  // sleep and the probe is interrupted
  std::map<std::string, std::uint64_t> sleepDuring;
  Calls reaches;
  std::deque<bool> reachable;  // the answers of the connects after a wake; then: yes
  std::deque<std::uint32_t> ticks;
  std::vector<std::uint32_t> sleeps;
  Calls gets;
  int& errorCount = host.errorCount;
  std::atomic<bool> stop{false};
  std::string stopDuring;  // the URL whose probe Quit interrupts
};

TEST_F(CheckRunTest, AllFineRunWritesEachRowTwiceInOrder) {
  Add({.name = "Intranet",
       .url = "http://a/",
       .responseEnabled = true,
       .response = "OK",
       .timeoutEnabled = true,
       .timeout = 500});
  answers["http://a/"] = "OK";
  ticks = {1000, 1187};
  Run();
  EXPECT_EQ(host.calls, (Calls{"BeginRunUi",
                               "AddLog(Checking...|system)",
                               "MoveFirst",
                               "AtEnd",
                               "GetBool(Active)",
                               "BeginEdit",
                               "SetText(Status,CHECK)",
                               "SetText(Result,Checking...)",
                               "PostRow",
                               "GetText(Name)",
                               "SetStatusText(Processing Intranet...)",
                               "GetText(Url)",
                               "BeginEdit",
                               "SetInt(LoadTime,187)",
                               "GetBool(ResponseEnabled)",
                               "GetText(Response)",
                               "GetBool(TimeoutEnabled)",
                               "GetInt(Timeout)",
                               "SetText(Status,OK)",
                               "SetText(Result,OK)",
                               "PostRow",
                               "MoveNext",
                               "AtEnd",
                               "SetRunState(2)",
                               "AddLog(Completed with no errors.|ok)",
                               "EndRunUi"}));
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{200, 200}));
  EXPECT_EQ(errorCount, 0);
  EXPECT_EQ(Field("Intranet", "LoadTime"), "187");
}

TEST_F(CheckRunTest, LoadErrorLogsTheMessageWithItsLineBreak) {
  Add({.name = "Down", .url = "http://down/"});
  Add({.name = "Empty", .url = "http://empty/"});
  answers["http://empty/"] = "";
  settings.BalloonLevel = 1;
  Run();
  EXPECT_EQ(
      host.Slice("BeginEdit", "PostRow", 10),
      (Calls{
          "BeginEdit", "SetText(Status,ERR_LOAD)", "GetText(Name)",
          "AddLog(Unable to load 'Down'. Error: Socket Error # 10061\r\nConnection refused.|error)",
          "SetText(Result,Unable to load: Socket Error # 10061\r\nConnection refused.)",
          "ShowBalloon(Load error|Unable to load 'Down'|error)", "PostRow"}));
  EXPECT_EQ(Field("Down", "Status"), "ERR_LOAD");
  EXPECT_EQ(Field("Down", "LoadTime"), "-1");  // a failed load keeps the previous time
  EXPECT_EQ(host.Matching("SetText(Result,Unable to load: )").size(), 1u);
  EXPECT_EQ(Field("Empty", "Result"), "Unable to load:");  // the table trims trailing blanks
  EXPECT_EQ(host.Matching("AddLog(Unable to load 'Empty'")[0],
            "AddLog(Unable to load 'Empty'. Error: |error)");
  EXPECT_EQ(errorCount, 2);
  EXPECT_EQ(host.calls[host.calls.size() - 3], "AddLog(Completed with problems detected.|error)");
  EXPECT_EQ(host.calls[host.calls.size() - 2], "SetRunState(3)");
}

TEST_F(CheckRunTest, WrongResponseIsExactAndBeatsSlowness) {
  Add({.name = "Case", .url = "http://case/", .responseEnabled = true, .response = "ok"});
  Add({.name = "LineEnd", .url = "http://lineend/", .responseEnabled = true, .response = "OK"});
  Add({.name = "WrongAndSlow",
       .url = "http://both/",
       .responseEnabled = true,
       .response = "A",
       .timeoutEnabled = true,
       .timeout = 1});
  Add({.name = "EmptyExpected", .url = "http://any/", .responseEnabled = true, .response = ""});
  answers = {{"http://case/", "OK"},
             {"http://lineend/", "OK\r\n"},
             {"http://both/", "<h1>B</h1>"},
             {"http://any/", "x"}};
  ticks = {0, 5, 10, 15, 20, 5000, 30, 35};
  settings.BalloonLevel = 2;
  Run();
  for (const char* name : {"Case", "LineEnd", "WrongAndSlow", "EmptyExpected"})
    EXPECT_EQ(Field(name, "Status"), "ERR_RESP") << name;
  EXPECT_EQ(Field("WrongAndSlow", "Result"), "Wrong response: <h1>B</h1>");
  EXPECT_EQ(errorCount, 4);  // wrong and slow counts once
  EXPECT_EQ(
      host.Matching("ShowBalloon(Response error|Wrong response 'WrongAndSlow': <h1>B</h1>|error)")
          .size(),
      1u);
  EXPECT_EQ(host.Matching("AddLog(Slow").size(), 0u);
}

TEST_F(CheckRunTest, SlowMeansStrictlyAboveTimeoutAndNoTimeoutMeansZero) {
  Add({.name = "Equal", .url = "http://e/", .timeoutEnabled = true, .timeout = 100});
  Add({.name = "OneMore", .url = "http://m/", .timeoutEnabled = true, .timeout = 100});
  Add({.name = "Unset", .url = "http://u/", .timeoutEnabled = true});
  answers = {{"http://e/", "x"}, {"http://m/", "x"}, {"http://u/", "x"}};
  ticks = {0, 100, 0, 101, 7, 8};
  settings.BalloonLevel = 2;  // slow loads have no balloon below level 3
  Run();
  EXPECT_EQ(Field("Equal", "Status"), "OK");
  EXPECT_EQ(Field("OneMore", "Status"), "ERR_SLOW");
  EXPECT_EQ(Field("OneMore", "Result"), "Slow load");
  EXPECT_EQ(Field("Unset", "Status"), "ERR_SLOW");
  EXPECT_EQ(host.Matching("AddLog(Slow load 'OneMore'. Load time 101ms.|error)").size(), 1u);
  EXPECT_TRUE(host.Matching("ShowBalloon").empty());
}

TEST_F(CheckRunTest, TickCounterWrapsModulo32Bits) {
  Add({.name = "Wrap", .url = "http://w/", .timeoutEnabled = true, .timeout = 20});
  answers["http://w/"] = "x";
  ticks = {0xFFFFFFF0u, 0x00000005u};
  Run();
  EXPECT_EQ(Field("Wrap", "LoadTime"), "21");
  EXPECT_EQ(Field("Wrap", "Status"), "ERR_SLOW");
}

TEST_F(CheckRunTest, InactiveRowsAreNotTouchedAndEmptyTablesEndFine) {
  Add({.name = "Off", .active = false, .url = "http://off/"});
  Run();
  EXPECT_TRUE(gets.empty());
  EXPECT_EQ(Field("Off", "Result"), "Waiting...");
  EXPECT_EQ(host.calls, (Calls{"BeginRunUi", "AddLog(Checking...|system)", "MoveFirst", "AtEnd",
                               "GetBool(Active)", "MoveNext", "AtEnd", "SetRunState(2)",
                               "AddLog(Completed with no errors.|ok)", "EndRunUi"}));
  EXPECT_EQ(errorCount, 0);
}

TEST_F(CheckRunTest, OfflineMarksEveryRowAndKeepsLoadTimes) {
  Add({.name = "On", .url = "http://on/"});
  Add({.name = "Off", .active = false});
  settings.VerifyEnabled = true;
  settings.VerifyURL = "http://verify/";
  settings.BalloonLevel = 4;
  Run();
  EXPECT_EQ(gets, Calls{"http://verify/"});
  EXPECT_EQ(Field("On", "Status"), "OFFLINE");
  EXPECT_EQ(Field("Off", "Result"), "Unable to check server.");
  EXPECT_EQ(Field("On", "LoadTime"), "-1");
  EXPECT_EQ(errorCount, 0) << "told with the state: this run counted no failed server";
  EXPECT_EQ(
      host.Slice("BeginRunUi", "MoveFirst"),
      (Calls{"BeginRunUi", "AddLog(Checking...|system)", "SetStatusText(Verifying connection...)",
             "AddLog(Stopped! Probably offline.|error)", "SetRunState(1)", "MoveFirst"}));
}

TEST_F(CheckRunTest, VerifiedStationRunsOnline) {
  Add({.name = "On", .url = "http://on/"});
  settings.VerifyEnabled = true;
  settings.VerifyURL = "http://verify/";
  answers = {{"http://verify/", "up"}, {"http://on/", "fine"}};
  Run();
  EXPECT_EQ(gets, (Calls{"http://verify/", "http://on/"}));
  EXPECT_EQ(Field("On", "Status"), "OK");
}

TEST_F(CheckRunTest, BalloonLevelsAreStrictComparisons) {
  for (int level : {-3, 0, 7}) {
    SCOPED_TRACE(level);
    table.CreateList();
    host.calls.clear();
    Add({.name = "Down", .url = "http://down/"});
    Add({.name = "Slow", .url = "http://slow/", .timeoutEnabled = true, .timeout = 0});
    answers = {{"http://slow/", "x"}};
    ticks = {0, 0, 50};  // the failed load takes no end tick
    settings.BalloonLevel = level;
    Run();
    EXPECT_EQ(host.Matching("ShowBalloon").size(), level > 2 ? 2u : 0u);
  }
}

TEST_F(CheckRunTest, FailingLogWriteAtStartProbesNothingButEndsTheRunUi) {
  Add({.name = "A", .url = "http://a/"});
  host.failOn = "AddLog(Checking...|system)";
  Run();
  EXPECT_TRUE(gets.empty());
  EXPECT_EQ(host.calls, (Calls{"BeginRunUi", "AddLog(Checking...|system)", "EndRunUi"}));
}

TEST_F(CheckRunTest, HostErrorInsideACheckStillMovesOnThenEndsTheRun) {
  Add({.name = "A", .url = "http://a/"});
  Add({.name = "B", .url = "http://b/"});
  answers = {{"http://a/", "x"}, {"http://b/", "x"}};
  host.failOn = "SetText(Status,OK)";
  Run();
  EXPECT_EQ(gets, Calls{"http://a/"});
  const Calls tail(host.calls.end() - 3, host.calls.end());
  EXPECT_EQ(tail, (Calls{"SetText(Status,OK)", "MoveNext", "EndRunUi"}));
  EXPECT_TRUE(host.Matching("SetRunState").empty());
  EXPECT_TRUE(host.Matching("AddLog(Completed").empty());
}

TEST_F(CheckRunTest, HostErrorWhileMarkingTheRowInProgressEndsWithoutMoving) {
  Add({.name = "A", .url = "http://a/"});
  host.failOn = "SetText(Status,CHECK)";
  Run();
  const Calls tail(host.calls.end() - 2, host.calls.end());
  EXPECT_EQ(tail, (Calls{"SetText(Status,CHECK)", "EndRunUi"}));
}

TEST_F(CheckRunTest, ReadingTheUrlFailsLikeALoadError) {
  Add({.name = "A", .url = "http://a/"});
  host.failOn = "GetText(Url)";
  Run();
  EXPECT_EQ(Field("A", "Result"), "Unable to load: host failed at GetText(Url)");
}

}  // namespace
}  // namespace lantervo

namespace lantervo {
namespace {

TEST_F(CheckRunTest, QuitDuringAProbeEndsTheRunThereKeepingWhatItWrote) {
  Add({"Alpha", true, "http://a/"});
  Add({"Bravo", true, "http://b/"});
  Add({"Charlie", true, "http://c/"});
  answers = {{"http://a/", "fine"}, {"http://b/", "fine"}, {"http://c/", "fine"}};
  stopDuring = "http://b/";
  Run();
  // Charlie is never probed, Bravo's cut-short probe is not taken for a failure.
  EXPECT_EQ(gets, (Calls{"http://a/", "http://b/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "OK");
  EXPECT_EQ(Field("Bravo", "Status"), "CHECK");
  EXPECT_EQ(Field("Charlie", "Status"), "");
  EXPECT_EQ(Field("Charlie", "Result"), "Waiting...");
  EXPECT_TRUE(host.Matching("AddLog(Unable to load").empty());
  EXPECT_TRUE(host.Matching("ShowBalloon").empty());
  EXPECT_TRUE(host.Matching("SetRunState").empty());
  EXPECT_EQ(errorCount, -7) << "a stopped run reports no count";
  EXPECT_EQ(host.calls.back(), "EndRunUi");
}

TEST_F(CheckRunTest, ARunToldToStopBeforeItsFirstProbeProbesNothing) {
  Add({"Alpha", true, "http://a/"});
  answers = {{"http://a/", "fine"}, {"http://verify/", "up"}};
  settings = RunSettings{true, "http://verify/", 3};
  stopDuring = "http://verify/";
  Run();
  EXPECT_EQ(gets, (Calls{"http://verify/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "");
  // Neither offline nor online is declared for a run that was cut short.
  EXPECT_TRUE(host.Matching("AddLog(Stopped!").empty());
  EXPECT_TRUE(host.Matching("SetRunState").empty());
  EXPECT_EQ(host.calls.back(), "EndRunUi");
}

// Confirming failures: a failed check is tried again, 2 s later in short steps, and only the
// last try counts; a try that passes ends the retries and the log says so.
class CheckRetryTest : public CheckRunTest {
 protected:
  void SetUp() override {
    CheckRunTest::SetUp();
    settings = RunSettings{false, "", 3, 2};
  }
  // The pause before a retry, as the run sleeps it.
  static std::vector<std::uint32_t> RetryPause() { return std::vector<std::uint32_t>(20, 100); }
};

TEST_F(CheckRetryTest, AFailureThatPassesOnARetryCountsAsLoadedAndIsLogged) {
  Add({"Alpha", true, "http://a/"});
  sequences["http://a/"] = {"!Socket Error # 10054\r\nConnection reset by peer.", "fine"};
  ticks = {1000, 5000, 5120};
  Run();
  EXPECT_EQ(gets, (Calls{"http://a/", "http://a/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "OK");
  EXPECT_EQ(Field("Alpha", "LoadTime"), "120");
  EXPECT_EQ(errorCount, 0);
  EXPECT_EQ(host.Matching("AddLog('Alpha'"), (Calls{"AddLog('Alpha' loaded on retry 1.|ok)"}));
  EXPECT_TRUE(host.Matching("AddLog(Unable").empty());
  EXPECT_TRUE(host.Matching("ShowBalloon").empty());
  EXPECT_EQ(host.Matching("SetStatusText(Trying"),
            (Calls{"SetStatusText(Trying Alpha again (1 of 2)...)"}));
  std::vector<std::uint32_t> expected = RetryPause();
  expected.insert(expected.end(), {200, 200});
  EXPECT_EQ(sleeps, expected);
  EXPECT_EQ(host.Matching("SetRunState"), (Calls{"SetRunState(2)"}));
}

TEST_F(CheckRetryTest, EveryTryFailingCountsOnceWithTheLastTrysError) {
  Add({"Alpha", true, "http://a/"});
  Add({"Bravo", true, "http://b/"});
  sequences["http://a/"] = {"!first", "!second", "!third"};
  answers["http://b/"] = "fine";
  Run();
  EXPECT_EQ(gets, (Calls{"http://a/", "http://a/", "http://a/", "http://b/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "ERR_LOAD");
  EXPECT_EQ(Field("Alpha", "Result"), "Unable to load: third");
  EXPECT_EQ(host.Matching("AddLog(Unable"),
            (Calls{"AddLog(Unable to load 'Alpha'. Error: third|error)"}));
  EXPECT_EQ(host.Matching("ShowBalloon").size(), 1u);
  EXPECT_EQ(errorCount, 1);
  EXPECT_EQ(Field("Bravo", "Status"), "OK");
  EXPECT_TRUE(host.Matching("AddLog('").empty());
}

// A wrong answer and a slow one are failures too: each may be a glitch.
TEST_F(CheckRetryTest, AWrongOrSlowAnswerIsTriedAgainAndTheLastOneCounts) {
  Add({.name = "Alpha", .url = "http://a/", .responseEnabled = true, .response = "OK"});
  Add({.name = "Bravo", .url = "http://b/", .timeoutEnabled = true, .timeout = 500});
  sequences["http://a/"] = {"maintenance", "OK"};
  answers["http://b/"] = "fine";
  // Alpha: 2 probes; Bravo: 900 ms, then 100 ms, then (not reached) more.
  ticks = {0, 10, 20, 30, 1000, 1900, 3000, 3100};
  Run();
  EXPECT_EQ(Field("Alpha", "Status"), "OK");
  EXPECT_EQ(Field("Bravo", "Status"), "OK");
  EXPECT_EQ(Field("Bravo", "LoadTime"), "100");
  EXPECT_EQ(host.Matching("AddLog('"), (Calls{"AddLog('Alpha' loaded on retry 1.|ok)",
                                              "AddLog('Bravo' loaded on retry 1.|ok)"}));
  EXPECT_EQ(gets.size(), 4u);
}

TEST_F(CheckRetryTest, QuitDuringTheRetryPauseEndsTheRunWithoutBlamingTheServer) {
  Add({"Alpha", true, "http://a/"});
  Add({"Bravo", true, "http://b/"});
  answers["http://b/"] = "fine";  // Alpha refuses every try
  stopAtSleep = 5;
  Run();
  EXPECT_EQ(gets, (Calls{"http://a/"}));
  EXPECT_EQ(sleeps.size(), 5u) << "the pause ends at the step Quit came in";
  EXPECT_EQ(Field("Alpha", "Status"), "CHECK");
  EXPECT_EQ(Field("Bravo", "Status"), "");
  EXPECT_TRUE(host.Matching("AddLog(Unable").empty());
  EXPECT_TRUE(host.Matching("SetRunState").empty());
  EXPECT_EQ(host.calls.back(), "EndRunUi");
}

// Without retries a check makes exactly the calls it always made: no extra reads of the row.
TEST_F(CheckRetryTest, NoRetriesMeansOneProbeAndNoExtraReads) {
  settings.RetryCount = 0;
  Add({"Alpha", true, "http://a/"});
  Run();
  EXPECT_EQ(gets, (Calls{"http://a/"}));
  EXPECT_EQ(host.Matching("GetBool(ResponseEnabled)").size(), 0u) << "a load error reads no more";
  EXPECT_EQ(sleeps, (std::vector<std::uint32_t>{200, 200}));
}

// Told on change: the window balloons once the rows are posted; the run shows none itself and
// still logs every failure.
TEST_F(CheckRunTest, NotifyOnChangeLeavesTheBalloonsToTheWindowAndKeepsTheLog) {
  settings = RunSettings{false, "", 3, 0, true};
  Add({"Alpha", true, "http://a/"});
  Add({.name = "Bravo", .url = "http://b/", .responseEnabled = true, .response = "OK"});
  answers["http://b/"] = "bad";
  Run();
  EXPECT_TRUE(host.Matching("ShowBalloon").empty());
  EXPECT_EQ(host.Matching("AddLog(Unable").size(), 1u);
  EXPECT_EQ(host.Matching("AddLog(Wrong").size(), 1u);
  EXPECT_EQ(errorCount, 2);
}

// A sleep in the middle of a run: the server in hand and those after it were not checked, so
// they are offline, not down; what was checked before stays; the run ends as offline.
TEST_F(CheckRunTest, ASleepDuringAProbeMarksTheRestOfflineInsteadOfDown) {
  for (const char* name : {"Alpha", "Bravo", "Charlie", "Delta"})
    Add({name, true, std::string("http://") + name + "/"});
  table.MoveFirst();
  for (int i = 0; i < 3; ++i) table.MoveNext();
  table.BeginEdit();
  table.SetBool("Active", false);  // Delta is not checked at all
  table.PostRow();
  answers = {{"http://Alpha/", "fine"}, {"http://Charlie/", "fine"}};
  sleepDuring["http://Bravo/"] = 45 * 60 * 1000;
  Run();
  EXPECT_EQ(gets, (Calls{"http://Alpha/", "http://Bravo/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "OK");
  EXPECT_EQ(Field("Bravo", "Status"), "OFFLINE");
  EXPECT_EQ(Field("Bravo", "Result"), "Unable to check server.");
  EXPECT_EQ(Field("Charlie", "Status"), "OFFLINE");
  EXPECT_EQ(Field("Delta", "Status"), "") << "an inactive row is left alone";
  EXPECT_TRUE(host.Matching("AddLog(Unable").empty());
  EXPECT_TRUE(host.Matching("ShowBalloon").empty());
  EXPECT_EQ(
      host.Matching("AddLog(Interrupted"),
      (Calls{"AddLog(Interrupted by sleep; the servers not checked are marked offline.|system)"}));
  EXPECT_EQ(host.Matching("SetRunState"), (Calls{"SetRunState(1)"}));
  EXPECT_EQ(host.calls.back(), "EndRunUi");
}

// Told that the machine is going to sleep, the run gives up the probe in flight and takes no
// retry: nothing it sees now is the server's fault.
TEST_F(CheckRetryTest, GoingToSleepEndsTheProbeAndTheRetriesAndBlamesNoOne) {
  Add({"Alpha", true, "http://a/"});
  Add({"Bravo", true, "http://b/"});
  sleepDuring["http://a/"] = 0;
  Run();
  EXPECT_EQ(gets, (Calls{"http://a/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "OFFLINE");
  EXPECT_EQ(Field("Bravo", "Status"), "OFFLINE");
  EXPECT_TRUE(host.Matching("SetStatusText(Trying").empty());
  EXPECT_EQ(host.Matching("SetRunState"), (Calls{"SetRunState(1)"}));
}

// A short hiccup of the clock is no sleep: the failure counts.
TEST_F(CheckRunTest, AClockGapShorterThanASleepIsAnOrdinaryFailure) {
  Add({"Alpha", true, "http://a/"});
  sleepDuring["http://a/"] = 500;
  Run();
  EXPECT_EQ(Field("Alpha", "Status"), "ERR_LOAD");
  EXPECT_EQ(Field("Alpha", "Result"), "Unable to load: Read timed out");
}

// After a wake the run asks the network first, every 2 s, and starts checking once it answers;
// with nothing to ask it goes on at once.
TEST_F(CheckRunTest, AfterAWakeTheRunWaitsUntilTheFirstServerCanBeReached) {
  settings.WaitForNetwork = true;
  Add({"Off", false, "http://off/"});
  Add({"Alpha", true, "http://a/"});
  answers["http://a/"] = "fine";
  reachable = {false, false, true};
  ticks = {0, 2000, 4000, 6000, 6100};
  Run();
  EXPECT_EQ(reaches, (Calls{"http://a/", "http://a/", "http://a/"}));
  EXPECT_EQ(gets, (Calls{"http://a/"}));
  EXPECT_EQ(Field("Alpha", "Status"), "OK");
  EXPECT_EQ(host.Matching("SetStatusText(Waiting"),
            (Calls{"SetStatusText(Waiting for the network...)"}));
  std::vector<std::uint32_t> expected(40, 100);  // two pauses of 2 s
  expected.insert(expected.end(), {200, 200});
  EXPECT_EQ(sleeps, expected);
}

TEST_F(CheckRunTest, AfterAWakeTheWaitEndsAfterAMinuteAndTheVerificationIsWhatIsAsked) {
  settings = RunSettings{true, "http://verify/", 3};
  settings.WaitForNetwork = true;
  Add({"Alpha", true, "http://a/"});
  answers["http://a/"] = "fine";
  // The verification never answers; the clock moves 10 s a reading.
  for (std::uint32_t t = 0; t <= 100000; t += 10000) ticks.push_back(t);
  Run();
  EXPECT_TRUE(reaches.empty()) << "the verification URL is what the network is asked with";
  // Asked at 0, 10, ... 50 s: six times, the clock then says a minute is over; once more by the
  // run itself.
  EXPECT_EQ(std::count(gets.begin(), gets.end(), "http://verify/"), 7);
  EXPECT_EQ(Field("Alpha", "Status"), "OFFLINE") << "then offline as ever";
}

TEST_F(CheckRetryTest, QuitEndsTheWaitForTheNetwork) {
  settings.WaitForNetwork = true;
  Add({"Alpha", true, "http://a/"});
  reachable = {false, false, false};
  stopAtSleep = 3;
  Run();
  EXPECT_EQ(reaches.size(), 1u);
  EXPECT_TRUE(gets.empty());
  EXPECT_EQ(Field("Alpha", "Status"), "");
  EXPECT_EQ(host.calls.back(), "EndRunUi");
}

// Several lanes: the same steps per row, the rows shared out, and probes that run at once.
class CheckLanesTest : public CheckRunTest {
 protected:
  // Each lane's clock: every probe takes 100 ms, whatever the other lanes do.
  static std::uint32_t LaneTick() {
    thread_local std::uint32_t tick = 0;
    return tick += 100;
  }

  void RunLanes(int lanes) {
    settings.Lanes = lanes;
    const RunClock clock{[] { return LaneTick(); }, [](std::uint32_t) {}, {}};
    const ProbeGet get = [this](const std::string& url) { return Probe(url); };
    const std::vector<ProbeGet> others(static_cast<std::size_t>(lanes - 1), get);
    Execute(settings, host, get, clock, &stop, &asleep, {}, others);
  }

  std::string Probe(const std::string& url) {
    {
      std::unique_lock lock(mutex);
      inFlight.push_back(url);
      changed.notify_all();
      // A held probe waits until it is let go, or until Quit.
      changed.wait_for(lock, std::chrono::seconds(20),
                       [&] { return !held.count(url) || stop.load(); });
      if (stop) throw HttpError("Socket Error # 10004\r\nInterrupted system call.");
      if (url == sleepAt) {
        asleep = true;
        throw HttpError("Socket Error # 10004\r\nInterrupted system call.");
      }
    }
    auto it = answers.find(url);
    std::string answer =
        it == answers.end() ? "!Socket Error # 10061\r\nConnection refused." : it->second;
    {
      std::lock_guard lock(mutex);
      finished.push_back(url);
      changed.notify_all();
    }
    if (answer.rfind("!", 0) == 0) throw HttpError(answer.substr(1));
    return answer;
  }

  struct Outcome {
    std::vector<std::string> rows;      // name status result load time, in table order
    std::vector<std::string> logs;      // sorted
    std::vector<std::string> balloons;  // sorted
    std::vector<std::string> states;
    int errors = 0;
    bool operator==(const Outcome&) const = default;
  };
  Outcome Taken() {
    Outcome o;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
      o.rows.push_back(table.GetText("Name") + " " + table.GetText("Status") + " " +
                       table.GetText("Result") + " " + std::to_string(table.GetInt("LoadTime")));
    o.logs = host.Matching("AddLog(");
    std::sort(o.logs.begin(), o.logs.end());
    o.balloons = host.Matching("ShowBalloon(");
    std::sort(o.balloons.begin(), o.balloons.end());
    o.states = host.Matching("SetRunState(");
    o.errors = errorCount;
    return o;
  }
  void Reset() {
    table.SetTextInEveryRow("Status", "");
    table.SetTextInEveryRow("Result", "Waiting...");
    table.SetIntInEveryRow("LoadTime", -1);
    host.calls.clear();
    inFlight.clear();
    finished.clear();
  }
  // Waits until `count` probes are under way.
  bool WaitInFlight(std::size_t count) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20),
                            [&] { return inFlight.size() >= count; });
  }

  std::mutex mutex;
  std::condition_variable changed;
  std::set<std::string> held;
  std::string sleepAt;
  std::vector<std::string> inFlight, finished;
};

TEST_F(CheckLanesTest, LanesGiveTheOneLaneRunsOutcomesInAnyOrder) {
  answers = {{"http://a/", "fine"},     {"http://c/", "other"}, {"http://d/", "fine"},
             {"http://e/", "expected"}, {"http://g/", "fine"},  {"http://h/", "fine"}};
  Add({"alpha", true, "http://a/"});
  Add({"bravo", true, "http://b/"});  // refused
  Add({"charlie", true, "http://c/", true, "expected"});
  Add({"delta", true, "http://d/", false, "", true, 50});
  Add({"echo", true, "http://e/", true, "expected", true, 500});
  Add({"foxtrot", false, "http://f/"});
  Add({"golf", true, "http://g/"});
  Add({"hotel", true, "http://h/"});
  RunLanes(1);
  const Outcome one = Taken();
  ASSERT_EQ(one.errors, 3);
  ASSERT_EQ(one.states, Calls{"SetRunState(3)"});
  for (int lanes : {2, 4, 16}) {
    SCOPED_TRACE(lanes);
    Reset();
    RunLanes(lanes);
    EXPECT_EQ(Taken(), one);
    EXPECT_EQ(host.calls.front(), "BeginRunUi");
    EXPECT_EQ(host.calls.back(), "EndRunUi");
    // The last line comes once, after every row.
    EXPECT_EQ(host.calls[host.calls.size() - 2], "SetRunState(3)");
    EXPECT_EQ(host.Matching("PostRowAt(alpha,").size(), 2u);  // CHECK, then OK
  }
}

TEST_F(CheckLanesTest, ASlowServerHoldsOnlyItsLane) {
  for (const char* name : {"a", "b", "c", "d", "e"})
    answers[std::string("http://") + name + "/"] = "x";
  for (const char* name : {"a", "b", "c", "d", "e"})
    Add({name, true, std::string("http://") + name + "/"});
  held.insert("http://a/");
  std::thread release([this] {
    std::unique_lock lock(mutex);
    // The other four are checked while the first still waits.
    changed.wait_for(lock, std::chrono::seconds(20), [&] { return finished.size() >= 4; });
    held.clear();
    changed.notify_all();
  });
  RunLanes(2);
  release.join();
  ASSERT_EQ(finished.size(), 5u);
  EXPECT_EQ(finished.back(), "http://a/");
  EXPECT_EQ(host.Matching("SetRunState("), Calls{"SetRunState(2)"});
}

TEST_F(CheckLanesTest, QuitWithSixteenLanesInFlightEndsEveryOneAndWritesNoOutcome) {
  for (int i = 0; i < 20; ++i) {
    const std::string url = "http://s" + std::to_string(i) + "/";
    answers[url] = "x";
    held.insert(url);
    Add({"server " + std::to_string(100 + i), true, url});
  }
  std::thread quit([this] {
    ASSERT_TRUE(WaitInFlight(16));
    std::lock_guard lock(mutex);
    stop = true;
    changed.notify_all();
  });
  RunLanes(16);
  quit.join();
  EXPECT_EQ(inFlight.size(), 16u) << "no lane took another row after Quit";
  EXPECT_EQ(host.calls.back(), "EndRunUi");
  EXPECT_TRUE(host.Matching("SetRunState(").empty());
  EXPECT_TRUE(host.Matching("AddLog(Completed").empty());
  for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
    EXPECT_NE(table.GetText("Status"), "OK") << table.GetText("Name");
}

TEST_F(CheckLanesTest, ASleepMarksEveryRowNotCheckedOffline) {
  for (int i = 0; i < 8; ++i) {
    const std::string url = "http://s" + std::to_string(i) + "/";
    answers[url] = "x";
    Add({"server " + std::to_string(i), true, url});
  }
  sleepAt = "http://s3/";
  RunLanes(3);
  EXPECT_EQ(Field("server 3", "Status"), "OFFLINE");
  int offline = 0;
  for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
    const std::string status = table.GetText("Status");
    EXPECT_TRUE(status == "OK" || status == "OFFLINE") << status;
    offline += status == "OFFLINE";
  }
  EXPECT_GE(offline, 1);
  EXPECT_EQ(host.Matching("AddLog(Interrupted by sleep").size(), 1u);
  EXPECT_EQ(host.Matching("SetRunState("), Calls{"SetRunState(1)"});
  EXPECT_EQ(errorCount, 0);
}

}  // namespace
}  // namespace lantervo
