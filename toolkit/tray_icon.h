#pragma once
// The notification-area icon of a window: an image from an image list, a tooltip, one balloon,
// a pop-up menu and a double-click event. It reaches the platform through the window's Desktop.
#include <string>

#include "toolkit/component.h"
#include "toolkit/desktop.h"
#include "toolkit/events.h"

namespace lantervo {

class TImageList;
class TPopupMenu;

class TTrayIcon : public Component {
  LANTERVO_CLASS()

 public:
  // The platform's limits, in UTF-16 units without the terminating NUL.
  static constexpr std::size_t kHintLimit = 127;
  static constexpr std::size_t kBalloonTitleLimit = 63;
  static constexpr std::size_t kBalloonTextLimit = 255;

  ~TTrayIcon() override;

  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  std::string PlatformHint() const;  // the tooltip as it reaches the platform
  TImageList* Icons() const { return icons_; }
  void SetIcons(TImageList* icons);
  std::int64_t IconIndex() const { return iconIndex_; }
  void SetIconIndex(std::int64_t index);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  const std::string& BalloonTitle() const { return balloonTitle_; }
  void SetBalloonTitle(const std::string& title);
  const std::string& BalloonHint() const { return balloonHint_; }
  void SetBalloonHint(const std::string& text);
  std::int64_t GetBalloonFlags() const { return balloonFlags_; }
  void SetBalloonFlags(std::int64_t flags);
  std::int64_t BalloonTimeout() const { return balloonTimeout_; }
  void SetBalloonTimeout(std::int64_t timeout);
  // Shows the balloon now, with title and text cut to the platform's limits; nothing while
  // the icon is not visible.
  void ShowBalloonHint();

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  // User input from the front end.
  void Click();
  void DblClick();
  void ContextPopup(int x, int y);  // opens the pop-up menu there

 protected:
  void Notification(Component& removed) override;

 private:
  void Update();
  std::string hint_;
  TImageList* icons_ = nullptr;
  std::int64_t iconIndex_ = 0;
  bool visible_ = false;
  TPopupMenu* popupMenu_ = nullptr;
  std::string balloonTitle_, balloonHint_;
  std::int64_t balloonFlags_ = bfNone;
  std::int64_t balloonTimeout_ = 10000;
  Desktop* shownOn_ = nullptr;  // while visible
};

// Cuts UTF-8 text to at most limit UTF-16 units without splitting a character.
std::string CutToUtf16Units(const std::string& text, std::size_t limit);

}  // namespace lantervo
