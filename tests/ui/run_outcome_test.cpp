// The run outcome on the window: the three states, the warning button, the offline balloon and
// tooltip by BalloonLevel, and the platform's limits on balloons and the tray tooltip.
#include <gtest/gtest.h>

#include "tests/ui/main_form_fixture.h"

namespace lantervo::test {
namespace {

using RunOutcomeTest = MainFormTest;

const char* kOffline =
    "Unable to load verifying server. Websites monitoring stopped due to offline station.";
const char* kAllOk = "Response of all websites OK. There was no problem.";

TEST_F(RunOutcomeTest, BeforeTheFirstRunTheLampIsEmptyAndTheWarningHidden) {
  EXPECT_TRUE(form->imageSemafor->Picture()->Empty());
  EXPECT_EQ(form->imageSemafor->Hint(), "");
  EXPECT_EQ(form->TrayIcon->IconIndex(), 0);
  EXPECT_FALSE(form->buttonWarning->Visible());
  EXPECT_FALSE(form->timerCheck->Enabled());
}

TEST_F(RunOutcomeTest, ProblemsCountErrorsInSingularAndPlural) {
  form->SetRunState(rsProblems, 1);
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed with 1 error!");
  form->SetRunState(rsProblems, 3);
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed with 3 errors!");
  EXPECT_EQ(form->TrayIcon->IconIndex(), 1);
  EXPECT_EQ(form->imageSemafor->Picture()->ImageIndex(), 1);
  form->SetRunState(rsOffline, 0);
  EXPECT_EQ(form->ErrorCount, 3) << "the offline path checked no server";
  form->SetRunState(rsAllOk, 0);
  EXPECT_EQ(form->ErrorCount, 0);
}

TEST_F(RunOutcomeTest, TheWarningStaysThroughAllFineRunsUntilClicked) {
  form->SetRunState(rsProblems, 2);
  form->SetRunState(rsAllOk, 0);
  EXPECT_TRUE(form->buttonWarning->Visible());
  EXPECT_EQ(form->StatusBar->SimpleText(), "Completed");
  EXPECT_EQ(form->TrayIcon->IconIndex(), 0);
  EXPECT_EQ(form->imageSemafor->Picture()->ImageIndex(), 0);
  EXPECT_EQ(form->TrayIcon->Hint(), kAllOk);

  form->buttonWarning->Click();
  EXPECT_FALSE(form->buttonWarning->Visible());
  form->SetRunState(rsOffline, 0);
  EXPECT_FALSE(form->buttonWarning->Visible());
  form->SetRunState(rsProblems, 0);
  EXPECT_TRUE(form->buttonWarning->Visible());
}

TEST_F(RunOutcomeTest, OfflineWithBalloonLevelThreeKeepsTheTrayTooltipAndShowsNoBalloon) {
  config.Set(&AppConfig::BalloonLevel, 3);
  form->SetRunState(rsAllOk, 0);
  form->SetRunState(rsOffline, 0);
  EXPECT_EQ(form->TrayIcon->IconIndex(), 2);
  EXPECT_EQ(form->TrayIcon->Hint(), kAllOk);
  EXPECT_EQ(form->imageSemafor->Hint(), kOffline);
  EXPECT_EQ(form->imageSemafor->Picture()->ImageIndex(), 2);
  EXPECT_EQ(form->StatusBar->SimpleText(), "Offline!");
  EXPECT_TRUE(Balloons().empty());
}

TEST_F(RunOutcomeTest, OfflineWithBalloonLevelFourShowsTheBalloonEveryTime) {
  form->SetRunState(rsOffline, 0);
  form->SetRunState(rsOffline, 0);
  EXPECT_EQ(form->TrayIcon->Hint(), kOffline);
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 2u);
  for (const Balloon& balloon : balloons) {
    EXPECT_EQ(balloon.title, "Offline");
    EXPECT_EQ(balloon.text, "Unable to check servers. You are probably offline.");
    EXPECT_EQ(balloon.flags, bfWarning);
    EXPECT_EQ(balloon.timeout, 5);
  }
}

TEST_F(RunOutcomeTest, BalloonsAreCutByCharactersNotBytes) {
  // Two-byte characters in UTF-8: a cut by bytes would keep half as many.
  std::string title, text;
  for (int i = 0; i < 70; ++i) title += "\xC4\x8D";  // c with caron
  for (int i = 0; i < 300; ++i) text += "\xC5\xBE";  // z with caron
  form->ShowBalloon(title, text, BalloonKind::Error);
  const auto balloons = Balloons();
  ASSERT_EQ(balloons.size(), 1u);
  EXPECT_EQ(balloons[0].title, title.substr(0, 63 * 2));
  EXPECT_EQ(balloons[0].text, text.substr(0, 255 * 2));
  EXPECT_EQ(balloons[0].flags, bfError);

  const std::string longAscii(300, 'w');
  form->ShowBalloon("Response error", longAscii, BalloonKind::Error);
  EXPECT_EQ(Balloons().back().text, std::string(255, 'w'));
}

TEST_F(RunOutcomeTest, TheTrayTooltipReachesThePlatformCutTo127Characters) {
  form->TrayIcon->SetHint(std::string(200, 'h'));
  ASSERT_FALSE(desktop.TrayRecords().empty());
  EXPECT_EQ(desktop.TrayRecords().back().hint, std::string(127, 'h'));
  // Every hint the outcome sets fits whole.
  form->SetRunState(rsOffline, 0);
  EXPECT_EQ(desktop.TrayRecords().back().hint, kOffline);
}

// The row actions follow the table: a row to act on must exist already.
TEST_F(RunOutcomeTest, RowActionsFollowInsertAndDelete) {
  for (TAction* action : {form->actionServerEdit, form->actionServerDelete,
                          form->actionServerActivate, form->actionServerDeactivate})
    action->SetEnabled(false);
  AddServer({"alpha", "http://127.0.0.1/"});
  EXPECT_FALSE(form->actionServerEdit->Enabled());  // the handler saw no posted row
  AddServer({"bravo", "http://127.0.0.1/"});
  EXPECT_TRUE(form->actionServerEdit->Enabled());
  EXPECT_TRUE(form->actionServerDeactivate->Enabled());
  form->setServer.MoveFirst();
  form->setServer.DeleteRow();
  EXPECT_TRUE(form->actionServerDelete->Enabled());
  form->setServer.DeleteRow();
  EXPECT_FALSE(form->actionServerDelete->Enabled());
  EXPECT_FALSE(form->actionServerActivate->Enabled());
}

TEST_F(RunOutcomeTest, TheGridShowsTheFourColumnsOfTheTable) {
  AddServer({"alpha", "http://127.0.0.1/"});
  TDBGrid& grid = *form->gridLink;
  ASSERT_EQ(grid.Columns()->Count(), 4);
  EXPECT_EQ((*grid.Columns())[1].Title()->DisplayCaption(), "  Server");
  EXPECT_EQ((*grid.Columns())[3].Width(), 265);
  EXPECT_EQ(grid.RowCount(), 1);
  EXPECT_EQ(grid.CellText(0, 1), "alpha");
  EXPECT_EQ(grid.CellText(0, 2), "-1");
  EXPECT_EQ(grid.CellText(0, 3), "Waiting...");
}

}  // namespace
}  // namespace lantervo::test
