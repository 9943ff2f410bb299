// The six list commands through their actions: the dialog hand-over and the timer, the delete
// question, the row actions' enabled state, Activate/Deactivate/Activate all, the list file
// saved after every change, a delete while a check run walks the table, and the Czech question.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/http_test_server.h"
#include "tests/ui/server_dialog_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ListCommandsTest : public ServerDialogTest {
 protected:
  void AddThree() {
    AddServer({"Alpha", "http://alpha/"});
    AddServer({"Intranet", "http://intranet/"});
    AddServer({"Zulu", "http://zulu/"});
  }
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& row : Rows()) names.push_back(row.name);
    return names;
  }
  std::string Current() { return form->setServer.GetText("Name"); }
};

TEST_F(ListCommandsTest, AddAndEditOpenTheDialogWithTheTimerStoppedAndTheWindowDisabled) {
  form->UpdateRowActions();  // as start-up leaves an empty list
  StartTimer();
  ASSERT_TRUE(form->actionServerAdd->Execute());
  EXPECT_TRUE(dialog->Visible());
  EXPECT_EQ(dialog->EditMode, "add");
  EXPECT_FALSE(form->Enabled());
  EXPECT_FALSE(form->timerCheck->Enabled());
  dialog->editName->SetText("Intranet");
  dialog->buttonOK->Click();
  EXPECT_FALSE(dialog->Visible());
  EXPECT_TRUE(form->Enabled());
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Intranet", true}));

  // The timer restarted with the dialog: the next run is one full interval away.
  EXPECT_EQ(desktop.NextTimerDue(), static_cast<std::int64_t>(form->timerCheck->Interval()));

  // Adding to an empty list leaves the row actions off; a second row turns them on.
  EXPECT_FALSE(form->actionServerEdit->Enabled());
  EXPECT_FALSE(form->actionServerDelete->Enabled());
  ASSERT_TRUE(form->actionServerAdd->Execute());
  dialog->editName->SetText("Extranet");
  dialog->buttonOK->Click();
  EXPECT_TRUE(form->actionServerEdit->Enabled());
  EXPECT_TRUE(form->actionServerDelete->Enabled());

  ASSERT_TRUE(form->actionServerEdit->Execute());
  EXPECT_EQ(dialog->EditMode, "edit");
  EXPECT_EQ(dialog->editName->Text(), Current());
  EXPECT_FALSE(form->Enabled());
  EXPECT_FALSE(form->timerCheck->Enabled());
  // The disabled main window takes no shortcut: neither Quit nor Delete under the dialog.
  const auto boxes = desktop.MessageBoxes().size();
  EXPECT_FALSE(form->IsShortCut('Q', ssCtrl));
  EXPECT_FALSE(form->IsShortCut('R', ssCtrl));
  EXPECT_FALSE(form->IsClosing);
  EXPECT_FALSE(desktop.QuitRequested());
  EXPECT_EQ(desktop.MessageBoxes().size(), boxes);
  dialog->buttonCancel->Click();
  EXPECT_TRUE(form->timerCheck->Enabled());
}

TEST_F(ListCommandsTest, DeleteAsksWithTheNameAndNoKeepsEverything) {
  AddThree();
  Select("Intranet");
  desktop.ScriptAnswer(MessageBoxAnswer::No);
  ASSERT_TRUE(form->actionServerDelete->Execute());
  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
  const auto& box = desktop.MessageBoxes()[0];
  EXPECT_EQ(box.owner, "MainForm");
  EXPECT_EQ(box.caption, "Delete");
  EXPECT_EQ(box.text, "Do you wish to delete  Intranet?");
  EXPECT_EQ(box.icon, MessageBoxIcon::Question);
  EXPECT_EQ(box.buttons, MessageBoxButtons::YesNo);
  EXPECT_THAT(Names(), ElementsAre("Alpha", "Intranet", "Zulu"));
  EXPECT_FALSE(dir.Exists("LTV.xml"));

  Select("Intranet");  // reading the names walked the cursor
  desktop.ScriptAnswer(MessageBoxAnswer::Yes);
  ASSERT_TRUE(form->actionServerDelete->Execute());
  EXPECT_EQ(Current(), "Zulu");
  EXPECT_THAT(Names(), ElementsAre("Alpha", "Zulu"));
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Alpha", true}, SavedRow{"Zulu", true}));
}

TEST_F(ListCommandsTest, DeletingTheOnlyRowDisablesTheFourRowActions) {
  AddServer({"Intranet", "http://intranet/"});
  form->UpdateRowActions();
  desktop.ScriptAnswer(MessageBoxAnswer::Yes);
  ASSERT_TRUE(form->actionServerDelete->Execute());
  EXPECT_EQ(form->setServer.RowCount(), 0);
  EXPECT_FALSE(form->actionServerDelete->Enabled());
  EXPECT_FALSE(form->actionServerEdit->Enabled());
  EXPECT_FALSE(form->actionServerActivate->Enabled());
  EXPECT_FALSE(form->actionServerDeactivate->Enabled());
  EXPECT_TRUE(form->actionServerAdd->Enabled());
  EXPECT_THAT(SavedRows(), IsEmpty());
}

TEST_F(ListCommandsTest, DeactivateThenActivateKeepsTheRunFieldsAndSavesEachTime) {
  AddThree();
  Select("Intranet");
  ServerTable& table = form->setServer;
  table.BeginEdit();
  table.SetText("Status", "ERR_LOAD");
  table.SetText("Result", "Unable to load.");
  table.PostRow();
  StartTimer();
  desktop.Advance(1000);

  ASSERT_TRUE(form->actionServerDeactivate->Execute());
  EXPECT_FALSE(table.GetBool("Active"));
  EXPECT_EQ(Current(), "Intranet");
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Alpha", true}, SavedRow{"Intranet", false},
                                       SavedRow{"Zulu", true}));
  ASSERT_TRUE(form->actionServerActivate->Execute());
  EXPECT_TRUE(table.GetBool("Active"));
  EXPECT_EQ(table.GetText("Status"), "ERR_LOAD");
  EXPECT_EQ(table.GetText("Result"), "Unable to load.");
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Alpha", true}, SavedRow{"Intranet", true},
                                       SavedRow{"Zulu", true}));
  // Neither touched the timer: it keeps counting from its start.
  EXPECT_EQ(desktop.NextTimerDue(), static_cast<std::int64_t>(form->timerCheck->Interval()) - 1000);
}

TEST_F(ListCommandsTest, ActivateAllLeavesTheLastRowCurrentAndRestartsTheTimer) {
  AddServer({"Alpha", "http://alpha/"});
  AddServer({"Intranet", "http://intranet/", false});
  AddServer({"Zulu", "http://zulu/"});
  Select("Alpha");
  StartTimer();
  desktop.Advance(1000);
  ASSERT_TRUE(form->actionServerActivateAll->Execute());
  EXPECT_EQ(Current(), "Zulu");
  EXPECT_TRUE(form->timerCheck->Enabled());
  EXPECT_EQ(desktop.NextTimerDue(), static_cast<std::int64_t>(form->timerCheck->Interval()));
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Alpha", true}, SavedRow{"Intranet", true},
                                       SavedRow{"Zulu", true}));
}

TEST_F(ListCommandsTest, DeleteRemovesTheRowTheBoxShowedWhileARunMovedTheCursor) {
  const std::string refused = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  AddServer({"Alpha", refused});
  AddServer({"Intranet", refused});
  AddServer({"Zulu", refused});
  Select("Intranet");
  // The run starts as the box opens; the box is answered once the run has moved the cursor.
  ServerTable& table = form->setServer;
  desktop.ScriptAnswer(MessageBoxAnswer::Yes, [&] { return table.CurrentIndex() != 1; });
  StartTimer();
  desktop.Advance(form->timerCheck->Interval());
  ASSERT_NE(form->CurrentCheck(), nullptr);
  form->actionServerDeleteExecute(*form->actionServerDelete);

  EXPECT_EQ(desktop.MessageBoxes().back().text, "Do you wish to delete  Intranet?");
  EXPECT_THAT(Names(), ElementsAre("Alpha", "Zulu"));
  // The run finished its walk over the rows that stay.
  for (const auto& row : Rows()) EXPECT_EQ(row.status, "ERR_LOAD") << row.name;
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Alpha", true}, SavedRow{"Zulu", true}));
  EXPECT_THAT(desktop.HandledErrors(), IsEmpty());
}

TEST_F(ListCommandsTest, CzechCatalogAsksInCzech) {
  TextInstance().SwitchLanguage("cs");
  ASSERT_NE(TextInstance().TranslateText("Delete"), "Delete") << "no Czech catalog embedded";
  AddServer({"Intranet", "http://intranet/"});
  desktop.ScriptAnswer(MessageBoxAnswer::No);
  ASSERT_TRUE(form->actionServerDelete->Execute());
  EXPECT_EQ(desktop.MessageBoxes().back().text, "Opravdu odstranit Intranet?");
  EXPECT_EQ(desktop.MessageBoxes().back().caption, TextInstance().TranslateText("Delete"));
}

}  // namespace
}  // namespace lantervo::test
