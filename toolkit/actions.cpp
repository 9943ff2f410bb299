#include "toolkit/actions.h"

#include <algorithm>

#include "toolkit/images.h"

namespace lantervo {

ShortCut MakeShortCut(std::uint16_t key, ShiftState shift) {
  ShortCut sc = key;
  if (shift & ssShift) sc |= scShift;
  if (shift & ssCtrl) sc |= scCtrl;
  if (shift & ssAlt) sc |= scAlt;
  return sc;
}

namespace {

std::string KeyName(std::uint16_t key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
    return std::string(1, static_cast<char>(key));
  if (key >= keys::kF1 && key < keys::kF1 + 24) return "F" + std::to_string(key - keys::kF1 + 1);
  switch (key) {
    case keys::kTab:
      return "Tab";
    case keys::kReturn:
      return "Enter";
    case keys::kEscape:
      return "Esc";
    case keys::kSpace:
      return "Space";
    case keys::kPrior:
      return "PgUp";
    case keys::kNext:
      return "PgDn";
    case keys::kEnd:
      return "End";
    case keys::kHome:
      return "Home";
    case keys::kLeft:
      return "Left";
    case keys::kUp:
      return "Up";
    case keys::kRight:
      return "Right";
    case keys::kDown:
      return "Down";
    case keys::kInsert:
      return "Ins";
    case keys::kDelete:
      return "Del";
    default:
      return {};
  }
}

}  // namespace

std::string ShortCutToText(ShortCut shortCut) {
  const std::string name = KeyName(static_cast<std::uint16_t>(shortCut & 0xFF));
  if (name.empty()) return {};
  std::string text;
  if (shortCut & scShift) text += "Shift+";
  if (shortCut & scCtrl) text += "Ctrl+";
  if (shortCut & scAlt) text += "Alt+";
  return text + name;
}

const ClassInfo& TAction::StaticClass() {
  static const ClassInfo basic("TBasicAction", &Component::StaticClass());
  static const ClassInfo info(
      "TAction", &basic,
      {props::Text<TAction>(prop::Caption, &TAction::Caption, &TAction::SetCaption),
       props::Text<TAction>(prop::Category, &TAction::Category, &TAction::SetCategory),
       props::Other<TAction>(prop::Checked, &TAction::Checked, &TAction::SetChecked),
       props::Other<TAction>(prop::Enabled, &TAction::Enabled, &TAction::SetEnabled),
       props::Text<TAction>(prop::Hint, &TAction::Hint, &TAction::SetHint),
       props::Other<TAction>(prop::ImageIndex, &TAction::ImageIndex, &TAction::SetImageIndex),
       props::Other<TAction>(prop::ShortCut, &TAction::GetShortCut, &TAction::SetShortCut),
       props::Other<TAction>(prop::Visible, &TAction::Visible, &TAction::SetVisible)});
  return info;
}

TAction::~TAction() {
  SetActionList(nullptr);
}

void TAction::SetActionList(TActionList* list) {
  if (list == actionList_) return;
  if (actionList_) std::erase(actionList_->actions_, this);
  actionList_ = list;
  if (actionList_) actionList_->actions_.push_back(this);
}

#define LANTERVO_SETTER(Type, Field, Name) \
  if (value == Field) return;              \
  Field = value;                           \
  Changed(Name);

void TAction::SetCaption(const std::string& value) {
  LANTERVO_SETTER(std::string, caption_, prop::Caption)
}
void TAction::SetHint(const std::string& value) {
  LANTERVO_SETTER(std::string, hint_, prop::Hint)
}
void TAction::SetCategory(const std::string& value) {
  LANTERVO_SETTER(std::string, category_, prop::Category)
}
void TAction::SetShortCut(ShortCut value) {
  LANTERVO_SETTER(ShortCut, shortCut_, prop::ShortCut)
}
void TAction::SetEnabled(bool value) {
  LANTERVO_SETTER(bool, enabled_, prop::Enabled)
}
void TAction::SetVisible(bool value) {
  LANTERVO_SETTER(bool, visible_, prop::Visible)
}
void TAction::SetChecked(bool value) {
  LANTERVO_SETTER(bool, checked_, prop::Checked)
}
void TAction::SetImageIndex(std::int64_t value) {
  LANTERVO_SETTER(std::int64_t, imageIndex_, prop::ImageIndex)
}

#undef LANTERVO_SETTER

bool TAction::Execute() {
  if (!enabled_ || !OnExecute) return false;
  OnExecute(*this);
  return true;
}

const ClassInfo& TActionList::StaticClass() {
  static const ClassInfo info(
      "TActionList", &Component::StaticClass(),
      {props::Object<TActionList>(prop::Images, &TActionList::Images, &TActionList::SetImages)});
  return info;
}

TActionList::~TActionList() {
  for (TAction* a : std::vector<TAction*>(actions_)) a->SetActionList(nullptr);
}

void TActionList::SetImages(TImageList* images) {
  if (images == images_) return;
  RemoveFreeNotification(images_);
  images_ = images;
  FreeNotification(images_);
  Changed(prop::Images);
}

void TActionList::Notification(Component& removed) {
  if (&removed == images_) {
    images_ = nullptr;
    Changed(prop::Images);
  }
}

bool TActionList::IsShortCut(ShortCut shortCut) {
  if (shortCut == 0) return false;
  for (TAction* a : actions_)
    if (a->GetShortCut() == shortCut) return a->Execute();
  return false;
}

ActionLink::ActionLink(Component& client, Apply apply)
    : client_(client), apply_(std::move(apply)) {}

void ActionLink::Set(TAction* action) {
  if (action == action_) return;
  subscription_.Reset();
  if (action_) client_.RemoveFreeNotification(action_);
  action_ = action;
  if (!action_) return;
  client_.FreeNotification(action_);
  subscription_ = action_->Subscribe(
      [this](Persistent&, std::string_view property) { apply_(*action_, property); });
  apply_(*action_, {});
}

void ActionLink::Removed(Component& removed) {
  if (&removed == action_) action_ = nullptr;  // its subscriptions die with it
}

bool ActionLink::Execute() {
  return action_ && action_->Execute();
}

}  // namespace lantervo
