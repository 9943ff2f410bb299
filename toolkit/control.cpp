#include "toolkit/control.h"

#include <algorithm>

namespace lantervo {

const ClassInfo& TControl::StaticClass() {
  using T = TControl;
  static const ClassInfo info("TControl", &Component::StaticClass(),
                              {props::Other<T>(prop::Left, &T::Left, &T::SetLeft),
                               props::Other<T>(prop::Top, &T::Top, &T::SetTop),
                               props::Other<T>(prop::Width, &T::Width, &T::SetWidth),
                               props::Other<T>(prop::Height, &T::Height, &T::SetHeight),
                               props::Other<T>(prop::Color, &T::ControlColor, &T::SetColor),
                               props::Other<T>(prop::Cursor, &T::CursorShape, &T::SetCursor),
                               props::Other<T>(prop::Enabled, &T::Enabled, &T::SetEnabled),
                               props::Object<T>(prop::Font, &T::Font, &T::SetFont),
                               props::ActionText<T>(prop::Hint, &T::Hint, &T::SetHint),
                               props::Other<T>(prop::ParentFont, &T::ParentFont, &T::SetParentFont),
                               props::Other<T>(prop::ShowHint, &T::ShowHint, &T::SetShowHint),
                               props::Other<T>(prop::Visible, &T::Visible, &T::SetVisible)});
  return info;
}

TControl::TControl()
    : font_(std::make_unique<TFont>()),
      actionLink_(*this,
                  [this](TAction& action, std::string_view property) { ActionChanged(property); }) {
  Observe(*font_, [this](Persistent&, std::string_view) {
    if (!copyingParentFont_ && parentFont_) {
      parentFont_ = false;
      Changed(prop::ParentFont);
    }
    Changed(prop::Font);
    if (auto* self = dynamic_cast<TWinControl*>(this))
      for (TControl* child : self->controls_)
        if (child->parentFont_) child->CopyParentFont();
  });
}

TControl::~TControl() {
  if (parent_) std::erase(parent_->controls_, this);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (TWinControl* old = parent_) {
    std::erase(old->controls_, this);
    parent_ = nullptr;
    old->ControlRemoved(*this);
  }
  parent_ = parent;
  if (parent_) {
    parent_->controls_.push_back(this);
    if (parentFont_) CopyParentFont();
  }
  Changed(prop::Parent);
  if (parent_) parent_->ControlAdded(*this);
}

#define LANTERVO_SET(field, name) \
  if (value == field) return;     \
  field = value;                  \
  Changed(name);

void TControl::SetLeft(std::int64_t value) {
  LANTERVO_SET(left_, prop::Left)
}
void TControl::SetTop(std::int64_t value) {
  LANTERVO_SET(top_, prop::Top)
}
void TControl::SetWidth(std::int64_t value) {
  LANTERVO_SET(width_, prop::Width)
  Resized();
}
void TControl::SetHeight(std::int64_t value) {
  LANTERVO_SET(height_, prop::Height)
  Resized();
}
void TControl::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  VisibleChanged();
  Changed(prop::Visible);
}
void TControl::SetEnabled(bool value) {
  LANTERVO_SET(enabled_, prop::Enabled)
}
void TControl::SetCaption(const std::string& value) {
  LANTERVO_SET(caption_, prop::Caption)
}
void TControl::SetHint(const std::string& value) {
  LANTERVO_SET(hint_, prop::Hint)
}
void TControl::SetShowHint(bool value) {
  LANTERVO_SET(showHint_, prop::ShowHint)
}
void TControl::SetColor(Color value) {
  LANTERVO_SET(color_, prop::Color)
}
void TControl::SetCursor(std::int64_t value) {
  LANTERVO_SET(cursor_, prop::Cursor)
}

#undef LANTERVO_SET

void TControl::SetBounds(std::int64_t left, std::int64_t top, std::int64_t width,
                         std::int64_t height) {
  SetLeft(left);
  SetTop(top);
  SetWidth(width);
  SetHeight(height);
}

void TControl::SetFont(TFont* font) {
  if (font) font_->Assign(*font);
}

void TControl::SetParentFont(bool parentFont) {
  if (parentFont == parentFont_) return;
  parentFont_ = parentFont;
  Changed(prop::ParentFont);
  if (parentFont_) CopyParentFont();
}

void TControl::CopyParentFont() {
  if (!parent_) return;
  copyingParentFont_ = true;
  font_->Assign(*parent_->Font());
  copyingParentFont_ = false;
}

void TControl::SetAction(TAction* action) {
  if (action == actionLink_.Action()) return;
  actionLink_.Set(action);
  Changed(prop::Action);
}

void TControl::ActionChanged(std::string_view property) {
  TAction& a = *actionLink_.Action();
  const bool all = property.empty();
  if (all || property == prop::Caption) SetCaption(a.Caption());
  if (all || property == prop::Hint) SetHint(a.Hint());
  if (all || property == prop::Enabled) SetEnabled(a.Enabled());
  if (all || property == prop::Visible) SetVisible(a.Visible());
}

void TControl::Notification(Component& removed) {
  if (&removed == actionLink_.Action()) {
    actionLink_.Removed(removed);
    Changed(prop::Action);
  }
}

void TControl::Click() {
  if (OnClick) {
    OnClick(*this);
  } else {
    actionLink_.Execute();
  }
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(*this);
}

const ClassInfo& TWinControl::StaticClass() {
  using T = TWinControl;
  static const ClassInfo info("TWinControl", &TControl::StaticClass(),
                              {props::Other<T>(prop::TabOrder, &T::TabOrder, &T::SetTabOrder),
                               props::Other<T>(prop::TabStop, &T::TabStop, &T::SetTabStop)});
  return info;
}

TWinControl::~TWinControl() {
  ReleaseControls();
}

void TWinControl::ReleaseControls() {
  for (TControl* c : std::vector<TControl*>(controls_)) c->parent_ = nullptr;
  controls_.clear();
}

void TWinControl::SetTabOrder(std::int64_t order) {
  if (order == tabOrder_) return;
  tabOrder_ = order;
  if (order >= 0) SetTabStop(true);
  Changed(prop::TabOrder);
}

void TWinControl::SetTabStop(bool tabStop) {
  if (tabStop == tabStop_) return;
  tabStop_ = tabStop;
  Changed(prop::TabStop);
}

bool TWinControl::KeyDown(std::uint16_t key, ShiftState shift) {
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  return key != 0;
}

bool TWinControl::KeyPress(char32_t key) {
  if (OnKeyPress) OnKeyPress(*this, key);
  return key != 0;
}

}  // namespace lantervo
