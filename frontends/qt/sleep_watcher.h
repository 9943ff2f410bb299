#pragma once
// The machine's sleep as logind tells it: PrepareForSleep(true) on the system bus before a
// suspend, PrepareForSleep(false) after the wake. Where there is no system bus or no logind,
// nothing is heard and nothing waits.
#include <QDBusConnection>
#include <QObject>
#include <functional>

#include "toolkit/desktop.h"

namespace lantervo::qt {

class SleepWatcher : public QObject {
  Q_OBJECT

 public:
  SleepWatcher(QDBusConnection bus, std::function<void(PowerEvent)> changed,
               QObject* parent = nullptr);
  // Whether the bus took the subscription.
  bool Watching() const { return watching_; }

 public Q_SLOTS:
  void PrepareForSleep(bool start);

 private:
  std::function<void(PowerEvent)> changed_;
  bool watching_ = false;
};

}  // namespace lantervo::qt
