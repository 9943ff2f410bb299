#include "toolkit/form.h"

#include "toolkit/actions.h"
#include "toolkit/desktop.h"
#include "toolkit/menus.h"

namespace lantervo {

const ClassInfo& TForm::StaticClass() {
  using T = TForm;
  static const ClassInfo scrolling("TScrollingWinControl", &TWinControl::StaticClass());
  static const ClassInfo custom("TCustomForm", &scrolling);
  static const ClassInfo info(
      "TForm", &custom,
      {props::Other<T>(prop::BorderIcons, &T::BorderIcons, &T::SetBorderIcons),
       props::Other<T>(prop::BorderStyle, &T::GetBorderStyle, &T::SetBorderStyle),
       props::Text<T>(prop::Caption, &T::Caption, &T::SetCaption),
       props::Other<T>(prop::ClientHeight, &T::ClientHeight, &T::SetClientHeight),
       props::Other<T>(prop::ClientWidth, &T::ClientWidth, &T::SetClientWidth),
       props::Object<T>(prop::Menu, &T::Menu, &T::SetMenu),
       props::Other<T>(prop::Position, &T::GetPosition, &T::SetPosition)});
  return info;
}

TForm::TForm(Desktop& desktop) : desktop_(desktop) {
  SetVisible(false);
  desktop_.FormCreated(*this);
}

TForm::~TForm() {
  desktop_.FormDestroyed(*this);
  if (desktop_.MainForm() == this) desktop_.SetMainForm(nullptr);
  // The owned components go while this window is still whole: they refer to it as parent.
  ReleaseControls();
  DestroyComponents();
}

void TForm::SetBorderStyle(std::int64_t style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  Changed(prop::BorderStyle);
}

void TForm::SetBorderIcons(std::int64_t icons) {
  if (icons == borderIcons_) return;
  borderIcons_ = icons;
  Changed(prop::BorderIcons);
}

void TForm::SetPosition(std::int64_t position) {
  if (position == position_) return;
  position_ = position;
  Changed(prop::Position);
}

void TForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  RemoveFreeNotification(menu_);
  menu_ = menu;
  FreeNotification(menu_);
  Changed(prop::Menu);
}

void TForm::Notification(Component& removed) {
  TWinControl::Notification(removed);
  if (&removed == menu_) {
    menu_ = nullptr;
    Changed(prop::Menu);
  }
}

void TForm::Guarded(const NotifyEvent& handler) {
  if (handler) desktop_.Dispatch([&] { handler(*this); });
}

void TForm::DoCreate() {
  Guarded(OnCreate);
}

void TForm::VisibleChanged() {
  Guarded(Visible() ? OnShow : OnHide);
}

bool TForm::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(*this, canClose);
  if (!canClose) return false;
  Hide();
  if (desktop_.MainForm() == this) desktop_.Quit();
  return true;
}

void TForm::HotKey(int id) {
  if (OnHotKey) OnHotKey(*this, id);
}

void TForm::EndSession() {
  Guarded(OnEndSession);
}

bool TForm::IsShortCut(std::uint16_t key, ShiftState shift) {
  // A window that a dialog has disabled takes no commands, by keyboard neither.
  if (!Enabled()) return false;
  const ShortCut shortCut = MakeShortCut(key, shift);
  for (Component* c : Components())
    if (auto* list = dynamic_cast<TActionList*>(c))
      if (list->IsShortCut(shortCut)) return true;
  return false;
}

}  // namespace lantervo
