#pragma once
// A Desktop without a screen, for tests: virtual time (timers fire when the test advances the
// clock), scripted message-box answers, and records of everything shown, opened and registered.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/desktop.h"

namespace lantervo {

class HeadlessDesktop : public Desktop {
 public:
  struct MessageBoxRecord {
    std::string owner;  // the owner window's name, empty without owner
    std::string caption;
    std::string text;
    MessageBoxIcon icon;
    MessageBoxButtons buttons;
    MessageBoxAnswer answer;
  };
  struct ShellOpenRecord {
    std::string owner;
    std::string target;
  };
  struct HotKey {
    TForm* window;
    int id;
    std::uint32_t modifiers;
    std::uint32_t virtualKey;
  };
  struct HotKeyCall {
    bool registering;
    std::string window;
    int id;
    std::uint32_t modifiers;
    std::uint32_t virtualKey;
    bool succeeded;
  };
  struct TrayRecord {
    enum Kind { Show, Update, Hide, ShowBalloon } kind;
    std::string hint;  // the tooltip as it reached the platform
    std::int64_t iconIndex;
    Balloon balloon;  // for ShowBalloon
  };

  // Errors that reach the application-wide handler are recorded (what() texts) unless the
  // test installs a handler of its own.
  HeadlessDesktop();
  ~HeadlessDesktop() override;

  // Desktop
  MessageBoxAnswer ShowMessageBox(const TForm* owner, const std::string& caption,
                                  const std::string& text, MessageBoxIcon icon,
                                  MessageBoxButtons buttons) override;
  bool ShellOpen(const TForm* owner, const std::string& target) override;
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

  // Posted operations run at the next turn of the loop: when a test calls RunPosted, when a
  // message box opens, around each timer tick and in Run. RunPosted also runs what those
  // operations post in turn, and answers how many ran.
  std::size_t RunPosted();
  std::size_t PostedWaiting() const { return posted_.size(); }

  // Message boxes. Each box takes the next scripted answer; without one it answers with its
  // first button. While a box is open the queued hand-offs run; with closeWhen the box stays
  // open, carrying out hand-offs as they come, until closeWhen() holds. closeWhen is checked
  // under the hand-off lock: it may read state that hand-offs change, and must not hand off.
  void ScriptAnswer(MessageBoxAnswer answer, std::function<bool()> closeWhen = {});
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }

  void SetShellOpenResult(bool succeeds) { shellOpenResult_ = succeeds; }
  const std::vector<ShellOpenRecord>& ShellOpens() const { return shellOpens_; }

  const std::map<std::string, std::uint16_t>& Atoms() const { return atoms_; }
  const std::vector<HotKey>& HotKeys() const { return hotKeys_; }  // registered now
  const std::vector<HotKeyCall>& HotKeyCalls() const { return hotKeyCalls_; }
  // Another program holds this combination: registering it fails.
  void HoldHotKeyElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey);
  // The user presses a key combination; a registered hot key sends its message to its window.
  // Answers whether a hot key took it.
  bool PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey);

  // Top-level windows of other processes.
  void AddForeignWindow(const std::string& className) { foreignWindows_.push_back(className); }
  TForm* Foreground() const { return foreground_; }
  const std::vector<TForm*>& Forms() const { return forms_; }

  const std::vector<TrayRecord>& TrayRecords() const { return trayRecords_; }
  bool TrayVisible(const TTrayIcon& icon) const;

  // Virtual time in milliseconds since construction.
  std::uint64_t Now() const { return now_; }
  // Moves the clock forward, firing every timer that falls due, in time order, each tick
  // under the application-wide handler.
  void Advance(std::uint64_t milliseconds);
  std::size_t RunningTimers() const { return timers_.size(); }
  // Milliseconds until the next timer is due, or -1 when none runs.
  std::int64_t NextTimerDue() const;

  bool QuitRequested() const;
  const std::vector<std::string>& HandledErrors() const { return handledErrors_; }

 private:
  struct Timer {
    std::uint32_t interval;
    std::uint64_t due;
    std::function<void()> tick;
  };
  struct Script {
    MessageBoxAnswer answer;
    std::function<bool()> closeWhen;
  };
  TrayRecord Record(TrayRecord::Kind kind, TTrayIcon& icon, Balloon balloon = {});

  std::deque<Script> scripts_;
  std::vector<MessageBoxRecord> messageBoxes_;
  bool shellOpenResult_ = true;
  std::vector<ShellOpenRecord> shellOpens_;
  std::map<std::string, std::uint16_t> atoms_;
  std::uint16_t nextAtom_ = 0xC000;
  std::vector<HotKey> hotKeys_;
  std::vector<HotKeyCall> hotKeyCalls_;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> hotKeysElsewhere_;
  std::vector<std::string> foreignWindows_;
  std::vector<TForm*> forms_;
  TForm* foreground_ = nullptr;
  std::vector<TrayRecord> trayRecords_;
  std::vector<const TTrayIcon*> trayShown_;
  std::uint64_t now_ = 0;
  std::map<TimerId, Timer> timers_;
  TimerId nextTimer_ = 1;
  std::deque<std::function<void()>> posted_;
  bool quit_ = false;  // guarded by the hand-off lock: Quit may come from a hand-off
  std::vector<std::string> handledErrors_;
};

}  // namespace lantervo
