#pragma once
// Pages behind tabs: a page control shows one of its sheets at a time, under a row of tabs that
// carry the sheets' captions. The control lays its sheets out itself, so a sheet's controls sit
// at the same place on every platform.
#include <cstdint>
#include <vector>

#include "toolkit/events.h"
#include "toolkit/extra_controls.h"

namespace lantervo {

class TPageControl;

// One page: a borderless panel whose caption is its tab's text.
class TTabSheet : public TPanel {
  LANTERVO_CLASS()

 public:
  TTabSheet();
  // The page control it is a page of, if its parent is one.
  TPageControl* PageControl() const;
  // Its place among the tabs; -1 when it is on no page control.
  int PageIndex() const;
};

class TPageControl : public TWinControl {
  LANTERVO_CLASS()

 public:
  // The tab row above the pages, and the frame around a page, at 96 dots per inch.
  static constexpr int kTabHeight = 22;
  static constexpr int kFrame = 3;

  TPageControl();
  ~TPageControl() override;

  // The sheets, in the order they were put on the control.
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Page(int index) const;
  // The page shown; -1 when there is none. Setting it shows that page and hides the others;
  // an index out of range is ignored.
  int ActivePageIndex() const { return active_; }
  void SetActivePageIndex(int index);
  TTabSheet* ActivePage() const { return Page(active_); }

  // A page's bounds, in the control's client pixels.
  std::int64_t PageLeft() const { return kFrame; }
  std::int64_t PageTop() const { return kTabHeight + kFrame; }
  std::int64_t PageWidth() const;
  std::int64_t PageHeight() const;

  // The page control's size for pages of the given size.
  static std::int64_t WidthFor(std::int64_t pageWidth) { return pageWidth + 2 * kFrame; }
  static std::int64_t HeightFor(std::int64_t pageHeight) {
    return pageHeight + kTabHeight + 2 * kFrame;
  }

  // The user picked a tab (front ends call it): the page shows and OnChange runs.
  void TabClicked(int index);
  NotifyEvent OnChange;

 protected:
  void ControlAdded(TControl& control) override;
  void ControlRemoved(TControl& control) override;
  void Resized() override;

 private:
  void Arrange(TTabSheet& sheet) const;
  void ShowActive();
  std::vector<TTabSheet*> pages_;
  int active_ = -1;
};

}  // namespace lantervo
