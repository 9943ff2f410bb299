#include "ui/settings_form.h"

#include <algorithm>
#include <vector>

#include "core/config_store.h"
#include "core/int_parse.h"
#include "i18n/gettext.h"
#include "i18n/window/window_translation.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/socket.h"
#include "toolkit/desktop.h"
#include "toolkit/timer.h"
#include "ui/main_form.h"
#include "ui/server_form.h"
#include "ui/url_scheme.h"

namespace lantervo {

namespace {
constexpr int kEditLeft = 152;
constexpr int kEditWidth = 193;
constexpr int kEditHeight = 21;
constexpr std::uint32_t kHotKeyModifiers = kModControl | kModAlt;
constexpr std::uint32_t kHotKeyW = 0x57;
// The general page is laid out as the dialog was before it had pages; the buttons stay below
// the pages, where they act on both.
constexpr int kPageWidth = 383;
constexpr int kPageHeight = 456;
constexpr int kButtonTop = 492;
}  // namespace

const ClassInfo& TformSettings::StaticClass() {
  static const ClassInfo info("TformSettings", &TForm::StaticClass());
  return info;
}

TformSettings::TformSettings(Desktop& desktop)
    : TForm(desktop),
      autostartFolder_(platform::UserConfigFolder()),
      executablePath_(platform::ExecutablePath()) {
  SetName("formSettings");
  SetCaption("Application settings");
  SetClientWidth(TPageControl::WidthFor(kPageWidth));
  SetClientHeight(kButtonTop + 25 + 19);
  // No title-bar buttons: the dialog is left through Save or Cancel only.
  SetBorderStyle(bsSingle);
  SetBorderIcons(0);
  SetPosition(poDesigned);
  SetLeft(0);
  SetTop(0);
  SetVisible(false);
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-11);
  SetFont(&font);

  pageSettings = &Add<TPageControl>("pageSettings");
  pageSettings->SetParent(this);
  pageSettings->SetBounds(0, 0, TPageControl::WidthFor(kPageWidth),
                          TPageControl::HeightFor(kPageHeight));
  pageSettings->SetTabOrder(0);
  sheetGeneral = &Add<TTabSheet>("sheetGeneral");
  sheetGeneral->SetCaption("General");
  sheetGeneral->SetParent(pageSettings);
  sheetAdvanced = &Add<TTabSheet>("sheetAdvanced");
  sheetAdvanced->SetCaption("Advanced");
  sheetAdvanced->SetParent(pageSettings);

  placing_ = sheetGeneral;
  labelTitle = &NewLabel("labelTitle", "Application settings", 96, 16);
  TFont titleFont;
  titleFont.SetName("Tahoma");
  titleFont.SetHeight(-19);
  labelTitle->SetFont(&titleFont);

  labelVerifyURL = &NewLabel("labelVerifyURL", "Verify URL", 32, 67);
  editVerifyURL = &NewEdit("editVerifyURL", 64, 0, "http://");
  labelVerifyEnabled = &NewLabel("labelVerifyEnabled", "Verify enabled", 32, 92);
  checkboxVerifyEnabled = &NewCheckBox("checkboxVerifyEnabled", 91, 9);
  checkboxVerifyEnabled->OnClick = [this](Component& sender) {
    checkboxVerifyEnabledClick(sender);
  };
  checkboxVerifyEnabled->OnKeyPress = [this](Component& sender, char32_t& key) {
    checkboxVerifyEnabledKeyPress(sender, key);
  };
  labelCheckInterval = &NewLabel("labelCheckInterval", "Check interval", 32, 134);
  editCheckInterval = &NewEdit("editCheckInterval", 131, 2, "60");
  labelLogFile = &NewLabel("labelLogFile", "Log file", 32, 174);
  editLogFile = &NewEdit("editLogFile", 171, 1, "./Lantervo.log");
  labelLogEnabled = &NewLabel("labelLogEnabled", "Log enabled", 32, 199);
  checkboxLogEnabled = &NewCheckBox("checkboxLogEnabled", 198, 3);
  checkboxLogEnabled->OnClick = [this](Component& sender) { checkboxLogEnabledClick(sender); };
  checkboxLogEnabled->OnKeyPress = [this](Component& sender, char32_t& key) {
    checkboxLogEnabledKeyPress(sender, key);
  };

  labelBalloonLevel = &NewLabel("labelBalloonLevel", "Balloon level", 30, 241);
  comboBalloonLevel = &NewCombo("comboBalloonLevel", 238, 7, 5);
  // The index is the stored level; the four empty items store 5 to 8, which act like 4.
  comboBalloonLevel->Items()->Assign({"0 - Never", "1 - On load error ", "2 - On wrong response",
                                      "3 - On slow load", "4 - On offline station", "", "", "",
                                      ""});
  labelAfterStart = &NewLabel("labelAfterStart", "Start after run", 30, 279);
  checkboxAfterStart = &NewCheckBox("checkboxAfterStart", 278, 6);
  labelHotkeyEnabled = &NewLabel("labelHotkeyEnabled", "Hotkey enabled", 32, 319);
  checkboxHotkeyEnabled = &NewCheckBox("checkboxHotkeyEnabled", 318, 8);
  labelHotkey = &NewLabel("labelHotkey", "CTRL + ALT + W", 196, 319);
  labelLanguage = &NewLabel("labelLanguage", "Language", 32, 361);
  comboLanguage = &NewCombo("comboLanguage", 358, 10, 2);
  comboLanguage->SetSorted(true);
  labelUpdate = &NewLabel("labelUpdate", "Check for update", 32, 399);
  checkboxUpdate = &NewCheckBox("checkboxUpdate", 398, 11);

  placing_ = sheetAdvanced;
  labelHttps = &NewLabel("labelHttps", "Allow HTTPS", 32, 25);
  checkboxHttps = &NewCheckBox("checkboxHttps", 24, 0);
  labelRetryCount = &NewLabel("labelRetryCount", "Confirm failures", 32, 67);
  comboRetryCount = &NewCombo("comboRetryCount", 64, 1, 4);
  // The index is the stored count.
  comboRetryCount->Items()->Assign(
      {"0 - Off", "1 - One more try", "2 - Two more tries", "3 - Three more tries"});
  labelNotifyOnChange = &NewLabel("labelNotifyOnChange", "Notify on change", 32, 107);
  checkboxNotifyOnChange = &NewCheckBox("checkboxNotifyOnChange", 106, 2);
  labelMetricsPort = &NewLabel("labelMetricsPort", "Metrics port", 32, 147);
  editMetricsPort = &NewEdit("editMetricsPort", 144, 3, "0");
  labelMetricsAddress = &NewLabel("labelMetricsAddress", "Metrics address", 32, 187);
  editMetricsAddress = &NewEdit("editMetricsAddress", 184, 4, "");
  labelProxy = &NewLabel("labelProxy", "Use the system proxy", 32, 225);
  checkboxProxy = &NewCheckBox("checkboxProxy", 224, 5);
  labelCheckLanes = &NewLabel("labelCheckLanes", "Checks at once", 32, 267);
  comboCheckLanes = &NewCombo("comboCheckLanes", 264, 6, 8);
  // The index is the count less one.
  comboCheckLanes->Items()->Assign({"1 - One at a time", "2", "3", "4", "5", "6", "7", "8", "9",
                                    "10", "11", "12", "13", "14", "15", "16"});

  placing_ = this;
  buttonCancel = &NewButton("buttonCancel", "Cancel", 152, 5);
  buttonCancel->OnClick = [this](Component& sender) { buttonCancelClick(sender); };
  buttonSave = &NewButton("buttonSave", "Save && use", 270, 4);
  buttonSave->OnClick = [this](Component& sender) { buttonSaveClick(sender); };

  OnShow = [this](Component& sender) { FormShow(sender); };
  FormCreate();
}

TformSettings::~TformSettings() = default;

TLabel& TformSettings::NewLabel(const std::string& name, const std::string& caption, int left,
                                int top) {
  TLabel& label = Add<TLabel>(name);
  label.SetParent(placing_);
  label.SetLeft(left);
  label.SetTop(top);
  label.SetCaption(caption);
  return label;
}

TEdit& TformSettings::NewEdit(const std::string& name, int top, int tabOrder,
                              const std::string& text) {
  TEdit& edit = Add<TEdit>(name);
  edit.SetParent(placing_);
  edit.SetBounds(kEditLeft, top, kEditWidth, kEditHeight);
  edit.SetTabOrder(tabOrder);
  edit.SetText(text);
  return edit;
}

TCheckBox& TformSettings::NewCheckBox(const std::string& name, int top, int tabOrder) {
  TCheckBox& box = Add<TCheckBox>(name);
  box.SetParent(placing_);
  box.SetBounds(kEditLeft, top, 17, 17);
  box.SetTabOrder(tabOrder);
  return box;
}

TComboBox& TformSettings::NewCombo(const std::string& name, int top, int tabOrder, int rows) {
  TComboBox& combo = Add<TComboBox>(name);
  combo.SetParent(placing_);
  combo.SetBounds(kEditLeft, top, kEditWidth, kEditHeight);
  combo.SetStyle(csDropDownList);
  combo.SetDropDownCount(rows);
  combo.SetTabOrder(tabOrder);
  return combo;
}

TButton& TformSettings::NewButton(const std::string& name, const std::string& caption, int left,
                                  int tabOrder) {
  TButton& button = Add<TButton>(name);
  button.SetParent(placing_);
  button.SetBounds(left, kButtonTop, 75, 25);
  button.SetCaption(caption);
  button.SetTabOrder(tabOrder);
  return button;
}

void TformSettings::FormCreate() {
  TranslateComponent(*this);
  CaptionsTranslated();
  // Gathered once: a catalog added while the program runs is listed after the next start.
  std::vector<std::string> languages;
  ListLanguages(kDefaultDomain, languages);
  comboLanguage->Items()->Clear();
  for (const std::string& code : languages) comboLanguage->Items()->Add(code);
}

void TformSettings::FormShow(Component&) {
  // Every opening starts on the general page.
  pageSettings->SetActivePageIndex(0);
  LoadSettings();
}

void TformSettings::SetAutostartPlace(std::string configFolder, std::string executablePath) {
  autostartFolder_ = std::move(configFolder);
  executablePath_ = std::move(executablePath);
}

platform::AutostartPlace TformSettings::AutostartPlace() const {
  return platform::AutostartPlace{mainForm->Context().registry, autostartFolder_};
}

Component& TformSettings::ControlOf(const ConfigValue& value) const {
  Component* control = FindComponent(value.control);
  if (!control) throw Error(std::string("No control ") + value.control + " for " + value.name);
  return *control;
}

void TformSettings::LoadSettings() {
  platform::Registry& registry = *mainForm->Context().registry;
  if (auto key = registry.Open(kConfigKeyPath, platform::RegistryAccess::Read)) {
    for (const ConfigValue* value : ConfigValuesBy(&ConfigValue::dialogOrder)) {
      Component& control = ControlOf(*value);
      if (auto* edit = dynamic_cast<TEdit*>(&control); edit && value->type == ConfigType::Choice) {
        edit->SetText(std::to_string(std::get<std::int32_t>(ReadConfigValue(key.get(), *value))));
      } else if (edit && value->type == ConfigType::Note) {
        edit->SetText(std::get<std::string>(ReadConfigValue(key.get(), *value)));
      } else if (edit) {
        // As stored, numbers too: a blank or a hexadecimal form stays as the user wrote it.
        edit->SetText(ReadConfigText(key.get(), value->name));
      } else if (auto* box = dynamic_cast<TCheckBox*>(&control)) {
        box->SetChecked(std::get<bool>(ReadConfigValue(key.get(), *value)));
        // The edit a box switches on and off follows it at once.
        if (box == checkboxVerifyEnabled) editVerifyURL->SetEnabled(box->Checked());
        if (box == checkboxLogEnabled) editLogFile->SetEnabled(box->Checked());
      } else if (auto* combo = dynamic_cast<TComboBox*>(&control)) {
        // A number is the index of the choice; a text is the choice itself.
        const auto read = ReadConfigValue(key.get(), *value);
        combo->SetItemIndex(value->type == ConfigType::Text
                                ? combo->Items()->IndexOf(std::get<std::string>(read))
                            : value->type == ConfigType::Choice
                                ? std::max<std::int64_t>(
                                      0, std::get<std::int32_t>(read) - std::int64_t{value->lowest})
                                : std::get<std::int32_t>(read));
      }
    }
  }
  checkboxAfterStart->SetChecked(
      platform::AutostartStartsExecutable(AutostartPlace(), executablePath_));
}

void TformSettings::checkboxVerifyEnabledClick(Component&) {
  editVerifyURL->SetEnabled(checkboxVerifyEnabled->Checked());
}

void TformSettings::checkboxVerifyEnabledKeyPress(Component&, char32_t&) {
  editVerifyURL->SetEnabled(checkboxVerifyEnabled->Checked());
}

void TformSettings::checkboxLogEnabledClick(Component&) {
  editLogFile->SetEnabled(checkboxLogEnabled->Checked());
}

void TformSettings::checkboxLogEnabledKeyPress(Component&, char32_t&) {
  editLogFile->SetEnabled(checkboxLogEnabled->Checked());
}

std::string TformSettings::ValidationErrors() const {
  std::string errors;
  const std::string& url = editVerifyURL->Text();
  // Only while verification is on: a URL kept for later may be anything. The HTTPS box counts
  // as it will be saved.
  if (checkboxVerifyEnabled->Checked() && !HasAcceptedScheme(url, checkboxHttps->Checked()))
    errors += TranslateText("Enter valid URL for verify") + "\r";
  const auto interval = ParseInt32(editCheckInterval->Text());
  if (!interval || *interval <= 0) errors += TranslateText("Enter valid interval value") + "\r";
  const std::string& port = editMetricsPort->Text();
  const auto portNumber = ParseInt32(port);
  if (!port.empty() && (!portNumber || *portNumber < 0 || *portNumber > 65535))
    errors += TranslateText("Enter valid metrics port (0 to 65535)") + "\r";
  const std::string& address = editMetricsAddress->Text();
  if (!address.empty() && !platform::ParseIpAddress(address))
    errors += TranslateText("Enter valid metrics address (an IP address)") + "\r";
  return errors;
}

void TformSettings::WriteConfiguration() {
  const auto writeFailed = [this] {
    GetDesktop()->ShowMessageBox(
        this, TranslateText("Form error"),
        TranslateText("Unable to write configuration. Check registry access or make sure that "
                      "you are running application as administrator if UAC is active."),
        MessageBoxIcon::Warning, MessageBoxButtons::Ok);
  };
  auto key = mainForm->Context().registry->Open(kConfigKeyPath, platform::RegistryAccess::Write);
  if (!key) return writeFailed();
  // Stops at the first value that cannot be written; the later ones keep their old values.
  bool written = true;
  for (const ConfigValue* value : ConfigValuesBy(&ConfigValue::dialogOrder)) {
    Component& control = ControlOf(*value);
    if (auto* edit = dynamic_cast<TEdit*>(&control); edit && value->type == ConfigType::Choice) {
      // Validated before: a blank is 0.
      written = key->SetDWord(value->name,
                              static_cast<std::uint32_t>(ParseInt32(edit->Text()).value_or(0)));
    } else if (edit) {
      written = key->SetString(value->name, edit->Text());
    } else if (auto* box = dynamic_cast<TCheckBox*>(&control)) {
      written = key->SetDWord(value->name, box->Checked() ? 1 : 0);
    } else if (auto* combo = dynamic_cast<TComboBox*>(&control);
               combo && value->type == ConfigType::Choice) {
      written = key->SetDWord(
          value->name, static_cast<std::uint32_t>(std::max<std::int64_t>(0, combo->ItemIndex()) +
                                                  value->lowest));
    } else if (auto* combo = dynamic_cast<TComboBox*>(&control)) {
      const std::int64_t index = combo->ItemIndex();
      written =
          key->SetString(value->name, value->type == ConfigType::Int ? std::to_string(index)
                                      : index >= 0 ? (*combo->Items())[static_cast<int>(index)]
                                                   : std::string());
    }
    if (!written) break;
  }
  key.reset();
  if (!written) writeFailed();
}

void TformSettings::WriteAutostart() {
  // A Run place that cannot be opened leaves the entry as it was, without a word.
  if (checkboxAfterStart->Checked())
    platform::WriteAutostart(AutostartPlace(), executablePath_);
  else
    platform::RemoveAutostart(AutostartPlace());
}

void TformSettings::buttonSaveClick(Component&) {
  const std::string errors = ValidationErrors();
  if (!errors.empty()) {
    GetDesktop()->ShowMessageBox(this, TranslateText("Form error"),
                                 TranslateText("Correct the following errors:") + "\r" + errors,
                                 MessageBoxIcon::Warning, MessageBoxButtons::Ok);
    return;
  }
  // A failed write still ends with the stored values reloaded and applied.
  WriteConfiguration();
  WriteAutostart();
  LoadConfig(*mainForm->Context().registry, mainForm->Context().config);
  ApplyConfig();
  LeaveDialog();
}

void TformSettings::buttonCancelClick(Component&) {
  LeaveDialog();
}

void TformSettings::LeaveDialog() {
  mainForm->SetEnabled(true);
  Hide();
}

void TformSettings::ApplyConfig() {
  TMainForm& main = *mainForm;
  Desktop& desktop = main.Context().desktop;
  const AppConfig config = main.Context().config.Snapshot();
  // The atom keeps its value: registering again uses the same one.
  if (main.HotkeyAtom > 0) desktop.UnregisterHotKey(main, main.HotkeyAtom);
  if (config.HotkeyEnabled) {
    main.HotkeyAtom = desktop.AddGlobalAtom("HotkeyShow");
    // Taken elsewhere: the combination then simply does nothing here.
    desktop.RegisterHotKey(main, main.HotkeyAtom, kHotKeyModifiers, kHotKeyW);
  }
  // The timer restarts its countdown only for a changed interval, and only while it is on.
  main.timerCheck->SetInterval(TimerIntervalFromSeconds(config.CheckInterval));
  SwitchLanguage(config.Language);
  main.StartMetrics();
  for (Component* window : std::initializer_list<Component*>{
           &main, main.formServers, main.formSettings, main.formAbout, main.formUpdate})
    if (window) {
      RetranslateComponent(*window);
      if (auto* form = dynamic_cast<TForm*>(window)) form->CaptionsTranslated();
    }
}

void TformSettings::CaptionsTranslated() {
  FitTexts(*this, textFit_);
}

}  // namespace lantervo
