#include "toolkit/menus.h"

#include <algorithm>

#include "toolkit/images.h"

namespace lantervo {

const ClassInfo& TMenuItem::StaticClass() {
  using T = TMenuItem;
  // Caption and hint of an item bound to an action are the action's.
  auto own = [](const T& item) { return item.Action() == nullptr; };
  static const ClassInfo info(
      "TMenuItem", &Component::StaticClass(),
      {props::Object<T>(prop::Action, &T::Action, &T::SetAction),
       props::StoredIf<T>(props::Text<T>(prop::Caption, &T::Caption, &T::SetCaption), own),
       props::Other<T>(prop::Checked, &T::Checked, &T::SetChecked),
       props::Other<T>(prop::Enabled, &T::Enabled, &T::SetEnabled),
       props::StoredIf<T>(props::Text<T>(prop::Hint, &T::Hint, &T::SetHint), own),
       props::Other<T>(prop::ShortCut, &T::GetShortCut, &T::SetShortCut),
       props::Other<T>(prop::Visible, &T::Visible, &T::SetVisible)});
  return info;
}

TMenuItem::TMenuItem()
    : actionLink_(*this, [this](TAction&, std::string_view property) { ActionChanged(property); }) {
}

TMenuItem::~TMenuItem() {
  for (TMenuItem* child : items_) child->parentItem_ = nullptr;
  if (parentItem_) parentItem_->Remove(*this);
}

void TMenuItem::Add(TMenuItem& item) {
  if (item.parentItem_) item.parentItem_->Remove(item);
  item.parentItem_ = this;
  items_.push_back(&item);
  Changed(prop::Items);
}

void TMenuItem::Remove(TMenuItem& item) {
  if (item.parentItem_ != this) return;
  std::erase(items_, &item);
  item.parentItem_ = nullptr;
  Changed(prop::Items);
}

#define LANTERVO_SET(field, name) \
  if (value == field) return;     \
  field = value;                  \
  Changed(name);

void TMenuItem::SetCaption(const std::string& value) {
  LANTERVO_SET(caption_, prop::Caption)
}
void TMenuItem::SetHint(const std::string& value) {
  LANTERVO_SET(hint_, prop::Hint)
}
void TMenuItem::SetEnabled(bool value) {
  LANTERVO_SET(enabled_, prop::Enabled)
}
void TMenuItem::SetVisible(bool value) {
  LANTERVO_SET(visible_, prop::Visible)
}
void TMenuItem::SetChecked(bool value) {
  LANTERVO_SET(checked_, prop::Checked)
}
void TMenuItem::SetShortCut(ShortCut value) {
  LANTERVO_SET(shortCut_, prop::ShortCut)
}

#undef LANTERVO_SET

void TMenuItem::SetAction(TAction* action) {
  if (action == actionLink_.Action()) return;
  actionLink_.Set(action);
  Changed(prop::Action);
}

void TMenuItem::ActionChanged(std::string_view property) {
  TAction& a = *actionLink_.Action();
  const bool all = property.empty();
  if (all || property == prop::Caption) SetCaption(a.Caption());
  if (all || property == prop::Hint) SetHint(a.Hint());
  if (all || property == prop::Enabled) SetEnabled(a.Enabled());
  if (all || property == prop::Visible) SetVisible(a.Visible());
  if (all || property == prop::Checked) SetChecked(a.Checked());
  if (all || property == prop::ShortCut) SetShortCut(a.GetShortCut());
}

void TMenuItem::Notification(Component& removed) {
  if (&removed == actionLink_.Action()) {
    actionLink_.Removed(removed);
    Changed(prop::Action);
  }
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (OnClick) {
    OnClick(*this);
  } else {
    actionLink_.Execute();
  }
}

const ClassInfo& TMenu::StaticClass() {
  using T = TMenu;
  static const ClassInfo info(
      "TMenu", &Component::StaticClass(),
      {props::Other<T>(prop::AutoHotkeys, &T::AutoHotkeys, &T::SetAutoHotkeys),
       props::Object<T>(prop::Images, &T::Images, &T::SetImages),
       props::Object<T>(prop::Items, &T::Items)});
  return info;
}

TMenu::TMenu() : root_(&Add<TMenuItem>("")) {}

void TMenu::SetAutoHotkeys(std::int64_t value) {
  if (value == autoHotkeys_) return;
  autoHotkeys_ = value;
  Changed(prop::AutoHotkeys);
}

void TMenu::SetImages(TImageList* images) {
  if (images == images_) return;
  RemoveFreeNotification(images_);
  images_ = images;
  FreeNotification(images_);
  Changed(prop::Images);
}

void TMenu::Notification(Component& removed) {
  if (&removed == images_) {
    images_ = nullptr;
    Changed(prop::Images);
  }
}

const ClassInfo& TMainMenu::StaticClass() {
  static const ClassInfo info("TMainMenu", &TMenu::StaticClass());
  return info;
}

const ClassInfo& TPopupMenu::StaticClass() {
  static const ClassInfo info("TPopupMenu", &TMenu::StaticClass());
  return info;
}

void TPopupMenu::Popup(int x, int y) {
  Popped(x, y);
  Changed(prop::Popup);
}

void TPopupMenu::Popped(int x, int y) {
  popupX_ = x;
  popupY_ = y;
  if (OnPopup) OnPopup(*this);
}

}  // namespace lantervo
