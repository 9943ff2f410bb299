#pragma once
// The server dialog: enters a new server or changes the current one. Not modal: the command
// that opens it disables the main window and stops the check timer; OK (with valid input) and
// Cancel undo both and hide the dialog.
#include <memory>
#include <string>

#include "toolkit/form.h"
#include "toolkit/std_controls.h"
#include "ui/text_fit.h"

namespace lantervo {

class TMainForm;

class TFormServers : public TForm {
  LANTERVO_CLASS()

 public:
  explicit TFormServers(Desktop& desktop);
  ~TFormServers() override;
  // Lays the window out for its translated captions (see TextFit).
  void CaptionsTranslated() override;

  // The window whose table the dialog writes; set by the program after creating both.
  TMainForm* mainForm = nullptr;

  TLabel* labelTitle = nullptr;
  TLabel* labelName = nullptr;
  TEdit* editName = nullptr;
  TLabel* labelURL = nullptr;
  TEdit* editURL = nullptr;
  TLabel* labelTimeout = nullptr;
  TEdit* editTimeout = nullptr;
  TLabel* labelTimeoutEnabled = nullptr;
  TCheckBox* checkboxTimeout = nullptr;
  TLabel* labelResponse = nullptr;
  TMemo* memoResponse = nullptr;
  TLabel* labelResponseEnabled = nullptr;
  TCheckBox* checkboxResponse = nullptr;
  TButton* buttonCancel = nullptr;
  TButton* buttonOK = nullptr;

  // "add" or "edit"; read by OK.
  std::string EditMode;

  void PrepareAdd();
  void PrepareEdit();  // from the current row of the main window's table

  void checkboxTimeoutClick(Component& sender);
  void checkboxTimeoutKeyPress(Component& sender, char32_t& key);
  void checkboxResponseClick(Component& sender);
  void checkboxResponseKeyPress(Component& sender, char32_t& key);
  void buttonOKClick(Component& sender);
  void buttonCancelClick(Component& sender);

  // The "Correct the following errors:" lines of the input as it stands, each ended by a CR;
  // empty when the input is valid.
  std::string ValidationErrors() const;

 private:
  TLabel& NewLabel(const std::string& name, const std::string& caption, int left, int top);
  TEdit& NewEdit(const std::string& name, int top, int tabOrder);
  TCheckBox& NewCheckBox(const std::string& name, int top, int tabOrder);
  TButton& NewButton(const std::string& name, const std::string& caption, int left, int tabOrder);
  void SetTitle(const std::string& caption);
  void WriteFields(int timeout);
  void LeaveDialog();
  std::unique_ptr<TextFit> textFit_;
};

}  // namespace lantervo
