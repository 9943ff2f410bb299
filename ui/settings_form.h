#pragma once
// The settings dialog: edits the configuration values in the registry and the autostart entry.
// Not modal: the Settings command disables the main window and shows it; Save (with valid
// input) and Cancel enable the main window again and hide it. It fills its controls from the
// registry each time it is shown and never reads AppConfig. Two pages: "General" holds the
// settings every installation has, "Advanced" the opt-ins, each off until the user turns it on.
#include <memory>
#include <string>

#include "platform/autostart.h"
#include "toolkit/form.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"
#include "ui/text_fit.h"

namespace lantervo {

class TMainForm;
struct ConfigValue;

class TformSettings : public TForm {
  LANTERVO_CLASS()

 public:
  explicit TformSettings(Desktop& desktop);
  ~TformSettings() override;
  // Lays the window out for its translated captions (see TextFit).
  void CaptionsTranslated() override;

  // The program's main window; set by the program after creating both.
  TMainForm* mainForm = nullptr;

  TPageControl* pageSettings = nullptr;
  TTabSheet* sheetGeneral = nullptr;
  TTabSheet* sheetAdvanced = nullptr;
  TLabel* labelTitle = nullptr;
  TLabel* labelVerifyURL = nullptr;
  TEdit* editVerifyURL = nullptr;
  TLabel* labelVerifyEnabled = nullptr;
  TCheckBox* checkboxVerifyEnabled = nullptr;
  TLabel* labelCheckInterval = nullptr;
  TEdit* editCheckInterval = nullptr;
  TLabel* labelLogFile = nullptr;
  TEdit* editLogFile = nullptr;
  TLabel* labelLogEnabled = nullptr;
  TCheckBox* checkboxLogEnabled = nullptr;
  TLabel* labelBalloonLevel = nullptr;
  TComboBox* comboBalloonLevel = nullptr;
  TLabel* labelAfterStart = nullptr;
  TCheckBox* checkboxAfterStart = nullptr;
  TLabel* labelHotkeyEnabled = nullptr;
  TCheckBox* checkboxHotkeyEnabled = nullptr;
  TLabel* labelHotkey = nullptr;
  TLabel* labelLanguage = nullptr;
  TComboBox* comboLanguage = nullptr;
  TLabel* labelUpdate = nullptr;
  TCheckBox* checkboxUpdate = nullptr;
  TLabel* labelHttps = nullptr;
  TCheckBox* checkboxHttps = nullptr;
  TLabel* labelRetryCount = nullptr;
  TComboBox* comboRetryCount = nullptr;
  TLabel* labelNotifyOnChange = nullptr;
  TCheckBox* checkboxNotifyOnChange = nullptr;
  TLabel* labelMetricsPort = nullptr;
  TEdit* editMetricsPort = nullptr;
  TLabel* labelMetricsAddress = nullptr;
  TEdit* editMetricsAddress = nullptr;
  TLabel* labelProxy = nullptr;
  TCheckBox* checkboxProxy = nullptr;
  TLabel* labelCheckLanes = nullptr;
  TComboBox* comboCheckLanes = nullptr;
  TButton* buttonCancel = nullptr;
  TButton* buttonSave = nullptr;

  void FormCreate();
  void FormShow(Component& sender);
  // Fills the controls from the registry. A value that fails to read ends the fill there
  // (thrown): the controls from it on keep what they showed.
  void LoadSettings();
  // The control the dialog shows a configuration value in.
  Component& ControlOf(const ConfigValue& value) const;
  void checkboxVerifyEnabledClick(Component& sender);
  void checkboxVerifyEnabledKeyPress(Component& sender, char32_t& key);
  void checkboxLogEnabledClick(Component& sender);
  void checkboxLogEnabledKeyPress(Component& sender, char32_t& key);
  void buttonSaveClick(Component& sender);
  void buttonCancelClick(Component& sender);
  // Brings the hot key, the check timer, the language and the windows' texts in line with
  // AppConfig. A main-window operation; the dialog is its only caller.
  void ApplyConfig();

  // The "Correct the following errors:" lines of the input as it stands, each ended by a CR;
  // empty when the input is valid.
  std::string ValidationErrors() const;

  // Where the autostart entry lives and the path it must name; the session's own by default
  // (the registry is the main window's).
  void SetAutostartPlace(std::string configFolder, std::string executablePath);

 private:
  TLabel& NewLabel(const std::string& name, const std::string& caption, int left, int top);
  TEdit& NewEdit(const std::string& name, int top, int tabOrder, const std::string& text);
  TCheckBox& NewCheckBox(const std::string& name, int top, int tabOrder);
  TComboBox& NewCombo(const std::string& name, int top, int tabOrder, int rows);
  TButton& NewButton(const std::string& name, const std::string& caption, int left, int tabOrder);
  platform::AutostartPlace AutostartPlace() const;
  void WriteConfiguration();
  void WriteAutostart();
  void LeaveDialog();

  // The page the New* helpers put their controls on.
  TWinControl* placing_ = nullptr;
  std::string autostartFolder_;
  std::string executablePath_;
  std::unique_ptr<TextFit> textFit_;
};

}  // namespace lantervo
