#include "ui/main_form.h"

#include "core/config_store.h"
#include "core/event_log.h"
#include "history/history_recorder.h"
#include "lantervo/version.h"
#include "metrics/metrics_book.h"
#include "metrics/metrics_server.h"
#include "monitor/http_client.h"
#include "toolkit/desktop.h"
#include "ui/check_scheduler.h"

namespace lantervo {

const ClassInfo& TMainForm::StaticClass() {
  static const ClassInfo info("TMainForm", &TForm::StaticClass());
  return info;
}

TMainForm::TMainForm(MainFormContext context)
    : TForm(context.desktop), context_(std::move(context)) {
  SetName("MainForm");
  SetCaption(std::string("Lantervo ") + kProgramVersion);
  SetClientWidth(570);
  SetClientHeight(305);
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetPosition(poDesigned);
  SetWindowClassName(kMainWindowClass);
  SetColor(colors::kBtnFace);
  TFont font;
  font.SetName("Tahoma");
  font.SetSize(8);
  SetFont(&font);

  IdHTTP = context_.makeHttpClient ? context_.makeHttpClient() : std::make_unique<HttpClient>();
  setServer.AfterInsert = [this] { setServerAfterInsert(); };
  setServer.AfterDelete = [this] { setServerAfterDelete(); };

  CreateActions();
  CreateHeader();
  CreateGrid();

  StatusBar = &Add<TStatusBar>("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->SetBounds(0, 286, 570, 19);
  StatusBar->SetSimplePanel(true);

  // Off until start-up sets the interval and switches it on.
  timerCheck = &Add<TTimer>("timerCheck");
  timerCheck->SetEnabled(false);
  timerCheck->SetOnTimer([this](Component& sender) { timerCheckTimer(sender); });

  CreateTray();
  CreateMenus();
  BindMainCommands();
  GetDesktop()->SetPowerHandler([this](PowerEvent event) { PowerChanged(event); });
}

TMainForm::~TMainForm() {
  GetDesktop()->SetPowerHandler({});
  // A run still going must end before the table and the widgets it reaches go away.
  IsClosing = true;
  StopListWait();
  if (timerCheck) timerCheck->SetEnabled(false);
  if (check_) check_->WaitFor();
  check_.reset();
  // Its notes reach the log, which goes with the components.
  if (history_) history_->Stop();
  history_.reset();
  DestroyComponents();
}

TAction& TMainForm::NewAction(const std::string& name, const std::string& caption,
                              ShortCut shortCut) {
  TAction& action = Add<TAction>(name);
  action.SetCaption(caption);
  action.SetShortCut(shortCut);
  action.SetActionList(actionList);
  return action;
}

void TMainForm::CreateActions() {
  actionList = &Add<TActionList>("actionList");
  // Captions are the catalog's ids; window translation looks them up.
  actionQuit = &NewAction("actionQuit", "Quit", MakeShortCut('Q', ssCtrl));
  actionShow = &NewAction("actionShow", "Show", 0);
  actionShow->SetEnabled(false);  // the window is shown at start
  actionHide = &NewAction("actionHide", "Hide", MakeShortCut('H', ssCtrl));
  actionLog = &NewAction("actionLog", "Log", MakeShortCut('L', ssCtrl));
  actionSettings = &NewAction("actionSettings", "Settings", MakeShortCut('S', ssCtrl));
  actionLogClear = &NewAction("actionLogClear", "Clear log", 0);
  actionServerDelete = &NewAction("actionServerDelete", "Delete", MakeShortCut('R', ssCtrl));
  actionServerAdd = &NewAction("actionServerAdd", "Add", MakeShortCut('N', ssCtrl));
  actionServerEdit = &NewAction("actionServerEdit", "Edit", MakeShortCut('E', ssCtrl));
  actionServerActivate = &NewAction("actionServerActivate", "Activate", MakeShortCut('A', ssCtrl));
  actionServerDeactivate =
      &NewAction("actionServerDeactivate", "Deactivate", MakeShortCut('D', ssCtrl));
  actionServerActivateAll = &NewAction("actionServerActivateAll", "Activate all", 0);
  constexpr std::uint16_t kF1 = 0x70;
  actionHelpContext = &NewAction("actionHelpContext", "Online help", MakeShortCut(kF1, 0));
  actionHelpAbout = &NewAction("actionHelpAbout", "About", 0);
  actionCheckNow = &NewAction("actionCheckNow", "Check now", MakeShortCut(keys::kF5, 0));
  actionStatsGenerate = &NewAction("actionStatsGenerate", "Generate", 0);
  actionStatsExport = &NewAction("actionStatsExport", "Export CSV", 0);
  BindListCommands();
}

void TMainForm::CreateHeader() {
  panelHeader = &Add<TPanel>("panelHeader");
  panelHeader->SetParent(this);
  panelHeader->SetBounds(0, 0, 570, 60);
  panelHeader->SetColor(colors::kWhite);
  panelHeader->SetBevelInner(bvNone);
  panelHeader->SetBevelOuter(bvNone);

  imagelistSemafor = &Add<TImageList>("imagelistSemafor");
  imagelistSemafor->SetWidth(60);
  imagelistSemafor->SetHeight(60);
  imagelistSemafor->Add("lamp_green");
  imagelistSemafor->Add("lamp_red");
  imagelistSemafor->Add("lamp_yellow");

  imageLogo = &Add<TImage>("imageLogo");
  imageLogo->SetParent(panelHeader);
  imageLogo->SetBounds(0, 0, 143, 60);
  TPicture logo;
  logo.SetResource("logo");
  imageLogo->SetPicture(&logo);

  buttonWarning = &Add<TSpeedButton>("buttonWarning");
  buttonWarning->SetParent(panelHeader);
  buttonWarning->SetBounds(440, 10, 44, 44);
  buttonWarning->SetFlat(true);
  TPicture glyph;
  glyph.SetResource("warning_triangle");
  buttonWarning->SetGlyph(&glyph);
  buttonWarning->SetHint("Hide warning");
  buttonWarning->SetShowHint(true);
  buttonWarning->SetVisible(false);
  buttonWarning->OnClick = [this](Component& sender) { buttonWarningClick(sender); };

  // Empty until the first run ends.
  imageSemafor = &Add<TImage>("imageSemafor");
  imageSemafor->SetParent(panelHeader);
  imageSemafor->SetBounds(504, 0, 60, 60);
  imageSemafor->SetTransparent(true);
  imageSemafor->SetShowHint(true);
}

void TMainForm::CreateGrid() {
  setServerDataSet = &Add<TClientDataSet>("setServer");
  auto& name = Add<TStringField>("setServerName");
  name.SetFieldName("Name");
  name.SetSize(50);
  name.SetDataSet(setServerDataSet);
  auto& loadTime = Add<TIntegerField>("setServerLoadTime");
  loadTime.SetFieldName("LoadTime");
  loadTime.SetDataSet(setServerDataSet);
  auto& result = Add<TStringField>("setServerResult");
  result.SetFieldName("Result");
  result.SetSize(255);
  result.SetDataSet(setServerDataSet);
  rows_ = std::make_unique<ServerTableRows>(setServer);
  setServerDataSet->SetRows(rows_.get());

  imagelistStatus = &Add<TImageList>("imagelistStatus");
  for (const char* ball : {"ball_gray", "ball_blue", "ball_green", "ball_red", "ball_yellow"})
    imagelistStatus->Add(ball);

  gridLink = &Add<TDBGrid>("gridLink");
  gridLink->SetParent(this);
  gridLink->SetBounds(-2, 60, 572, 226);
  gridLink->SetDataSet(setServerDataSet);
  gridLink->SetReadOnly(true);
  gridLink->SetOptions(dgTitles | dgColLines | dgRowLines | dgTabs | dgRowSelect);
  TDBGridColumns& columns = *gridLink->Columns();
  TFont titleFont;
  titleFont.SetName("Tahoma");
  titleFont.SetSize(8);
  titleFont.SetColor(colors::kWindowText);
  gridLink->SetTitleFont(&titleFont);
  columns.Add().SetWidth(16);  // the status icon
  TColumn& server = columns.Add();
  server.SetFieldName("Name");
  server.SetWidth(203);
  server.SetColor(colors::kMenu);
  server.Title()->SetCaption("  Server");
  TFont bold;
  bold.SetName("Tahoma");
  bold.SetSize(8);
  bold.SetColor(colors::kWindowText);
  bold.SetStyle(fsBold);
  server.Title()->SetFont(&bold);
  server.SetFont(&bold);
  TColumn& load = columns.Add();
  load.SetFieldName("LoadTime");
  load.SetAlignment(taLeftJustify);
  load.Title()->SetCaption("  Load time");
  TColumn& description = columns.Add();
  description.SetFieldName("Result");
  description.SetWidth(265);
  description.Title()->SetCaption("  Description");
}

void TMainForm::CreateTray() {
  imagelistTrayIcon = &Add<TImageList>("imagelistTrayIcon");
  imagelistTrayIcon->Add("paw_green");
  imagelistTrayIcon->Add("paw_red");
  imagelistTrayIcon->Add("paw_yellow");
  TrayIcon = &Add<TTrayIcon>("TrayIcon");
  TrayIcon->SetIcons(imagelistTrayIcon);
  TrayIcon->SetIconIndex(0);
  TrayIcon->SetVisible(true);
}

void TMainForm::AddLog(const std::string& message, const std::string& level) {
  // Before start-up has made the writer there is nowhere to write to.
  if (context_.log) context_.log->AddLog(message, level);
}

void TMainForm::SetRowActionsEnabled(bool enabled) {
  actionServerEdit->SetEnabled(enabled);
  actionServerDelete->SetEnabled(enabled);
  actionServerActivate->SetEnabled(enabled);
  actionServerDeactivate->SetEnabled(enabled);
}

void TMainForm::UpdateRowActions() {
  SetRowActionsEnabled(setServer.RowCount() > 0);
}

void TMainForm::setServerAfterInsert() {
  // Runs before the new row is posted, so the count is of the rows already there.
  if (setServer.RowCount() > 0) SetRowActionsEnabled(true);
}

void TMainForm::setServerAfterDelete() {
  if (setServer.RowCount() <= 0) SetRowActionsEnabled(false);
}

}  // namespace lantervo
