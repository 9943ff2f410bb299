#pragma once
// One program per desktop session: the first instance listens on a local socket named after
// its main window's class, the user and the display; a later start finds it there.
#include <QLocalServer>
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
  // Listens on the name; a socket left behind by an instance that died is taken over. False
  // when a running instance holds it. knocked runs on the loop when a later start looks for
  // this instance.
  bool Claim(const QString& name, std::function<void()> knocked = {});
  bool Claimed() const { return server_ && server_->isListening(); }
  void Release() { server_.reset(); }

 private:
  std::unique_ptr<QLocalServer> server_;
};

}  // namespace lantervo::qt
