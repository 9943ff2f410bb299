#include "frontends/qt/session_end.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

namespace lantervo::qt {

namespace {

// The signal handler may only write to a descriptor; the loop reads the other end.
int signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  const int saved = errno;
  [[maybe_unused]] const ssize_t written = write(signalPipe[0], &byte, 1);
  errno = saved;
}

}  // namespace

SessionEnd::SessionEnd(std::function<void()> ended) : ended_(std::move(ended)) {
  if (signalPipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
    return;
  notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    [[maybe_unused]] const ssize_t read = ::read(signalPipe[1], bytes, sizeof bytes);
    ended_();
  });
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
    // The session manager asks before it ends the session: the program quits as on Quit.
    connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { ended_(); });
  }
}

SessionEnd::~SessionEnd() {
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

}  // namespace lantervo::qt
