#pragma once
// The menus of a form window: the main menu as the window's menu bar, kept in line with its
// items, and the pop-up menus opened where the toolkit asks.
#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include <vector>
#include "core/signal.h"
#include "core/weak.h"

namespace lantervo {
class Persistent;
class TMainMenu;
class TMenu;
class TMenuItem;
class TPopupMenu;
}  // namespace lantervo

namespace lantervo::win32 {

class FormWindow;

class MenuBinding {
 public:
  explicit MenuBinding(FormWindow& form);
  ~MenuBinding();
  MenuBinding(const MenuBinding&) = delete;
  MenuBinding& operator=(const MenuBinding&) = delete;

  // Shows this menu as the window's menu bar (none for null).
  void SetMainMenu(TMainMenu* menu);
  // WM_COMMAND of a menu-bar item; false when the id is not one of ours.
  bool Command(UINT id);
  // Starts watching pop-up menus the window got since the last call.
  void WatchPopups();

 private:
  struct Watch {
    Persistent* object;
    Subscription subscription;
  };
  struct Placed {
    HMENU menu;
    UINT position;
    bool topLevel;
  };
  void Rebuild();
  // Appends the visible sub-items of parent to menu; commands maps the ids given out.
  void Fill(HMENU menu, TMenuItem& parent, std::map<UINT, TMenuItem*>& commands, UINT& nextId,
            bool topLevel, bool track);
  void ItemChanged(TMenuItem& item, std::string_view property);
  void OpenPopup(TPopupMenu& menu);
  void Unwatch();

  FormWindow& form_;
  TMainMenu* mainMenu_ = nullptr;
  HMENU bar_ = nullptr;
  std::map<UINT, TMenuItem*> commands_;
  std::map<TMenuItem*, Placed> placed_;
  std::vector<Watch> itemWatches_;
  std::vector<Watch> popupWatches_;
};

// The command id the menu bar gives an item while the menu is as it is now (0 for an item
// without one): the visible items that open no sub-menu, numbered in menu order.
UINT MenuCommandId(const TMenu& menu, const TMenuItem& item);

// The text of a menu entry: caption, then a tab and the shortcut's name when it has one.
std::wstring MenuText(const TMenuItem& item);

}  // namespace lantervo::win32
