// The main window's own commands: menus, show and hide, the hot key, the log, the grid's
// painting and keys.
#include "core/config_store.h"
#include "core/event_log.h"
#include "i18n/gettext.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"

namespace lantervo {

namespace {
constexpr std::uint16_t kDeleteKey = 0x2E;

TMenuItem& NewItem(TMainForm& form, TMenuItem& parent, const std::string& name) {
  TMenuItem& item = form.Add<TMenuItem>(name);
  parent.Add(item);
  return item;
}

TMenuItem& NewActionItem(TMainForm& form, TMenuItem& parent, const std::string& name,
                         TAction* action) {
  TMenuItem& item = NewItem(form, parent, name);
  item.SetAction(action);
  return item;
}
}  // namespace

int StatusIconIndex(const std::string& status) {
  if (status == "ERR_LOAD") return 0;
  if (status == "CHECK") return 1;
  if (status == "OK") return 2;
  if (status == "ERR_RESP") return 3;
  if (status == "ERR_SLOW") return 3;
  if (status == "OFFLINE") return 4;
  return -1;
}

void TMainForm::CreateMenus() {
  mainMenu = &Add<TMainMenu>("mainMenu");
  mainMenu->SetAutoHotkeys(maManual);
  TMenuItem& root = *mainMenu->Items();

  menuLantervo = &NewItem(*this, root, "menuLantervo");
  menuLantervo->SetCaption("Lantervo");
  NewActionItem(*this, *menuLantervo, "menuLog", actionLog);
  NewActionItem(*this, *menuLantervo, "menuLogClear", actionLogClear);
  NewActionItem(*this, *menuLantervo, "menuSettings", actionSettings);
  NewActionItem(*this, *menuLantervo, "menuHide", actionHide);
  NewActionItem(*this, *menuLantervo, "menuQuit", actionQuit);

  menuServers = &NewItem(*this, root, "menuServers");
  menuServers->SetCaption("Servers");
  NewActionItem(*this, *menuServers, "menuServerAdd", actionServerAdd);
  NewActionItem(*this, *menuServers, "menuServerEdit", actionServerEdit);
  NewActionItem(*this, *menuServers, "menuServerDelete", actionServerDelete);
  NewActionItem(*this, *menuServers, "menuServerDeactivate", actionServerDeactivate);
  NewActionItem(*this, *menuServers, "menuServerActivate", actionServerActivate);
  NewActionItem(*this, *menuServers, "menuServerActivateAll", actionServerActivateAll);
  NewActionItem(*this, *menuServers, "menuServerCheckNow", actionCheckNow);

  menuStats = &NewItem(*this, root, "menuStats");
  menuStats->SetCaption("Stats");
  menuStatsGenerate = &NewActionItem(*this, *menuStats, "menuStatsGenerate", actionStatsGenerate);
  menuStatsExport = &NewActionItem(*this, *menuStats, "menuStatsExport", actionStatsExport);

  menuHelp = &NewItem(*this, root, "menuHelp");
  menuHelp->SetCaption("Help");
  NewActionItem(*this, *menuHelp, "menuHelpContext", actionHelpContext);
  NewActionItem(*this, *menuHelp, "menuHelpAbout", actionHelpAbout);
  SetMenu(mainMenu);

  popupTray = &Add<TPopupMenu>("popupTray");
  TMenuItem& tray = *popupTray->Items();
  NewActionItem(*this, tray, "popupShow", actionShow);
  NewActionItem(*this, tray, "popupHide", actionHide);
  NewActionItem(*this, tray, "popupCheckNow", actionCheckNow);
  NewActionItem(*this, tray, "popupLog", actionLog);
  NewActionItem(*this, tray, "popupQuit", actionQuit);
  TrayIcon->SetPopupMenu(popupTray);
}

void TMainForm::BindMainCommands() {
  actionQuit->OnExecute = [this](Component& sender) { actionQuitExecute(sender); };
  actionShow->OnExecute = [this](Component& sender) { actionShowExecute(sender); };
  actionHide->OnExecute = [this](Component& sender) { actionHideExecute(sender); };
  actionLog->OnExecute = [this](Component& sender) { actionLogExecute(sender); };
  actionLogClear->OnExecute = [this](Component& sender) { actionLogClearExecute(sender); };
  actionSettings->OnExecute = [this](Component& sender) { actionSettingsExecute(sender); };
  actionHelpContext->OnExecute = [this](Component& sender) { actionHelpContextExecute(sender); };
  actionHelpAbout->OnExecute = [this](Component& sender) { actionHelpAboutExecute(sender); };
  actionCheckNow->OnExecute = [this](Component& sender) { actionCheckNowExecute(sender); };
  actionStatsGenerate->OnExecute = [this](Component& sender) {
    actionStatsGenerateExecute(sender);
  };
  actionStatsExport->OnExecute = [this](Component& sender) { actionStatsExportExecute(sender); };
  TrayIcon->OnDblClick = [this](Component& sender) { TrayIconDblClick(sender); };
  OnHotKey = [this](Component& sender, int id) { HotKeyMessage(sender, id); };
  OnCreate = [this](Component& sender) { FormCreate(sender); };
  OnCloseQuery = [this](Component& sender, bool& canClose) { FormCloseQuery(sender, canClose); };
  // The end of the user's session ends the program like Quit, so the session's results reach
  // the list file instead of dying with the process.
  OnEndSession = [this](Component& sender) {
    actionQuitExecute(sender);
    // The system may end the process as soon as this returns, before the loop unwinds and
    // closes the table.
    setServer.FlushList();
  };
  gridLink->OnDrawColumnCell = [this](Component& sender, GridCanvas& canvas, const Rect& rect,
                                      int row, int column, GridDrawState state) {
    gridLinkDrawColumnCell(sender, canvas, rect, row, column, state);
  };
  gridLink->SetDefaultDrawing(false);  // the handler draws the default way itself, after the brush
  gridLink->OnKeyDown = [this](Component& sender, std::uint16_t& key, ShiftState shift) {
    gridLinkKeyDown(sender, key, shift);
  };
}

void TMainForm::actionShowExecute(Component&) {
  actionShow->SetEnabled(false);
  actionHide->SetEnabled(true);
  Show();
  context_.desktop.SetForeground(*this);
}

void TMainForm::actionHideExecute(Component&) {
  actionHide->SetEnabled(false);
  actionShow->SetEnabled(true);
  Hide();
}

void TMainForm::ToggleVisible() {
  if (Visible())
    actionHideExecute(*this);
  else
    actionShowExecute(*this);
}

void TMainForm::TrayIconDblClick(Component&) {
  ToggleVisible();
}

void TMainForm::HotKeyMessage(Component&, int id) {
  if (id == HotkeyAtom) ToggleVisible();
}

void TMainForm::actionLogExecute(Component&) {
  // A missing file or association shows nothing.
  context_.desktop.ShellOpen(this, context_.config.Snapshot().LogFile);
}

void TMainForm::actionLogClearExecute(Component&) {
  if (LogWriter()) LogWriter()->ClearLog(TranslateText("Cleared log"));
}

void TMainForm::actionSettingsExecute(Component&) {
  SetEnabled(false);
  if (formSettings) formSettings->Show();
}

void TMainForm::gridLinkDrawColumnCell(Component&, GridCanvas& canvas, const Rect& rect, int row,
                                       int column, GridDrawState) {
  const int index = row;
  if (!setServer.BoolAt(index, "Active")) canvas.SetBrushColor(colors::kGray);
  gridLink->DefaultDrawColumnCell(canvas, rect, row, column);
  if (column != 0) return;
  const int icon = StatusIconIndex(setServer.TextAt(index, "Status"));
  if (icon >= 0)
    canvas.StretchDraw(Rect{rect.left, rect.top, rect.left + 16, rect.top + 16}, *imagelistStatus,
                       icon);
}

void TMainForm::gridLinkKeyDown(Component&, std::uint16_t& key, ShiftState shift) {
  if (key == kDeleteKey && (shift & ssCtrl)) key = 0;
  if (!gridLink->Enabled()) key = 0;
}

}  // namespace lantervo
