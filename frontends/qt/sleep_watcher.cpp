#include "frontends/qt/sleep_watcher.h"

namespace lantervo::qt {

SleepWatcher::SleepWatcher(QDBusConnection bus, std::function<void(PowerEvent)> changed,
                           QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
  if (!bus.isConnected()) return;
  // Subscribing sends a match rule and waits for nothing.
  watching_ = bus.connect(QStringLiteral("org.freedesktop.login1"),
                          QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"),
                          QStringLiteral("PrepareForSleep"), this, SLOT(PrepareForSleep(bool)));
}

void SleepWatcher::PrepareForSleep(bool start) {
  if (changed_) changed_(start ? PowerEvent::Suspending : PowerEvent::Resumed);
}

}  // namespace lantervo::qt
