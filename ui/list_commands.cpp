// The six commands of the "Servers" menu that change the server table.
#include <exception>

#include "core/text_format.h"
#include "i18n/gettext.h"
#include "toolkit/desktop.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"
#include "ui/server_form.h"

namespace lantervo {

void TMainForm::BindListCommands() {
  actionServerAdd->OnExecute = [this](Component& s) { actionServerAddExecute(s); };
  actionServerEdit->OnExecute = [this](Component& s) { actionServerEditExecute(s); };
  actionServerDelete->OnExecute = [this](Component& s) { actionServerDeleteExecute(s); };
  actionServerActivate->OnExecute = [this](Component& s) { actionServerActivateExecute(s); };
  actionServerDeactivate->OnExecute = [this](Component& s) { actionServerDeactivateExecute(s); };
  actionServerActivateAll->OnExecute = [this](Component& s) { actionServerActivateAllExecute(s); };
}

void TMainForm::SaveListAfterChange() {
  if (setServer.FileName.empty()) return;
  try {
    setServer.SaveList(setServer.FileName);
  } catch (...) {
    GetDesktop()->HandleException(std::current_exception());
  }
}

void TMainForm::actionServerAddExecute(Component&) {
  timerCheck->SetEnabled(false);
  SetEnabled(false);
  formServers->PrepareAdd();
  formServers->Show();
}

void TMainForm::actionServerEditExecute(Component&) {
  SetEnabled(false);
  timerCheck->SetEnabled(false);
  formServers->PrepareEdit();
  formServers->Show();
}

void TMainForm::actionServerDeleteExecute(Component&) {
  const std::string caption = TranslateText("Delete");
  const std::string name = setServer.GetText("Name");
  const int index = setServer.CurrentIndex();
  const std::string question = FormatText(TranslateText("Do you wish to delete  %s?"), {name});
  // The timer keeps running while the box is open, so a check run may walk the table meanwhile.
  const MessageBoxAnswer answer = GetDesktop()->ShowMessageBox(
      this, caption, question, MessageBoxIcon::Question, MessageBoxButtons::YesNo);
  if (answer != MessageBoxAnswer::Yes) return;
  // A run still going owns the cursor between its steps; let it finish first. Runs change no
  // name, so the row keeps its place and is found again where the box saw it.
  if (check_) check_->WaitFor();
  int target = -1;
  if (index >= 0 && index < setServer.RowCount() && setServer.TextAt(index, "Name") == name) {
    target = index;
  } else {
    for (int i = 0; i < setServer.RowCount() && target < 0; ++i)
      if (setServer.TextAt(i, "Name") == name) target = i;
  }
  if (target < 0) return;
  setServer.MoveTo(target);
  setServer.DeleteRow();
  SaveListAfterChange();
}

void TMainForm::SetActiveOfCurrentRow(bool active) {
  setServer.BeginEdit();
  setServer.SetBool("Active", active);
  setServer.PostRow();
  SaveListAfterChange();
}

void TMainForm::actionServerActivateExecute(Component&) {
  SetActiveOfCurrentRow(true);
}

void TMainForm::actionServerDeactivateExecute(Component&) {
  SetActiveOfCurrentRow(false);
}

void TMainForm::actionServerActivateAllExecute(Component&) {
  timerCheck->SetEnabled(false);
  setServer.MoveFirst();
  while (!setServer.AtEnd()) {
    try {
      setServer.BeginEdit();
      setServer.SetBool("Active", true);
      setServer.PostRow();
    } catch (...) {
      // The move happens anyway; the failure ends the command with the timer still off.
      setServer.MoveNext();
      throw;
    }
    setServer.MoveNext();
  }
  timerCheck->SetEnabled(true);
  SaveListAfterChange();
}

}  // namespace lantervo
