// The headless desktop as tests of the windows use it, and the tray icon on top of it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/tray_icon.h"

namespace lantervo {
namespace {

using ::testing::ElementsAre;

struct DesktopTest : ::testing::Test {
  HeadlessDesktop desktop;
  TForm form{desktop};
  void SetUp() override { form.SetName("MainForm"); }
};

TEST_F(DesktopTest, MessageBoxesTakeScriptedAnswersElseTheirFirstButtonAndAreRecorded) {
  desktop.ScriptAnswer(MessageBoxAnswer::No);
  EXPECT_EQ(desktop.ShowMessageBox(&form, "Confirm", "Do you wish to delete  x?",
                                   MessageBoxIcon::Question, MessageBoxButtons::YesNo),
            MessageBoxAnswer::No);
  EXPECT_EQ(desktop.ShowMessageBox(nullptr, "Form error", "Correct the following errors:\r",
                                   MessageBoxIcon::Warning, MessageBoxButtons::Ok),
            MessageBoxAnswer::Ok);
  EXPECT_EQ(desktop.ShowMessageBox(nullptr, "c", "t", MessageBoxIcon::None,
                                   MessageBoxButtons::YesNoCancel),
            MessageBoxAnswer::Yes);
  ASSERT_EQ(desktop.MessageBoxes().size(), 3u);
  const auto& first = desktop.MessageBoxes()[0];
  EXPECT_EQ(first.owner, "MainForm");
  EXPECT_EQ(first.caption, "Confirm");
  EXPECT_EQ(first.icon, MessageBoxIcon::Question);
  EXPECT_EQ(desktop.MessageBoxes()[1].owner, "");
  EXPECT_EQ(desktop.MessageBoxes()[1].text, "Correct the following errors:\r");
}

TEST_F(DesktopTest, AtomsAreOnePerNameWithoutRegardToCase) {
  const std::uint16_t atom = desktop.AddGlobalAtom("HotkeyShow");
  EXPECT_GE(atom, 0xC000);
  EXPECT_EQ(desktop.AddGlobalAtom("hotkeyshow"), atom);
  EXPECT_NE(desktop.AddGlobalAtom("Other"), atom);
}

TEST_F(DesktopTest, HotKeysGoToTheirWindowWithTheirIdAndCanBeHeldElsewhere) {
  std::vector<int> received;
  form.OnHotKey = [&](Component&, int id) { received.push_back(id); };
  const int id = desktop.AddGlobalAtom("HotkeyShow");
  EXPECT_TRUE(desktop.RegisterHotKey(form, id, kModControl | kModAlt, 'W'));
  EXPECT_FALSE(desktop.RegisterHotKey(form, id, kModControl | kModAlt, 'W'));
  EXPECT_FALSE(desktop.PressHotKey(kModControl, 'W'));
  EXPECT_TRUE(desktop.PressHotKey(kModControl | kModAlt, 'W'));
  form.HotKey(42);  // a hot-key message with a foreign id reaches the handler as well
  EXPECT_THAT(received, ElementsAre(id, 42));
  EXPECT_TRUE(desktop.UnregisterHotKey(form, id));
  EXPECT_FALSE(desktop.UnregisterHotKey(form, id));
  EXPECT_FALSE(desktop.PressHotKey(kModControl | kModAlt, 'W'));

  desktop.HoldHotKeyElsewhere(kModControl | kModAlt, 'W');
  EXPECT_FALSE(desktop.RegisterHotKey(form, id, kModControl | kModAlt, 'W'));
  ASSERT_EQ(desktop.HotKeyCalls().size(), 5u);
  EXPECT_TRUE(desktop.HotKeyCalls()[0].registering);
  EXPECT_EQ(desktop.HotKeyCalls()[0].window, "MainForm");
  EXPECT_FALSE(desktop.HotKeyCalls()[4].succeeded);
}

TEST_F(DesktopTest, TopLevelWindowsAreFoundByClassNameWhileTheyExist) {
  EXPECT_FALSE(desktop.FindTopLevelWindow("QUORVIKMedia.Lantervo.0.9"));
  {
    TForm other(desktop);
    other.SetWindowClassName("QUORVIKMedia.Lantervo.0.9");
    EXPECT_TRUE(desktop.FindTopLevelWindow("QUORVIKMedia.Lantervo.0.9"));
  }
  EXPECT_FALSE(desktop.FindTopLevelWindow("QUORVIKMedia.Lantervo.0.9"));
  desktop.AddForeignWindow("Shell_TrayWnd");
  EXPECT_TRUE(desktop.FindTopLevelWindow("Shell_TrayWnd"));
  desktop.SetForeground(form);
  EXPECT_EQ(desktop.Foreground(), &form);
}

TEST_F(DesktopTest, ShellOpensAreRecordedWithTheirOwner) {
  desktop.SetShellOpenResult(false);
  EXPECT_FALSE(desktop.ShellOpen(&form, "C:\\x\\LTV.log"));
  ASSERT_EQ(desktop.ShellOpens().size(), 1u);
  EXPECT_EQ(desktop.ShellOpens()[0].owner, "MainForm");
  EXPECT_EQ(desktop.ShellOpens()[0].target, "C:\\x\\LTV.log");
}

TEST_F(DesktopTest, TheTrayIconReachesThePlatformWhileVisible) {
  auto& icons = form.Add<TImageList>("imagelistTrayIcon");
  icons.Add("paw-green");
  auto& tray = form.Add<TTrayIcon>("TrayIcon");
  tray.SetIcons(&icons);
  tray.SetBalloonTitle("Offline");
  tray.ShowBalloonHint();  // not in the notification area yet: nothing
  EXPECT_TRUE(desktop.TrayRecords().empty());
  tray.SetVisible(true);
  tray.SetIconIndex(2);
  tray.SetHint(std::string(130, 'h'));
  tray.SetBalloonHint(std::string(300, 'b'));
  tray.SetBalloonFlags(bfWarning);
  tray.SetBalloonTimeout(5);
  tray.ShowBalloonHint();
  tray.SetVisible(false);

  const auto& r = desktop.TrayRecords();
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0].kind, HeadlessDesktop::TrayRecord::Show);
  EXPECT_EQ(r[1].iconIndex, 2);
  EXPECT_EQ(r[2].hint.size(), 127u);
  EXPECT_EQ(r[3].kind, HeadlessDesktop::TrayRecord::ShowBalloon);
  EXPECT_EQ(r[3].balloon.title, "Offline");
  EXPECT_EQ(r[3].balloon.text.size(), 255u);
  EXPECT_EQ(r[3].balloon.flags, bfWarning);
  EXPECT_EQ(r[3].balloon.timeout, 5);
  EXPECT_EQ(r[4].kind, HeadlessDesktop::TrayRecord::Hide);
  EXPECT_EQ(tray.BalloonHint().size(), 300u);
}

TEST_F(DesktopTest, BalloonsAndTheTrayTooltipShowLineBreaksAsBlanksBeforeTheyAreCut) {
  auto& tray = form.Add<TTrayIcon>("TrayIcon");
  tray.SetVisible(true);
  tray.SetHint("a\r\nb");
  tray.SetBalloonTitle("Load\terror");
  tray.SetBalloonHint("Wrong response 'x': line 1\r\nline 2\r\n" + std::string(300, 'z'));
  tray.ShowBalloonHint();
  const auto& r = desktop.TrayRecords();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[1].hint, "a b");
  EXPECT_EQ(r[2].balloon.title, "Load error");
  EXPECT_EQ(r[2].balloon.text.substr(0, 36), "Wrong response 'x': line 1 line 2 zz");
  EXPECT_EQ(r[2].balloon.text.size(), 255u);
  EXPECT_EQ(tray.BalloonHint().substr(26, 2), "\r\n");  // the component keeps the text
}

TEST_F(DesktopTest, TheTrayIconOpensItsMenuAndLeavesTheAreaWhenDestroyed) {
  auto& popup = form.Add<TPopupMenu>("popupTray");
  auto& tray = form.Add<TTrayIcon>("TrayIcon");
  tray.SetPopupMenu(&popup);
  int opened = 0, doubleClicks = 0;
  popup.OnPopup = [&](Component&) { ++opened; };
  tray.OnDblClick = [&](Component&) { ++doubleClicks; };
  tray.SetVisible(true);
  tray.ContextPopup(10, 20);
  tray.DblClick();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(popup.PopupX(), 10);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_TRUE(desktop.TrayVisible(tray));
  form.RemoveComponent(popup);
  EXPECT_EQ(tray.PopupMenu(), nullptr);
  tray.ContextPopup(0, 0);
  const TTrayIcon* gone = &tray;
  form.RemoveComponent(tray);
  EXPECT_FALSE(desktop.TrayVisible(*gone));
}

TEST_F(DesktopTest, ClosingTheMainWindowBeforeTheLoopEndsTheLoopAtOnce) {
  desktop.SetMainForm(&form);
  form.Show();
  form.Close();
  desktop.Run();  // returns: the main window closed before
  EXPECT_TRUE(desktop.QuitRequested());
}

// Posted work waits for the next turn of the loop: a test's RunPosted, a message box's own
// loop, a timer tick; what it posts in turn runs in the same RunPosted, and its errors go to
// the application-wide handler.
TEST_F(DesktopTest, PostedWorkRunsInOrderAtTheNextTurnOfTheLoop) {
  std::vector<std::string> ran;
  desktop.Post([&] { ran.push_back("first"); });
  desktop.Post([&] {
    ran.push_back("second");
    desktop.Post([&] { ran.push_back("posted by second"); });
    throw std::runtime_error("second failed");
  });
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(desktop.PostedWaiting(), 2u);
  EXPECT_EQ(desktop.RunPosted(), 3u);
  EXPECT_THAT(ran, ElementsAre("first", "second", "posted by second"));
  EXPECT_THAT(desktop.HandledErrors(), ElementsAre("second failed"));

  desktop.Post([&] { ran.push_back("in the box"); });
  desktop.ShowMessageBox(&form, "Delete", "Delete server?", MessageBoxIcon::Question,
                         MessageBoxButtons::YesNo);
  EXPECT_EQ(ran.back(), "in the box");
  desktop.StartTimer(100, [&] { desktop.Post([&] { ran.push_back("after the tick"); }); });
  desktop.Advance(250);
  EXPECT_EQ(std::count(ran.begin(), ran.end(), "after the tick"), 2);
  EXPECT_EQ(desktop.PostedWaiting(), 0u);
}

TEST(TrayText, CutsCountUtf16UnitsAndKeepCharactersWhole) {
  EXPECT_EQ(CutToUtf16Units("abc", 2), "ab");
  EXPECT_EQ(CutToUtf16Units("čř", 1), "č");
  EXPECT_EQ(CutToUtf16Units("a\xF0\x9F\x98\x80", 2), "a");  // no half of a surrogate pair
  EXPECT_EQ(CutToUtf16Units("a\xF0\x9F\x98\x80", 3), "a\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace lantervo
