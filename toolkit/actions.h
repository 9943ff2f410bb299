#pragma once
// Actions: the commands of a window with caption, hint, shortcut and enabled state, shared by
// the menu items and buttons bound to them.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/component.h"
#include "toolkit/events.h"

namespace lantervo {

class TImageList;
class TActionList;

// A shortcut: virtual key | scShift | scCtrl | scAlt; 0 = none.
using ShortCut = std::int64_t;
constexpr ShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;
ShortCut MakeShortCut(std::uint16_t key, ShiftState shift);
std::string ShortCutToText(ShortCut shortCut);  // "Ctrl+Q", "F1"; empty for none

class TAction : public Component {
  LANTERVO_CLASS()

 public:
  ~TAction() override;

  TActionList* ActionList() const { return actionList_; }
  void SetActionList(TActionList* list);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  const std::string& Category() const { return category_; }
  void SetCategory(const std::string& category);
  ShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(ShortCut shortCut);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  std::int64_t ImageIndex() const { return imageIndex_; }
  void SetImageIndex(std::int64_t index);

  NotifyEvent OnExecute;
  // Runs OnExecute when the action is enabled; answers whether it ran.
  bool Execute();

 private:
  TActionList* actionList_ = nullptr;
  std::string caption_, hint_, category_;
  ShortCut shortCut_ = 0;
  bool enabled_ = true, visible_ = true, checked_ = false;
  std::int64_t imageIndex_ = -1;
};

class TActionList : public Component {
  LANTERVO_CLASS()

 public:
  ~TActionList() override;
  const std::vector<TAction*>& Actions() const { return actions_; }
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);

  // Runs the action that has this shortcut. Answers whether one ran; a disabled action with
  // the shortcut ends the search without running.
  bool IsShortCut(ShortCut shortCut);

 protected:
  void Notification(Component& removed) override;

 private:
  friend class TAction;
  std::vector<TAction*> actions_;
  TImageList* images_ = nullptr;
};

// Keeps a client (a control or a menu item) in line with its action.
class ActionLink {
 public:
  // apply gets the action and the name of the property that changed, or an empty name when
  // the client must take over all of them.
  using Apply = std::function<void(TAction& action, std::string_view property)>;
  ActionLink(Component& client, Apply apply);
  ActionLink(const ActionLink&) = delete;
  ActionLink& operator=(const ActionLink&) = delete;

  TAction* Action() const { return action_; }
  void Set(TAction* action);
  void Removed(Component& removed);  // from the client's Notification
  bool Execute();

 private:
  Component& client_;
  Apply apply_;
  TAction* action_ = nullptr;
  Subscription subscription_;
};

}  // namespace lantervo
