#include "ui/about_form.h"

#include "core/config_store.h"
#include "i18n/window/window_translation.h"
#include "lantervo/version.h"
#include "ui/main_form.h"
#include "ui/open_vendor_link.h"

namespace lantervo {

const ClassInfo& TFormAbout::StaticClass() {
  static const ClassInfo info("TFormAbout", &TForm::StaticClass());
  return info;
}

TFormAbout::TFormAbout(Desktop& desktop) : TForm(desktop) {
  SetName("FormAbout");
  SetCaption("About");
  SetClientWidth(219);
  SetClientHeight(245);
  SetBorderStyle(bsSingle);
  SetBorderIcons(0);
  SetPosition(poDesigned);
  SetLeft(0);
  SetTop(0);
  SetColor(colors::kWhite);
  SetVisible(false);
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-11);
  SetFont(&font);

  Image1 = &Add<TImage>("Image1");
  Image1->SetParent(this);
  Image1->SetBounds(42, 24, 145, 65);
  TPicture logo;
  logo.SetResource("logo");
  Image1->SetPicture(&logo);

  Label1 = &Add<TLabel>("Label1");
  Label1->SetParent(this);
  Label1->SetBounds(12, 112, 192, 22);
  Label1->SetCaption(std::string("Lantervo ") + kProgramVersion);
  Label1->SetTransparent(true);
  TFont nameFont;
  nameFont.SetName("Concielian Condensed");
  nameFont.SetHeight(-20);
  nameFont.SetColor(colors::kBlack);
  Label1->SetFont(&nameFont);

  Label2 = &Add<TLabel>("Label2");
  Label2->SetParent(this);
  Label2->SetBounds(55, 152, 115, 13);
  Label2->SetCaption("QUORVIK Media");
  Label2->SetTransparent(true);
  Label2->SetCursor(crHandPoint);
  TFont linkFont;
  linkFont.SetName("Tahoma");
  linkFont.SetHeight(-11);
  linkFont.SetStyle(fsUnderline);
  linkFont.SetColor(colors::kHotLight);
  Label2->SetFont(&linkFont);
  Label2->OnClick = [this](Component& sender) { Label2Click(sender); };

  Button1 = &Add<TButton>("Button1");
  Button1->SetParent(this);
  Button1->SetBounds(72, 200, 80, 25);
  Button1->SetCaption("OK");
  Button1->SetTabOrder(0);
  Button1->OnClick = [this](Component& sender) { Button1Click(sender); };

  TranslateComponent(*this);
  CaptionsTranslated();
}

TFormAbout::~TFormAbout() = default;

void TFormAbout::Label2Click(Component&) {
  // The window stays open beside the browser.
  OpenVendorLink("about", *this, mainForm->Context().config.Snapshot().Language);
}

void TFormAbout::Button1Click(Component&) {
  Hide();
}

void TFormAbout::CaptionsTranslated() {
  FitTexts(*this, textFit_);
}

}  // namespace lantervo
