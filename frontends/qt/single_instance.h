#pragma once
// One program per desktop session: the first instance listens on a local socket named after
// its main window's class, the user and the display; a later start finds it there. The socket
// sits where Qt's local sockets do (the temporary folder), so every version finds every other.
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace lantervo::qt {

// The socket name for a window class on this desktop session.
QString InstanceName(const std::string& windowClass);
// Whether another process holds the name.
bool InstanceRunning(const QString& name);

class InstanceClaim {
 public:
  InstanceClaim() = default;
  InstanceClaim(const InstanceClaim&) = delete;
  InstanceClaim& operator=(const InstanceClaim&) = delete;
  ~InstanceClaim() { Release(); }

  // Listens on the name; a socket left behind by an instance that died is taken over. False
  // when a running instance holds it. knocked runs on the loop when a later start looks for
  // this instance.
  bool Claim(const QString& name, std::function<void()> knocked = {});
  bool Claimed() const { return socket_ >= 0; }
  void Release();

 private:
  int socket_ = -1;
  std::string path_;
  std::unique_ptr<QSocketNotifier> knocks_;
  std::function<void()> knocked_;
};

}  // namespace lantervo::qt
