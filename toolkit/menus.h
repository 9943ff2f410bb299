#pragma once
// Menus: a main menu or a pop-up menu holds a tree of menu items; items can be bound to actions.
#include <memory>
#include <string>
#include <vector>

#include "toolkit/actions.h"
#include "toolkit/component.h"
#include "toolkit/events.h"

namespace lantervo {

class TImageList;

class TMenuItem : public Component {
  LANTERVO_CLASS()

 public:
  TMenuItem();
  ~TMenuItem() override;

  // The tree: sub-items in display order. Items are owned by the window like other components;
  // the tree only links them.
  const std::vector<TMenuItem*>& Items() const { return items_; }
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* ParentItem() const { return parentItem_; }
  void Add(TMenuItem& item);
  void Remove(TMenuItem& item);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  ShortCut GetShortCut() const { return shortCut_; }
  void SetShortCut(ShortCut shortCut);
  TAction* Action() const { return actionLink_.Action(); }
  void SetAction(TAction* action);

  NotifyEvent OnClick;
  void Click();  // the user chose the item: its handler, or else its action

 protected:
  void Notification(Component& removed) override;

 private:
  void ActionChanged(std::string_view property);
  std::vector<TMenuItem*> items_;
  TMenuItem* parentItem_ = nullptr;
  std::string caption_, hint_;
  bool enabled_ = true, visible_ = true, checked_ = false;
  ShortCut shortCut_ = 0;
  ActionLink actionLink_;
};

enum MenuAutoFlag : std::int64_t { maAutomatic = 0, maManual = 1, maParent = 2 };

class TMenu : public Component {
  LANTERVO_CLASS()

 public:
  TMenu();
  // The invisible root whose sub-items are the menu's top level.
  TMenuItem* Items() const { return root_; }
  // maManual: no accelerator letters are added to the captions automatically.
  std::int64_t AutoHotkeys() const { return autoHotkeys_; }
  void SetAutoHotkeys(std::int64_t value);
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);

 protected:
  void Notification(Component& removed) override;

 private:
  TMenuItem* root_;
  std::int64_t autoHotkeys_ = maAutomatic;
  TImageList* images_ = nullptr;
};

class TMainMenu : public TMenu {
  LANTERVO_CLASS()
};

class TPopupMenu : public TMenu {
  LANTERVO_CLASS()

 public:
  NotifyEvent OnPopup;
  // Asks the front end to open the menu at a screen point (a "Popup" notification).
  void Popup(int x, int y);
  // The platform opened the menu itself at a screen point (a notification area's own menu):
  // OnPopup runs as for Popup, and no other opening is asked for.
  void Popped(int x, int y);
  int PopupX() const { return popupX_; }
  int PopupY() const { return popupY_; }

 private:
  int popupX_ = 0, popupY_ = 0;
};

}  // namespace lantervo
