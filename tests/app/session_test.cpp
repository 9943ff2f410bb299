// A user's session through the program: the list commands through their dialogs and boxes
// with the file saved after each, hiding and showing, the hot key, the close box, log-off,
// Quit while a run is under way, and the program in Czech.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "tests/app/program_fixture.h"
#include "tests/support/http_test_server.h"
#include "ui/check_scheduler.h"
#include "ui/server_form.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SessionTest : public ProgramTest {
 protected:
  void SetUp() override {
    PutConfig();
    WriteList({});
    ASSERT_EQ(Start(), Program::StartResult::Running);
  }
  TFormServers& dialog() { return *program->ServersForm(); }
  void Select(const std::string& name) {
    ServerTable& table = main().setServer;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
      if (table.GetText("Name") == name) return;
    FAIL() << name;
  }
};

TEST_F(SessionTest, AddEditDeleteAndActivateSaveTheListAfterEveryCommand) {
  AddThroughDialog("Intranet", "http://intranet/");
  EXPECT_TRUE(main().Enabled());
  EXPECT_THAT(SavedRows(),
              ElementsAre(Row{"Intranet", "http://intranet/", "", "Waiting...", -1, true}));

  AddThroughDialog("Alpha", "http://alpha/");
  EXPECT_TRUE(main().actionServerEdit->Enabled());
  Select("Intranet");
  ASSERT_TRUE(main().actionServerEdit->Execute());
  EXPECT_EQ(dialog().editName->Text(), "Intranet");
  dialog().editURL->SetText("http://intranet.local/");
  dialog().buttonOK->Click();
  EXPECT_EQ(SavedRows().at(1).url, "http://intranet.local/");

  Select("Alpha");
  ASSERT_TRUE(main().actionServerDeactivate->Execute());
  EXPECT_FALSE(SavedRows().at(0).active);
  ASSERT_TRUE(main().actionServerActivateAll->Execute());
  EXPECT_TRUE(SavedRows().at(0).active);

  Select("Intranet");
  desktop->ScriptAnswer(MessageBoxAnswer::Yes);
  ASSERT_TRUE(main().actionServerDelete->Execute());
  EXPECT_EQ(desktop->MessageBoxes().back().text, "Do you wish to delete  Intranet?");
  EXPECT_THAT(SavedRows(), ElementsAre(Row{"Alpha", "http://alpha/", "", "Waiting...", -1, true}));

  // A dialog's invalid input is refused with the warning box; nothing is saved.
  const std::string before = FileText("LTV.xml");
  ASSERT_TRUE(main().actionServerAdd->Execute());
  dialog().editName->SetText("");
  dialog().buttonOK->Click();
  EXPECT_TRUE(dialog().Visible());
  EXPECT_EQ(desktop->MessageBoxes().back().icon, MessageBoxIcon::Warning);
  dialog().buttonCancel->Click();
  EXPECT_EQ(FileText("LTV.xml"), before);
}

TEST_F(SessionTest, TrayDoubleClickHotKeyAndCloseBoxHideAndShowTheWindow) {
  TMainForm& form = main();
  form.TrayIcon->DblClick();
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(form.actionShow->Enabled());
  EXPECT_FALSE(form.actionHide->Enabled());
  EXPECT_TRUE(desktop->TrayVisible(*form.TrayIcon));

  form.TrayIcon->DblClick();
  EXPECT_TRUE(form.Visible());
  EXPECT_EQ(desktop->Foreground(), &form);
  EXPECT_FALSE(form.actionShow->Enabled());

  ASSERT_TRUE(desktop->PressHotKey(kModControl | kModAlt, 0x57));
  EXPECT_FALSE(form.Visible());
  form.HotKey(form.HotkeyAtom + 1);  // somebody else's hot key
  EXPECT_FALSE(form.Visible());
  ASSERT_TRUE(desktop->PressHotKey(kModControl | kModAlt, 0x57));
  EXPECT_TRUE(form.Visible());

  // The close box only hides; the program and its timer go on.
  EXPECT_FALSE(form.Close());
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(form.actionShow->Enabled());
  EXPECT_FALSE(desktop->QuitRequested());
  EXPECT_TRUE(form.timerCheck->Enabled());

  // Ctrl+H is the window's own shortcut.
  form.actionShow->Execute();
  EXPECT_TRUE(form.IsShortCut('H', ssCtrl));
  EXPECT_FALSE(form.Visible());
}

TEST_F(SessionTest, TheMenusAndTheTrayMenuCarryTheirCommands) {
  TMainForm& form = main();
  ASSERT_EQ(form.Menu(), form.mainMenu);
  const auto& top = form.mainMenu->Items()->Items();
  ASSERT_EQ(top.size(), 4u);
  EXPECT_EQ(top[2]->Caption(), "Stats");
  EXPECT_TRUE(top[2]->Enabled());
  ASSERT_EQ(top[2]->Count(), 2);
  EXPECT_EQ(top[2]->Items()[0]->Caption(), "Generate");
  EXPECT_EQ(top[2]->Items()[1]->Caption(), "Export CSV");
  std::vector<std::string> servers;
  for (TMenuItem* item : top[1]->Items()) servers.push_back(item->Caption());
  EXPECT_THAT(servers, ElementsAre("Add", "Edit", "Delete", "Deactivate", "Activate",
                                   "Activate all", "Check now"));
  std::vector<std::string> tray;
  for (TMenuItem* item : form.popupTray->Items()->Items()) tray.push_back(item->Caption());
  EXPECT_THAT(tray, ElementsAre("Show", "Hide", "Check now", "Log", "Quit"));
  EXPECT_FALSE(form.popupTray->Items()->Items()[0]->Enabled());  // Show, while shown

  form.popupTray->Items()->Items()[3]->Click();
  ASSERT_EQ(desktop->ShellOpens().size(), 1u);
  EXPECT_EQ(desktop->ShellOpens()[0].target, dir.File("LTV.log"));

  form.popupTray->Items()->Items()[4]->Click();
  EXPECT_TRUE(desktop->QuitRequested());
}

TEST_F(SessionTest, ClearLogEmptiesTheFileAndSaysSo) {
  main().AddLog("something", "ok");
  ASSERT_TRUE(main().actionLogClear->Execute());
  EXPECT_EQ(FileText("LTV.log"), LogLine("SYSTEM", "Cleared log"));
}

TEST_F(SessionTest, TheEndOfTheSessionQuitsAndKeepsTheSessionsChanges) {
  AddThroughDialog("Intranet", "http://intranet/");
  ServerTable& table = main().setServer;
  table.BeginEdit();
  table.SetText("Result", "kept until exit");
  table.PostRow();
  main().EndSession();
  EXPECT_TRUE(desktop->QuitRequested());
  // Written before the session's end returns: the system may not wait for the loop to unwind.
  EXPECT_EQ(SavedRows().at(0).result, "kept until exit");
  program->Run();
  EXPECT_EQ(SavedRows().at(0).result, "kept until exit");
}

TEST_F(SessionTest, QuitDuringARunStopsItAtTheServerInHandAndSavesWhatItWrote) {
  HttpTestServer server;
  server.Answer(HttpTestServer::Ok("fine"));
  // Bravo's server drips its body a byte at a time without end: only Quit can end that probe
  // before the call's deadline.
  server.AnswerStream(
      HttpTestServer::Endless("HTTP/1.1 200 OK\r\nContent-Length: 99999999\r\n\r\n", "x", 1), 100);
  AddThroughDialog("Alpha", server.Url("/a"));
  AddThroughDialog("Bravo", server.Url("/b"));
  AddThroughDialog("Charlie", server.Url("/c"));
  desktop->Advance(main().timerCheck->Interval());
  ASSERT_NE(main().CurrentCheck(), nullptr);
  // Let the run reach Bravo's probe, carrying out its hand-offs meanwhile.
  for (int i = 0; i < 60000 && server.Requests().size() < 2; ++i) {
    desktop->SharedHandOffs()->Drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_EQ(server.Requests().size(), 2u);

  // A watchdog far beyond any cancel, far below the call's own deadline.
  std::mutex mutex;
  std::condition_variable quitEnded;
  bool ended = false, held = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    held = !quitEnded.wait_for(lock, std::chrono::seconds(30), [&] { return ended; });
  });
  Quit();  // stops the run and waits for it, carrying out its hand-offs
  {
    std::lock_guard lock(mutex);
    ended = true;
  }
  quitEnded.notify_all();
  watchdog.join();
  EXPECT_FALSE(held) << "Quit waited for a probe that had no end";

  EXPECT_TRUE(main().CurrentCheck()->Finished());
  EXPECT_FALSE(main().timerCheck->Enabled());
  std::vector<std::string> statuses;
  for (const Row& row : SavedRows()) statuses.push_back(row.status);
  // Alpha's result is kept, Bravo's cut-short probe says nothing, Charlie is never probed.
  EXPECT_THAT(statuses, ElementsAre("OK", "CHECK", ""));
  EXPECT_EQ(server.Requests().size(), 2u);
}

class CzechSessionTest : public SessionTest {
 protected:
  void SetUp() override {
    PutConfig("cs");
    WriteList({{"Intranet", "http://intranet/", "", "", -1, true}});
    ASSERT_EQ(Start(), Program::StartResult::Running);
  }
};

TEST_F(CzechSessionTest, AStartAfterAQuitInTheSameProcessIsTranslatedAgain) {
  const std::string quit = main().actionQuit->Caption();
  ASSERT_NE(quit, "Quit");
  Quit();
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_EQ(main().actionQuit->Caption(), quit);
  EXPECT_THAT(dropped, IsEmpty());
}

TEST_F(CzechSessionTest, TheDeleteQuestionAndTheRowsSpeakCzech) {
  EXPECT_NE(Rows().at(0).result, "Waiting...");
  desktop->ScriptAnswer(MessageBoxAnswer::No);
  ASSERT_TRUE(main().actionServerDelete->Execute());
  EXPECT_EQ(desktop->MessageBoxes().back().text, "Opravdu odstranit Intranet?");
  EXPECT_NE(main().actionQuit->Caption(), "Quit");
}

}  // namespace
}  // namespace lantervo::test
