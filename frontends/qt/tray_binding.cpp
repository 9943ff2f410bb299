#include "frontends/qt/tray_binding.h"

#include <QCursor>
#include <QEvent>
#include <QTimer>

#include "frontends/qt/desktop_notifications.h"
#include "frontends/qt/menu_bindings.h"
#include "frontends/qt/qt_convert.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/tray_icon.h"

namespace lantervo::qt {

namespace {

QSystemTrayIcon::MessageIcon MessageIconOf(std::int64_t flags) {
  switch (flags) {
    case bfError:
      return QSystemTrayIcon::Critical;
    case bfWarning:
      return QSystemTrayIcon::Warning;
    case bfInfo:
      return QSystemTrayIcon::Information;
    default:
      return QSystemTrayIcon::NoIcon;
  }
}

// The notification servers show a balloon for a few seconds whatever is asked; a shorter time
// than that is raised to it, as the Windows notification area does.
constexpr int kMinimumBalloonMs = 10000;

}  // namespace

TrayBinding::TrayBinding(TTrayIcon& icon, Desktop& desktop, QWidget* window)
    : icon_(icon), alive_(MakeWeak(icon)), desktop_(desktop), window_(window) {
  connect(&contextMenu_, &QMenu::aboutToShow, this, [this] {
    const QPoint at = QCursor::pos();
    if (alive_ && icon_.PopupMenu()) icon_.PopupMenu()->Popped(at.x(), at.y());
  });
  if (window_) window_->installEventFilter(this);
  QTimer::singleShot(kLatestRealizeMs, this, [this] { Native(); });
}

TrayBinding::~TrayBinding() {
  StopWatching();
  if (native_) native_->hide();
}

void TrayBinding::StopWatching() {
  if (window_) window_->removeEventFilter(this);
  if (surface_) surface_->removeEventFilter(this);
}

bool TrayBinding::eventFilter(QObject* watched, QEvent* event) {
  // The native window exists once the widget is shown; it is painted and flushed as its
  // expose event is handled, right after this filter.
  if (watched == window_ && event->type() == QEvent::Show && !surface_ && !native_) {
    surface_ = window_->windowHandle();
    if (surface_) surface_->installEventFilter(this);
  } else if (watched == surface_ && event->type() == QEvent::Expose && surface_->isExposed()) {
    StopWatching();
    QTimer::singleShot(0, this, [this] { Native(); });
  }
  return false;
}

QSystemTrayIcon& TrayBinding::Native() {
  if (!native_) {
    StopWatching();
    native_ = std::make_unique<QSystemTrayIcon>();
    native_->setObjectName(ToQt(icon_.Name()));
    connect(native_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
    Update();
    native_->show();
  }
  return *native_;
}

void TrayBinding::Update() {
  if (!alive_ || !native_) return;  // a later Native() reads the icon's state then
  QPixmap picture;
  if (const TImageList* list = icon_.Icons()) picture = ListImage(*list, icon_.IconIndex());
  native_->setIcon(QIcon(picture));
  native_->setToolTip(ToQt(icon_.PlatformHint()));
  ApplyPopupMenu();
}

void TrayBinding::ApplyPopupMenu() {
  TPopupMenu* popup = icon_.PopupMenu();
  if (menuTree_ && (!popup || &menuTree_->Menu() != popup)) {
    delete menuTree_;
    menuTree_ = nullptr;
    contextMenu_.clear();
    native_->setContextMenu(nullptr);
  }
  if (popup && !menuTree_) {
    contextMenu_.setObjectName(ToQt(popup->Name()));
    menuTree_ = new MenuTree(*popup, &contextMenu_);
    native_->setContextMenu(&contextMenu_);
  }
}

void TrayBinding::ShowBalloon(const Balloon& balloon) {
  Message message{ToQt(balloon.title), ToQt(balloon.text), MessageIconOf(balloon.flags),
                  std::max(kMinimumBalloonMs, static_cast<int>(balloon.timeout))};
  last_ = message;
  ++messageCount_;
  // The icon comes with the first balloon at the latest, shown by a tray or not.
  QSystemTrayIcon& native = Native();
  const bool tray = trayAvailable_ ? trayAvailable_() : QSystemTrayIcon::isSystemTrayAvailable();
  if (!tray) {
    if (!notifications_)
      notifications_ = new DesktopNotifications(QDBusConnection::sessionBus(), this);
    notifications_->Show(message.title, message.text, balloon.flags, message.timeout);
    return;
  }
  native.showMessage(message.title, message.text, message.icon, message.timeout);
}

void TrayBinding::Activated(QSystemTrayIcon::ActivationReason reason) {
  if (!alive_) return;
  switch (reason) {
    case QSystemTrayIcon::DoubleClick:
      desktop_.Dispatch([this] { icon_.DblClick(); });
      break;
    case QSystemTrayIcon::Trigger:
      desktop_.Dispatch([this] { icon_.Click(); });
      break;
    case QSystemTrayIcon::Context:
      // The tray has opened its context menu already; without one, the icon's menu opens here.
      if (!native_->contextMenu()) {
        const QPoint at = QCursor::pos();
        desktop_.Dispatch([this, at] { icon_.ContextPopup(at.x(), at.y()); });
      }
      break;
    default:
      break;
  }
}

}  // namespace lantervo::qt
