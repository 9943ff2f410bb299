#include "frontends/win32/menu_binding.h"

#include <algorithm>

#include "frontends/win32/form_window.h"
#include "frontends/win32/win32_desktop.h"
#include "platform/utf.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"

namespace lantervo::win32 {

namespace {
constexpr UINT kFirstCommand = 100;
}

namespace {
bool NumberItems(const TMenuItem& parent, const TMenuItem& wanted, UINT& nextId) {
  for (const TMenuItem* item : parent.Items()) {
    if (!item->Visible() || item->Caption() == "-") continue;
    if (item->Count() > 0) {
      if (NumberItems(*item, wanted, nextId)) return true;
    } else if (item == &wanted) {
      return true;
    } else {
      ++nextId;
    }
  }
  return false;
}
}  // namespace

UINT MenuCommandId(const TMenu& menu, const TMenuItem& item) {
  UINT nextId = kFirstCommand;
  return NumberItems(*menu.Items(), item, nextId) ? nextId : 0;
}

std::wstring MenuText(const TMenuItem& item) {
  std::string text = item.Caption();
  if (item.GetShortCut() != 0) text += "\t" + ShortCutToText(item.GetShortCut());
  return platform::Widen(text);
}

MenuBinding::MenuBinding(FormWindow& form) : form_(form) {
  WatchPopups();
}

void MenuBinding::WatchPopups() {
  // Pop-up menus of the window open when the toolkit asks for them.
  for (Component* component : form_.Form().Components()) {
    auto* popup = dynamic_cast<TPopupMenu*>(component);
    if (!popup || std::any_of(popupWatches_.begin(), popupWatches_.end(),
                              [&](const Watch& w) { return w.object == popup; }))
      continue;
    popupWatches_.push_back(
        {popup, popup->Subscribe([this, popup](Persistent&, std::string_view property) {
           if (property == prop::Popup) OpenPopup(*popup);
         })});
  }
}

MenuBinding::~MenuBinding() {
  Unwatch();
  popupWatches_.clear();
  if (bar_ && form_.Handle()) SetMenu(form_.Handle(), nullptr);
  if (bar_) DestroyMenu(bar_);
}

void MenuBinding::Unwatch() {
  itemWatches_.clear();
}

void MenuBinding::SetMainMenu(TMainMenu* menu) {
  mainMenu_ = menu;
  Rebuild();
}

void MenuBinding::Fill(HMENU menu, TMenuItem& parent, std::map<UINT, TMenuItem*>& commands,
                       UINT& nextId, bool topLevel, bool track) {
  UINT position = 0;
  for (TMenuItem* item : parent.Items()) {
    if (track) {
      itemWatches_.push_back({item, item->Subscribe([this, item](Persistent&, std::string_view p) {
                                ItemChanged(*item, p);
                              })});
    }
    if (!item->Visible()) continue;
    UINT flags = MF_STRING | (item->Enabled() ? MF_ENABLED : MF_GRAYED) |
                 (item->Checked() ? MF_CHECKED : MF_UNCHECKED);
    if (item->Caption() == "-") {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else if (item->Count() > 0) {
      HMENU sub = CreatePopupMenu();
      Fill(sub, *item, commands, nextId, false, track);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), MenuText(*item).c_str());
    } else {
      const UINT id = nextId++;
      commands[id] = item;
      AppendMenuW(menu, flags, id, MenuText(*item).c_str());
    }
    if (track) placed_[item] = {menu, position, topLevel};
    ++position;
  }
}

void MenuBinding::Rebuild() {
  Unwatch();
  placed_.clear();
  commands_.clear();
  HMENU old = bar_;
  bar_ = nullptr;
  if (mainMenu_) {
    bar_ = CreateMenu();
    UINT nextId = kFirstCommand;
    Fill(bar_, *mainMenu_->Items(), commands_, nextId, true, true);
  }
  if (form_.Handle()) {
    SetMenu(form_.Handle(), bar_);
    DrawMenuBar(form_.Handle());
  }
  if (old) DestroyMenu(old);
}

void MenuBinding::ItemChanged(TMenuItem& item, std::string_view property) {
  auto it = placed_.find(&item);
  if (it == placed_.end() || !item.Visible()) {
    if (property == prop::Visible || property == prop::Items) Rebuild();
    return;
  }
  const Placed& placed = it->second;
  if (property == prop::Enabled) {
    EnableMenuItem(placed.menu, placed.position,
                   MF_BYPOSITION | (item.Enabled() ? MF_ENABLED : MF_GRAYED));
  } else if (property == prop::Checked) {
    CheckMenuItem(placed.menu, placed.position,
                  MF_BYPOSITION | (item.Checked() ? MF_CHECKED : MF_UNCHECKED));
  } else if (property == prop::Caption || property == prop::ShortCut) {
    std::wstring text = MenuText(item);
    MENUITEMINFOW info{sizeof(info)};
    info.fMask = MIIM_STRING;
    info.dwTypeData = text.data();
    SetMenuItemInfoW(placed.menu, placed.position, TRUE, &info);
  } else if (property == prop::Visible || property == prop::Items) {
    Rebuild();
    return;
  } else {
    return;
  }
  if (placed.topLevel && form_.Handle()) DrawMenuBar(form_.Handle());
}

bool MenuBinding::Command(UINT id) {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  TMenuItem* item = it->second;
  form_.Desktop().Dispatch([item] { item->Click(); });
  return true;
}

void MenuBinding::OpenPopup(TPopupMenu& menu) {
  HWND owner = form_.Realize();
  HMENU popup = CreatePopupMenu();
  std::map<UINT, TMenuItem*> commands;
  UINT nextId = kFirstCommand;
  Fill(popup, *menu.Items(), commands, nextId, false, false);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                       menu.PopupX(), menu.PopupY(), 0, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(popup);
  auto it = commands.find(chosen);
  if (it != commands.end()) it->second->Click();
}

}  // namespace lantervo::win32
