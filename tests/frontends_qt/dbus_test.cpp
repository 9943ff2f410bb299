// What the desktop's buses carry, against fakes on a private bus. Balloons without a
// notification area reach a notification server with the program's name and icon, each taking
// the place of the one before; the tray binding sends them there only when no tray shows them.
// logind's PrepareForSleep becomes the desktop's power events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QTest>
#include <memory>
#include <vector>

#include "frontends/qt/desktop_notifications.h"
#include "frontends/qt/sleep_watcher.h"
#include "frontends/qt/tray_binding.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/tray_icon.h"

namespace lantervo::qt {
namespace {

// Answers Notify as a notification server does: with the number it gives the notification.
class FakeNotificationServer : public QDBusVirtualObject {
 public:
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    if (message.interface() != "org.freedesktop.Notifications" || message.member() != "Notify")
      return false;
    calls.push_back(message.arguments());
    connection.send(message.createReply(QVariant::fromValue<uint>(nextId++)));
    return true;
  }
  std::vector<QList<QVariant>> calls;
  uint nextId = 41;
};

class NotificationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(daemon.waitForStarted(5000)) << "dbus-daemon is needed";
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    address = QString::fromUtf8(daemon.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());
    QDBusConnection server = QDBusConnection::connectToBus(address, "notification-server");
    ASSERT_TRUE(server.isConnected());
    ASSERT_TRUE(server.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(server.registerVirtualObject("/org/freedesktop/Notifications", &fake));
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus("notification-server");
    QDBusConnection::disconnectFromBus("notification-client");
    daemon.kill();
    daemon.waitForFinished(5000);
  }
  QDBusConnection Client() { return QDBusConnection::connectToBus(address, "notification-client"); }

  QProcess daemon;
  QString address;
  FakeNotificationServer fake;
};

TEST_F(NotificationsTest, ABalloonBecomesANotificationThatReplacesTheLastOne) {
  DesktopNotifications notifications(Client());
  ASSERT_TRUE(notifications.Show("Load error", "'bravo' is down: refused", bfError, 10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return notifications.Answers() == 1; }, 5000));
  ASSERT_EQ(fake.calls.size(), 1u);
  const QList<QVariant>& first = fake.calls[0];
  ASSERT_EQ(first.size(), 8);
  EXPECT_EQ(first[0].toString(), QStringLiteral("Lantervo"));
  EXPECT_EQ(first[1].toUInt(), 0u) << "the first replaces nothing";
  EXPECT_EQ(first[2].toString(), QStringLiteral("lantervo"));
  EXPECT_EQ(first[3].toString(), QStringLiteral("Load error"));
  EXPECT_EQ(first[4].toString(), QStringLiteral("'bravo' is down: refused"));
  EXPECT_TRUE(first[5].toStringList().isEmpty());
  const QVariantMap hints = qdbus_cast<QVariantMap>(first[6]);
  EXPECT_EQ(hints.value("desktop-entry").toString(), QStringLiteral("lantervo"));
  EXPECT_EQ(hints.value("urgency").toInt(), 1);
  EXPECT_EQ(first[7].toInt(), 10000);
  EXPECT_EQ(notifications.LastId(), 41u);

  ASSERT_TRUE(notifications.Show("Back up", "'bravo' is back", bfInfo, 10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return notifications.Answers() == 2; }, 5000));
  ASSERT_EQ(fake.calls.size(), 2u);
  EXPECT_EQ(fake.calls[1][1].toUInt(), 41u) << "takes the place of the one before";
  EXPECT_EQ(qdbus_cast<QVariantMap>(fake.calls[1][6]).value("urgency").toInt(), 0);
  EXPECT_EQ(notifications.LastId(), 42u);
}

// A server that is gone answers with an error: the balloon is lost, nothing waits for it, and
// the next one still goes.
TEST_F(NotificationsTest, NoServerLosesTheBalloonWithoutHoldingAnythingUp) {
  QDBusConnection::connectToBus(address, "notification-server")
      .unregisterService("org.freedesktop.Notifications");
  DesktopNotifications notifications(Client());
  ASSERT_TRUE(notifications.Show("Load error", "x", bfError, 10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return notifications.Answers() == 1; }, 5000));
  EXPECT_EQ(notifications.LastId(), 0u);
  EXPECT_TRUE(fake.calls.empty());
  EXPECT_FALSE(DesktopNotifications(QDBusConnection("not-connected")).Show("a", "b", bfInfo, 1));
}

TEST_F(NotificationsTest, LogindsPrepareForSleepBecomesSuspendingAndResumed) {
  QDBusConnection logind = QDBusConnection::connectToBus(address, "fake-logind");
  ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
  std::vector<PowerEvent> events;
  SleepWatcher watcher(Client(), [&](PowerEvent event) { events.push_back(event); });
  ASSERT_TRUE(watcher.Watching());
  for (const bool start : {true, false}) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
    signal << start;
    ASSERT_TRUE(logind.send(signal));
  }
  // Another sender's signal of the same name is not logind's.
  QDBusMessage stranger = QDBusMessage::createSignal(
      "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
  stranger << true;
  QDBusConnection::connectToBus(address, "notification-server").send(stranger);
  ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 2; }, 5000));
  QTest::qWait(100);
  EXPECT_EQ(events, (std::vector<PowerEvent>{PowerEvent::Suspending, PowerEvent::Resumed}));
  QDBusConnection::disconnectFromBus("fake-logind");
  EXPECT_FALSE(SleepWatcher(QDBusConnection("not-connected"), {}).Watching());
}

TEST(TrayNotifications, WithoutATrayTheBalloonGoesToTheNotificationServer) {
  HeadlessDesktop desktop;
  TTrayIcon icon;
  icon.SetName("TrayIcon");
  TrayBinding tray(icon, desktop, nullptr);
  bool available = false;
  tray.SetTrayAvailable([&] { return available; });
  tray.ShowBalloon(Balloon{"Load error", "'bravo' is down", bfError, 5});
  EXPECT_EQ(tray.MessageCount(), 1);
  ASSERT_NE(tray.Notifications(), nullptr);
  available = true;
  tray.ShowBalloon(Balloon{"Back up", "'bravo' is back", bfInfo, 5});
  EXPECT_EQ(tray.MessageCount(), 2);
  EXPECT_EQ(tray.LastMessage().title, QStringLiteral("Back up"));
}

}  // namespace
}  // namespace lantervo::qt
