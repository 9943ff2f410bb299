#pragma once
// Balloons where no notification area shows them: a desktop without a StatusNotifier host
// (GNOME as it comes) still runs a notification server, and gets them over D-Bus
// (org.freedesktop.Notifications) with the program's icon. Every call returns at once: the
// server's answer comes later, and a server that never answers holds nothing up.
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <cstdint>

namespace lantervo::qt {

class DesktopNotifications : public QObject {
 public:
  // The name the program's icon and desktop entry are installed under.
  static constexpr const char* kIconName = "lantervo";

  explicit DesktopNotifications(QDBusConnection bus = QDBusConnection::sessionBus(),
                                QObject* parent = nullptr);

  // Sends a notification (flags: the balloon's bfError, bfWarning or bfInfo). It takes the
  // place of the one before on screen, as a balloon takes the place of the last. False when
  // there is no bus to send it on.
  bool Show(const QString& title, const QString& text, std::int64_t flags, int timeoutMs);

  // The server's number of the last notification it took (0 before its first answer).
  std::uint32_t LastId() const { return lastId_; }
  // Answers received, failures included.
  int Answers() const { return answers_; }

 private:
  QDBusConnection bus_;
  std::uint32_t lastId_ = 0;
  int answers_ = 0;
};

}  // namespace lantervo::qt
