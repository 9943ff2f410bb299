// Check now (F5, Servers menu, tray menu): a run at once, none while one goes on or a dialog holds
// the window, and the interval counted from that run's end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/app/program_fixture.h"
#include "tests/support/http_test_server.h"
#include "ui/check_scheduler.h"
#include "ui/server_form.h"

namespace lantervo::test {
namespace {

class CheckNowTest : public ProgramTest {
 protected:
  void SetUp() override {
    PutConfig();  // a check interval of 300 s
    server.AnswerAlways(HttpTestServer::Ok("fine"));
    WriteList({{"Alpha", server.Url("/a"), "", "", -1, true}});
    ASSERT_EQ(Start(), Program::StartResult::Running);
  }
  int Requests() { return static_cast<int>(server.RequestCount()); }
  HttpTestServer server;
};

TEST_F(CheckNowTest, F5StartsARunAtOnceAndTheIntervalCountsFromItsEnd) {
  EXPECT_EQ(main().actionCheckNow->GetShortCut(), MakeShortCut(keys::kF5, 0));
  EXPECT_EQ(ShortCutToText(main().actionCheckNow->GetShortCut()), "F5");
  desktop->Advance(200 * 1000);  // two thirds of the interval gone
  ASSERT_TRUE(main().IsShortCut(keys::kF5, 0));
  ASSERT_NE(main().CurrentCheck(), nullptr);
  main().CurrentCheck()->WaitFor();
  EXPECT_EQ(Requests(), 1);
  EXPECT_EQ(main().setServer.TextAt(0, "Status"), "OK");
  EXPECT_TRUE(main().timerCheck->Enabled());
  // The old interval would end in 100 s; the new one counts from the run's end.
  desktop->Advance(150 * 1000);
  EXPECT_EQ(Requests(), 1);
  desktop->Advance(160 * 1000);
  main().CurrentCheck()->WaitFor();
  EXPECT_EQ(Requests(), 2);
}

TEST_F(CheckNowTest, NothingStartsWhileARunGoesOnOrADialogHoldsTheWindow) {
  // A dialog open: the window is disabled, the tray menu still reaches the action.
  ASSERT_TRUE(main().actionServerAdd->Execute());
  ASSERT_FALSE(main().Enabled());
  EXPECT_TRUE(main().actionCheckNow->Execute());
  EXPECT_EQ(main().CurrentCheck(), nullptr) << "no run behind the dialog's back";
  program->ServersForm()->buttonCancel->Click();
  ASSERT_TRUE(main().Enabled());

  // While a run goes on, the action is off, and asking anyway starts no second run.
  // The answer comes slowly, a byte every 10 ms.
  server.AnswerStream(HttpTestServer::InSteps(HttpTestServer::Ok("fine"), 1), 10);
  ASSERT_TRUE(main().actionCheckNow->Execute());
  TLTVCheck* first = main().CurrentCheck();
  ASSERT_NE(first, nullptr);
  // The run's first step, carried over to this thread, switches the action off.
  for (int i = 0; i < 500 && main().actionCheckNow->Enabled(); ++i) {
    desktop->HandOffs().Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_FALSE(main().actionCheckNow->Enabled());
  main().actionCheckNowExecute(*main().actionCheckNow);
  EXPECT_EQ(main().CurrentCheck(), first);
  first->WaitFor();
  EXPECT_EQ(main().setServer.TextAt(0, "Status"), "OK");
  EXPECT_TRUE(main().actionCheckNow->Enabled());
}

}  // namespace
}  // namespace lantervo::test
