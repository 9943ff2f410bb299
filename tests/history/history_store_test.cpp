#include "history/history_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "history/sqlite.h"
#include "platform/file.h"
#include "tests/support/temp_dir.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lantervo::history {
namespace {

// 2026-12-10 00:00 UTC.
constexpr std::int64_t kDay0 = 1796860800000;
constexpr std::int64_t kMinute = 60 * 1000;

ProbeOutcome Probe(std::int64_t at, const std::string& name, ProbeStatus status, int load = -1,
                   const std::string& text = {}, const std::string& url = {}) {
  ProbeOutcome probe;
  probe.at = at;
  probe.name = name;
  probe.url = url.empty() ? "http://127.0.0.1/" + name : url;
  probe.status = status;
  probe.loadMs = load;
  probe.text = text;
  probe.slowMs = 500;
  return probe;
}

RunRecord MakeRun(std::int64_t start, std::vector<ProbeOutcome> probes) {
  RunRecord run;
  run.start = start;
  run.end = start + 1000;
  run.probes = std::move(probes);
  for (const ProbeOutcome& p : run.probes)
    if (p.status != ProbeStatus::Up) ++run.errorCount;
  run.state = run.errorCount ? rrProblems : rrAllOk;
  return run;
}

ServerRecord Find(HistoryStore& store, const std::string& name) {
  for (const ServerRecord& s : store.Servers())
    if (s.name == name) return s;
  return {};
}

class HistoryStoreTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("LTV.history.sqlite"); }
  test::TempDir dir;
};

TEST_F(HistoryStoreTest, StatesOutagesAndTheirTimesSurviveARestart) {
  {
    HistoryStore store(Path());
    store.Record(MakeRun(kDay0, {Probe(kDay0, "shop", ProbeStatus::Up, 120)}));
    store.Record(MakeRun(kDay0 + 5 * kMinute, {Probe(kDay0 + 5 * kMinute, "shop", ProbeStatus::Down,
                                                     -1, "Unable to load: Connection refused")}));
    store.Record(MakeRun(kDay0 + 10 * kMinute,
                         {Probe(kDay0 + 10 * kMinute, "shop", ProbeStatus::WrongResponse, 80,
                                "Wrong response: maintenance")}));
    const ServerRecord shop = Find(store, "shop");
    EXPECT_EQ(shop.state, ServerState::WrongResponse);
    EXPECT_EQ(shop.since, kDay0 + 10 * kMinute);
    // Down then wrong response is one outage, which began with the first failure.
    const auto outages = store.Outages(kDay0, kDay0 + kDayMs);
    ASSERT_EQ(outages.size(), 1u);
    EXPECT_EQ(outages[0].start, kDay0 + 5 * kMinute);
    EXPECT_EQ(outages[0].end, 0) << "still going on";
    EXPECT_EQ(outages[0].text, "Unable to load: Connection refused");
  }
  HistoryStore store(Path());  // a new start
  EXPECT_EQ(Find(store, "shop").state, ServerState::WrongResponse);
  store.Record(
      MakeRun(kDay0 + 15 * kMinute, {Probe(kDay0 + 15 * kMinute, "shop", ProbeStatus::Slow, 900)}));
  store.Record(
      MakeRun(kDay0 + 20 * kMinute, {Probe(kDay0 + 20 * kMinute, "shop", ProbeStatus::Up, 100)}));
  const ServerRecord shop = Find(store, "shop");
  EXPECT_EQ(shop.state, ServerState::Up);
  EXPECT_EQ(shop.since, kDay0 + 20 * kMinute);
  EXPECT_EQ(shop.lastCheck, kDay0 + 20 * kMinute);
  const auto outages = store.Outages(kDay0, kDay0 + kDayMs);
  ASSERT_EQ(outages.size(), 1u);
  EXPECT_EQ(outages[0].end, kDay0 + 15 * kMinute) << "slow is not down";
  EXPECT_EQ(store.Outages(kDay0 + 16 * kMinute, kDay0 + kDayMs).size(), 0u);
  EXPECT_EQ(store.Outages(kDay0 + 14 * kMinute, kDay0 + kDayMs).size(), 1u);

  // The checks themselves, with their texts stored once.
  std::vector<ProbeRow> rows;
  store.ForEachProbe(kDay0, kDay0 + kDayMs, [&](const ProbeRow& row) { rows.push_back(row); });
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[1].status, ProbeStatus::Down);
  EXPECT_EQ(rows[1].loadMs, -1);
  EXPECT_EQ(rows[2].text, "Wrong response: maintenance");
  EXPECT_EQ(rows[3].loadMs, 900);
  EXPECT_EQ(rows[4].text, "");
  const auto runs = store.Runs(kDay0, kDay0 + kDayMs);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[1].state, rrProblems);
  EXPECT_EQ(runs[1].errorCount, 1);
}

TEST_F(HistoryStoreTest, OfflineRunsAreKeptAndChangeNoState) {
  HistoryStore store(Path());
  store.Record(MakeRun(kDay0, {Probe(kDay0, "a", ProbeStatus::Down, -1, "x")}));
  RunRecord offline;
  offline.start = kDay0 + kMinute;
  offline.end = offline.start + 10;
  offline.state = rrOffline;
  store.Record(offline);
  const auto runs = store.Runs(kDay0, kDay0 + kDayMs);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[1].state, rrOffline);
  EXPECT_EQ(Find(store, "a").state, ServerState::Down);
  EXPECT_EQ(store.Outages(kDay0, kDay0 + kDayMs)[0].end, 0);
}

TEST_F(HistoryStoreTest, ARenamedOrMovedServerKeepsItsHistoryADeletedOneStays) {
  HistoryStore store(Path());
  store.Record(
      MakeRun(kDay0, {Probe(kDay0, "Shop", ProbeStatus::Up, 10, "", "http://127.0.0.1/s"),
                      Probe(kDay0 + 1, "Blog", ProbeStatus::Up, 10, "", "http://127.0.0.1/b")}));
  const std::int64_t shop = Find(store, "Shop").id;
  const std::int64_t blog = Find(store, "Blog").id;
  // Renamed: the same address under a new name.
  store.Record(MakeRun(
      kDay0 + kMinute,
      {Probe(kDay0 + kMinute, "Shop (live)", ProbeStatus::Down, -1, "gone", "http://127.0.0.1/s"),
       Probe(kDay0 + kMinute + 1, "Blog", ProbeStatus::Up, 10, "", "http://127.0.0.1/b")}));
  EXPECT_EQ(Find(store, "Shop (live)").id, shop);
  EXPECT_EQ(Find(store, "Shop").id, 0);
  EXPECT_EQ(Find(store, "Shop (live)").state, ServerState::Down) << "its state carried on";
  // Moved: the same name at a new address.
  store.Record(MakeRun(
      kDay0 + 2 * kMinute,
      {Probe(kDay0 + 2 * kMinute, "Shop (live)", ProbeStatus::Up, 10, "", "http://127.0.0.1/s2")}));
  EXPECT_EQ(Find(store, "Shop (live)").id, shop);
  EXPECT_EQ(Find(store, "Shop (live)").url, "http://127.0.0.1/s2");
  EXPECT_EQ(store.Outages(kDay0, kDay0 + kDayMs).size(), 1u);
  EXPECT_EQ(store.Outages(kDay0, kDay0 + kDayMs)[0].end, kDay0 + 2 * kMinute);
  // Blog left the list in the last run: its history stays.
  EXPECT_EQ(Find(store, "Blog").id, blog);
  // A new server with the old name and address of none: a server of its own.
  store.Record(
      MakeRun(kDay0 + 3 * kMinute, {Probe(kDay0 + 3 * kMinute, "Wiki", ProbeStatus::Up, 5)}));
  EXPECT_EQ(store.Servers().size(), 3u);
  // Two rows with the same name and address share one history.
  store.Record(
      MakeRun(kDay0 + 4 * kMinute, {Probe(kDay0 + 4 * kMinute, "Wiki", ProbeStatus::Up, 5),
                                    Probe(kDay0 + 4 * kMinute + 1, "Wiki", ProbeStatus::Up, 6)}));
  EXPECT_EQ(store.Servers().size(), 3u);
}

// A day of checks every five minutes for three servers: the hourly figures equal those computed
// from the checks, whether the hour is rolled up or not.
TEST_F(HistoryStoreTest, HourlyFiguresEqualTheChecksTheyComeFrom) {
  HistoryStore store(Path());
  std::vector<ProbeOutcome> all;
  for (int run = 0; run < 288; ++run) {
    const std::int64_t at = kDay0 + run * 5 * kMinute;
    std::vector<ProbeOutcome> probes;
    for (const char* name : {"a", "b", "c"}) {
      const int load = 50 + (run * 37 + name[0] * 11) % 400;
      ProbeStatus status = ProbeStatus::Up;
      if (name[0] == 'b' && run % 17 == 0) status = ProbeStatus::Down;
      if (name[0] == 'c' && load > 400) status = ProbeStatus::Slow;
      if (name[0] == 'c' && run % 50 == 0) status = ProbeStatus::WrongResponse;
      probes.push_back(Probe(at + (name[0] - 'a'), name, status,
                             status == ProbeStatus::Down ? -1 : load, "failed"));
    }
    all.insert(all.end(), probes.begin(), probes.end());
    store.Record(MakeRun(at, probes));
  }
  const std::int64_t firstHour = kDay0 / kHourMs;
  const auto before = store.Hours(firstHour, firstHour + 24);
  store.RollUp(kDay0 + 20 * kHourMs + 1);
  EXPECT_EQ(store.RolledUpTo(), firstHour + 20);
  const auto after = store.Hours(firstHour, firstHour + 24);
  ASSERT_EQ(before.size(), 72u);
  ASSERT_EQ(after.size(), 72u);
  for (std::size_t i = 0; i < after.size(); ++i) {
    const HourRecord& h = after[i];
    const auto same = std::find_if(before.begin(), before.end(), [&](const HourRecord& b) {
      return b.hour == h.hour && b.server == h.server;
    });
    ASSERT_NE(same, before.end());
    EXPECT_EQ(same->checks, h.checks);
    EXPECT_EQ(same->loads, h.loads);
    // From the checks themselves.
    const std::string name = Find(store, "a").id == h.server   ? "a"
                             : Find(store, "b").id == h.server ? "b"
                                                               : "c";
    HourRecord expected;
    for (const ProbeOutcome& p : all) {
      if (p.name != name || p.at / kHourMs != h.hour) continue;
      ++expected.checks;
      expected.down += p.status == ProbeStatus::Down;
      expected.wrong += p.status == ProbeStatus::WrongResponse;
      expected.slow += p.status == ProbeStatus::Slow;
      if (p.loadMs >= 0) expected.loads.push_back(p.loadMs);
    }
    std::sort(expected.loads.begin(), expected.loads.end());
    EXPECT_EQ(h.checks, 12);
    EXPECT_EQ(h.checks, expected.checks);
    EXPECT_EQ(h.down, expected.down);
    EXPECT_EQ(h.wrong, expected.wrong);
    EXPECT_EQ(h.slow, expected.slow);
    EXPECT_EQ(h.loads, expected.loads);
  }
  // The stored figures are those of the hour's load times.
  Database raw(Path());
  Statement stored(raw,
                   "SELECT min_ms, median_ms, p95_ms, max_ms FROM hourly WHERE hour = ? "
                   "AND server = ?");
  stored.Bind(1, firstHour + 3).Bind(2, Find(store, "c").id);
  ASSERT_TRUE(stored.Step());
  const auto c3 = std::find_if(after.begin(), after.end(), [&](const HourRecord& h) {
    return h.hour == firstHour + 3 && h.server == Find(store, "c").id;
  });
  std::vector<std::int32_t> loads = c3->loads;
  const LoadFigures figures = FiguresOf(loads);
  EXPECT_EQ(stored.Int(0), figures.min);
  EXPECT_EQ(stored.Int(1), figures.median);
  EXPECT_EQ(stored.Int(2), figures.p95);
  EXPECT_EQ(stored.Int(3), figures.max);
}

// Quit stops the upkeep between hours: what was rolled up stays, the rest is done next time and
// reads the same meanwhile.
TEST_F(HistoryStoreTest, AStoppedRollUpKeepsTheHoursItDid) {
  HistoryStore store(Path());
  for (int hour = 0; hour < 3; ++hour)
    store.Record(MakeRun(kDay0 + hour * kHourMs,
                         {Probe(kDay0 + hour * kHourMs, "a", ProbeStatus::Up, 10 + hour)}));
  const std::int64_t first = kDay0 / kHourMs;
  const auto before = store.Hours(first, first + 3);
  int asked = 0;
  store.RollUp(kDay0 + 5 * kHourMs, [&] { return ++asked > 1; });
  EXPECT_EQ(store.RolledUpTo(), first + 1);
  const auto after = store.Hours(first, first + 3);
  ASSERT_EQ(after.size(), 3u);
  for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].loads, before[i].loads);
  store.RollUp(kDay0 + 5 * kHourMs);
  EXPECT_EQ(store.RolledUpTo(), first + 5);
}

TEST_F(HistoryStoreTest, PruningDropsWhatAgedOutAndKeepsTheRest) {
  HistoryLimits limits;
  limits.probeDays = 2;
  limits.hourlyDays = 5;
  HistoryStore store(Path(), limits);
  // A check a day for eight days; "gone" only on the first day, with an outage that ended.
  for (int day = 0; day < 8; ++day) {
    std::vector<ProbeOutcome> probes{
        Probe(kDay0 + day * kDayMs, "stays", ProbeStatus::Down, -1, "text " + std::to_string(day))};
    if (day == 0) probes.push_back(Probe(kDay0 + 1, "gone", ProbeStatus::Down, -1, "old"));
    if (day == 0) probes.push_back(Probe(kDay0 + 2 * kHourMs, "gone", ProbeStatus::Up, 5));
    store.Record(MakeRun(kDay0 + day * kDayMs, probes));
  }
  const std::int64_t now = kDay0 + 7 * kDayMs + kHourMs;
  store.RollUp(now);
  EXPECT_TRUE(store.Prune(now));
  std::vector<ProbeRow> rows;
  store.ForEachProbe(0, now, [&](const ProbeRow& row) { rows.push_back(row); });
  ASSERT_EQ(rows.size(), 2u) << "checks of the last two days";
  EXPECT_EQ(rows[0].at, kDay0 + 6 * kDayMs);
  EXPECT_EQ(rows[0].text, "text 6");
  const auto hours = store.Hours(0, now / kHourMs + 1);
  ASSERT_EQ(hours.size(), 5u) << "hourly figures of the last five days";
  EXPECT_EQ(hours.front().hour, (kDay0 + 3 * kDayMs) / kHourMs);
  EXPECT_EQ(store.Runs(0, now).size(), 5u);
  EXPECT_EQ(Find(store, "gone").id, 0) << "everything of it aged out";
  EXPECT_NE(Find(store, "stays").id, 0);
  // The outage of "stays" is still going on and is never dropped.
  ASSERT_EQ(store.Outages(0, now).size(), 1u);
  Database raw(Path());
  EXPECT_EQ(raw.QueryInt("SELECT count(*) FROM result_text"), 3)
      << "the texts of the kept checks and of the outage";
  // A stop asked for between slices ends pruning there.
  EXPECT_FALSE(store.Prune(now + 30 * kDayMs, [] { return true; }));
  EXPECT_EQ(store.IntegrityCheck(), "ok");
}

TEST_F(HistoryStoreTest, ARunIsRecordedWholeOrNotAtAll) {
  HistoryStore store(Path());
  store.Record(MakeRun(kDay0, {Probe(kDay0, "a", ProbeStatus::Up, 10)}));
  {
    // Another connection holds the write lock: the run fails as busy and leaves nothing.
    Database other(Path());
    other.Execute("BEGIN IMMEDIATE");
    try {
      store.Record(
          MakeRun(kDay0 + kMinute, {Probe(kDay0 + kMinute, "a", ProbeStatus::Down, -1, "x"),
                                    Probe(kDay0 + kMinute + 1, "b", ProbeStatus::Up, 5)}));
      ADD_FAILURE() << "recorded under another's lock";
    } catch (const SqliteError& e) {
      EXPECT_EQ(e.GetKind(), SqliteError::Kind::Busy) << e.what();
    }
    other.Execute("ROLLBACK");
  }
  EXPECT_EQ(store.Runs(0, kDay0 + kDayMs).size(), 1u);
  EXPECT_EQ(Find(store, "a").state, ServerState::Up) << "the state went back with the run";
  EXPECT_EQ(Find(store, "b").id, 0);
  // The next run goes in as if the failed one never was.
  store.Record(
      MakeRun(kDay0 + 2 * kMinute, {Probe(kDay0 + 2 * kMinute, "a", ProbeStatus::Down, -1, "x")}));
  EXPECT_EQ(Find(store, "a").state, ServerState::Down);
  EXPECT_EQ(store.Outages(0, kDay0 + kDayMs).size(), 1u);
}

TEST_F(HistoryStoreTest, AFileThatIsNoHistoryIsCorrupt) {
  const auto kindOf = [&] {
    try {
      HistoryStore store(Path());
      return std::string("opened");
    } catch (const SqliteError& e) {
      return std::string(e.GetKind() == SqliteError::Kind::Corrupt ? "corrupt" : e.what());
    }
  };
  dir.Write("LTV.history.sqlite", std::string(8192, 'x'));
  EXPECT_EQ(kindOf(), "corrupt");
  ASSERT_TRUE(platform::RemoveFile(Path()));
  {
    Database other(Path());
    other.Execute("CREATE TABLE notes(text)");
  }
  EXPECT_EQ(kindOf(), "corrupt") << "someone else's database";
  ASSERT_TRUE(platform::RemoveFile(Path()));
  EXPECT_EQ(kindOf(), "opened");
  {
    Database newer(Path());
    newer.Execute("PRAGMA user_version=99");
  }
  EXPECT_EQ(kindOf(), "corrupt") << "a newer version's file";
}

#ifndef _WIN32
// Killed at any instant, the file loses at most the run being written and stays whole.
TEST_F(HistoryStoreTest, AKillAtAnyInstantLosesAtMostTheRunInProgress) {
  constexpr int kProbes = 50;
  std::int64_t next = kDay0;
  for (int round = 0; round < 6; ++round) {
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(started[0]);
      HistoryStore store(Path());
      for (std::int64_t at = next;; at += kMinute) {
        std::vector<ProbeOutcome> probes;
        for (int i = 0; i < kProbes; ++i)
          probes.push_back(Probe(at + i, "s" + std::to_string(i),
                                 i % 3 ? ProbeStatus::Up : ProbeStatus::Down, 10 + i, "failed"));
        store.Record(MakeRun(at, probes));
        if (at == next) {
          const char one = 1;
          if (write(started[1], &one, 1) != 1) _exit(2);
        }
        if (at % (7 * kMinute) == 0) store.RollUp(at);
      }
    }
    close(started[1]);
    char one = 0;
    ASSERT_EQ(read(started[0], &one, 1), 1);  // the first run is in
    close(started[0]);
    usleep(static_cast<useconds_t>(1000 + round * 7000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    HistoryStore store(Path());
    EXPECT_EQ(store.IntegrityCheck(), "ok");
    const auto runs = store.Runs(0, kDay0 + 365 * kDayMs);
    std::size_t probes = 0;
    store.ForEachProbe(0, kDay0 + 365 * kDayMs, [&](const ProbeRow&) { ++probes; });
    EXPECT_EQ(probes, runs.size() * kProbes) << "every recorded run whole, round " << round;
    ASSERT_FALSE(runs.empty()) << "no run recorded in round " << round;
    next = runs.back().start + kMinute;
  }
}
#endif

}  // namespace
}  // namespace lantervo::history
