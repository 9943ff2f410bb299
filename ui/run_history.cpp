// The history of the runs: each probe's outcome is collected as the run posts its row, and the
// whole run goes to the history's own thread when the run ends. Nothing here waits for the disk.

#include "core/config_store.h"
#include "core/text_format.h"
#include "history/history_export.h"
#include "history/history_recorder.h"
#include "history/history_report.h"
#include "history/utc_time.h"
#include "i18n/gettext.h"
#include "platform/date_time.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"

namespace lantervo {

std::int64_t TMainForm::UtcNowMs() const {
  return context_.utcNow ? context_.utcNow() : history::UtcNowMs();
}

std::string TMainForm::HistoryFile() const {
  return context_.executableFolder + platform::PathSeparator() + "LTV.history.sqlite";
}

void TMainForm::StartHistory() {
  if (!context_.historyEnabled || history_) return;
  history::HistoryRecorderOptions options;
  options.path = HistoryFile();
  options.now = context_.utcNow;
  options.handOffs = GetDesktop()->SharedHandOffs();
  options.note = [this](const history::HistoryNote& note) {
    switch (note.kind) {
      case history::HistoryNote::Kind::Damaged:
        AddLog(FormatText(TranslateText("The history file was damaged; it was moved to %s and a "
                                        "new one was started."),
                          {note.detail}),
               "system");
        break;
      case history::HistoryNote::Kind::CannotWrite:
        AddLog(FormatText(TranslateText("The history cannot be written: %s"), {note.detail}),
               "system");
        break;
      case history::HistoryNote::Kind::WritingAgain:
        AddLog(TranslateText("The history is written again."), "system");
        break;
    }
  };
  history_ = std::make_unique<history::HistoryRecorder>(std::move(options));
  // Each server's state as the last session left it, so that a failure still going on is not
  // told again as new, and a return tells how long it lasted.
  Desktop& desktop = *GetDesktop();
  history_->Request([this, &desktop](history::HistoryStore* store) {
    if (!store) return;
    std::vector<history::ServerRecord> servers;
    try {
      servers = store->Servers();
    } catch (const std::exception&) {
      return;  // the recorder tells of a history it cannot read
    }
    desktop.Synchronize([&] {
      for (const history::ServerRecord& server : servers)
        stateChanges_.Seed(server.name, server.url, server.state, server.since);
    });
  });
}

void TMainForm::StopHistory() {
  if (history_) history_->Stop();
}

std::string TMainForm::ReportFile() const {
  return context_.executableFolder + platform::PathSeparator() + "LTV.report.html";
}

std::string TMainForm::ExportFile() const {
  return context_.executableFolder + platform::PathSeparator() + "LTV.checks.csv";
}

namespace {

// What a reading job on the recorder's thread tells the window: the file to open, or why there
// is none.
struct Written {
  std::string file;
  std::string error;
};

Written Outcome(const std::string& file, history::HistoryStore* store,
                const std::function<platform::WriteResult(history::HistoryStore&)>& write) {
  if (!store) return {{}, TranslateText("the history cannot be read")};
  try {
    const platform::WriteResult result = write(*store);
    if (!result.ok) return {{}, result.message};
  } catch (const std::exception& e) {
    return {{}, e.what()};
  }
  return {file, {}};
}

}  // namespace

void TMainForm::actionStatsGenerateExecute(Component&) {
  if (!history_) return;
  const std::string file = ReportFile();
  const std::int64_t now = UtcNowMs();
  history::ReportStyle style;
  style.formatTime = [](std::int64_t ms) {
    return platform::FormatDateTime(platform::LocalTimeOf(ms));
  };
  style.decimalSeparator = context_.config.Snapshot().Language == "cs" ? ',' : '.';
  Desktop& desktop = *GetDesktop();
  history_->Request([this, &desktop, file, now, style](history::HistoryStore* store) {
    const Written written = Outcome(file, store, [&](history::HistoryStore& s) {
      return platform::WriteFileAtomically(
          file, history::RenderReport(history::ComputeReport(s, now), style));
    });
    desktop.Synchronize([&] { ShowWritten(written.file, written.error); });
  });
}

void TMainForm::actionStatsExportExecute(Component&) {
  if (!history_) return;
  const std::string file = ExportFile();
  const std::int64_t now = UtcNowMs();
  Desktop& desktop = *GetDesktop();
  history_->Request([this, &desktop, file, now](history::HistoryStore* store) {
    const Written written = Outcome(file, store, [&](history::HistoryStore& s) {
      return history::ExportChecksCsv(s, now - 30 * history::kDayMs, now + 1, file);
    });
    desktop.Synchronize([&] { ShowWritten(written.file, written.error); });
  });
}

void TMainForm::ShowWritten(const std::string& file, const std::string& error) {
  if (!error.empty()) {
    AddLog(FormatText(TranslateText("The file cannot be written: %s"), {error}), "error");
    return;
  }
  // A missing association shows nothing, as for the log.
  context_.desktop.ShellOpen(this, file);
}

void TMainForm::HistoryRunBegins() {
  if (!history_) return;
  historyRun_ = std::make_unique<history::RunRecord>();
  historyRun_->start = UtcNowMs();
}

void TMainForm::HistoryRowPosted() {
  if (!historyRun_) return;
  history::ProbeOutcome probe;
  if (!ProbeStatusOf(setServer.GetText("Status"), probe.status)) return;
  probe.at = UtcNowMs();
  probe.name = setServer.GetText("Name");
  probe.url = setServer.GetText("Url");
  // A failed load keeps the load time of the last one that succeeded; it had none of its own.
  if (probe.status != history::ProbeStatus::Down) probe.loadMs = setServer.GetInt("LoadTime");
  if (probe.status != history::ProbeStatus::Up) probe.text = setServer.GetText("Result");
  probe.slowMs = setServer.GetBool("TimeoutEnabled") ? setServer.GetInt("Timeout") : -1;
  historyRun_->probes.push_back(std::move(probe));
}

void TMainForm::HistoryRunState(int state, int errorCount) {
  if (!historyRun_) return;
  historyRun_->state = state;
  historyRun_->errorCount = errorCount;
}

void TMainForm::HistoryRunEnds() {
  if (!historyRun_) return;
  historyRun_->end = UtcNowMs();
  // A run stopped by Quit before it had a state says nothing of the servers it did not reach;
  // what it checked is still kept.
  if (historyRun_->state == 0) historyRun_->state = history::rrProblems;
  history_->Submit(std::move(*historyRun_));
  historyRun_.reset();
}

}  // namespace lantervo
