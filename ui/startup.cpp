// Start-up and shutdown of the main window: the configuration with its first-run recovery, the
// event log, language, timer, hot key and server list, then Quit and the close query.
#include "core/config_store.h"
#include "core/event_log.h"
#include "core/list_preload.h"
#include "core/text_format.h"
#include "i18n/gettext.h"
#include "i18n/window/window_translation.h"
#include "platform/error.h"
#include "platform/file.h"
#include "platform/folder.h"
#include "platform/paths.h"
#include "toolkit/dataset.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"

namespace lantervo {

namespace {
constexpr std::uint32_t kHotKeyModifiers = kModControl | kModAlt;
constexpr std::uint32_t kHotKeyW = 0x57;
constexpr std::uint32_t kListWaitInterval = 10;

// An unreadable list is about to be replaced; its bytes stay beside it so that nothing the user
// entered is lost for good. Throws when the copy cannot be kept: the list is then left alone.
void KeepBackup(const std::string& listFile) {
  if (!platform::FileExists(listFile)) return;
  std::string bytes;
  const platform::FileResult read = platform::ReadWholeFile(listFile, bytes);
  if (!read.ok) throw Error(read.message);
  const platform::WriteResult written = platform::WriteFileAtomically(listFile + ".bak", bytes);
  if (!written.ok) throw Error(written.message);
}
}  // namespace

void TMainForm::FormCreate(Component&) {
  Startup();
  if (startupFailed_) return;
  TP_GlobalIgnoreClassProperty(TField::StaticClass(), "DefaultExpression");
  TP_GlobalIgnoreClassProperty(TField::StaticClass(), "FieldName");
  TP_GlobalIgnoreClassProperty(TField::StaticClass(), "KeyFields");
  TP_GlobalIgnoreClassProperty(TField::StaticClass(), "LookupKeyFields");
  TP_GlobalIgnoreClassProperty(TField::StaticClass(), "LookupResultField");
  TP_GlobalIgnoreClassProperty(TField::StaticClass(), "Origin");
  // A class goes on the whole-class list once per text instance; a main window created again
  // in the same process (a restart in tests) finds it there already.
  const std::string_view param[] = {TParam::StaticClass().Name()};
  if (!TextInstance().IgnoreRules().IsClassIgnored(param))
    TP_GlobalIgnoreClass(TParam::StaticClass());
  TP_GlobalIgnoreClassProperty(TFieldDef::StaticClass(), "Name");
  TranslateComponent(*this);
  CaptionsTranslated();
}

void TMainForm::Startup() {
  Desktop& desktop = context_.desktop;
  HotkeyAtom = 0;

  // The configuration; a first start, or one that cannot be read, gets the defaults.
  platform::Registry& registry = *context_.registry;
  bool defaultsUsed = false;
  try {
    LoadConfig(registry, context_.config);
  } catch (const std::exception&) {
    try {
      WriteDefaultConfig(registry, context_.executableFolder);
    } catch (const std::exception&) {
      // The reload below tells whether the defaults arrived.
    }
    SwitchLanguage("en");
    try {
      LoadConfig(registry, context_.config);
    } catch (const std::exception&) {
      desktop.ShowMessageBox(
          nullptr, TranslateText("Application error"),
          TranslateText("Unabled to write default configuration. Application stopped!"),
          MessageBoxIcon::Error, MessageBoxButtons::Ok);
      startupFailed_ = true;
      return;
    }
    defaultsUsed = true;
  }
  const AppConfig config = context_.config.Snapshot();
  if (!context_.log) {
    if (context_.makeLog) {
      ownedLog_ = context_.makeLog(config.LogFile);
    } else {
      ConfigStore* store = &context_.config;
      ownedLog_ = std::make_unique<EventLog>(config.LogFile,
                                             [store] { return store->Snapshot().LogEnabled; });
    }
    context_.log = ownedLog_.get();
  }
  if (defaultsUsed) {
    AddLog(TranslateText("Default configuration used"), "system");
    desktop.ShowMessageBox(this, TranslateText("Application notification"),
                           TranslateText("Default configuration used"), MessageBoxIcon::Information,
                           MessageBoxButtons::Ok);
  }

  SwitchLanguage(config.Language);
  LogDataFolderNote();
  timerCheck->SetInterval(TimerIntervalFromSeconds(config.CheckInterval));
  IsClosing = false;
  if (config.HotkeyEnabled) {
    HotkeyAtom = desktop.AddGlobalAtom("HotkeyShow");
    // Taken elsewhere: the combination then simply does nothing here.
    desktop.RegisterHotKey(*this, HotkeyAtom, kHotKeyModifiers, kHotKeyW);
  }

  // The server list, recreated when it cannot be opened.
  setServer.FileName =
      context_.executableFolder + platform::PathSeparator() + ServerTable::kListFileName;
  // Copies a save that was killed half-way left behind; the list itself is whole either way.
  platform::RemoveStaleTemporaries(setServer.FileName);
  const ListPreload* preload = context_.listPreload.get();
  if (preload && preload->FileName() == setServer.FileName && preload->Long()) {
    // A long list does not hold the window back: it is shown, and the rows (with the checks,
    // the history and the rest of start-up) follow when the read is done.
    SetRowActionsEnabled(false);
    listWait_ = desktop.StartTimer(kListWaitInterval, [this] {
      if (!context_.listPreload->Ready()) return;
      StopListWait();
      if (!IsClosing) OpenServerList();
    });
    return;
  }
  OpenServerList();
}

void TMainForm::StopListWait() {
  if (listWait_ == 0) return;
  context_.desktop.StopTimer(listWait_);
  listWait_ = 0;
}

void TMainForm::OpenServerList() {
  Desktop& desktop = context_.desktop;
  // On before the list: a list that can be neither read nor recreated leaves the loop running.
  timerCheck->SetEnabled(true);
  try {
    if (context_.listPreload)
      context_.listPreload->OpenInto(setServer);
    else
      setServer.OpenList();
  } catch (const std::exception& openError) {
    KeepBackup(setServer.FileName);
    setServer.CreateList();
    setServer.SaveList(setServer.FileName);
    desktop.ShowMessageBox(this, TranslateText("Application notification"),
                           TranslateText("Dataset does not exist. File recreated."),
                           MessageBoxIcon::Information, MessageBoxButtons::Ok);
    AddLog(
        FormatText(TranslateText("Dataset does not exist. File recreated: %s"), {openError.what()}),
        "system");
    setServer.AppendRow();
    setServer.SetText("Name", "QUORVIK Media");
    setServer.SetText("Url", "http://" LANTERVO_VENDOR_HOST "/");
    setServer.SetInt("Timeout", 300);
    setServer.SetBool("Active", true);
    setServer.PostRow();
  }
  UpdateRowActions();

  // Every start shows every row as not yet checked, the cursor left on the last row as a walk
  // over the rows leaves it.
  setServer.SetTextInEveryRow("Status", "");
  setServer.SetTextInEveryRow("Result", TranslateText("Waiting..."));
  setServer.SetIntInEveryRow("LoadTime", -1);

  StartHistory();
  StartMetrics();
  StartUpdateCheck();
}

void TMainForm::LogDataFolderNote() {
  const std::string& folder = context_.executableFolder;
  switch (context_.dataFolderNote) {
    case DataFolderChoice::Note::None:
      return;
    case DataFolderChoice::Note::NewInUserFolder:
      AddLog(FormatText(TranslateText("The program's folder cannot be written; the server list and "
                                      "the log are kept in %s"),
                        {folder}),
             "system");
      return;
    case DataFolderChoice::Note::ListCopied:
      AddLog(FormatText(
                 TranslateText(
                     "The program's folder cannot be written; the server list was copied to %s"),
                 {folder}),
             "system");
      return;
  }
}

void TMainForm::actionQuitExecute(Component&) {
  StopListWait();
  StopChecks();
  // The last run is written before the program goes; upkeep still pending waits for next time.
  StopHistory();
  StopMetrics();
  if (HotkeyAtom > 0) context_.desktop.UnregisterHotKey(*this, HotkeyAtom);
  Close();
}

void TMainForm::FormCloseQuery(Component&, bool& canClose) {
  if (IsClosing) {
    canClose = true;
    return;
  }
  canClose = false;
  actionHideExecute(*this);
}

void TMainForm::CaptionsTranslated() {
  FitTexts(*this, textFit_);
}

}  // namespace lantervo
