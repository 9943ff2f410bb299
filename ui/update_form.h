#pragma once
// The update window: shown by the start-up update check when a newer version is announced,
// with the current and the newest version and a button that opens the download page.
#include <memory>
#include <string>

#include "toolkit/form.h"
#include "toolkit/std_controls.h"
#include "ui/text_fit.h"

namespace lantervo {

class TMainForm;

class TFormUpdate : public TForm {
  LANTERVO_CLASS()

 public:
  explicit TFormUpdate(Desktop& desktop);
  ~TFormUpdate() override;
  // Lays the window out for its translated captions (see TextFit).
  void CaptionsTranslated() override;

  // The program's main window; set by the program after creating both.
  TMainForm* mainForm = nullptr;

  TLabel* Label3 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* labelVersionCurrent = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* labelVersionLastest = nullptr;
  TButton* buttonDownload = nullptr;
  TButton* buttonClose = nullptr;

  // The update check's user-interface step: both labels, then the window, modeless.
  void ShowVersions(const std::string& current, const std::string& newest);
  void buttonDownloadClick(Component& sender);
  void buttonCloseClick(Component& sender);

 private:
  std::unique_ptr<TextFit> textFit_;
};

}  // namespace lantervo
