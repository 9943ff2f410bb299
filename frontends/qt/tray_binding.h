#pragma once
// The notification-area icon: a QSystemTrayIcon with the icon list's picture, the tooltip,
// double click, the pop-up menu at the pointer and balloons.
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <memory>
#include <string>

#include "core/weak.h"
#include "toolkit/desktop.h"

namespace lantervo {

class TTrayIcon;

namespace qt {

class MenuTree;

class TrayBinding : public QObject {
 public:
  struct Message {
    QString title;
    QString text;
    QSystemTrayIcon::MessageIcon icon = QSystemTrayIcon::NoIcon;
    int timeout = 0;
  };

  TrayBinding(TTrayIcon& icon, Desktop& desktop);
  ~TrayBinding() override;

  void Update();
  void ShowBalloon(const Balloon& balloon);

  QSystemTrayIcon& Native() { return native_; }
  // The last balloon asked for and how many were (a desktop without a notification area shows
  // none on screen, but the request is kept here).
  const Message& LastMessage() const { return last_; }
  int MessageCount() const { return messageCount_; }

 private:
  void Activated(QSystemTrayIcon::ActivationReason reason);
  void ApplyPopupMenu();
  TTrayIcon& icon_;
  WeakRef<TTrayIcon> alive_;
  Desktop& desktop_;
  QSystemTrayIcon native_;
  // The icon's pop-up menu as the tray's own context menu, which every kind of notification
  // area opens itself (an XEmbed tray on the press, a StatusNotifier host through D-Bus).
  QMenu contextMenu_;
  MenuTree* menuTree_ = nullptr;
  Message last_;
  int messageCount_ = 0;
};

}  // namespace qt
}  // namespace lantervo
