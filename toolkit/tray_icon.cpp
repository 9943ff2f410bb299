#include "toolkit/tray_icon.h"

#include "platform/utf.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"

namespace lantervo {

std::string CutToUtf16Units(const std::string& text, std::size_t limit) {
  std::u16string wide = platform::Utf8ToUtf16(text);
  if (wide.size() <= limit) return text;
  std::size_t cut = limit;
  // Keep a surrogate pair whole.
  if (cut > 0 && wide[cut - 1] >= 0xD800 && wide[cut - 1] <= 0xDBFF) --cut;
  wide.resize(cut);
  return platform::Utf16ToUtf8(wide);
}

const ClassInfo& TTrayIcon::StaticClass() {
  using T = TTrayIcon;
  static const ClassInfo custom("TCustomTrayIcon", &Component::StaticClass());
  static const ClassInfo info(
      "TTrayIcon", &custom,
      {props::Other<T>(prop::BalloonFlags, &T::GetBalloonFlags, &T::SetBalloonFlags),
       props::Text<T>(prop::BalloonHint, &T::BalloonHint, &T::SetBalloonHint),
       props::Other<T>(prop::BalloonTimeout, &T::BalloonTimeout, &T::SetBalloonTimeout),
       props::Text<T>(prop::BalloonTitle, &T::BalloonTitle, &T::SetBalloonTitle),
       props::Text<T>(prop::Hint, &T::Hint, &T::SetHint),
       props::Other<T>(prop::IconIndex, &T::IconIndex, &T::SetIconIndex),
       props::Object<T>(prop::Icons, &T::Icons, &T::SetIcons),
       props::Object<T>(prop::PopupMenu, &T::PopupMenu, &T::SetPopupMenu),
       props::Other<T>(prop::Visible, &T::Visible, &T::SetVisible)});
  return info;
}

TTrayIcon::~TTrayIcon() {
  if (shownOn_) shownOn_->TrayHide(*this);
}

void TTrayIcon::Update() {
  if (shownOn_) shownOn_->TrayUpdate(*this);
}

std::string TTrayIcon::PlatformHint() const {
  return CutToUtf16Units(OneLine(hint_), kHintLimit);
}

void TTrayIcon::SetHint(const std::string& hint) {
  if (hint == hint_) return;
  hint_ = hint;
  Changed(prop::Hint);
  Update();
}

void TTrayIcon::SetIcons(TImageList* icons) {
  if (icons == icons_) return;
  RemoveFreeNotification(icons_);
  icons_ = icons;
  FreeNotification(icons_);
  Changed(prop::Icons);
  Update();
}

void TTrayIcon::SetIconIndex(std::int64_t index) {
  if (index == iconIndex_) return;
  iconIndex_ = index;
  Changed(prop::IconIndex);
  Update();
}

void TTrayIcon::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  if (visible_) {
    shownOn_ = GetDesktop();
    if (shownOn_) shownOn_->TrayShow(*this);
  } else if (shownOn_) {
    Desktop* desktop = shownOn_;
    shownOn_ = nullptr;
    desktop->TrayHide(*this);
  }
  Changed(prop::Visible);
}

void TTrayIcon::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popupMenu_) return;
  RemoveFreeNotification(popupMenu_);
  popupMenu_ = menu;
  FreeNotification(popupMenu_);
  Changed(prop::PopupMenu);
  // A notification area that opens the menu itself is handed the new one.
  Update();
}

void TTrayIcon::SetBalloonTitle(const std::string& title) {
  if (title == balloonTitle_) return;
  balloonTitle_ = title;
  Changed(prop::BalloonTitle);
}

void TTrayIcon::SetBalloonHint(const std::string& text) {
  if (text == balloonHint_) return;
  balloonHint_ = text;
  Changed(prop::BalloonHint);
}

void TTrayIcon::SetBalloonFlags(std::int64_t flags) {
  if (flags == balloonFlags_) return;
  balloonFlags_ = flags;
  Changed(prop::BalloonFlags);
}

void TTrayIcon::SetBalloonTimeout(std::int64_t timeout) {
  if (timeout == balloonTimeout_) return;
  balloonTimeout_ = timeout;
  Changed(prop::BalloonTimeout);
}

void TTrayIcon::ShowBalloonHint() {
  Balloon balloon{CutToUtf16Units(OneLine(balloonTitle_), kBalloonTitleLimit),
                  CutToUtf16Units(OneLine(balloonHint_), kBalloonTextLimit), balloonFlags_,
                  balloonTimeout_};
  // Like the platform, a balloon needs the icon in the notification area.
  if (shownOn_) shownOn_->TrayBalloon(*this, balloon);
}

void TTrayIcon::Click() {
  if (OnClick) OnClick(*this);
}

void TTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

void TTrayIcon::ContextPopup(int x, int y) {
  if (popupMenu_) popupMenu_->Popup(x, y);
}

void TTrayIcon::Notification(Component& removed) {
  if (&removed == icons_) {
    icons_ = nullptr;
    Changed(prop::Icons);
    Update();
  }
  if (&removed == popupMenu_) {
    popupMenu_ = nullptr;
    Changed(prop::PopupMenu);
    Update();
  }
}

}  // namespace lantervo
