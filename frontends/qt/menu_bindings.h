#pragma once
// Menus: a main menu becomes the window's QMenuBar, a pop-up menu a QMenu that opens where the
// component asks. Each item is a QAction that mirrors the item (and so its action) and runs
// the item's Click when chosen. Shortcut texts are shown only: the window runs shortcuts
// through TForm::IsShortCut, so they work only while it is active.
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "frontends/qt/binding.h"
#include "toolkit/menus.h"

namespace lantervo::qt {

class MenuTree : public QObject {
 public:
  // container: a QMenuBar or a QMenu that this tree fills with the menu's items.
  MenuTree(TMenu& menu, QWidget* container);
  // Builds the items again after the tree changed.
  void Rebuild();
  void ScheduleRebuild();
  TMenu& Menu() const { return menu_; }

 private:
  void AddItems(const TMenuItem& parent, QWidget* container);
  TMenu& menu_;
  WeakRef<const Persistent> alive_;
  QPointer<QWidget> container_;
  QObject* items_ = nullptr;  // parent of this build's bindings and sub-menus
  bool rebuildPending_ = false;
};

// A pop-up menu: the QMenu and its "Popup" requests.
class PopupMenuBinding : public Binding {
 public:
  PopupMenuBinding(TPopupMenu& menu, QObject* parent);
  ~PopupMenuBinding() override;
  QMenu& NativeMenu() const { return *qmenu_; }

 protected:
  void Sync(std::string_view property) override;

 private:
  TPopupMenu& menu_;
  QMenu* qmenu_;
  MenuTree* tree_;
};

}  // namespace lantervo::qt
