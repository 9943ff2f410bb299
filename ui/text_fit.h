#pragma once
// Room for translated captions. The window tables lay the windows out for the English texts at
// the original font; a translation (Czech is longer) or another platform's font may need more.
// Labels then push the controls to their right aside, buttons and captioned check boxes grow to
// their captions, grid columns to their titles, and the window grows with them. Where every
// caption fits, the table's layout stays exactly as it is.
#include <cstdint>
#include <memory>
#include <vector>

namespace lantervo {

class TColumn;
class TControl;
class TForm;
class TTabSheet;
class TWinControl;

class TextFit {
 public:
  // Room between a label's text and the control it names.
  static constexpr int kLabelGap = 6;
  // What a button and a check box draw beside their caption.
  static constexpr int kButtonChrome = 16;
  static constexpr int kCheckBoxChrome = 22;
  // A header keeps three edges of two pixels either side of a title.
  static constexpr int kTitleChrome = 12;

  // Takes the window's layout as designed (a translation changes captions, not the layout);
  // every Apply starts from it.
  explicit TextFit(TForm& form);

  // Lays the window out for its current captions (after a translation), measured with the
  // desktop's fonts.
  void Apply();

 private:
  // The right edge of the controls on a window or a page; labels by their text, when they
  // count.
  std::int64_t Rightmost(const TWinControl& parent, bool withLabels) const;

  struct Place {
    TControl* control;
    std::int64_t left, width;
  };
  struct ColumnPlace {
    TColumn* column;
    std::int64_t width;
  };
  struct PageMargin {
    TTabSheet* sheet;
    std::int64_t margin;  // right of the rightmost control on the page, as designed
  };
  TForm& form_;
  std::vector<Place> design_;
  std::vector<PageMargin> pages_;
  std::vector<ColumnPlace> columns_;
  std::int64_t clientWidth_ = 0;
  std::int64_t margin_ = 0;  // right of the rightmost control, as designed
};

// Takes the window's layout the first time, then lays it out for its captions.
void FitTexts(TForm& form, std::unique_ptr<TextFit>& fit);

}  // namespace lantervo
