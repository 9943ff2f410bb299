#include "frontends/qt/form_window.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QWindow>

#include "frontends/qt/control_bindings.h"
#include "frontends/qt/menu_bindings.h"
#include "frontends/qt/qt_convert.h"
#include "frontends/qt/window_hints_x11.h"
#include "toolkit/desktop.h"

namespace lantervo::qt {

namespace {

class FormBinding : public Binding {
 public:
  explicit FormBinding(FormWindow& window)
      : Binding(window.Form(), &window), window_(window), form_(window.Form()) {}

 protected:
  void Sync(std::string_view property) override {
    const auto is = [&](std::string_view name) { return property.empty() || property == name; };
    if (is(prop::Caption)) window_.setWindowTitle(LabelCaption(form_.Caption()));
    if (is(prop::Menu)) window_.ApplyMenu();
    if (is(prop::BorderStyle) || is(prop::BorderIcons)) window_.ApplyFlags();
    if (is(prop::Left) || is(prop::Top) || is(prop::Width) || is(prop::Height) || is(prop::Menu))
      window_.ApplyGeometry();
    if (is(prop::Font)) window_.Client()->setFont(ToQFont(*form_.Font()));
    if (is(prop::Color)) {
      QPalette palette = window_.Client()->palette();
      palette.setColor(QPalette::Window, ToQColor(form_.ControlColor(), palette));
      window_.Client()->setPalette(palette);
    }
    if (is(prop::Enabled)) window_.setEnabled(form_.Enabled());
    if (is(prop::Visible)) {
      if (form_.Visible()) {
        window_.ApplyGeometry();
        window_.show();
      } else {
        window_.hide();
      }
    }
  }

 private:
  FormWindow& window_;
  TForm& form_;
};

}  // namespace

FormWindow::FormWindow(TForm& form)
    : QWidget(nullptr), form_(form), alive_(MakeWeak(form)), client_(new QWidget(this)) {
  setObjectName(ToQt(form.Name()));
  client_->setAutoFillBackground(true);
  client_->setObjectName(QStringLiteral("client"));
}

FormWindow::~FormWindow() = default;

void FormWindow::ApplyFlags() {
  // A window with an owner is its dialog: only then does X11 get to know the owner
  // (WM_TRANSIENT_FOR), and the window manager keep it above.
  const Qt::WindowFlags type = owner_ ? Qt::Dialog : Qt::Window;
  Qt::WindowFlags flags = type | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  const auto icons = form_.BorderIcons();
  if (icons & biSystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if ((icons & biSystemMenu) && (icons & biMinimize)) flags |= Qt::WindowMinimizeButtonHint;
  const bool sizeable =
      form_.GetBorderStyle() == bsSizeable || form_.GetBorderStyle() == bsSizeToolWin;
  if ((icons & biSystemMenu) && (icons & biMaximize) && sizeable)
    flags |= Qt::WindowMaximizeButtonHint;
  if (form_.GetBorderStyle() == bsNone) flags = type | Qt::FramelessWindowHint;
  const bool wasVisible = isVisible();
  setWindowFlags(flags);
  ApplyWindowManagerHints();
  if (wasVisible) show();
}

void FormWindow::ApplyWindowManagerHints() {
  // Qt writes its own hints when it creates the window or changes its flags; ours come after.
  if (auto hints = MotifHintsFor(form_)) SetMotifHints(*this, *hints);
  // A changed flag may have made the native window anew; it belongs to its owner again.
  if (owner_ && windowHandle()) {
    owner_->winId();
    windowHandle()->setTransientParent(owner_->windowHandle());
  }
}

void FormWindow::SetOwner(QWidget* owner) {
  owner_ = owner;
  ApplyFlags();
}

void FormWindow::showEvent(QShowEvent* event) {
  // The native window exists now and is not mapped yet: window managers read hints at the map.
  ApplyWindowManagerHints();
  QWidget::showEvent(event);
}

void FormWindow::ApplyMenu() {
  delete menuBar_;
  menuBar_ = nullptr;
  menuTree_ = nullptr;
  if (TMainMenu* menu = form_.Menu()) {
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    menuTree_ = new MenuTree(*menu, menuBar_);
    menuBar_->show();
  }
}

void FormWindow::ApplyGeometry() {
  const int width = static_cast<int>(form_.ClientWidth());
  const int height = static_cast<int>(form_.ClientHeight());
  int menuHeight = 0;
  if (menuBar_) {
    menuHeight = menuBar_->sizeHint().height();
    menuBar_->setGeometry(0, 0, width, menuHeight);
  }
  client_->setGeometry(0, menuHeight, width, height);
  if (form_.GetBorderStyle() == bsSizeable || form_.GetBorderStyle() == bsSizeToolWin) {
    resize(width, height + menuHeight);
  } else {
    setFixedSize(width, height + menuHeight);
  }
  if (form_.GetPosition() == poDesigned)
    move(static_cast<int>(form_.Left()), static_cast<int>(form_.Top()));
}

void FormWindow::closeEvent(QCloseEvent* event) {
  // The form decides: the main window hides unless the program is quitting.
  event->ignore();
  if (!Alive()) return;
  // A window without a close box is left through its own buttons only, also where the window
  // manager offers a close button or Alt+F4 anyway.
  if (!(form_.BorderIcons() & biSystemMenu)) return;
  form_.GetDesktop()->Dispatch([this] { form_.Close(); });
}

FormWindow* BuildFormWindow(TForm& form) {
  auto* window = new FormWindow(form);
  window->ApplyFlags();
  BuildChildren(form, window->Client());
  for (Component* component : form.Components())
    if (auto* popup = dynamic_cast<TPopupMenu*>(component)) {
      auto* binding = new PopupMenuBinding(*popup, window);
      binding->SyncAll();
    }
  auto* binding = new FormBinding(*window);
  binding->SyncAll();
  return window;
}

}  // namespace lantervo::qt
