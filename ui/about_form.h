#pragma once
// The About window: the product's logo, name and version and the maker's name, which opens the
// maker's page. Modeless; OK hides it.
#include <memory>

#include "toolkit/extra_controls.h"
#include "toolkit/form.h"
#include "toolkit/std_controls.h"
#include "ui/text_fit.h"

namespace lantervo {

class TMainForm;

class TFormAbout : public TForm {
  LANTERVO_CLASS()

 public:
  explicit TFormAbout(Desktop& desktop);
  ~TFormAbout() override;
  // Lays the window out for its translated captions (see TextFit).
  void CaptionsTranslated() override;

  // The program's main window; set by the program after creating both.
  TMainForm* mainForm = nullptr;

  TImage* Image1 = nullptr;
  TLabel* Label1 = nullptr;
  TLabel* Label2 = nullptr;
  TButton* Button1 = nullptr;

  void Label2Click(Component& sender);
  void Button1Click(Component& sender);

 private:
  std::unique_ptr<TextFit> textFit_;
};

}  // namespace lantervo
