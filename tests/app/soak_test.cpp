// Many virtual hours of the whole program against loopback servers: every interval starts
// exactly one run, the timer never sticks, nothing piles up, and memory stays flat.
#include <gtest/gtest.h>

#include "platform/process_memory.h"
#include "tests/app/program_fixture.h"
#include "tests/support/http_test_server.h"
#include "ui/check_scheduler.h"

namespace lantervo::test {
namespace {

TEST_F(ProgramTest, SixVirtualHoursOfRunsLeaveNoLeakAndNoStuckTimer) {
  HttpTestServer fine, failing;
  fine.AnswerAlways(HttpTestServer::Ok("all is well"));
  failing.AnswerAlways("HTTP/1.1 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n");
  PutConfig();
  registry.PutString(kKey, "CheckInterval", "60");
  WriteList({{"Alpha", fine.Url("/a"), "", "", -1, true},
             {"Bravo", failing.Url("/b"), "", "", -1, true},
             {"Charlie", "http://nowhere.invalid/", "", "", -1, true},
             {"Delta", fine.Url("/d"), "", "", -1, false}});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  TMainForm& form = main();
  const std::uint32_t interval = form.timerCheck->Interval();
  ASSERT_EQ(interval, 60000u);

  constexpr int kRuns = 6 * 60;  // one a minute
  constexpr int kWarmUp = 30;
  std::uint64_t residentAfterWarmUp = 0;
  for (int run = 1; run <= kRuns; ++run) {
    ASSERT_EQ(desktop->NextTimerDue(), static_cast<std::int64_t>(interval)) << run;
    desktop->Advance(interval);
    ASSERT_NE(form.CurrentCheck(), nullptr);
    form.CurrentCheck()->WaitFor();
    ASSERT_EQ(desktop->RunningTimers(), 1u) << run;
    ASSERT_TRUE(form.timerCheck->Enabled()) << run;
    ASSERT_TRUE(form.gridLink->Enabled()) << run;
    if (run == kWarmUp) residentAfterWarmUp = platform::ResidentBytes();
  }
  EXPECT_EQ(fine.Requests().size(), static_cast<std::size_t>(kRuns));
  EXPECT_EQ(failing.Requests().size(), static_cast<std::size_t>(kRuns));
  EXPECT_EQ(form.ErrorCount, 2);
  EXPECT_TRUE(dropped.empty());

  // Tens of thousands of hand-offs, log lines and balloons later, the process holds about what
  // it held after the first half hour.
  const std::uint64_t residentAtEnd = platform::ResidentBytes();
  ASSERT_GT(residentAfterWarmUp, 0u);
  if (residentAtEnd > residentAfterWarmUp) {
    EXPECT_LT(residentAtEnd - residentAfterWarmUp, 8u << 20);
  }

  Quit();
  const auto saved = SavedRows();
  ASSERT_EQ(saved.size(), 4u);
  EXPECT_EQ(saved[0].status, "OK");
  EXPECT_EQ(saved[1].status, "ERR_LOAD");
  EXPECT_EQ(saved[2].status, "ERR_LOAD");
  EXPECT_EQ(saved[3].status, "");
}

}  // namespace
}  // namespace lantervo::test
