#pragma once
// The end of the session as the program sees it: SIGTERM, SIGINT and SIGHUP, and the session
// manager's quit, all reach one handler on the user-interface thread.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace lantervo::qt {

class SessionEnd : public QObject {
 public:
  explicit SessionEnd(std::function<void()> ended);
  ~SessionEnd() override;

 private:
  std::function<void()> ended_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace lantervo::qt
