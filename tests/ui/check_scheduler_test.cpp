// Check runs on a real worker thread, reaching the window through the hand-off, against
// loopback servers: rows, log lines, status text, lamp, tray and balloons; the timer between
// runs; Quit during a run; errors of a hand-off.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/fake_proxy_source.h"
#include "tests/support/http_test_server.h"
#include "tests/support/proxy_test_server.h"
#include "tests/ui/main_form_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CheckSchedulerTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    fine.AnswerAlways(HttpTestServer::Ok("hello"));
    missing.AnswerAlways("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    wrong.AnswerAlways(HttpTestServer::Ok("other"));
    loop.AnswerAlways(HttpTestServer::Redirect("/again"));
  }

  void AddMixedServers() {
    AddServer({"alpha", fine.Url("/a"), true, "hello"});
    AddServer({"bravo", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"});
    AddServer({"charlie", missing.Url("/gone")});
    AddServer({"delta", wrong.Url("/"), true, "expected"});
    AddServer({"echo", fine.Url("/e"), true, "", 50});
    AddServer({"foxtrot", loop.Url("/again")});
    AddServer({"golf", fine.Url("/g"), false});
  }

  HttpTestServer fine, missing, wrong, loop;
};

const std::string kRefused = "Socket Error # 10061\r\nConnection refused.";

TEST_F(CheckSchedulerTest, MixedServersGiveTheirRowsLogLinesAndOutcome) {
  AddMixedServers();
  RunOnce();

  EXPECT_THAT(Rows(), ElementsAre(RowValues{"alpha", "OK", "OK", 100},
                                  RowValues{"bravo", "ERR_LOAD", "Unable to load: " + kRefused, -1},
                                  RowValues{"charlie", "ERR_LOAD",
                                            "Unable to load: HTTP/1.1 404 Not Found", -1},
                                  RowValues{"delta", "ERR_RESP", "Wrong response: other", 100},
                                  RowValues{"echo", "ERR_SLOW", "Slow load", 100},
                                  RowValues{"foxtrot", "ERR_LOAD", "Unable to load:", -1},
                                  RowValues{"golf", "", "Waiting...", -1}));
  EXPECT_EQ(dir.Read("LTV.log"),
            LogLine("SYSTEM", "Checking...") +
                LogLine("ERROR", "Unable to load 'bravo'. Error: " + kRefused) +
                LogLine("ERROR", "Unable to load 'charlie'. Error: HTTP/1.1 404 Not Found") +
                LogLine("ERROR", "Wrong response 'delta': other") +
                LogLine("ERROR", "Slow load 'echo'. Load time 100ms.") +
                LogLine("ERROR", "Unable to load 'foxtrot'. Error: ") +
                LogLine("ERROR", "Completed with problems detected."));
  EXPECT_EQ(form->ErrorCount, 5);
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed with 5 errors!");
  const std::string problems = "One or more websites problem. Unable to load or wrong response.";
  EXPECT_EQ(form->imageSemafor->Picture()->ImageIndex(), 1);
  EXPECT_EQ(form->imageSemafor->Picture()->ImageList(), form->imagelistSemafor);
  EXPECT_EQ(form->imageSemafor->Hint(), problems);
  EXPECT_EQ(form->TrayIcon->IconIndex(), 1);
  EXPECT_EQ(form->TrayIcon->Hint(), problems);
  EXPECT_TRUE(form->buttonWarning->Visible());

  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 5u);
  EXPECT_EQ(balloons[0].title, "Load error");
  EXPECT_EQ(balloons[0].text, "Unable to load 'bravo'");
  EXPECT_EQ(balloons[1].text, "Unable to load 'charlie'");
  EXPECT_EQ(balloons[2].title, "Response error");
  EXPECT_EQ(balloons[2].text, "Wrong response 'delta': other");
  EXPECT_EQ(balloons[3].title, "Slow load");
  EXPECT_EQ(balloons[3].text, "Slow load 'echo'");
  EXPECT_EQ(balloons[4].text, "Unable to load 'foxtrot'");
  for (const Balloon& balloon : balloons) {
    EXPECT_EQ(balloon.flags, bfError);
    EXPECT_EQ(balloon.timeout, 5);
  }

  // Two pauses per active server, each injected as no time at all.
  EXPECT_EQ(pauses.load(), 12);
  // The inactive row was never asked for; the fine server saw alpha and echo.
  EXPECT_EQ(fine.Requests().size(), 2u);
  EXPECT_TRUE(form->gridLink->Enabled());
  EXPECT_TRUE(form->actionServerEdit->Enabled());
  EXPECT_TRUE(form->timerCheck->Enabled());
}

TEST_F(CheckSchedulerTest, BalloonLevelOneShowsOnlyLoadErrors) {
  config.Set(&AppConfig::BalloonLevel, 1);
  AddMixedServers();
  RunOnce();
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 3u);
  EXPECT_EQ(balloons[0].text, "Unable to load 'bravo'");
  EXPECT_EQ(balloons[1].text, "Unable to load 'charlie'");
  EXPECT_EQ(balloons[2].text, "Unable to load 'foxtrot'");
}

TEST_F(CheckSchedulerTest, UnreachableVerificationMarksEveryRowOffline) {
  config.Set(&AppConfig::VerifyEnabled, true);
  config.Set(&AppConfig::VerifyURL, "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
  AddServer({"alpha", fine.Url("/a")});
  AddServer({"bravo", fine.Url("/b"), false});
  RunOnce();

  EXPECT_THAT(Rows(), ElementsAre(RowValues{"alpha", "OFFLINE", "Unable to check server.", -1},
                                  RowValues{"bravo", "OFFLINE", "Unable to check server.", -1}));
  EXPECT_THAT(fine.Requests(), IsEmpty());
  EXPECT_EQ(dir.Read("LTV.log"),
            LogLine("SYSTEM", "Checking...") + LogLine("ERROR", "Stopped! Probably offline."));
  EXPECT_EQ(form->StatusBar->SimpleText(), "Offline!");
  EXPECT_EQ(form->TrayIcon->IconIndex(), 2);
  EXPECT_EQ(form->imageSemafor->Picture()->ImageIndex(), 2);
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].title, "Offline");
  EXPECT_EQ(balloons[0].flags, bfWarning);
}

TEST_F(CheckSchedulerTest, TheNextRunStartsOneIntervalAfterTheLastEnded) {
  AddServer({"alpha", fine.Url("/a")});
  RunOnce();
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed");
  EXPECT_EQ(fine.Requests().size(), 1u);

  // The timer was off for the whole run and counts the full interval from its end.
  EXPECT_EQ(desktop.NextTimerDue(), 300000);
  desktop.Advance(299999);
  EXPECT_TRUE(form->CurrentCheck()->Finished());
  EXPECT_EQ(desktop.HandOffs().Drain(), 0);
  EXPECT_EQ(fine.Requests().size(), 1u);
  desktop.Advance(1);
  EXPECT_FALSE(form->timerCheck->Running());
  form->CurrentCheck()->WaitFor();
  EXPECT_EQ(fine.Requests().size(), 2u);
  EXPECT_EQ(dir.Read("LTV.log"),
            LogLine("SYSTEM", "Checking...") + LogLine("OK", "Completed with no errors.") +
                LogLine("SYSTEM", "Checking...") + LogLine("OK", "Completed with no errors."));
}

TEST_F(CheckSchedulerTest, QuitBeforeTheFirstProbeEndsTheRunThereAndStartsNoOther) {
  AddMixedServers();
  StartTimer();
  desktop.Advance(300000);
  TLTVCheck* running = form->CurrentCheck();
  ASSERT_NE(running, nullptr);
  const std::vector<RowValues> before = Rows();
  // The worker cannot be past its first hand-off: nothing has carried it out yet.
  form->StopChecks();

  EXPECT_TRUE(running->Finished());
  // No server was probed or marked; the run says neither that it completed nor how.
  EXPECT_EQ(Rows(), before);
  EXPECT_THAT(fine.Requests(), IsEmpty());
  EXPECT_THAT(dir.Read("LTV.log"), ::testing::EndsWith(LogLine("SYSTEM", "Checking...")));
  // EndRunUi still ran, and the timer stays off for good.
  EXPECT_TRUE(form->gridLink->Enabled());
  EXPECT_FALSE(form->timerCheck->Enabled());
  EXPECT_EQ(desktop.RunningTimers(), 0u);
  desktop.Advance(3000000);
  EXPECT_EQ(desktop.HandOffs().Drain(), 0);
  EXPECT_THAT(fine.Requests(), IsEmpty());
}

TEST_F(CheckSchedulerTest, ALogThatCannotBeWrittenEndsTheRunBeforeAnyProbe) {
  // The log's path is a folder, so the "Checking..." line fails in its hand-off.
  EventLog broken(dir.Path(), [] { return true; });
  MainFormContext context{desktop, config, &broken};
  context.clock = RunClock{[] { return 0u; }, [](std::uint32_t) {}};
  form = std::make_unique<TMainForm>(std::move(context));
  form->setServer.CreateList();
  AddServer({"alpha", fine.Url("/a")});
  RunOnce();

  EXPECT_THAT(fine.Requests(), IsEmpty());
  EXPECT_THAT(Rows(), ElementsAre(RowValues{"alpha", "", "Waiting...", -1}));
  // EndRunUi still ran: the grid and the commands are back, the timer counts again.
  EXPECT_TRUE(form->gridLink->Enabled());
  EXPECT_TRUE(form->actionServerAdd->Enabled());
  EXPECT_TRUE(form->timerCheck->Enabled());
  EXPECT_EQ(form->StatusBar->SimpleText(), "");
}

// Records the enabled changes of the list actions, the grid and the timer.
TEST_F(CheckSchedulerTest, RunUiDisablesAndEnablesInOrder) {
  AddServer({"alpha", fine.Url("/a")});
  std::vector<std::string> changes;
  std::vector<Component*> watched{form->actionServerAdd,
                                  form->actionServerEdit,
                                  form->actionServerDelete,
                                  form->actionServerActivate,
                                  form->actionServerDeactivate,
                                  form->actionServerActivateAll,
                                  form->gridLink,
                                  form->timerCheck};
  StartTimer();
  std::vector<Subscription> subscriptions;
  for (Component* component : watched)
    subscriptions.push_back(
        component->Subscribe([&changes, component](Persistent&, std::string_view property) {
          if (property != prop::Enabled && property != prop::Repaint) return;
          std::string value;
          if (auto* action = dynamic_cast<TAction*>(component))
            value = action->Enabled() ? "on" : "off";
          if (auto* control = dynamic_cast<TControl*>(component))
            value = property == prop::Repaint ? "" : (control->Enabled() ? "on" : "off");
          if (auto* timer = dynamic_cast<TTimer*>(component))
            value = timer->Enabled() ? "on" : "off";
          changes.push_back(component->Name() + " " + std::string(property) + " " + value);
        }));
  desktop.Advance(300000);
  form->CurrentCheck()->WaitFor();
  subscriptions.clear();

  EXPECT_THAT(changes,
              ElementsAre("timerCheck Enabled off", "actionServerAdd Enabled off",
                          "actionServerEdit Enabled off", "actionServerDelete Enabled off",
                          "actionServerActivate Enabled off", "actionServerDeactivate Enabled off",
                          "actionServerActivateAll Enabled off", "gridLink Enabled off",
                          "gridLink Repaint ", "gridLink Enabled on", "gridLink Repaint ",
                          "timerCheck Enabled on", "actionServerAdd Enabled on",
                          "actionServerActivateAll Enabled on", "actionServerEdit Enabled on",
                          "actionServerDelete Enabled on", "actionServerActivate Enabled on",
                          "actionServerDeactivate Enabled on"));
}

TEST_F(CheckSchedulerTest, AnEmptyTableLeavesOnlyAddAndActivateAllEnabled) {
  RunOnce();
  EXPECT_TRUE(form->actionServerAdd->Enabled());
  EXPECT_TRUE(form->actionServerActivateAll->Enabled());
  EXPECT_FALSE(form->actionServerEdit->Enabled());
  EXPECT_FALSE(form->actionServerDelete->Enabled());
  EXPECT_FALSE(form->actionServerActivate->Enabled());
  EXPECT_FALSE(form->actionServerDeactivate->Enabled());
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed");
  EXPECT_EQ(form->imageSemafor->Picture()->ImageIndex(), 0);
  EXPECT_EQ(dir.Read("LTV.log"),
            LogLine("SYSTEM", "Checking...") + LogLine("OK", "Completed with no errors."));
}

// Checks at once: the same rows, log lines and outcome as one lane gives (the log's order
// aside), each lane with its own connection.
TEST_F(CheckSchedulerTest, LanesCheckTheMixedServersAsOneLaneDoes) {
  // A server of its own for each row: the scripted server takes one connection at a time, and
  // lanes make several at once.
  HttpTestServer fine2, fine3;
  fine2.AnswerAlways(HttpTestServer::Ok("hello"));
  fine3.AnswerAlways(HttpTestServer::Ok("hello"));
  const std::string closed = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  const auto addRows = [&] {
    AddServer({"alpha", fine.Url("/a"), true, "hello"});
    AddServer({"bravo", closed});
    AddServer({"charlie", missing.Url("/gone")});
    AddServer({"delta", wrong.Url("/"), true, "expected"});
    AddServer({"echo", fine2.Url("/e"), true, "", 50});
    AddServer({"foxtrot", loop.Url("/again")});
    AddServer({"golf", fine3.Url("/g"), false});
  };
  const auto statuses = [this] {
    std::vector<std::string> out;
    for (const RowValues& row : Rows())
      out.push_back(row.name + " " + row.status + " " + row.result);
    return out;
  };
  const auto sortedLog = [](const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    // The fake clock is shared by the lanes, so a load time depends on their interleaving.
    for (std::string line; std::getline(in, line);)
      lines.push_back(std::regex_replace(line, std::regex("Load time [0-9]+ms"), "Load time Nms"));
    std::sort(lines.begin(), lines.end());
    return lines;
  };
  addRows();
  RunOnce();
  const std::vector<std::string> one = statuses();
  const std::string oneLog = dir.Read("LTV.log");
  // A new window, whose client has no connection kept from the first run.
  MakeForm();
  addRows();
  config.Set(&AppConfig::CheckLanes, 4);
  RunOnce();
  EXPECT_EQ(statuses(), one);
  EXPECT_EQ(sortedLog(dir.Read("LTV.log").substr(oneLog.size())), sortedLog(oneLog));
  EXPECT_EQ(form->ErrorCount, 5);
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed with 5 errors!");
}

TEST_F(CheckSchedulerTest, QuitWithSixteenLanesInFlightEndsTheRun) {
  // It takes every request, on a thread of its own each, and answers none.
  ProxyTestServer stalling;
  stalling.SetMode(ProxyTestServer::Mode::Stall);
  for (int i = 0; i < 20; ++i)
    AddServer({"server " + std::to_string(100 + i), stalling.Url() + "/" + std::to_string(i)});
  config.Set(&AppConfig::CheckLanes, 16);
  StartTimer();
  desktop.Advance(form->timerCheck->Interval());
  for (int i = 0; i < 2000 && stalling.Heads().size() < 16; ++i) {
    desktop.HandOffs().Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(stalling.Heads().size(), 16u);
  TLTVCheck* running = form->CurrentCheck();
  form->StopChecks();
  EXPECT_TRUE(running->Finished());
  EXPECT_EQ(stalling.Heads().size(), 16u) << "no lane took another row";
  EXPECT_EQ(dir.Read("LTV.log").find("Completed"), std::string::npos);
  EXPECT_TRUE(form->gridLink->Enabled());
}

// Use the system proxy: each check asks the settings and goes through the proxy they name;
// off, the settings are never asked.
TEST_F(CheckSchedulerTest, WithTheProxyOnEveryCheckGoesThroughTheSystemProxy) {
  ProxyTestServer proxy;
  auto source = std::make_shared<FakeProxySource>(std::vector<std::string>{proxy.Url()});
  proxies = source;
  MakeForm();
  // Nothing listens there: only the proxy can answer for it.
  const std::string alpha = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  AddServer({"alpha", alpha, true, "proxied"});
  AddServer({"bravo", fine.Url("/b")});
  RunOnce();
  EXPECT_EQ(Rows()[0].status, "ERR_LOAD") << "off: alpha is connected to directly";
  EXPECT_THAT(source->Asked(), IsEmpty());
  EXPECT_THAT(proxy.Heads(), IsEmpty());

  config.Set(&AppConfig::ProxyEnabled, true);
  source->AnswerFor(fine.Url("/b"), {"direct://"});
  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  EXPECT_THAT(Rows(), ElementsAre(RowValues{"alpha", "OK", "OK", 100},
                                  RowValues{"bravo", "OK", "OK", 100}));
  EXPECT_THAT(proxy.RequestLines(), ElementsAre("GET " + alpha + " HTTP/1.1"));
  EXPECT_EQ(fine.Requests().size(), 2u) << "bravo bypassed the proxy";
}

}  // namespace
}  // namespace lantervo::test

namespace lantervo::test {
namespace {

TEST_F(CheckSchedulerTest, ASettingSavedDuringARunAppliesToTheNextRun) {
  AddServer({"alpha", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"});
  // Saved while the run is under way: from inside its first status hand-off.
  Subscription subscription = form->StatusBar->Subscribe(
      [this](Persistent&, std::string_view) { config.Set(&AppConfig::BalloonLevel, 0); });
  RunOnce();
  subscription.Reset();
  EXPECT_EQ(Balloons().size(), 1u);

  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  EXPECT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed with 1 error!");
}

// Told on change: the first run tells of what fails, a failure that stays is not told again,
// a return says how long it lasted, and many changes make one balloon. The log keeps every
// failure of every run.
TEST_F(CheckSchedulerTest, NotifyOnChangeTellsEachChangeOnceInOneBalloonPerRun) {
  config.Set(&AppConfig::NotifyOnChange, true);
  config.Set(&AppConfig::BalloonLevel, 3);
  HttpTestServer flaky;
  flaky.AnswerAlways(HttpTestServer::Ok("hello"));
  for (int i = 0; i < 2; ++i)
    flaky.Answer("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n\r\n");
  AddServer({"alpha", fine.Url("/a")});
  AddServer({"bravo", flaky.Url("/b")});
  AddServer({"charlie", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"});
  RunOnce();
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].title, "Servers changed: 2");
  EXPECT_EQ(balloons[0].text,
            "'bravo' is down: HTTP/1.1 503 Service Unavailable; "
            "'charlie' is down: Socket Error # 10061 Connection refused.");
  EXPECT_EQ(balloons[0].flags, bfError);

  utcNow += 5 * 60 * 1000;
  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  EXPECT_EQ(Balloons().size(), 1u) << "the same failures again tell nothing";

  utcNow += 7 * 60 * 1000;
  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  balloons = Balloons();
  ASSERT_EQ(balloons.size(), 2u);
  EXPECT_EQ(balloons[1].title, "Back up");
  EXPECT_EQ(balloons[1].text, "'bravo' is back after 12 min");
  EXPECT_EQ(balloons[1].flags, bfInfo);
  const std::string log = dir.Read("LTV.log");
  std::size_t charlieLines = 0;
  for (std::size_t at = log.find("Unable to load 'charlie'"); at != std::string::npos;
       at = log.find("Unable to load 'charlie'", at + 1))
    ++charlieLines;
  EXPECT_EQ(charlieLines, 3u);
}

// Told on change, an offline station is told when it goes offline, not at every run after.
TEST_F(CheckSchedulerTest, NotifyOnChangeTellsOfflineOnceAndChangesNoServer) {
  config.Set(&AppConfig::NotifyOnChange, true);
  config.Set(&AppConfig::VerifyEnabled, true);
  config.Set(&AppConfig::VerifyURL, "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
  AddServer({"alpha", fine.Url("/a")});
  RunOnce();
  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].title, "Offline");
  // Back online: alpha was never checked, so its first check (fine) is no change.
  config.Set(&AppConfig::VerifyURL, fine.Url("/verify"));
  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  EXPECT_EQ(Balloons().size(), 1u);
  EXPECT_EQ(Rows()[0].status, "OK");
}

// The machine goes to sleep in the middle of a run: the probe in flight gives up at once, and
// the servers not checked are offline, not down.
TEST_F(CheckSchedulerTest, GoingToSleepDuringARunMarksTheUncheckedServersOffline) {
  HttpTestServer slow;
  slow.AnswerStreamAlways(HttpTestServer::InSteps(HttpTestServer::Ok("hello"), 4), 2000);
  AddServer({"alpha", fine.Url("/a")});
  AddServer({"bravo", slow.Url("/b")});
  AddServer({"charlie", fine.Url("/c")});
  StartTimer();
  desktop.Advance(form->timerCheck->Interval());
  // The run reaches the window through hand-offs, carried out here while it gets to bravo.
  for (int i = 0; i < 1000 && !slow.WaitForRequests(1, 10); ++i) desktop.HandOffs().Drain();
  ASSERT_EQ(slow.RequestCount(), 1u);
  desktop.PowerChanged(PowerEvent::Suspending);
  form->CurrentCheck()->WaitFor();
  EXPECT_THAT(Rows(), ElementsAre(RowValues{"alpha", "OK", "OK", 100},
                                  RowValues{"bravo", "OFFLINE", "Unable to check server.", -1},
                                  RowValues{"charlie", "OFFLINE", "Unable to check server.", -1}));
  EXPECT_EQ(form->TrayIcon->IconIndex(), 2);
  EXPECT_EQ(fine.Requests().size(), 1u) << "charlie was not asked";
  EXPECT_EQ(dir.Read("LTV.log").find("Unable to load"), std::string::npos);
}

// After a wake the run connects to the first server before it checks; the runs after it do not.
TEST_F(CheckSchedulerTest, TheFirstRunAfterAWakeAsksTheNetworkFirst) {
  AddServer({"alpha", fine.Url("/a")});
  desktop.PowerChanged(PowerEvent::Resumed);
  RunOnce();
  EXPECT_EQ(Rows()[0].status, "OK");
  EXPECT_EQ(fine.Requests().size(), 1u);
  EXPECT_EQ(fine.Connections(), 2) << "a connect to ask the network, then the check";
  desktop.Advance(form->timerCheck->Interval());
  form->CurrentCheck()->WaitFor();
  EXPECT_EQ(fine.Requests().size(), 2u);
  EXPECT_EQ(fine.Connections(), 2) << "the check reuses its connection; nothing is asked";
}

}  // namespace
}  // namespace lantervo::test
