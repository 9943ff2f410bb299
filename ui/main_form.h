#pragma once
// The main window: the server table with its grid, the list actions, the check timer, the
// status bar, the tray icon and the run-outcome header. The check run and its presentation
// live in check_scheduler.cpp and run_outcome.cpp; the rest of the window's commands and menus
// join the same form.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/data_folder.h"
#include "core/server_table.h"
#include "monitor/check_run.h"
#include "toolkit/actions.h"
#include "toolkit/dataset.h"
#include "toolkit/db_grid.h"
#include "toolkit/desktop.h"
#include "toolkit/extra_controls.h"
#include "toolkit/form.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/timer.h"
#include "toolkit/tray_icon.h"
#include "ui/server_table_rows.h"
#include "ui/state_changes.h"
#include "ui/text_fit.h"

namespace lantervo {

class ConfigStore;
class EventLog;
class HttpClient;
class TLTVCheck;
class TFormServers;
namespace platform {
class Registry;
class ProxySource;
}  // namespace platform

// Everything the main window uses from outside, so tests can inject each piece.
class ListPreload;
namespace history {
class HistoryRecorder;
struct RunRecord;
}  // namespace history
namespace metrics {
class MetricsBook;
class MetricsServer;
}  // namespace metrics

struct MainFormContext {
  Desktop& desktop;
  ConfigStore& config;
  // The event log. When null, start-up creates the writer for the configured LogFile with
  // makeLog (or a plain EventLog over LogFile and LogEnabled when that is empty).
  EventLog* log = nullptr;
  // Makes the window's HTTP client, IdHTTP; a client with the fixed profile when empty.
  std::function<std::unique_ptr<HttpClient>()> makeHttpClient;
  RunClock clock = RunClock::System();
  // Start-up: where the configuration lives, and the folder of the list file and default log.
  platform::Registry* registry = nullptr;
  std::string executableFolder;
  // Why the list lives where it does, when that is news for the log.
  DataFolderChoice::Note dataFolderNote = DataFolderChoice::Note::None;
  std::function<std::unique_ptr<EventLog>(const std::string& fileName)> makeLog;
  // The update check's endpoint, "http://<host>/".
  std::string updateEndpoint;
  // The list file as read ahead while the windows were built; start-up reads it itself when
  // this is null or for another file.
  std::shared_ptr<ListPreload> listPreload;
  // The history of the runs: recorded beside the list unless this is off.
  bool historyEnabled = true;
  // The current time as UTC milliseconds, for the history; the system clock when empty.
  std::function<std::int64_t()> utcNow;
  // The proxy settings used while ProxyEnabled is on; the system's when null.
  std::shared_ptr<platform::ProxySource> proxies;
};

// The status icon of a row: an index into imagelistStatus, or -1 for none. Exact,
// case-sensitive comparison.
int StatusIconIndex(const std::string& status);

class TMainForm : public TForm {
  LANTERVO_CLASS()

 public:
  explicit TMainForm(MainFormContext context);
  ~TMainForm() override;
  // Lays the window out for its translated captions (see TextFit).
  void CaptionsTranslated() override;

  // The server table and its view.
  ServerTable setServer;
  TClientDataSet* setServerDataSet = nullptr;  // the component named "setServer"
  TDBGrid* gridLink = nullptr;

  TActionList* actionList = nullptr;
  TAction* actionQuit = nullptr;
  TAction* actionShow = nullptr;
  TAction* actionHide = nullptr;
  TAction* actionLog = nullptr;
  TAction* actionSettings = nullptr;
  TAction* actionLogClear = nullptr;
  TAction* actionHelpContext = nullptr;
  TAction* actionHelpAbout = nullptr;
  TAction* actionCheckNow = nullptr;
  TAction* actionStatsGenerate = nullptr;
  TAction* actionStatsExport = nullptr;
  TAction* actionServerAdd = nullptr;
  TAction* actionServerEdit = nullptr;
  TAction* actionServerDelete = nullptr;
  TAction* actionServerActivate = nullptr;
  TAction* actionServerDeactivate = nullptr;
  TAction* actionServerActivateAll = nullptr;

  TTimer* timerCheck = nullptr;
  TStatusBar* StatusBar = nullptr;
  TImageList* imagelistTrayIcon = nullptr;
  TTrayIcon* TrayIcon = nullptr;
  TPanel* panelHeader = nullptr;
  TImageList* imagelistSemafor = nullptr;
  TImage* imageSemafor = nullptr;
  TSpeedButton* buttonWarning = nullptr;
  TImage* imageLogo = nullptr;
  TImageList* imagelistStatus = nullptr;

  TMainMenu* mainMenu = nullptr;
  TMenuItem* menuLantervo = nullptr;
  TMenuItem* menuServers = nullptr;
  TMenuItem* menuStats = nullptr;
  TMenuItem* menuStatsGenerate = nullptr;
  TMenuItem* menuStatsExport = nullptr;
  TMenuItem* menuHelp = nullptr;
  TPopupMenu* popupTray = nullptr;

  // The registered show/hide hot key's id; 0 while none is registered.
  int HotkeyAtom = 0;
  // The other windows, created by the program after this one; null until then.
  TForm* formSettings = nullptr;
  TForm* formAbout = nullptr;
  TForm* formUpdate = nullptr;

  // Used by the check run from its worker only.
  std::unique_ptr<HttpClient> IdHTTP;

  // The number of servers that failed in the last run that checked them, as SetRunState was
  // told; user-interface thread only.
  int ErrorCount = 0;
  // Set by Quit: a run that ends afterwards leaves the timer off.
  bool IsClosing = false;

  void AddLog(const std::string& message, const std::string& level);
  // The event-log writer; null until start-up has created it.
  EventLog* LogWriter() const { return context_.log; }

  // Start-up and shutdown (startup.cpp).
  void FormCreate(Component& sender);
  void Startup();
  // The list and what needs it: the check timer, the history, the metrics, the update check.
  void OpenServerList();
  // Says once in the log why the list lives outside the program's folder.
  void LogDataFolderNote();
  // Start-up met a configuration it could neither read nor write: the program ends at once.
  bool StartupFailed() const { return startupFailed_; }
  void actionQuitExecute(Component& sender);
  void FormCloseQuery(Component& sender, bool& canClose);
  // Start-up's last step; the update check starts here.
  void StartUpdateCheck();

  // The window's own commands (main_commands.cpp).
  void actionShowExecute(Component& sender);
  void actionHideExecute(Component& sender);
  void TrayIconDblClick(Component& sender);
  void ToggleVisible();
  void HotKeyMessage(Component& sender, int id);
  void actionLogExecute(Component& sender);
  void actionLogClearExecute(Component& sender);
  void actionSettingsExecute(Component& sender);
  void actionHelpContextExecute(Component& sender);
  void actionHelpAboutExecute(Component& sender);
  void gridLinkDrawColumnCell(Component& sender, GridCanvas& canvas, const Rect& rect, int row,
                              int column, GridDrawState state);
  // Discards a key (sets it to 0) before the grid handles it.
  void gridLinkKeyDown(Component& sender, std::uint16_t& key, ShiftState shift);

  // The history of the runs (run_history.cpp): the run's steps as the host sees them.
  void HistoryRunBegins();
  void HistoryRowPosted();
  void HistoryRunState(int state, int errorCount);
  void HistoryRunEnds();
  // Stats → Generate: the report of the last 30 days, opened when it is written.
  void actionStatsGenerateExecute(Component& sender);
  // Stats → Export CSV: the checks of the last 30 days, opened when they are written.
  void actionStatsExportExecute(Component& sender);
  // Opens a file the history wrote, or logs why there is none.
  void ShowWritten(const std::string& file, const std::string& error);
  // Where they go: beside the list.
  std::string ReportFile() const;
  std::string ExportFile() const;
  // Start-up's part and Quit's part.
  void StartHistory();
  void StopHistory();
  // Where the history lives: LTV.history.sqlite beside the list.
  std::string HistoryFile() const;
  history::HistoryRecorder* History() const { return history_.get(); }
  // Now, UTC milliseconds: the context's clock, else the system's.
  std::int64_t UtcNowMs() const;

  // The metrics endpoint (run_metrics.cpp): started, moved or stopped as MetricsPort and
  // MetricsAddress say, at start-up and after the settings are saved; fed as the run posts.
  void StartMetrics();
  void StopMetrics();
  void MetricsRunBegins();
  void MetricsRowPosted();
  void MetricsRunState(int state);
  void MetricsRunEnds();
  // The port served, 0 when none.
  std::uint16_t MetricsPort() const;

  // Run outcome (run_outcome.cpp).
  void SetRunState(int state, int errorCount);
  // Each check's state as the run posts its row, for the balloon that tells what changed.
  void ChangeRowPosted();
  void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind);
  void buttonWarningClick(Component& sender);

  // Scheduling (check_scheduler.cpp).
  void timerCheckTimer(Component& sender);
  void StartCheck();
  // Check now (F5): a run at once when none is going on and no dialog holds the window; the
  // interval then counts from that run's end.
  void actionCheckNowExecute(Component& sender);
  // The machine goes to sleep: a run in progress stops blaming servers for it. It has woken:
  // the next run first waits for the network.
  void PowerChanged(PowerEvent event);
  // Quit's part: sets IsClosing, stops the timer and waits for a running check run to end,
  // carrying out its hand-offs meanwhile.
  void StopChecks();
  // The proxy settings requests go through when ProxyEnabled is on.
  std::shared_ptr<platform::ProxySource> Proxies() const;
  // The worker of the last run started, if any.
  TLTVCheck* CurrentCheck() const { return check_.get(); }
  // The enabled state of the row actions follows the table: they need a row to act on.
  void UpdateRowActions();

  void setServerAfterInsert();
  void setServerAfterDelete();

  // The server dialog, created by the program beside this window.
  TFormServers* formServers = nullptr;

  // List commands (list_commands.cpp).
  void actionServerAddExecute(Component& sender);
  void actionServerEditExecute(Component& sender);
  void actionServerDeleteExecute(Component& sender);
  void actionServerActivateExecute(Component& sender);
  void actionServerDeactivateExecute(Component& sender);
  void actionServerActivateAllExecute(Component& sender);
  // A user's change reaches the list file at once, so a crash loses none of it. A failure
  // goes to the application-wide error handler; the command itself has completed.
  void SaveListAfterChange();

  MainFormContext& Context() { return context_; }

 private:
  void CreateHeader();
  void CreateGrid();
  void CreateActions();
  void CreateTray();
  void CreateMenus();
  void BindMainCommands();
  void BindListCommands();
  void SetActiveOfCurrentRow(bool active);
  // Delete, Edit, Deactivate and Activate: the actions that need a row.
  void SetRowActionsEnabled(bool enabled);
  void StopListWait();
  TAction& NewAction(const std::string& name, const std::string& caption, ShortCut shortCut);

  MainFormContext context_;
  std::unique_ptr<ServerTableRows> rows_;
  // Of the lanes after the first; they outlive the run that uses them.
  std::vector<std::unique_ptr<HttpClient>> laneClients_;
  std::unique_ptr<TLTVCheck> check_;
  std::unique_ptr<EventLog> ownedLog_;
  bool startupFailed_ = false;
  Desktop::TimerId listWait_ = 0;  // start-up waits on the loop for a long list's read
  std::unique_ptr<TextFit> textFit_;
  std::unique_ptr<history::HistoryRecorder> history_;
  std::unique_ptr<history::RunRecord> historyRun_;     // the run in progress
  std::unique_ptr<metrics::MetricsBook> metricsBook_;  // from the first start of the endpoint
  std::unique_ptr<metrics::MetricsServer> metricsServer_;
  std::string metricsServed_;  // "address port" of the endpoint, or of the one that failed
  std::int64_t metricsRunStart_ = 0;
  int metricsRunState_ = 0;
  StateChanges stateChanges_;
  int lastRunState_ = 0;  // of the run before, for the offline balloon told on change
  bool wokeUp_ = false;   // since the last run started
};

}  // namespace lantervo
