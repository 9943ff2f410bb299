#include "ui/run_outcome.h"

#include <string>
#include <utility>
#include <vector>

#include "core/config_store.h"
#include "core/text_format.h"
#include "history/utc_time.h"
#include "i18n/gettext.h"
#include "ui/main_form.h"

namespace lantervo {

namespace {

void ShowLamp(TMainForm& form, int image) {
  TPicture picture;
  picture.AssignImage(*form.imagelistSemafor, image);
  form.imageSemafor->SetPicture(&picture);
  form.imageSemafor->Repaint();
}

}  // namespace

namespace {

// A failure as a balloon line tells it: the load error without the grid's "Unable to load: "
// before it, on one line.
std::string FailureText(history::ServerState state, const std::string& result) {
  std::string text = result;
  const std::string prefix = TranslateText("Unable to load: ");
  if (state == history::ServerState::Down && text.rfind(prefix, 0) == 0)
    text.erase(0, prefix.size());
  std::string line;
  for (const char c : text) {
    if (c == '\r') continue;
    line += c == '\n' ? ' ' : c;
  }
  return line;
}

}  // namespace

void TMainForm::ChangeRowPosted() {
  history::ProbeStatus status;
  if (!ProbeStatusOf(setServer.GetText("Status"), status)) return;
  const history::ServerState state = history::StateOf(status);
  const bool failed = state != history::ServerState::Up;
  stateChanges_.Checked(setServer.GetText("Name"), setServer.GetText("Url"), state,
                        failed ? FailureText(state, setServer.GetText("Result")) : std::string(),
                        state == history::ServerState::Slow ? setServer.GetInt("LoadTime") : -1,
                        context_.utcNow ? context_.utcNow() : history::UtcNowMs());
}

void TMainForm::SetRunState(int state, int errorCount) {
  const AppConfig config = context_.config.Snapshot();
  const int before = std::exchange(lastRunState_, state);
  // An offline run checks no server and changes no server's state.
  if (state != rsOffline) {
    const std::vector<StateChange> changes = stateChanges_.TakeChanges();
    if (config.NotifyOnChange)
      if (const auto notice = NoticeOf(changes, config.BalloonLevel))
        ShowBalloon(notice->title, notice->text, notice->kind);
  }
  // The offline path checks no server and leaves the count of the last run that did.
  if (state != rsOffline) ErrorCount = errorCount;
  switch (state) {
    case rsProblems: {
      buttonWarning->Show();
      TrayIcon->SetIconIndex(oiRed);
      const std::string hint =
          TranslateText("One or more websites problem. Unable to load or wrong response.");
      imageSemafor->SetHint(hint);
      TrayIcon->SetHint(hint);
      StatusBar->SetSimpleText(FormatText(
          TranslatePlural("Completed with %s error!", "Completed with %s errors!", ErrorCount),
          {std::to_string(ErrorCount)}));
      ShowLamp(*this, oiRed);
      break;
    }
    case rsAllOk: {
      // A warning from an earlier run stays until the user dismisses it.
      TrayIcon->SetIconIndex(oiGreen);
      const std::string hint = TranslateText("Response of all websites OK. There was no problem.");
      imageSemafor->SetHint(hint);
      TrayIcon->SetHint(hint);
      StatusBar->SetSimpleText(TranslateText("Completed"));
      ShowLamp(*this, oiGreen);
      break;
    }
    case rsOffline: {
      TrayIcon->SetIconIndex(oiYellow);
      const std::string hint = TranslateText(
          "Unable to load verifying server. Websites monitoring stopped due to offline station.");
      imageSemafor->SetHint(hint);
      // Told on change: once when the station goes offline, not at every run it stays so.
      if (config.BalloonLevel > 3 && (!config.NotifyOnChange || before != rsOffline)) {
        TrayIcon->SetHint(hint);
        ShowBalloon(TranslateText("Offline"),
                    TranslateText("Unable to check servers. You are probably offline."),
                    BalloonKind::Warning);
      }
      StatusBar->SetSimpleText(TranslateText("Offline!"));
      ShowLamp(*this, oiYellow);
      break;
    }
    default:
      break;
  }
}

void TMainForm::ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind) {
  // The tray icon cuts title and text to the platform's limits as they reach it.
  TrayIcon->SetBalloonTitle(title);
  TrayIcon->SetBalloonHint(text);
  TrayIcon->SetBalloonTimeout(kBalloonTimeout);
  TrayIcon->SetBalloonFlags(kind == BalloonKind::Error     ? bfError
                            : kind == BalloonKind::Warning ? bfWarning
                                                           : bfInfo);
  TrayIcon->ShowBalloonHint();
}

void TMainForm::buttonWarningClick(Component& sender) {
  buttonWarning->Hide();
}

}  // namespace lantervo
