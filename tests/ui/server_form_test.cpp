// The server dialog: what Add and Edit show, the three input rules and their box, what OK
// writes to the table and the list file, and Cancel.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/ui/server_dialog_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ServerFormTest : public ServerDialogTest {
 protected:
  // What the Add and Edit commands do before showing the dialog.
  void OpenForAdd() {
    form->SetEnabled(false);
    form->timerCheck->SetEnabled(false);
    dialog->PrepareAdd();
    dialog->Show();
  }
  void OpenForEdit(const std::string& name) {
    Select(name);
    form->SetEnabled(false);
    form->timerCheck->SetEnabled(false);
    dialog->PrepareEdit();
    dialog->Show();
  }
  // Presses OK and answers whether the dialog closed.
  bool PressOk() {
    dialog->buttonOK->Click();
    return !dialog->Visible();
  }
  std::string LastBoxText() const {
    return desktop.MessageBoxes().empty() ? "" : desktop.MessageBoxes().back().text;
  }
  void ExpectClosed() {
    EXPECT_FALSE(dialog->Visible());
    EXPECT_TRUE(form->Enabled());
    EXPECT_TRUE(form->timerCheck->Enabled());
  }
};

TEST_F(ServerFormTest, WindowHasNoTitleBarButtonsAndNoDefaultOrCancelButton) {
  EXPECT_EQ(dialog->BorderIcons(), 0);
  EXPECT_EQ(dialog->ClientWidth(), 383);
  EXPECT_EQ(dialog->ClientHeight(), 327);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->buttonOK->Default() || dialog->buttonOK->Cancel());
  EXPECT_FALSE(dialog->buttonCancel->Default() || dialog->buttonCancel->Cancel());
  // Tab order: name, URL, timeout, its box, the response box, Cancel, OK, then the memo.
  const std::vector<TWinControl*> tabs{
      dialog->editName,         dialog->editURL,      dialog->editTimeout, dialog->checkboxTimeout,
      dialog->checkboxResponse, dialog->buttonCancel, dialog->buttonOK,    dialog->memoResponse};
  for (std::size_t i = 0; i < tabs.size(); ++i)
    EXPECT_EQ(tabs[i]->TabOrder(), static_cast<std::int64_t>(i + 1));
  EXPECT_EQ(dialog->memoResponse->Left(), 152);
  EXPECT_EQ(dialog->memoResponse->Top(), 183);
  EXPECT_EQ(dialog->memoResponse->Height(), 42);
  EXPECT_EQ(dialog->buttonOK->Left(), 270);
}

TEST_F(ServerFormTest, AddShowsTheDefaultsAndStoresThemWithAWaitingRow) {
  OpenForAdd();
  EXPECT_EQ(dialog->Caption(), "Add new server");
  EXPECT_EQ(dialog->labelTitle->Caption(), "Add new server");
  EXPECT_EQ(dialog->EditMode, "add");
  EXPECT_EQ(dialog->editName->Text(), "New server name");
  EXPECT_EQ(dialog->editURL->Text(), "http://");
  EXPECT_EQ(dialog->editTimeout->Text(), "500");
  EXPECT_TRUE(dialog->checkboxTimeout->Checked());
  EXPECT_TRUE(dialog->editTimeout->Enabled());
  EXPECT_EQ(dialog->memoResponse->Text(), "OK");
  EXPECT_FALSE(dialog->memoResponse->Enabled());
  EXPECT_FALSE(dialog->checkboxResponse->Checked());

  // "http://" alone passes.
  ASSERT_TRUE(PressOk()) << LastBoxText();
  ExpectClosed();
  ServerTable& table = form->setServer;
  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.GetText("Name"), "New server name");
  EXPECT_EQ(table.GetText("Url"), "http://");
  EXPECT_EQ(table.GetInt("Timeout"), 500);
  EXPECT_TRUE(table.GetBool("TimeoutEnabled"));
  EXPECT_EQ(table.GetText("Response"), "OK");
  EXPECT_FALSE(table.GetBool("ResponseEnabled"));
  EXPECT_TRUE(table.GetBool("Active"));
  EXPECT_FALSE(table.IsNull("Status"));
  EXPECT_EQ(table.GetText("Status"), "");
  EXPECT_EQ(table.GetText("Result"), "Waiting...");
  EXPECT_EQ(table.GetInt("LoadTime"), -1);
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"New server name", true}));
}

TEST_F(ServerFormTest, AllFailingRulesAreListedInOneWarningBoxAndTheDialogStays) {
  OpenForAdd();
  dialog->editName->SetText("");
  dialog->editURL->SetText("abc");
  dialog->editTimeout->SetText("abc");
  EXPECT_FALSE(PressOk());

  ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
  const auto& box = desktop.MessageBoxes()[0];
  EXPECT_EQ(box.owner, "FormServers");
  EXPECT_EQ(box.caption, "Form error");
  EXPECT_EQ(box.text,
            "Correct the following errors:\rEnter server name\rEnter valid URL\r"
            "Enter valid timeout value\r");
  EXPECT_EQ(box.icon, MessageBoxIcon::Warning);
  EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
  // Everything stays as it was.
  EXPECT_TRUE(dialog->Visible());
  EXPECT_FALSE(form->Enabled());
  EXPECT_FALSE(form->timerCheck->Enabled());
  EXPECT_EQ(dialog->editURL->Text(), "abc");
  EXPECT_EQ(form->setServer.RowCount(), 0);
  EXPECT_FALSE(dir.Exists("LTV.xml"));
}

TEST_F(ServerFormTest, UrlMustBeginWithLowerCaseHttp) {
  OpenForAdd();
  for (const char* url : {"HTTP://x", "https://x", "http:/", ""}) {
    dialog->editURL->SetText(url);
    EXPECT_FALSE(PressOk()) << url;
    EXPECT_EQ(LastBoxText(), "Correct the following errors:\rEnter valid URL\r") << url;
  }
}

TEST_F(ServerFormTest, HttpsUrlsPassOnceHttpsIsAllowed) {
  config.Set(&AppConfig::HttpsEnabled, true);
  OpenForAdd();
  for (const char* url : {"HTTPS://x", "https:/x", "https:"}) {
    dialog->editURL->SetText(url);
    EXPECT_FALSE(PressOk()) << url;
  }
  dialog->editURL->SetText("https://secure.test/");
  EXPECT_TRUE(PressOk()) << LastBoxText();
  EXPECT_EQ(form->setServer.GetText("Url"), "https://secure.test/");
}

TEST_F(ServerFormTest, TimeoutIsAWholeNumberAboveZeroByTheSharedRule) {
  OpenForAdd();
  for (const char* refused : {"0", "-5", "500 ", "", "12a", "99999999999"}) {
    dialog->editTimeout->SetText(refused);
    EXPECT_FALSE(PressOk()) << '"' << refused << '"';
    EXPECT_EQ(LastBoxText(), "Correct the following errors:\rEnter valid timeout value\r");
  }
  dialog->editTimeout->SetText("$1F4");
  ASSERT_TRUE(PressOk()) << LastBoxText();
  EXPECT_EQ(form->setServer.GetInt("Timeout"), 500);

  OpenForEdit("New server name");
  dialog->editTimeout->SetText("  +0x20");
  ASSERT_TRUE(PressOk()) << LastBoxText();
  EXPECT_EQ(form->setServer.GetInt("Timeout"), 32);
}

TEST_F(ServerFormTest, UncheckedTimeoutIsStillValidatedAndStored) {
  OpenForAdd();
  dialog->checkboxTimeout->Click();
  EXPECT_FALSE(dialog->checkboxTimeout->Checked());
  EXPECT_FALSE(dialog->editTimeout->Enabled());
  dialog->editTimeout->SetText("abc");
  EXPECT_FALSE(PressOk());
  EXPECT_EQ(LastBoxText(), "Correct the following errors:\rEnter valid timeout value\r");

  dialog->editTimeout->SetText("750");
  ASSERT_TRUE(PressOk());
  EXPECT_EQ(form->setServer.GetInt("Timeout"), 750);
  EXPECT_FALSE(form->setServer.GetBool("TimeoutEnabled"));
}

TEST_F(ServerFormTest, CheckBoxesKeepTheirFieldsEnabledOnClickAndKeyPress) {
  OpenForAdd();
  dialog->checkboxResponse->Click();
  EXPECT_TRUE(dialog->memoResponse->Enabled());
  // A key press (space) reaches the handler after the box has toggled itself.
  dialog->checkboxResponse->SetChecked(false);
  dialog->memoResponse->SetEnabled(true);
  dialog->checkboxResponse->KeyPress(U' ');
  EXPECT_FALSE(dialog->memoResponse->Enabled());
  dialog->editTimeout->SetEnabled(false);
  dialog->checkboxTimeout->KeyPress(U' ');
  EXPECT_TRUE(dialog->editTimeout->Enabled());
}

TEST_F(ServerFormTest, TwoLineResponseIsStoredWithCrLfAndShownAgain) {
  OpenForAdd();
  dialog->editName->SetText("Intranet");
  dialog->checkboxResponse->Click();
  dialog->memoResponse->Lines()->Clear();
  dialog->memoResponse->Lines()->Add("OK");
  dialog->memoResponse->Lines()->Add("ready");
  ASSERT_TRUE(PressOk());
  EXPECT_EQ(form->setServer.GetText("Response"), "OK\r\nready");
  EXPECT_TRUE(form->setServer.GetBool("ResponseEnabled"));

  OpenForEdit("Intranet");
  EXPECT_EQ(dialog->memoResponse->Text(), "OK\r\nready");
  EXPECT_TRUE(dialog->memoResponse->Enabled());
}

TEST_F(ServerFormTest, EditShowsLoneLineBreaksAsCrLfAndKeepsTheRunFields) {
  AddServer({"Intranet", "http://intranet/", false, "one\rtwo\nthree", 300});
  ServerTable& table = form->setServer;
  table.BeginEdit();
  table.SetText("Status", "ERR_SLOW");
  table.SetText("Result", "Slow load.");
  table.SetInt("LoadTime", 812);
  table.PostRow();

  OpenForEdit("Intranet");
  EXPECT_EQ(dialog->Caption(), "Edit server");
  EXPECT_EQ(dialog->labelTitle->Caption(), "Edit server");
  EXPECT_EQ(dialog->EditMode, "edit");
  EXPECT_EQ(dialog->editURL->Text(), "http://intranet/");
  EXPECT_EQ(dialog->editTimeout->Text(), "300");
  EXPECT_EQ(dialog->memoResponse->Text(), "one\r\ntwo\r\nthree");
  dialog->editName->SetText("Extranet");
  ASSERT_TRUE(PressOk());
  ExpectClosed();

  ASSERT_EQ(table.RowCount(), 1);
  EXPECT_EQ(table.GetText("Name"), "Extranet");
  EXPECT_EQ(table.GetText("Status"), "ERR_SLOW");
  EXPECT_EQ(table.GetText("Result"), "Slow load.");
  EXPECT_EQ(table.GetInt("LoadTime"), 812);
  EXPECT_FALSE(table.GetBool("Active"));
  EXPECT_THAT(SavedRows(), ElementsAre(SavedRow{"Extranet", false}));
}

TEST_F(ServerFormTest, NullTimeoutShowsEmptyAndBlocksOkUntilEntered) {
  AddServer({"Intranet", "http://intranet/"});  // no timeout: null, not enabled
  OpenForEdit("Intranet");
  EXPECT_EQ(dialog->editTimeout->Text(), "");
  EXPECT_FALSE(dialog->editTimeout->Enabled());
  EXPECT_FALSE(PressOk());
  EXPECT_EQ(LastBoxText(), "Correct the following errors:\rEnter valid timeout value\r");
  dialog->checkboxTimeout->Click();
  EXPECT_TRUE(dialog->editTimeout->Enabled());
  dialog->editTimeout->SetText("400");
  ASSERT_TRUE(PressOk());
  EXPECT_EQ(form->setServer.GetInt("Timeout"), 400);
  EXPECT_TRUE(form->setServer.GetBool("TimeoutEnabled"));
}

TEST_F(ServerFormTest, CancelLeavesTheRowAndTheFileAndRestartsTheTimer) {
  AddServer({"Intranet", "http://intranet/", true, "", 300});
  OpenForEdit("Intranet");
  dialog->editName->SetText("Changed");
  dialog->editTimeout->SetText("nonsense");
  dialog->buttonCancel->Click();
  ExpectClosed();
  EXPECT_THAT(desktop.MessageBoxes(), IsEmpty());
  EXPECT_EQ(form->setServer.GetText("Name"), "Intranet");
  EXPECT_EQ(form->setServer.GetInt("Timeout"), 300);
  EXPECT_FALSE(dir.Exists("LTV.xml"));
}

TEST_F(ServerFormTest, AFailedSaveReachesTheErrorHandlerAfterTheDialogClosed) {
  form->setServer.FileName = dir.File("missing-folder") + platform::PathSeparator() + "LTV.xml";
  OpenForAdd();
  ASSERT_TRUE(PressOk());
  ExpectClosed();
  EXPECT_EQ(form->setServer.RowCount(), 1);
  EXPECT_EQ(desktop.HandledErrors().size(), 1u);
}

}  // namespace
}  // namespace lantervo::test
