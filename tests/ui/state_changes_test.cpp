// What changed since the last run, and the balloon that tells it: a change once, a failure
// that stays told no more, a return with how long it took, the balloon level's say, and one
// summary for many changes.
#include "ui/state_changes.h"

#include <gtest/gtest.h>

#include "i18n/gettext.h"

namespace lantervo {
namespace {

using history::ServerState;

constexpr std::int64_t kMinute = 60 * 1000;

class StateChangesTest : public ::testing::Test {
 protected:
  void SetUp() override { SwitchLanguage("en"); }
  void Check(const std::string& name, ServerState state, std::int64_t at,
             const std::string& text = "refused", std::int32_t loadMs = -1) {
    changes.Checked(name, "http://" + name + "/", state, text, loadMs, at);
  }
  StateChanges changes;
};

TEST_F(StateChangesTest, AFailureIsToldOnceAndItsEndWithItsLength) {
  Check("alpha", ServerState::Up, 0);
  Check("bravo", ServerState::Down, 0);
  // The first check of a session tells of a failure, not of a server that is fine.
  auto run = changes.TakeChanges();
  ASSERT_EQ(run.size(), 1u);
  EXPECT_EQ(run[0].name, "bravo");
  EXPECT_EQ(run[0].from, ServerState::Unknown);
  EXPECT_EQ(run[0].to, ServerState::Down);
  EXPECT_EQ(run[0].text, "refused");

  Check("alpha", ServerState::Up, 5 * kMinute);
  Check("bravo", ServerState::Down, 5 * kMinute);
  EXPECT_TRUE(changes.TakeChanges().empty()) << "the same failure again is no change";

  // Another kind of failure is a change; the time it has been failing runs on.
  Check("bravo", ServerState::WrongResponse, 10 * kMinute);
  run = changes.TakeChanges();
  ASSERT_EQ(run.size(), 1u);
  EXPECT_EQ(run[0].from, ServerState::Down);
  EXPECT_EQ(run[0].to, ServerState::WrongResponse);

  Check("bravo", ServerState::Up, 12 * kMinute);
  run = changes.TakeChanges();
  ASSERT_EQ(run.size(), 1u);
  EXPECT_EQ(run[0].to, ServerState::Up);
  EXPECT_EQ(run[0].downMs, 12 * kMinute);
}

TEST_F(StateChangesTest, TheHistorysStateCarriesOverButNeverOverridesThisSession) {
  changes.Seed("alpha", "http://alpha/", ServerState::Down, 1000);
  changes.Seed("bravo", "http://bravo/", ServerState::Up, 1000);
  Check("alpha", ServerState::Down, 2 * kMinute);
  Check("bravo", ServerState::Up, 2 * kMinute);
  EXPECT_TRUE(changes.TakeChanges().empty()) << "still down since the last session: no news";
  // A seed that comes after the first check changes nothing.
  changes.Seed("alpha", "http://alpha/", ServerState::Up, 0);
  Check("alpha", ServerState::Up, 3 * kMinute + 1000);
  const auto run = changes.TakeChanges();
  ASSERT_EQ(run.size(), 1u);
  EXPECT_EQ(run[0].downMs, 3 * kMinute) << "measured from the failure the history knew of";
  // The same name at another address is another server.
  changes.Checked("alpha", "http://elsewhere/", ServerState::Down, "x", -1, 4 * kMinute);
  EXPECT_EQ(changes.TakeChanges().size(), 1u);
}

TEST_F(StateChangesTest, OneChangeMakesABalloonOfItsOwnKind) {
  const auto down = NoticeOf({{"bravo", ServerState::Up, ServerState::Down, "refused"}}, 1);
  ASSERT_TRUE(down);
  EXPECT_EQ(down->title, "Load error");
  EXPECT_EQ(down->text, "'bravo' is down: refused");
  EXPECT_EQ(down->kind, BalloonKind::Error);

  const auto back =
      NoticeOf({{"bravo", ServerState::Down, ServerState::Up, "", -1, 12 * kMinute}}, 1);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->title, "Back up");
  EXPECT_EQ(back->text, "'bravo' is back after 12 min");
  EXPECT_EQ(back->kind, BalloonKind::Info);
  EXPECT_EQ(NoticeOf({{"bravo", ServerState::Down, ServerState::Up}}, 1)->text, "'bravo' is back");

  const auto slow = NoticeOf({{"echo", ServerState::Up, ServerState::Slow, "Slow load", 812}}, 3);
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->title, "Slow load");
  EXPECT_EQ(slow->text, "'echo' is slow: 812 ms");
  const auto wrong = NoticeOf({{"delta", ServerState::Up, ServerState::WrongResponse}}, 2);
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->title, "Response error");
  EXPECT_EQ(wrong->text, "'delta' gives a wrong response");
}

// Level 1 tells of loads that fail, 2 also of wrong responses, 3 also of slow loads; a return
// is told when the failure it ends was.
TEST_F(StateChangesTest, TheBalloonLevelDecidesWhatIsTold) {
  const std::vector<StateChange> slow{{"echo", ServerState::Up, ServerState::Slow, "", 900}};
  const std::vector<StateChange> fastAgain{{"echo", ServerState::Slow, ServerState::Up}};
  const std::vector<StateChange> wrong{{"delta", ServerState::Up, ServerState::WrongResponse}};
  const std::vector<StateChange> down{{"bravo", ServerState::Up, ServerState::Down, "x"}};
  EXPECT_FALSE(NoticeOf(down, 0));
  EXPECT_TRUE(NoticeOf(down, 1));
  EXPECT_FALSE(NoticeOf(wrong, 1));
  EXPECT_TRUE(NoticeOf(wrong, 2));
  EXPECT_FALSE(NoticeOf(slow, 2));
  EXPECT_FALSE(NoticeOf(fastAgain, 2));
  EXPECT_TRUE(NoticeOf(slow, 3));
  EXPECT_TRUE(NoticeOf(fastAgain, 3));
  EXPECT_TRUE(NoticeOf(down, 8)) << "the levels above 4 act like 4";
}

TEST_F(StateChangesTest, ManyChangesMakeOneSummaryNamingTheFirstFew) {
  std::vector<StateChange> run;
  for (const char* name : {"a", "b", "c", "d", "e"})
    run.push_back({name, ServerState::Up, ServerState::Down, "refused"});
  run.push_back({"f", ServerState::Down, ServerState::Up, "", -1, 3 * kMinute});
  // Told at level 1; a slow one is not, and is neither named nor counted.
  run.push_back({"g", ServerState::Up, ServerState::Slow, "", 900});
  const auto notice = NoticeOf(run, 1);
  ASSERT_TRUE(notice);
  EXPECT_EQ(notice->title, "Servers changed: 6");
  EXPECT_EQ(notice->text,
            "'a' is down: refused; 'b' is down: refused; 'c' is down: refused; and 3 more");
  EXPECT_EQ(notice->kind, BalloonKind::Error);
  const auto two = NoticeOf({run[5], {"h", ServerState::Slow, ServerState::Up}}, 3);
  ASSERT_TRUE(two);
  EXPECT_EQ(two->title, "Servers changed: 2");
  EXPECT_EQ(two->text, "'f' is back after 3 min; 'h' is back");
  EXPECT_EQ(two->kind, BalloonKind::Info) << "only good news";
}

}  // namespace
}  // namespace lantervo
