#include "toolkit/page_control.h"

#include <algorithm>

namespace lantervo {

const ClassInfo& TTabSheet::StaticClass() {
  static const ClassInfo info("TTabSheet", &TPanel::StaticClass());
  return info;
}

TTabSheet::TTabSheet() {
  SetBevelOuter(bvNone);
}

TPageControl* TTabSheet::PageControl() const {
  return dynamic_cast<TPageControl*>(Parent());
}

int TTabSheet::PageIndex() const {
  const TPageControl* control = PageControl();
  if (!control) return -1;
  for (int i = 0; i < control->PageCount(); ++i)
    if (control->Page(i) == this) return i;
  return -1;
}

const ClassInfo& TPageControl::StaticClass() {
  using T = TPageControl;
  static const ClassInfo info(
      "TPageControl", &TWinControl::StaticClass(),
      {props::Other<T>(prop::ActivePageIndex, &T::ActivePageIndex, &T::SetActivePageIndex)});
  return info;
}

TPageControl::TPageControl() {
  SetTabStop(true);
}

TPageControl::~TPageControl() = default;

TTabSheet* TPageControl::Page(int index) const {
  return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

std::int64_t TPageControl::PageWidth() const {
  return std::max<std::int64_t>(0, Width() - 2 * kFrame);
}

std::int64_t TPageControl::PageHeight() const {
  return std::max<std::int64_t>(0, Height() - kTabHeight - 2 * kFrame);
}

void TPageControl::SetActivePageIndex(int index) {
  if (index < 0 || index >= PageCount() || index == active_) return;
  active_ = index;
  ShowActive();
  Changed(prop::ActivePageIndex);
}

void TPageControl::TabClicked(int index) {
  if (index < 0 || index >= PageCount() || index == active_) return;
  SetActivePageIndex(index);
  if (OnChange) OnChange(*this);
}

void TPageControl::ShowActive() {
  // The page that comes is shown before the one that goes is hidden, so the frame is never
  // drawn empty.
  if (TTabSheet* shown = ActivePage()) shown->SetVisible(true);
  for (TTabSheet* page : pages_)
    if (page != ActivePage()) page->SetVisible(false);
}

void TPageControl::Arrange(TTabSheet& sheet) const {
  sheet.SetBounds(PageLeft(), PageTop(), PageWidth(), PageHeight());
}

void TPageControl::ControlAdded(TControl& control) {
  auto* sheet = dynamic_cast<TTabSheet*>(&control);
  if (!sheet) return;
  pages_.push_back(sheet);
  Arrange(*sheet);
  // A page's caption is its tab's text.
  Observe(*sheet, [this](Persistent&, std::string_view property) {
    if (property == prop::Caption) Changed(prop::Pages);
  });
  if (active_ < 0) {
    active_ = 0;
    Changed(prop::ActivePageIndex);
  }
  ShowActive();
  Changed(prop::Pages);
}

void TPageControl::ControlRemoved(TControl& control) {
  const auto found = std::find(pages_.begin(), pages_.end(), &control);
  if (found == pages_.end()) return;
  const int index = static_cast<int>(found - pages_.begin());
  pages_.erase(found);
  // The page shown stays shown; when it went, its neighbour takes its place.
  if (index < active_ || active_ >= PageCount()) --active_;
  if (active_ < 0 && PageCount() > 0) active_ = 0;
  ShowActive();
  Changed(prop::Pages);
  Changed(prop::ActivePageIndex);
}

void TPageControl::Resized() {
  for (TTabSheet* page : pages_) Arrange(*page);
}

}  // namespace lantervo
