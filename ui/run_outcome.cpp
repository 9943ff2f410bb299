#include "ui/run_outcome.h"

#include <string>

#include "core/config_store.h"
#include "core/text_format.h"
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

void TMainForm::SetRunState(int state, int errorCount) {
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
      if (context_.config.Snapshot().BalloonLevel > 3) {
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
  TrayIcon->SetBalloonFlags(kind == BalloonKind::Error ? bfError : bfWarning);
  TrayIcon->ShowBalloonHint();
}

void TMainForm::buttonWarningClick(Component& sender) {
  buttonWarning->Hide();
}

}  // namespace lantervo
