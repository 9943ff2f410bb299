#include "frontends/qt/single_instance.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QLocalSocket>

#include "frontends/qt/qt_convert.h"

namespace lantervo::qt {

namespace {

QString Session() {
  QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
  return QGuiApplication::platformName() + QLatin1Char('-') + display;
}

}  // namespace

QString InstanceName(const std::string& windowClass) {
  QString name = ToQt(windowClass) + QLatin1Char('-') + QString::number(getuid()) +
                 QLatin1Char('-') + Session();
  for (QChar& ch : name)
    if (!ch.isLetterOrNumber() && ch != QLatin1Char('.') && ch != QLatin1Char('-'))
      ch = QLatin1Char('_');
  return name;
}

bool InstanceRunning(const QString& name) {
  QLocalSocket socket;
  socket.connectToServer(name);
  // A listening instance accepts at once; the wait only matters on a loaded machine.
  const bool running = socket.waitForConnected(2000);
  socket.abort();
  return running;
}

bool InstanceClaim::Claim(const QString& name, std::function<void()> knocked) {
  if (Claimed()) return true;
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  bool listening = server_->listen(name);
  if (!listening && !InstanceRunning(name)) {
    QLocalServer::removeServer(name);
    listening = server_->listen(name);
  }
  if (!listening) {
    server_.reset();
    return false;
  }
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                   [server = server_.get(), knocked = std::move(knocked)] {
                     while (QLocalSocket* socket = server->nextPendingConnection()) {
                       socket->disconnectFromServer();
                       socket->deleteLater();
                     }
                     if (knocked) knocked();
                   });
  return true;
}

}  // namespace lantervo::qt
