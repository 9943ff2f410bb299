#include "ui/text_fit.h"

#include <algorithm>

#include "toolkit/db_grid.h"
#include "toolkit/desktop.h"
#include "toolkit/form.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"

namespace lantervo {

namespace {

// The controls of the window and of its panels, parents before their children.
void Collect(TWinControl& parent, std::vector<TControl*>& out) {
  for (TControl* control : parent.Controls()) {
    out.push_back(control);
    if (auto* inner = dynamic_cast<TWinControl*>(control)) Collect(*inner, out);
  }
}

bool IsFittedLabel(const TControl& control) {
  const auto* label = dynamic_cast<const TLabel*>(&control);
  return label && label->AutoSize() && !label->Caption().empty();
}

// Labels size themselves to their text: the text's height counts, not the stored height.
std::int64_t BottomOf(const TControl& control) {
  if (IsFittedLabel(control))
    return control.Top() + std::max(control.Height(), std::abs(control.Font()->Height()) + 3);
  return control.Top() + control.Height();
}

bool SameRow(const TControl& a, const TControl& b) {
  return a.Top() < BottomOf(b) && b.Top() < BottomOf(a);
}

// Moves every control of the parent that starts at or right of `from` by `delta`.
void ShiftFrom(TWinControl& parent, std::int64_t from, std::int64_t delta, const TControl* except) {
  for (TControl* control : parent.Controls())
    if (control != except && control->Left() >= from) control->SetLeft(control->Left() + delta);
}

}  // namespace

TextFit::TextFit(TForm& form) : form_(form), clientWidth_(form.ClientWidth()) {
  std::vector<TControl*> controls;
  Collect(form, controls);
  for (TControl* control : controls) {
    design_.push_back({control, control->Left(), control->Width()});
    if (auto* grid = dynamic_cast<TDBGrid*>(control)) {
      TDBGridColumns& columns = *grid->Columns();
      for (int i = 0; i < columns.Count(); ++i)
        columns_.push_back({&columns[i], columns[i].Width()});
    }
  }
  // The labels' texts are left out: the window may be taken after its translation.
  margin_ = clientWidth_ - Rightmost(form_, false);
  for (TControl* control : controls)
    if (auto* sheet = dynamic_cast<TTabSheet*>(control))
      pages_.push_back({sheet, sheet->Width() - Rightmost(*sheet, false)});
}

std::int64_t TextFit::Rightmost(const TWinControl& parent, bool withLabels) const {
  Desktop* desktop = form_.GetDesktop();
  std::int64_t rightmost = 0;
  for (TControl* control : parent.Controls()) {
    std::int64_t right = control->Left() + control->Width();
    if (IsFittedLabel(*control)) {
      if (!withLabels || !desktop) continue;
      right = control->Left() + desktop->CaptionWidth(*control->Font(), control->Caption());
    }
    rightmost = std::max(rightmost, right);
  }
  return rightmost;
}

void TextFit::Apply() {
  Desktop* desktop = form_.GetDesktop();
  if (!desktop) return;
  for (const Place& place : design_) {
    place.control->SetLeft(place.left);
    place.control->SetWidth(place.width);
  }
  for (const ColumnPlace& place : columns_) place.column->SetWidth(place.width);
  form_.SetClientWidth(clientWidth_);

  const auto width = [&](const TControl& control) {
    return static_cast<std::int64_t>(desktop->CaptionWidth(*control.Font(), control.Caption()));
  };
  std::vector<TControl*> controls;
  Collect(form_, controls);

  // Buttons, captioned check boxes and labels of a fixed single line grow to their captions;
  // what follows on their row moves.
  for (TControl* control : controls) {
    const bool button = dynamic_cast<TButton*>(control) != nullptr;
    const bool checkBox = dynamic_cast<TCheckBox*>(control) != nullptr;
    const auto* label = dynamic_cast<TLabel*>(control);
    const bool lineLabel =
        label && !label->AutoSize() && label->Height() <= std::abs(label->Font()->Height()) + 6;
    if ((!button && !checkBox && !lineLabel) || control->Caption().empty() || !control->Parent())
      continue;
    const std::int64_t chrome = button ? kButtonChrome : checkBox ? kCheckBoxChrome : 0;
    const std::int64_t need = width(*control) + chrome;
    if (need <= control->Width()) continue;
    const std::int64_t right = control->Left() + control->Width();
    for (TControl* other : control->Parent()->Controls())
      if (other != control && other->Left() >= right && SameRow(*other, *control))
        other->SetLeft(other->Left() + need - control->Width());
    control->SetWidth(need);
  }

  // A label's text may not run under the control that follows it on its row: that control's
  // column, and everything right of it, moves aside.
  for (int pass = 0; pass < 4; ++pass) {
    bool moved = false;
    for (TControl* label : controls) {
      if (!IsFittedLabel(*label) || !label->Parent()) continue;
      TControl* next = nullptr;
      for (TControl* other : label->Parent()->Controls())
        if (other != label && other->Left() > label->Left() && SameRow(*other, *label) &&
            (!next || other->Left() < next->Left()))
          next = other;
      if (!next) continue;
      const std::int64_t need = label->Left() + width(*label) + kLabelGap;
      if (need <= next->Left()) continue;
      ShiftFrom(*label->Parent(), next->Left(), need - next->Left(), label);
      moved = true;
    }
    if (!moved) break;
  }

  // Grid titles.
  for (const ColumnPlace& place : columns_) {
    TColumnTitle& title = *place.column->Title();
    const std::string caption = title.DisplayCaption();
    if (caption.empty()) continue;
    const std::int64_t need = desktop->CaptionWidth(*title.Font(), caption) + kTitleChrome;
    if (need > place.column->Width()) place.column->SetWidth(need);
  }

  // A page keeps its margin right of what grew on it; its page control grows for the widest.
  for (TControl* control : controls) {
    auto* pages = dynamic_cast<TPageControl*>(control);
    if (!pages) continue;
    std::int64_t grow = 0;
    for (const PageMargin& page : pages_)
      if (page.sheet->PageControl() == pages)
        grow = std::max(grow, Rightmost(*page.sheet, true) + page.margin - page.sheet->Width());
    if (grow > 0) pages->SetWidth(pages->Width() + grow);
  }

  // The window keeps its margin right of what grew.
  // Labels may come as close to the edge as the controls did.
  const std::int64_t rightmost = Rightmost(form_, true);
  if (rightmost + margin_ > clientWidth_) form_.SetClientWidth(rightmost + margin_);
}

void FitTexts(TForm& form, std::unique_ptr<TextFit>& fit) {
  if (!fit) fit = std::make_unique<TextFit>(form);
  fit->Apply();
}

}  // namespace lantervo
