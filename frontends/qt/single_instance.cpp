#include "frontends/qt/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QGuiApplication>
#include <cerrno>
#include <cstring>

#include "frontends/qt/qt_convert.h"

namespace lantervo::qt {

namespace {

QString Session() {
  QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
  return QGuiApplication::platformName() + QLatin1Char('-') + display;
}

std::string SocketPath(const QString& name) {
  return QDir::tempPath().toStdString() + '/' + name.toStdString();
}

// False when the path does not fit a socket address.
bool AddressOf(const std::string& path, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  return true;
}

bool Connects(const std::string& path) {
  sockaddr_un address;
  if (!AddressOf(path, address)) return false;
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return false;
  // A listening instance accepts at once; the wait only matters on a loaded machine, where its
  // queue of connections is full.
  const timeval wait{2, 0};
  setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
  const bool connected =
      ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(socket);
  return connected;
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
  return Connects(SocketPath(name));
}

bool InstanceClaim::Claim(const QString& name, std::function<void()> knocked) {
  if (Claimed()) return true;
  const std::string path = SocketPath(name);
  sockaddr_un address;
  if (!AddressOf(path, address)) return false;
  const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (socket < 0) return false;
  const auto bindTo = [&] {
    return ::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  };
  bool bound = bindTo();
  if (!bound && errno == EADDRINUSE && !Connects(path)) {
    ::unlink(path.c_str());  // left behind by an instance that died
    bound = bindTo();
  }
  if (!bound) {
    ::close(socket);
    return false;
  }
  // Only this user knocks.
  ::chmod(path.c_str(), S_IRUSR | S_IWUSR);
  if (::listen(socket, 16) != 0) {
    ::close(socket);
    ::unlink(path.c_str());
    return false;
  }
  socket_ = socket;
  path_ = path;
  knocked_ = std::move(knocked);
  knocks_ = std::make_unique<QSocketNotifier>(socket_, QSocketNotifier::Read);
  QObject::connect(knocks_.get(), &QSocketNotifier::activated, knocks_.get(), [this] {
    for (int knock; (knock = ::accept4(socket_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
      ::close(knock);
    if (knocked_) knocked_();
  });
  return true;
}

void InstanceClaim::Release() {
  if (!Claimed()) return;
  knocks_.reset();
  ::close(socket_);
  socket_ = -1;
  ::unlink(path_.c_str());
  path_.clear();
}

}  // namespace lantervo::qt
