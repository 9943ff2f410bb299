// The window timer on virtual time: when countdowns start again and when nothing changes.
#include <gtest/gtest.h>

#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/timer.h"

namespace lantervo {
namespace {

struct TimerTest : ::testing::Test {
  HeadlessDesktop desktop;
  TForm form{desktop};
  TTimer& timer = form.Add<TTimer>("timerCheck");
  int ticks = 0;
  void SetUp() override {
    timer.SetEnabled(false);
    timer.SetOnTimer([this](Component&) { ++ticks; });
  }
};

TEST_F(TimerTest, SwitchingOnCountsTheFullIntervalThenFiresEveryInterval) {
  timer.SetInterval(300000);
  EXPECT_EQ(desktop.RunningTimers(), 0u);
  timer.SetEnabled(true);
  desktop.Advance(299999);
  EXPECT_EQ(ticks, 0);
  desktop.Advance(1);
  EXPECT_EQ(ticks, 1);
  desktop.Advance(600000);
  EXPECT_EQ(ticks, 3);
}

TEST_F(TimerTest, ChangingTheIntervalWhileOnRestartsTheCountdownButTheSameIntervalDoesNot) {
  timer.SetInterval(60000);
  timer.SetEnabled(true);
  desktop.Advance(50000);
  timer.SetInterval(60000);  // same: the running countdown stays
  timer.SetEnabled(true);    // on while on: nothing
  desktop.Advance(10000);
  EXPECT_EQ(ticks, 1);
  desktop.Advance(50000);
  timer.SetInterval(30000);  // changed while on: a fresh countdown of the new interval
  desktop.Advance(29999);
  EXPECT_EQ(ticks, 1);
  desktop.Advance(1);
  EXPECT_EQ(ticks, 2);
}

TEST_F(TimerTest, OffThenOnRestartsAndAnIntervalSetWhileOffWaitsForOn) {
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  desktop.Advance(900);
  timer.SetEnabled(false);
  timer.SetInterval(5000);
  desktop.Advance(10000);
  EXPECT_EQ(ticks, 0);
  timer.SetEnabled(true);
  EXPECT_EQ(desktop.NextTimerDue(), 5000);
}

TEST_F(TimerTest, AHandlerThatSwitchesTheTimerOffStopsItLikeTheCheckTimer) {
  timer.SetOnTimer([this](Component&) {
    ++ticks;
    timer.SetEnabled(false);
  });
  timer.SetInterval(1000);
  timer.SetEnabled(true);
  desktop.Advance(10000);
  EXPECT_EQ(ticks, 1);
  EXPECT_FALSE(timer.Running());
}

TEST_F(TimerTest, IntervalZeroNeverFires) {
  timer.SetInterval(0);
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Running());
  desktop.Advance(1000000000);
  EXPECT_EQ(ticks, 0);
  timer.SetInterval(10);
  EXPECT_TRUE(timer.Running());
}

TEST_F(TimerTest, ATimerWithoutHandlerDoesNotRunAndADestroyedTimerStops) {
  timer.SetOnTimer({});
  timer.SetEnabled(true);
  EXPECT_FALSE(timer.Running());
  timer.SetOnTimer([this](Component&) { ++ticks; });
  EXPECT_TRUE(timer.Running());
  form.RemoveComponent(timer);
  EXPECT_EQ(desktop.RunningTimers(), 0u);
}

TEST_F(TimerTest, ErrorsOfATickGoToTheApplicationHandler) {
  timer.SetOnTimer([](Component&) { throw std::runtime_error("tick failed"); });
  timer.SetInterval(100);
  timer.SetEnabled(true);
  desktop.Advance(100);
  ASSERT_EQ(desktop.HandledErrors().size(), 1u);
  EXPECT_EQ(desktop.HandledErrors()[0], "tick failed");
}

TEST(TimerInterval, SecondsAreMultipliedIn32BitsAndHandedOverUnsigned) {
  EXPECT_EQ(TimerIntervalFromSeconds(300), 300000u);
  EXPECT_EQ(TimerIntervalFromSeconds(0), 0u);
  EXPECT_EQ(TimerIntervalFromSeconds(2147483), 2147483000u);
  EXPECT_EQ(TimerIntervalFromSeconds(-1), 4294966296u);
  EXPECT_EQ(TimerIntervalFromSeconds(4294968), 704u);  // wraps modulo 2^32
  EXPECT_EQ(TimerIntervalFromSeconds(INT32_MIN), 0u);
}

TEST(TimerInterval, ThePlatformTimerGetsIntervalsItAccepts) {
  EXPECT_EQ(PlatformTimerInterval(300000), 300000u);
  EXPECT_EQ(PlatformTimerInterval(2147483000u), 2147483000u);
  EXPECT_EQ(PlatformTimerInterval(TimerIntervalFromSeconds(2147484)), 0x7FFFFFFFu);
  EXPECT_EQ(PlatformTimerInterval(4294966296u), 0x7FFFFFFFu);
  EXPECT_EQ(PlatformTimerInterval(1), 10u);
}

TEST(TimerInterval, AnIntervalBeyondThePlatformsMaximumRunsAtTheMaximum) {
  HeadlessDesktop desktop;
  TForm form(desktop);
  auto& timer = form.Add<TTimer>("t");
  int ticks = 0;
  timer.SetOnTimer([&](Component&) { ++ticks; });
  timer.SetInterval(TimerIntervalFromSeconds(-1));
  EXPECT_EQ(timer.Interval(), 4294966296u);
  EXPECT_EQ(desktop.NextTimerDue(), 0x7FFFFFFF);
}

}  // namespace
}  // namespace lantervo
