// The history across sessions: runs recorded beside the list, states kept over a restart,
// the report and the export from the Stats menu, and a damaged history file on start-up.
#include <gmock/gmock.h>

#include <gtest/gtest.h>
#include <chrono>
#include <thread>

#include "history/history_recorder.h"
#include "history/history_store.h"
#include "tests/app/program_fixture.h"
#include "tests/support/http_test_server.h"
#include "ui/check_scheduler.h"

namespace lantervo::test {
namespace {

using ::testing::HasSubstr;

class HistorySessionTest : public ProgramTest {
 protected:
  void RunOnce() {
    main().StartCheck();
    main().CurrentCheck()->WaitFor();
  }
  history::ServerRecord Server(const std::string& name) {
    history::HistoryStore store(dir.File("LTV.history.sqlite"));
    for (const history::ServerRecord& s : store.Servers())
      if (s.name == name) return s;
    return {};
  }
};

TEST_F(HistorySessionTest, RunsAreRecordedAndTheStatsMenuReportsAndExportsThem) {
  PutConfig();
  HttpTestServer server;
  server.AnswerAlways(HttpTestServer::Ok("fine"));
  WriteList({{"Alpha", server.Url("/a"), "", "", -1, true},
             {"Down, \"quoted\"", "http://127.0.0.1:9/", "", "", -1, true},
             {"Idle", server.Url("/idle"), "", "", -1, false}});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  RunOnce();
  // A check is kept by its server and millisecond; the runs here take no pause, so the second
  // one must not fall into the first one's millisecond.
  std::this_thread::sleep_for(std::chrono::milliseconds(2));
  RunOnce();
  main().History()->Flush();

  const history::ServerRecord alpha = Server("Alpha");
  EXPECT_EQ(alpha.state, history::ServerState::Up);
  EXPECT_EQ(Server("Down, \"quoted\"").state, history::ServerState::Down);
  EXPECT_EQ(Server("Idle").id, 0) << "an inactive server is not checked";
  {
    history::HistoryStore store(dir.File("LTV.history.sqlite"));
    const auto runs = store.Runs(0, INT64_MAX);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].state, history::rrProblems);
    EXPECT_EQ(runs[0].errorCount, 1);
    const auto outages = store.Outages(0, INT64_MAX);
    ASSERT_EQ(outages.size(), 1u);
    EXPECT_THAT(outages[0].text, HasSubstr("Unable to load"));
  }

  ASSERT_TRUE(main().actionStatsGenerate->Execute());
  main().History()->Flush();
  ASSERT_EQ(desktop->ShellOpens().size(), 1u);
  EXPECT_EQ(desktop->ShellOpens()[0].target, dir.File("LTV.report.html"));
  const std::string report = FileText("LTV.report.html");
  EXPECT_THAT(report, HasSubstr("<h1>Lantervo report</h1>"));
  EXPECT_THAT(report, HasSubstr("data-server=\"Alpha\""));
  EXPECT_THAT(report, HasSubstr("Down, &quot;quoted&quot;"));

  ASSERT_TRUE(main().actionStatsExport->Execute());
  main().History()->Flush();
  ASSERT_EQ(desktop->ShellOpens().size(), 2u);
  EXPECT_EQ(desktop->ShellOpens()[1].target, dir.File("LTV.checks.csv"));
  const std::string csv = FileText("LTV.checks.csv");
  EXPECT_EQ(csv.rfind("\xEF\xBB\xBFtime (UTC),server,url,status,load time (ms),result\r\n", 0), 0u);
  EXPECT_THAT(csv, HasSubstr(",Alpha," + server.Url("/a") + ",up,"));
  EXPECT_THAT(csv, HasSubstr(",\"Down, \"\"quoted\"\"\",http://127.0.0.1:9/,down,,"));
  // Four checks, each led by its UTC time; a result's own line breaks stay inside its quotes.
  int checks = 0;
  for (auto at = csv.find("Z,"); at != std::string::npos; at = csv.find("Z,", at + 1)) ++checks;
  EXPECT_EQ(checks, 4) << csv;
  EXPECT_THAT(csv, HasSubstr("Socket Error # 10061\r\nConnection refused"));

  // A new start goes on with the states the last one left.
  Quit();
  ASSERT_EQ(Start(), Program::StartResult::Running);
  RunOnce();
  main().History()->Flush();
  EXPECT_EQ(Server("Alpha").since, alpha.since) << "still up since the first check";
}

TEST_F(HistorySessionTest, ADamagedHistoryIsMovedAsideAndTheLogSaysWhere) {
  PutConfig();
  HttpTestServer server;
  server.AnswerAlways(HttpTestServer::Ok("fine"));
  WriteList({{"Alpha", server.Url("/a"), "", "", -1, true}});
  const std::string garbage(9000, '#');
  dir.Write("LTV.history.sqlite", garbage);
  ASSERT_EQ(Start(), Program::StartResult::Running);
  RunOnce();
  main().History()->Flush();
  const std::string log = FileText("LTV.log");
  EXPECT_THAT(log, HasSubstr("The history file was damaged; it was moved to " +
                             dir.File("LTV.history.sqlite.damaged-")));
  std::string moved;
  for (const std::string& name : dir.List())
    if (name.rfind("LTV.history.sqlite.damaged-", 0) == 0) moved = name;
  ASSERT_FALSE(moved.empty());
  EXPECT_EQ(dir.Read(moved), garbage);
  EXPECT_EQ(Server("Alpha").state, history::ServerState::Up) << "the new file has the run";
  EXPECT_THAT(desktop->MessageBoxes(), ::testing::IsEmpty()) << "monitoring went on unasked";
}

}  // namespace
}  // namespace lantervo::test
