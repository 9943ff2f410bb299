#pragma once
// The Desktop on Qt 6 Widgets: native windows built from the forms when first needed, message
// boxes, the shell, timers, the tray icon, hot keys on X11, single instance per session and the
// hand-off from workers carried out by queued invocation on the loop.
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/signal.h"
#include "frontends/qt/single_instance.h"
#include "toolkit/desktop.h"

namespace lantervo::qt {

class FormWindow;
class TrayBinding;
class X11HotKeys;
class SessionEnd;
class SleepWatcher;

class QtDesktop : public Desktop {
 public:
  // Needs the QApplication; the creating thread is the user-interface thread.
  QtDesktop();
  ~QtDesktop() override;

  MessageBoxAnswer ShowMessageBox(const TForm* owner, const std::string& caption,
                                  const std::string& text, MessageBoxIcon icon,
                                  MessageBoxButtons buttons) override;
  bool ShellOpen(const TForm* owner, const std::string& target) override;
  int CaptionWidth(const TFont& font, const std::string& caption) override;
  std::uint16_t AddGlobalAtom(const std::string& name) override;
  bool RegisterHotKey(TForm& window, int id, std::uint32_t modifiers,
                      std::uint32_t virtualKey) override;
  bool UnregisterHotKey(TForm& window, int id) override;
  bool FindTopLevelWindow(const std::string& className) override;
  void SetForeground(TForm& window) override;
  void FormCreated(TForm& form) override;
  void FormDestroyed(TForm& form) override;
  void TrayShow(TTrayIcon& icon) override;
  void TrayUpdate(TTrayIcon& icon) override;
  void TrayHide(TTrayIcon& icon) override;
  void TrayBalloon(TTrayIcon& icon, const Balloon& balloon) override;
  TimerId StartTimer(std::uint32_t interval, std::function<void()> tick) override;
  void StopTimer(TimerId id) override;
  void Post(std::function<void()> operation) override;
  void Run() override;
  void Quit() override;

  // The native window of a form, built now if it was not yet.
  FormWindow& WindowOf(TForm& form);
  FormWindow* ExistingWindowOf(const TForm& form) const;
  TrayBinding* TrayOf(const TTrayIcon& icon) const;
  // SIGTERM, SIGINT, SIGHUP and the session manager's quit end the session of the main window.
  void WatchSessionEnd();
  // logind's sleep and wake reach PowerChanged; the system bus is asked once the loop runs.
  void WatchSleep();
  // Sends a hot-key press as if the X server had reported it (also where none can be grabbed).
  bool PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey);

 private:
  struct FormEntry {
    TForm* form;
    Subscription subscription;
    FormWindow* window = nullptr;
  };
  struct HotKey {
    TForm* window;
    int id;
    std::uint32_t modifiers, virtualKey;
    bool grabbed;
  };
  FormEntry* EntryOf(const TForm& form) const;
  QWidget* OwnerWidget(const TForm* owner) const;
  void ClaimInstance(TForm& form);
  void LogOnce(TForm& window, const std::string& text);

  std::unique_ptr<QObject> context_;  // receives the queued hand-offs and owns the timers
  struct Waker;
  std::shared_ptr<Waker> waker_;
  mutable std::vector<std::unique_ptr<FormEntry>> forms_;
  std::map<const TTrayIcon*, std::unique_ptr<TrayBinding>> trays_;
  std::map<TimerId, QTimer*> timers_;
  TimerId nextTimer_ = 1;
  std::map<std::string, std::uint16_t> atoms_;
  std::uint16_t nextAtom_ = 0xC000;
  std::vector<HotKey> hotKeys_;
  std::unique_ptr<X11HotKeys> x11HotKeys_;
  bool x11Tried_ = false;
  bool hotKeyNoticeLogged_ = false;
  InstanceClaim instance_;
  std::unique_ptr<SessionEnd> sessionEnd_;
  std::unique_ptr<SleepWatcher> sleepWatcher_;
  bool quit_ = false;
};

}  // namespace lantervo::qt
