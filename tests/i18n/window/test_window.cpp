#include "tests/i18n/window/test_window.h"

#include <algorithm>
#include <cstdint>

#include "i18n/window/window_translation.h"
#include "platform/file.h"
#include "platform/paths.h"

namespace lantervo::test {

namespace {

void Put32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

// A little-endian .mo file with a UTF-8 header.
std::string BuildMo(Catalog entries) {
  entries.emplace_back("", "Content-Type: text/plain; charset=UTF-8\n");
  std::sort(entries.begin(), entries.end());
  const auto n = static_cast<std::uint32_t>(entries.size());
  const std::uint32_t ids = 28, texts = ids + 8 * n;
  std::string out(texts + 8 * n, '\0');
  Put32(out, 0, 0x950412de);
  Put32(out, 8, n);
  Put32(out, 12, ids);
  Put32(out, 16, texts);
  for (int pass = 0; pass < 2; ++pass) {
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::string& s = pass == 0 ? entries[i].first : entries[i].second;
      Put32(out, (pass == 0 ? ids : texts) + 8 * i, static_cast<std::uint32_t>(s.size()));
      Put32(out, (pass == 0 ? ids : texts) + 8 * i + 4, static_cast<std::uint32_t>(out.size()));
      out += s;
      out += '\0';
    }
  }
  return out;
}

TLocaleSource English() {
  TLocaleSource source;
  source.langVariable = [] { return std::string("en"); };
  source.userLanguageCountry = [] { return platform::LanguageCountry{}; };
  source.threadLocaleId = [] { return 0u; };
  return source;
}

}  // namespace

Catalogs::Catalogs() {
  const std::string sep = platform::PathSeparator();
  instance_ = std::make_shared<TGnuGettextInstance>(
      std::make_shared<TFileLocator>(dir_.Path() + sep + "prog.exe", std::vector<TEmbeddedFile>{}),
      English());
}

void Catalogs::Put(const std::string& code, Catalog entries) {
  const std::string sep = platform::PathSeparator();
  const std::string folder = dir_.Path() + sep + "locale" + sep + code + sep + "LC_MESSAGES";
  platform::CreateFolders(folder);
  platform::WriteFileAtomically(folder + sep + "default.mo", BuildMo(std::move(entries)));
}

void Catalogs::RegisterSystemRules() {
  for (const char* property : {"DefaultExpression", "FieldName", "KeyFields", "LookupKeyFields",
                               "LookupResultField", "Origin"})
    TP_GlobalIgnoreClassProperty(TField::StaticClass(), property, *instance_);
  TP_GlobalIgnoreClass(TParam::StaticClass(), *instance_);
  TP_GlobalIgnoreClassProperty(TFieldDef::StaticClass(), "Name", *instance_);
}

TestWindow::TestWindow(Desktop& desktop) : form(desktop) {
  form.SetName("formSettings");
  form.SetCaption("Application settings");
  form.SetBorderStyle(bsSingle);

  labelVerify = &form.Add<TLabel>("labelVerify");
  labelVerify->SetCaption("Verify URL");
  labelVerify->SetParent(&form);
  labelVersion = &form.Add<TLabel>("labelVersionCurrent");
  labelVersion->SetCaption("Current version");
  labelVersion->SetParent(&form);
  editVerifyURL = &form.Add<TEdit>("editVerifyURL");
  editVerifyURL->SetText("http://");
  comboBalloonLevel = &form.Add<TComboBox>("comboBalloonLevel");
  comboBalloonLevel->SetStyle(csDropDownList);
  comboBalloonLevel->Items()->Assign({"0 - Never", "1 - On load error ", "2 - On wrong response",
                                      "3 - On slow load", "4 - On offline station", "", "", "",
                                      ""});
  comboLanguage = &form.Add<TComboBox>("comboLanguage");
  comboLanguage->SetSorted(true);
  buttonSave = &form.Add<TButton>("buttonSave");
  buttonSave->SetCaption("Save && use");
  // A component whose name is a catalog entry: names are never translated.
  buttonCancel = &form.Add<TButton>("Cancel");
  buttonCancel->SetCaption("Cancel");
  buttonWarning = &form.Add<TSpeedButton>("buttonWarning");
  buttonWarning->SetHint("Hide warning");
  buttonWarning->SetFlat(true);
  statusBar = &form.Add<TStatusBar>("StatusBar");

  auto& actions = form.Add<TActionList>("actionList");
  actionServerAdd = &form.Add<TAction>("actionServerAdd");
  actionServerAdd->SetActionList(&actions);
  actionServerAdd->SetCaption("Add");
  auto& menu = form.Add<TMainMenu>("mainMenu");
  menu.SetAutoHotkeys(maManual);
  form.SetMenu(&menu);
  menuServers = &form.Add<TMenuItem>("menuServers");
  menuServers->SetCaption("Servers");
  menu.Items()->Add(*menuServers);
  itemAdd = &form.Add<TMenuItem>("itemAdd");
  itemAdd->SetAction(actionServerAdd);
  menuServers->Add(*itemAdd);

  trayIcon = &form.Add<TTrayIcon>("TrayIcon");
  trayIcon->SetHint("Hide warning");

  setServer = &form.Add<TClientDataSet>("setServer");
  for (const char* name : {"Name", "Status", "Url"}) setServer->FieldDefs()->Add(name, 1, 200);
  setServer->Params()->Add("Status", "Url");
  fieldName = &form.Add<TStringField>("setServerName");
  fieldStatus = &form.Add<TStringField>("setServerStatus");
  fieldUrl = &form.Add<TStringField>("setServerUrl");
  for (auto [field, name] :
       {std::pair{fieldName, "Name"}, {fieldStatus, "Status"}, {fieldUrl, "Url"}}) {
    field->SetFieldName(name);
    field->SetDataSet(setServer);
  }
  fieldUrl->SetOrigin("Url");
  fieldUrl->SetKeyFields("Status");

  gridLink = &form.Add<TDBGrid>("gridLink");
  gridLink->SetDataSet(setServer);
  gridLink->Columns()->Add().SetWidth(16);
  for (auto [field, title] :
       {std::pair{"Name", "  Server"}, {"Status", ""}, {"Url", "  Description"}}) {
    TColumn& column = gridLink->Columns()->Add();
    column.SetFieldName(field);
    if (*title) column.Title()->SetCaption(title);
  }

  panelHeader = &form.Add<TPanel>("panelHeader");
  panelHeader->SetCaption("Servers");
  labelHeader = &panelHeader->Add<TLabel>("labelHeader");
  labelHeader->SetCaption("Add");
}

}  // namespace lantervo::test
