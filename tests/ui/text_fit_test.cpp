// Room for translated captions: in English the windows keep the window tables' layout to the
// pixel; in Czech no label runs under the control beside it, buttons hold their captions, the grid
// titles fit their columns and the windows grow with what moved; back in English all returns.
// Measured with the headless desktop's metric (5 pixels a character at 8 points); the front
// ends' tests check the same with the platforms' fonts.
#include <map>
#include <tuple>

#include "i18n/window/window_translation.h"
#include "tests/ui/windows_fixture.h"
#include "toolkit/db_grid.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"

namespace lantervo::test {
namespace {

using Layout = std::map<std::string, std::tuple<std::int64_t, std::int64_t, std::int64_t>>;

void CollectLayout(const TWinControl& parent, Layout& layout) {
  for (const TControl* control : parent.Controls()) {
    layout[control->Name()] = {control->Left(), control->Top(), control->Width()};
    if (auto* inner = dynamic_cast<const TWinControl*>(control)) CollectLayout(*inner, layout);
  }
}

Layout LayoutOf(const TForm& form) {
  Layout layout;
  CollectLayout(form, layout);
  layout["(client)"] = {0, 0, form.ClientWidth()};
  return layout;
}

class TextFitTest : public WindowsTest {
 protected:
  std::vector<TForm*> Windows() {
    return {form.get(), settings.get(), servers.get(), about.get(), update.get()};
  }

  // As a saved language setting does it.
  void Switch(const char* language) {
    TextInstance().SwitchLanguage(language);
    for (TForm* window : Windows()) {
      RetranslateComponent(*window);
      window->CaptionsTranslated();
    }
  }

  int Width(const TControl& control) {
    return desktop.CaptionWidth(*control.Font(), control.Caption());
  }

  // What a user would see cut or covered, for one window.
  void ExpectCaptionsFit(const TForm& window) { ExpectCaptionsFitIn(window, window); }
  void ExpectCaptionsFitIn(const TForm& window, const TWinControl& parent) {
    for (const TControl* control : parent.Controls()) {
      SCOPED_TRACE(window.Name() + "." + control->Name() + " \"" + control->Caption() + "\"");
      if (auto* inner = dynamic_cast<const TWinControl*>(control))
        ExpectCaptionsFitIn(window, *inner);
      if (dynamic_cast<const TButton*>(control)) {
        EXPECT_GE(control->Width(), Width(*control) + TextFit::kButtonChrome);
      }
      const auto* label = dynamic_cast<const TLabel*>(control);
      if (!label || !label->AutoSize() || label->Caption().empty()) continue;
      const std::int64_t textEnd = label->Left() + Width(*label);
      if (&parent == &window) {
        EXPECT_LE(textEnd, window.ClientWidth());
      }
      if (dynamic_cast<const TTabSheet*>(&parent)) {
        EXPECT_LE(textEnd, parent.Width()) << "past the page's edge";
      }
      for (const TControl* other : parent.Controls()) {
        const bool sameRow =
            other->Top() < label->Top() + 14 && label->Top() < other->Top() + other->Height();
        if (other != label && sameRow && other->Left() > label->Left()) {
          EXPECT_LE(textEnd + TextFit::kLabelGap, other->Left()) << "runs under " << other->Name();
        }
      }
    }
  }
};

TEST_F(TextFitTest, EnglishKeepsTheWindowTablesLayoutAndCzechMakesRoomForEveryCaption) {
  std::vector<Layout> english;
  for (TForm* window : Windows()) english.push_back(LayoutOf(*window));
  // The window tables' own numbers, where every English caption fits.
  EXPECT_EQ(english[1]["editVerifyURL"], std::make_tuple(152, 64, 193));
  EXPECT_EQ(english[1]["checkboxAfterStart"], std::make_tuple(152, 278, 17));
  EXPECT_EQ(english[1]["buttonSave"], std::make_tuple(270, 492, 75));
  EXPECT_EQ(english[1]["(client)"], std::make_tuple(0, 0, 389));
  EXPECT_EQ(english[1]["sheetGeneral"], std::make_tuple(3, 25, 383));
  for (TForm* window : Windows()) ExpectCaptionsFit(*window);

  Switch("cs");
  ASSERT_EQ(settings->labelAfterStart->Caption(), "Spouštět po startu systému");
  for (TForm* window : Windows()) ExpectCaptionsFit(*window);
  // The column of controls moved right as one, and the page, its pages and the window grew by
  // as much; the buttons below the pages keep their place.
  const std::int64_t moved = settings->checkboxAfterStart->Left() - 152;
  EXPECT_GT(moved, 0);
  EXPECT_EQ(settings->editVerifyURL->Left(), 152 + moved);
  EXPECT_EQ(settings->comboLanguage->Left(), 152 + moved);
  EXPECT_EQ(settings->labelHotkey->Left(), 196 + moved);
  EXPECT_EQ(settings->buttonCancel->Left(), 152);
  EXPECT_GE(settings->sheetGeneral->Width(), 383 + moved);
  EXPECT_EQ(settings->sheetAdvanced->Width(), settings->sheetGeneral->Width());
  EXPECT_GE(settings->ClientWidth(), settings->pageSettings->Width());
  EXPECT_GE(settings->ClientWidth(), 389 + moved);
  EXPECT_EQ(settings->labelVerifyURL->Left(), 32) << "the labels keep their places";
  EXPECT_EQ(std::get<1>(LayoutOf(*settings)["buttonSave"]), 492) << "nothing moves up or down";
  // "Uložit && použít" is wider than the button was.
  EXPECT_GT(settings->buttonSave->Width(), 75);
  // The grid's "Doba načtení" fits its column.
  const TColumn& load = (*form->gridLink->Columns())[2];
  EXPECT_GE(load.Width(),
            desktop.CaptionWidth(*load.Title()->Font(), load.Title()->DisplayCaption()) +
                TextFit::kTitleChrome);

  Switch("en");
  std::size_t i = 0;
  for (TForm* window : Windows()) EXPECT_EQ(LayoutOf(*window), english[i++]) << window->Name();
}

}  // namespace
}  // namespace lantervo::test
