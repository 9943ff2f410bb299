#include "frontends/qt/menu_bindings.h"

#include <QAction>
#include <QTimer>

#include "frontends/qt/qt_convert.h"
#include "toolkit/desktop.h"

namespace lantervo::qt {

namespace {

class MenuItemBinding : public Binding {
 public:
  MenuItemBinding(TMenuItem& item, QAction* action, MenuTree& tree, QObject* parent)
      : Binding(item, parent), item_(item), action_(action), tree_(tree) {
    QObject::connect(action_, &QAction::triggered, this, [this] {
      Input(tree_.Menu().Owner() ? tree_.Menu().Owner()->GetDesktop() : nullptr,
            [this] { item_.Click(); });
    });
  }

 protected:
  void Sync(std::string_view property) override {
    const auto is = [&](std::string_view name) { return property.empty() || property == name; };
    if (is(prop::Caption) || is(prop::ShortCut)) {
      QString text = ToQt(item_.Caption());
      const std::string shortCut = ShortCutToText(item_.GetShortCut());
      if (!shortCut.empty()) text += QLatin1Char('\t') + ToQt(shortCut);
      action_->setText(text);
    }
    if (is(prop::Hint)) action_->setStatusTip(ToQt(item_.Hint()));
    if (is(prop::Enabled)) {
      // A sub-menu follows its own widget's state, which enabling the window would overturn.
      if (QMenu* sub = action_->menu()) {
        sub->setEnabled(item_.Enabled());
      } else {
        action_->setEnabled(item_.Enabled());
      }
    }
    if (is(prop::Visible)) action_->setVisible(item_.Visible());
    if (is(prop::Checked)) {
      action_->setCheckable(item_.Checked());
      action_->setChecked(item_.Checked());
    }
    if (property == prop::Items) tree_.ScheduleRebuild();
  }

 private:
  TMenuItem& item_;
  QAction* action_;
  MenuTree& tree_;
};

// The root item only reports changes of the top level.
class RootBinding : public Binding {
 public:
  RootBinding(TMenuItem& root, MenuTree& tree, QObject* parent)
      : Binding(root, parent), tree_(tree) {}

 protected:
  void Sync(std::string_view property) override {
    if (property == prop::Items) tree_.ScheduleRebuild();
  }

 private:
  MenuTree& tree_;
};

}  // namespace

MenuTree::MenuTree(TMenu& menu, QWidget* container)
    : QObject(container), menu_(menu), alive_(MakeWeak(menu)), container_(container) {
  Rebuild();
}

void MenuTree::ScheduleRebuild() {
  // Not while the notification that asks for it is still running through the old items.
  if (rebuildPending_) return;
  rebuildPending_ = true;
  QTimer::singleShot(0, this, [this] { Rebuild(); });
}

void MenuTree::Rebuild() {
  rebuildPending_ = false;
  if (!alive_ || !container_) return;
  delete items_;
  if (auto* bar = qobject_cast<QMenuBar*>(container_)) bar->clear();
  if (auto* menu = qobject_cast<QMenu*>(container_)) menu->clear();
  items_ = new QObject(this);
  new RootBinding(*menu_.Items(), *this, items_);
  AddItems(*menu_.Items(), container_);
}

void MenuTree::AddItems(const TMenuItem& parent, QWidget* container) {
  auto* bar = qobject_cast<QMenuBar*>(container);
  auto* menu = qobject_cast<QMenu*>(container);
  for (TMenuItem* item : parent.Items()) {
    QAction* action = nullptr;
    if (item->Caption() == "-" && item->Count() == 0) {
      action = menu ? menu->addSeparator() : bar->addSeparator();
    } else if (item->Count() > 0) {
      auto* sub = new QMenu(container);
      connect(items_, &QObject::destroyed, sub, &QObject::deleteLater);
      AddItems(*item, sub);
      action = sub->menuAction();
      if (bar) bar->addMenu(sub);
      if (menu) menu->addMenu(sub);
    } else {
      action = new QAction(container);
      connect(items_, &QObject::destroyed, action, &QObject::deleteLater);
      container->addAction(action);
    }
    auto* binding = new MenuItemBinding(*item, action, *this, items_);
    binding->SyncAll();
  }
}

PopupMenuBinding::PopupMenuBinding(TPopupMenu& menu, QObject* parent)
    : Binding(menu, parent), menu_(menu), qmenu_(new QMenu()) {
  qmenu_->setObjectName(ToQt(menu.Name()));
  tree_ = new MenuTree(menu, qmenu_);
}

PopupMenuBinding::~PopupMenuBinding() {
  delete qmenu_;
}

void PopupMenuBinding::Sync(std::string_view property) {
  if (property == prop::Popup) qmenu_->popup(QPoint(menu_.PopupX(), menu_.PopupY()));
}

}  // namespace lantervo::qt
