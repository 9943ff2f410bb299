#pragma once
// The user-interface platform as the windows' logic sees it: message boxes, the shell, global
// atoms and hot keys, top-level window lookup, foreground, the notification-area icon, timers,
// the message loop and the hand-off from workers. The Qt and Win32 front ends implement it for
// real; HeadlessDesktop implements it for tests.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "core/hand_off.h"

namespace lantervo {

class TFont;
class TForm;
class TTrayIcon;

enum class MessageBoxIcon { None, Error, Question, Warning, Information };
enum class MessageBoxButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
// The platform's answer codes.
enum class MessageBoxAnswer {
  None = 0,
  Ok = 1,
  Cancel = 2,
  Abort = 3,
  Retry = 4,
  Ignore = 5,
  Yes = 6,
  No = 7
};

// Hot-key modifiers, as the platform numbers them.
constexpr std::uint32_t kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8;

// The machine's power state as the platform tells it.
enum class PowerEvent { Suspending, Resumed };

// A balloon as it reaches the platform (title and text already cut to the platform's limits).
enum BalloonFlags : std::int64_t { bfNone = 0, bfInfo = 1, bfWarning = 2, bfError = 3 };
struct Balloon {
  std::string title;
  std::string text;
  std::int64_t flags = bfNone;
  std::int64_t timeout = 0;  // milliseconds
};

class Desktop {
 public:
  using TimerId = std::uint64_t;
  using ErrorHandler = std::function<void(std::exception_ptr error)>;

  Desktop();  // the creating thread is the user-interface thread
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  virtual ~Desktop();

  // A modal message box; owner may be null. The user-interface thread keeps carrying out
  // hand-offs while it is open.
  virtual MessageBoxAnswer ShowMessageBox(const TForm* owner, const std::string& caption,
                                          const std::string& text, MessageBoxIcon icon,
                                          MessageBoxButtons buttons) = 0;
  // Asks the shell to "open" a file or link in the normal show state; answers whether the
  // shell reported success.
  virtual bool ShellOpen(const TForm* owner, const std::string& target) = 0;

  // The global atom of a name (the existing one when there is one); 0 on failure.
  virtual std::uint16_t AddGlobalAtom(const std::string& name) = 0;
  // The hot-key message of a registered hot key goes to window.HotKey(id).
  virtual bool RegisterHotKey(TForm& window, int id, std::uint32_t modifiers,
                              std::uint32_t virtualKey) = 0;
  virtual bool UnregisterHotKey(TForm& window, int id) = 0;

  // Is there a top-level window of this class name (of any process on the desktop)?
  virtual bool FindTopLevelWindow(const std::string& className) = 0;
  virtual void SetForeground(TForm& window) = 0;
  // A window came into being or is going; front ends create and destroy the native window.
  virtual void FormCreated(TForm& form) {}
  virtual void FormDestroyed(TForm& form) {}

  // The notification-area icon: shown, changed (image, tooltip), hidden, balloon.
  virtual void TrayShow(TTrayIcon& icon) = 0;
  virtual void TrayUpdate(TTrayIcon& icon) = 0;
  virtual void TrayHide(TTrayIcon& icon) = 0;
  virtual void TrayBalloon(TTrayIcon& icon, const Balloon& balloon) = 0;

  // A periodic timer on the user-interface thread; tick runs every interval until stopped.
  // The interval is already one the platform accepts (see TTimer).
  virtual TimerId StartTimer(std::uint32_t interval, std::function<void()> tick) = 0;
  virtual void StopTimer(TimerId id) = 0;

  // Runs operation at a later turn of the message loop (a message box's loop included), after
  // what already waits there, under the application-wide handler. Only from the user-interface
  // thread. Work that a burst of changes would each ask for is done there once.
  virtual void Post(std::function<void()> operation) = 0;

  // The width in pixels (at 96 dots per inch) of a caption drawn on one line in the font, its
  // accelerator marks ("&") resolved as the platform draws them. Layouts grow where a
  // translated caption needs it. Here: five elevenths of the font's height a character (Tahoma's
  // average at 8 points, 5 pixels); the front ends measure with the platform's fonts.
  virtual int CaptionWidth(const TFont& font, const std::string& caption);

  // The message loop: runs until Quit; carries out hand-offs as they come.
  virtual void Run() = 0;
  virtual void Quit() = 0;

  // The window whose closing ends the loop.
  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }

  // Hand-off from workers.
  HandOffQueue& HandOffs() const { return *handOffs_; }
  const std::shared_ptr<HandOffQueue>& SharedHandOffs() const { return handOffs_; }
  void Synchronize(const std::function<void()>& operation) { handOffs_->Synchronize(operation); }
  // The user-interface thread waits for a worker, carrying out its hand-offs meanwhile.
  void WaitForThread(WorkerThread& worker) { worker.WaitFor(); }

  // The application-wide error handler: errors that escape a user-interface operation end
  // there. Without one they are dropped.
  void SetErrorHandler(ErrorHandler handler) { errorHandler_ = std::move(handler); }
  void HandleException(std::exception_ptr error);
  // Runs one user-interface operation (an event handler, a timer tick) under the handler.
  void Dispatch(const std::function<void()>& operation);

  // The machine goes to sleep or has woken: front ends call PowerChanged; the handler (one,
  // the main window's) runs under the application-wide handler.
  void SetPowerHandler(std::function<void(PowerEvent)> handler) {
    powerHandler_ = std::move(handler);
  }
  void PowerChanged(PowerEvent event);

 private:
  std::function<void(PowerEvent)> powerHandler_;
  std::shared_ptr<HandOffQueue> handOffs_;
  ErrorHandler errorHandler_;
  TForm* mainForm_ = nullptr;
};

}  // namespace lantervo
