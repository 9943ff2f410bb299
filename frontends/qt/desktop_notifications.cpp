#include "frontends/qt/desktop_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include "toolkit/desktop.h"

namespace lantervo::qt {

namespace {
const char* const kService = "org.freedesktop.Notifications";
const char* const kPath = "/org/freedesktop/Notifications";
}  // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

bool DesktopNotifications::Show(const QString& title, const QString& text, std::int64_t flags,
                                int timeoutMs) {
  if (!bus_.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
  QVariantMap hints;
  // A failure asks to be seen, but not to stay until dismissed: "critical" would.
  hints.insert("urgency", QVariant::fromValue<uchar>(flags == bfInfo ? 0 : 1));
  hints.insert("desktop-entry", QString::fromLatin1(kIconName));
  call << QStringLiteral("Lantervo") << QVariant::fromValue<uint>(lastId_)
       << QString::fromLatin1(kIconName) << title << text << QStringList() << hints
       << QVariant::fromValue<int>(timeoutMs);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this](QDBusPendingCallWatcher* answered) {
            const QDBusPendingReply<uint> reply = *answered;
            ++answers_;
            if (!reply.isError()) lastId_ = reply.value();
            answered->deleteLater();
          });
  return true;
}

}  // namespace lantervo::qt
