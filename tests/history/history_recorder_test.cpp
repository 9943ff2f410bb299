#include "history/history_recorder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "history/sqlite.h"
#include "platform/file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace lantervo::history {
namespace {

constexpr std::int64_t kDay0 = 1796860800000;  // 2026-12-10 00:00 UTC

RunRecord RunAt(std::int64_t start, const std::string& name, ProbeStatus status) {
  RunRecord run;
  run.start = start;
  run.end = start + 500;
  ProbeOutcome probe;
  probe.at = start + 100;
  probe.name = name;
  probe.url = "http://127.0.0.1/" + name;
  probe.status = status;
  probe.loadMs = status == ProbeStatus::Down ? -1 : 40;
  probe.text = status == ProbeStatus::Up ? "" : "Unable to load: refused";
  run.probes.push_back(probe);
  run.errorCount = status == ProbeStatus::Up ? 0 : 1;
  run.state = run.errorCount ? rrProblems : rrAllOk;
  return run;
}

std::string KindText(HistoryNote::Kind kind) {
  switch (kind) {
    case HistoryNote::Kind::Damaged:
      return "damaged";
    case HistoryNote::Kind::CannotWrite:
      return "cannot write";
    case HistoryNote::Kind::WritingAgain:
      return "writing again";
  }
  return "?";
}

class HistoryRecorderTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("LTV.history.sqlite"); }
  HistoryRecorderOptions Options(HistoryLimits limits = {}) {
    HistoryRecorderOptions options;
    options.path = Path();
    options.limits = limits;
    options.now = [this] { return now; };
    options.handOffs = handOffs;
    options.note = [this](const HistoryNote& note) {
      notes.push_back(KindText(note.kind) + (note.detail.empty() ? "" : ": " + note.detail));
    };
    return options;
  }
  std::size_t RunsRecorded() {
    HistoryStore store(Path());
    return store.Runs(0, kDay0 + 365 * kDayMs).size();
  }

  test::TempDir dir;
  std::shared_ptr<HandOffQueue> handOffs = std::make_shared<HandOffQueue>();
  std::int64_t now = kDay0 + 10 * kHourMs;
  std::vector<std::string> notes;
};

TEST_F(HistoryRecorderTest, RunsHandedOverAreWrittenInOrderAndUpkeepRuns) {
  {
    HistoryRecorder recorder(Options());
    recorder.Submit(RunAt(kDay0, "a", ProbeStatus::Up));
    recorder.Submit(RunAt(kDay0 + 60000, "a", ProbeStatus::Down));
    recorder.Flush();
    recorder.Submit(RunAt(kDay0 + 120000, "a", ProbeStatus::Up));
  }  // going away writes what is queued
  EXPECT_TRUE(notes.empty());
  HistoryStore store(Path());
  ASSERT_EQ(store.Runs(0, kDay0 + kDayMs).size(), 3u);
  const auto outages = store.Outages(0, kDay0 + kDayMs);
  ASSERT_EQ(outages.size(), 1u);
  EXPECT_EQ(outages[0].end, kDay0 + 120100);
  // The upkeep after the first write rolled its hour up; the later runs (of an hour rolled up
  // already) have it done again at the next upkeep.
  Database raw(Path());
  EXPECT_EQ(
      raw.QueryInt("SELECT checks FROM hourly WHERE hour = " + std::to_string(kDay0 / kHourMs)), 1);
  EXPECT_EQ(store.RolledUpTo(), kDay0 / kHourMs);
}

TEST_F(HistoryRecorderTest, ADamagedFileIsMovedAsideWithATimeStampAndANewOneStarted) {
  const std::string garbage(20000, '\x5a');
  dir.Write("LTV.history.sqlite", garbage);
  {
    HistoryRecorder recorder(Options());
    recorder.Submit(RunAt(kDay0, "a", ProbeStatus::Up));
    recorder.Flush();
  }
  const std::string moved = HistoryRecorder::DamagedName(Path(), now);
  EXPECT_EQ(moved, Path() + ".damaged-20261210-100000");
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0], "damaged: " + moved);
  EXPECT_EQ(dir.Read("LTV.history.sqlite.damaged-20261210-100000"), garbage) << "kept whole";
  EXPECT_EQ(RunsRecorded(), 1u);
}

TEST_F(HistoryRecorderTest, ALockedFileCostsOneLineAndRecordingGoesOnOnceItIsFree) {
  { HistoryStore create(Path()); }
  HistoryRecorder recorder(Options());
  {
    Database other(Path());
    // The recorder's thread may hold the file for a moment as it opens it.
    other.Execute("PRAGMA busy_timeout = 5000");
    other.Execute("BEGIN IMMEDIATE");
    recorder.Submit(RunAt(kDay0, "a", ProbeStatus::Up));
    recorder.Submit(RunAt(kDay0 + 60000, "a", ProbeStatus::Up));
    recorder.Flush();
    other.Execute("ROLLBACK");
  }
  ASSERT_EQ(notes.size(), 1u) << "one line for the two runs";
  EXPECT_EQ(notes[0], "cannot write: database is locked");
  recorder.Submit(RunAt(kDay0 + 120000, "a", ProbeStatus::Up));
  recorder.Flush();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1], "writing again");
  recorder.Stop();
  EXPECT_EQ(RunsRecorded(), 1u);
}

TEST_F(HistoryRecorderTest, AFullFileCostsOneLineAndKeepsWhatItHeld) {
  HistoryLimits limits;
  limits.maxPages = 12;
  HistoryRecorder recorder(Options(limits));
  recorder.Submit(RunAt(kDay0, "a", ProbeStatus::Up));
  recorder.Flush();
  // Long texts fill the few pages allowed.
  for (int i = 0; i < 20; ++i) {
    RunRecord run = RunAt(kDay0 + (i + 1) * 60000, "a", ProbeStatus::Down);
    run.probes[0].text = std::string(3000, static_cast<char>('a' + i));
    recorder.Submit(run);
  }
  recorder.Flush();
  recorder.Stop();
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0], "cannot write: database or disk is full");
  HistoryStore store(Path());
  EXPECT_GE(store.Runs(0, kDay0 + kDayMs).size(), 1u);
  EXPECT_LT(store.Runs(0, kDay0 + kDayMs).size(), 21u);
  EXPECT_EQ(store.IntegrityCheck(), "ok");
}

TEST_F(HistoryRecorderTest, AReadOnlyFileCostsOneLineAndNoRun) {
  {
    HistoryStore create(Path());
    create.Record(RunAt(kDay0, "a", ProbeStatus::Up));
  }
  ASSERT_EQ(chmod(Path().c_str(), 0444), 0);
  const std::string failure = test::RunUnprivileged([&]() -> std::string {
    // Where this user may write a read-only file all the same (root under wine), there is
    // nothing to test.
    if (std::FILE* probe = std::fopen(Path().c_str(), "r+")) {
      std::fclose(probe);
      return "writable";
    }
    std::vector<std::string> seen;
    HistoryRecorderOptions options = Options();
    options.handOffs = std::make_shared<HandOffQueue>();
    options.note = [&](const HistoryNote& note) { seen.push_back(KindText(note.kind)); };
    HistoryRecorder recorder(options);
    recorder.Submit(RunAt(kDay0 + 60000, "a", ProbeStatus::Up));
    recorder.Submit(RunAt(kDay0 + 120000, "a", ProbeStatus::Up));
    recorder.Flush();
    recorder.Stop();
    if (seen != std::vector<std::string>{"cannot write"})
      return "notes: " + std::to_string(seen.size()) + (seen.empty() ? "" : " " + seen[0]);
    return "";
  });
  chmod(Path().c_str(), 0644);
  if (failure == "writable") GTEST_SKIP() << "this user writes read-only files";
  EXPECT_EQ(failure, "");
  EXPECT_EQ(RunsRecorded(), 1u);
}

}  // namespace
}  // namespace lantervo::history
