#pragma once
// The notification-area icon: a QSystemTrayIcon with the icon list's picture, the tooltip,
// double click, the pop-up menu at the pointer and balloons.
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>

#include "core/weak.h"
#include "toolkit/desktop.h"

namespace lantervo {

class TTrayIcon;

namespace qt {

class DesktopNotifications;
class MenuTree;

class TrayBinding : public QObject {
 public:
  struct Message {
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
    int timeout = 0;
  };

  // The platform's icon is made once `window` (the icon's owner, when it has one) has been
  // exposed and painted for the first time, or after kLatestRealizeMs when it has not: asking the
  // session bus for a notification host costs a start-up tens of milliseconds before its window is
  // seen.
  TrayBinding(TTrayIcon& icon, Desktop& desktop, QWidget* window);
  ~TrayBinding() override;
  static constexpr int kLatestRealizeMs = 250;

  void Update();
  void ShowBalloon(const Balloon& balloon);

  // The platform's icon, made now if it is not there yet.
  QSystemTrayIcon& Native();
  bool Realized() const { return native_ != nullptr; }
  // The last balloon asked for and how many were (a desktop without a notification area shows
  // none on screen, but the request is kept here).
  const Message& LastMessage() const { return last_; }
  int MessageCount() const { return messageCount_; }
  // Where balloons go when no notification area shows them (null until the first one).
  DesktopNotifications* Notifications() const { return notifications_; }
  // Whether a notification area shows this icon's balloons; the desktop's answer unless set.
  void SetTrayAvailable(std::function<bool()> available) { trayAvailable_ = std::move(available); }

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void StopWatching();
  void Activated(QSystemTrayIcon::ActivationReason reason);
  void ApplyPopupMenu();
  TTrayIcon& icon_;
  WeakRef<TTrayIcon> alive_;
  Desktop& desktop_;
  QPointer<QWidget> window_;
  QPointer<QWindow> surface_;
  std::unique_ptr<QSystemTrayIcon> native_;
  // The icon's pop-up menu as the tray's own context menu, which every kind of notification
  // area opens itself (an XEmbed tray on the press, a StatusNotifier host through D-Bus).
  QMenu contextMenu_;
  MenuTree* menuTree_ = nullptr;
  Message last_;
  int messageCount_ = 0;
  DesktopNotifications* notifications_ = nullptr;  // a child of this binding
  std::function<bool()> trayAvailable_;
};

}  // namespace qt
}  // namespace lantervo
