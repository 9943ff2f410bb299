#include "ui/server_form.h"

#include "core/config_store.h"
#include "core/int_parse.h"
#include "i18n/gettext.h"
#include "i18n/window/window_translation.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"
#include "ui/url_scheme.h"

namespace lantervo {

namespace {
constexpr int kEditLeft = 152;
constexpr int kEditWidth = 193;
constexpr int kEditHeight = 21;
constexpr const char* kAddMode = "add";
constexpr const char* kEditMode = "edit";
}  // namespace

const ClassInfo& TFormServers::StaticClass() {
  static const ClassInfo info("TFormServers", &TForm::StaticClass());
  return info;
}

TFormServers::TFormServers(Desktop& desktop) : TForm(desktop) {
  SetName("FormServers");
  SetClientWidth(383);
  SetClientHeight(327);
  // No title-bar buttons: the dialog is left through OK or Cancel only.
  SetBorderStyle(bsSingle);
  SetBorderIcons(0);
  SetPosition(poDesigned);
  SetVisible(false);
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  SetFont(&font);

  labelTitle = &NewLabel("labelTitle", "", 144, 8);
  TFont titleFont;
  titleFont.SetName("Tahoma");
  titleFont.SetHeight(-19);
  labelTitle->SetFont(&titleFont);

  labelName = &NewLabel("labelName", "Server name", 32, 52);
  editName = &NewEdit("editName", 49, 1);
  labelURL = &NewLabel("labelURL", "Url", 32, 79);
  editURL = &NewEdit("editURL", 76, 2);
  labelTimeout = &NewLabel("labelTimeout", "Timeout", 32, 119);
  editTimeout = &NewEdit("editTimeout", 116, 3);
  labelTimeoutEnabled = &NewLabel("labelTimeoutEnabled", "Timeout enabled", 32, 144);
  checkboxTimeout = &NewCheckBox("checkboxTimeout", 143, 4);
  checkboxTimeout->OnClick = [this](Component& sender) { checkboxTimeoutClick(sender); };
  checkboxTimeout->OnKeyPress = [this](Component& sender, char32_t& key) {
    checkboxTimeoutKeyPress(sender, key);
  };

  labelResponse = &NewLabel("labelResponse", "Response", 32, 186);
  memoResponse = &Add<TMemo>("memoResponse");
  memoResponse->SetParent(this);
  memoResponse->SetBounds(kEditLeft, 183, kEditWidth, 42);
  memoResponse->SetTabOrder(8);
  labelResponseEnabled = &NewLabel("labelResponseEnabled", "Response enabled", 32, 232);
  checkboxResponse = &NewCheckBox("checkboxResponse", 231, 5);
  checkboxResponse->OnClick = [this](Component& sender) { checkboxResponseClick(sender); };
  checkboxResponse->OnKeyPress = [this](Component& sender, char32_t& key) {
    checkboxResponseKeyPress(sender, key);
  };

  // Neither is a default or cancel button: Enter and Escape press nothing.
  buttonCancel = &NewButton("buttonCancel", "Cancel", 152, 6);
  buttonCancel->OnClick = [this](Component& sender) { buttonCancelClick(sender); };
  buttonOK = &NewButton("buttonOK", "OK", 270, 7);
  buttonOK->OnClick = [this](Component& sender) { buttonOKClick(sender); };

  TranslateComponent(*this);
  CaptionsTranslated();
}

TFormServers::~TFormServers() = default;

TLabel& TFormServers::NewLabel(const std::string& name, const std::string& caption, int left,
                               int top) {
  TLabel& label = Add<TLabel>(name);
  label.SetParent(this);
  label.SetLeft(left);
  label.SetTop(top);
  label.SetCaption(caption);
  return label;
}

TEdit& TFormServers::NewEdit(const std::string& name, int top, int tabOrder) {
  TEdit& edit = Add<TEdit>(name);
  edit.SetParent(this);
  edit.SetBounds(kEditLeft, top, kEditWidth, kEditHeight);
  edit.SetTabOrder(tabOrder);
  return edit;
}

TCheckBox& TFormServers::NewCheckBox(const std::string& name, int top, int tabOrder) {
  TCheckBox& box = Add<TCheckBox>(name);
  box.SetParent(this);
  box.SetBounds(kEditLeft, top, 17, 17);
  box.SetTabOrder(tabOrder);
  return box;
}

TButton& TFormServers::NewButton(const std::string& name, const std::string& caption, int left,
                                 int tabOrder) {
  TButton& button = Add<TButton>(name);
  button.SetParent(this);
  button.SetBounds(left, 281, 75, 25);
  button.SetCaption(caption);
  button.SetTabOrder(tabOrder);
  return button;
}

void TFormServers::SetTitle(const std::string& caption) {
  SetCaption(caption);
  labelTitle->SetCaption(caption);
}

void TFormServers::PrepareAdd() {
  SetTitle(TranslateText("Add new server"));
  EditMode = kAddMode;
  editName->SetText(TranslateText("New server name"));
  editURL->SetText("http://");
  editTimeout->SetText("500");
  checkboxTimeout->SetChecked(true);
  editTimeout->SetEnabled(checkboxTimeout->Checked());
  memoResponse->SetText("OK");
  memoResponse->SetEnabled(false);
  checkboxResponse->SetChecked(false);
}

void TFormServers::PrepareEdit() {
  ServerTable& table = mainForm->setServer;
  SetTitle(TranslateText("Edit server"));
  EditMode = kEditMode;
  editName->SetText(table.GetText("Name"));
  editURL->SetText(table.GetText("Url"));
  editTimeout->SetText(table.IsNull("Timeout") ? "" : std::to_string(table.GetInt("Timeout")));
  checkboxTimeout->SetChecked(table.GetBool("TimeoutEnabled"));
  editTimeout->SetEnabled(checkboxTimeout->Checked());
  // The memo shows any lone CR or LF as a line break (CR LF).
  memoResponse->SetText(table.GetText("Response"));
  checkboxResponse->SetChecked(table.GetBool("ResponseEnabled"));
  memoResponse->SetEnabled(checkboxResponse->Checked());
}

void TFormServers::checkboxTimeoutClick(Component&) {
  editTimeout->SetEnabled(checkboxTimeout->Checked());
}

void TFormServers::checkboxTimeoutKeyPress(Component&, char32_t&) {
  editTimeout->SetEnabled(checkboxTimeout->Checked());
}

void TFormServers::checkboxResponseClick(Component&) {
  memoResponse->SetEnabled(checkboxResponse->Checked());
}

void TFormServers::checkboxResponseKeyPress(Component&, char32_t&) {
  memoResponse->SetEnabled(checkboxResponse->Checked());
}

std::string TFormServers::ValidationErrors() const {
  std::string errors;
  if (editName->Text().empty()) errors += TranslateText("Enter server name") + "\r";
  if (!HasAcceptedScheme(editURL->Text(), mainForm->Context().config.Snapshot().HttpsEnabled))
    errors += TranslateText("Enter valid URL") + "\r";
  // Checked whether or not the threshold applies: the value is stored either way.
  const auto timeout = ParseInt32(editTimeout->Text());
  if (!timeout || *timeout <= 0) errors += TranslateText("Enter valid timeout value") + "\r";
  return errors;
}

void TFormServers::WriteFields(int timeout) {
  ServerTable& table = mainForm->setServer;
  table.SetText("Name", editName->Text());
  table.SetText("Url", editURL->Text());
  table.SetInt("Timeout", timeout);
  table.SetBool("TimeoutEnabled", checkboxTimeout->Checked());
  table.SetText("Response", memoResponse->Text());
  table.SetBool("ResponseEnabled", checkboxResponse->Checked());
}

void TFormServers::buttonOKClick(Component&) {
  const std::string errors = ValidationErrors();
  if (!errors.empty()) {
    GetDesktop()->ShowMessageBox(this, TranslateText("Form error"),
                                 TranslateText("Correct the following errors:") + "\r" + errors,
                                 MessageBoxIcon::Warning, MessageBoxButtons::Ok);
    return;
  }
  const int timeout = *ParseInt32(editTimeout->Text());
  ServerTable& table = mainForm->setServer;
  if (EditMode == kEditMode) {
    table.BeginEdit();
    WriteFields(timeout);
    table.PostRow();
  } else if (EditMode == kAddMode) {
    table.AppendRow();
    WriteFields(timeout);
    table.SetText("Result", TranslateText("Waiting..."));
    table.SetInt("LoadTime", -1);
    table.SetText("Status", "");
    table.SetBool("Active", true);
    table.PostRow();
  }
  LeaveDialog();
  mainForm->SaveListAfterChange();
}

void TFormServers::buttonCancelClick(Component&) {
  LeaveDialog();
}

void TFormServers::LeaveDialog() {
  mainForm->SetEnabled(true);
  mainForm->timerCheck->SetEnabled(true);
  Hide();
}

void TFormServers::CaptionsTranslated() {
  FitTexts(*this, textFit_);
}

}  // namespace lantervo
