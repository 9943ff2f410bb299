#include "ui/update_form.h"

#include "core/config_store.h"
#include "i18n/window/window_translation.h"
#include "ui/main_form.h"
#include "ui/open_vendor_link.h"

namespace lantervo {

const ClassInfo& TFormUpdate::StaticClass() {
  static const ClassInfo info("TFormUpdate", &TForm::StaticClass());
  return info;
}

namespace {
TLabel& NewLabel(TForm& form, const std::string& name, const std::string& caption, int left,
                 int top) {
  TLabel& label = form.Add<TLabel>(name);
  label.SetParent(&form);
  label.SetLeft(left);
  label.SetTop(top);
  label.SetCaption(caption);
  return label;
}

TButton& NewButton(TForm& form, const std::string& name, const std::string& caption, int left,
                   int width, int tabOrder) {
  TButton& button = form.Add<TButton>(name);
  button.SetParent(&form);
  button.SetBounds(left, 136, width, 25);
  button.SetCaption(caption);
  button.SetTabOrder(tabOrder);
  return button;
}
}  // namespace

TFormUpdate::TFormUpdate(Desktop& desktop) : TForm(desktop) {
  SetName("FormUpdate");
  SetCaption("New version available");
  SetClientWidth(549);
  SetClientHeight(186);
  SetBorderStyle(bsSingle);
  SetBorderIcons(0);
  SetPosition(poDesigned);
  SetLeft(0);
  SetTop(0);
  SetVisible(false);
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-11);
  SetFont(&font);

  Label3 = &NewLabel(*this, "Label3",
                     "A new version of Lantervo is now available. Click the download button to "
                     "download new update.",
                     24, 16);
  Label3->SetAutoSize(false);
  Label3->SetWidth(493);
  Label3->SetHeight(13);
  Label1 = &NewLabel(*this, "Label1", "Current version", 24, 64);
  Label1->SetWidth(75);
  Label1->SetHeight(13);
  // Placeholders until the check sets them; a language switch puts these back.
  labelVersionCurrent = &NewLabel(*this, "labelVersionCurrent", "-", 200, 64);
  Label2 = &NewLabel(*this, "Label2", "Lastest version", 24, 96);
  Label2->SetWidth(73);
  Label2->SetHeight(13);
  labelVersionLastest = &NewLabel(*this, "labelVersionLastest", "-", 200, 96);

  buttonDownload = &NewButton(*this, "buttonDownload", "Download now", 24, 153, 1);
  buttonDownload->OnClick = [this](Component& sender) { buttonDownloadClick(sender); };
  buttonClose = &NewButton(*this, "buttonClose", "Close", 446, 75, 0);
  buttonClose->OnClick = [this](Component& sender) { buttonCloseClick(sender); };

  TranslateComponent(*this);
  CaptionsTranslated();
}

TFormUpdate::~TFormUpdate() = default;

void TFormUpdate::ShowVersions(const std::string& current, const std::string& newest) {
  labelVersionCurrent->SetCaption(current);
  labelVersionLastest->SetCaption(newest);
  Show();
}

void TFormUpdate::buttonDownloadClick(Component&) {
  // Hidden whether or not a browser started.
  OpenVendorLink("update", *this, mainForm->Context().config.Snapshot().Language);
  Hide();
}

void TFormUpdate::buttonCloseClick(Component&) {
  Hide();
}

void TFormUpdate::CaptionsTranslated() {
  FitTexts(*this, textFit_);
}

}  // namespace lantervo
