#pragma once
// The Desktop on Win32: MessageBoxW, ShellExecuteW, window timers, global atoms and hot keys,
// FindWindowW, the notification-area icon, and the message loop that also carries out the
// hand-offs of worker threads (a posted message, so message boxes' own loops run them too).
#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>

#include "toolkit/desktop.h"

namespace lantervo::win32 {

class FormWindow;

// Our own window messages.
constexpr UINT kHandOffMessage = WM_APP + 1;
constexpr UINT kTrayMessage = WM_APP + 2;
constexpr UINT kPostedMessage = WM_APP + 3;

class Win32Desktop : public Desktop {
 public:
  // Registers the window classes and creates the hidden window that owns the timers.
  explicit Win32Desktop(HINSTANCE instance);
  ~Win32Desktop() override;

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

  HINSTANCE Instance() const { return instance_; }
  // The native window of a form, created with its controls on first use.
  HWND WindowOf(const TForm& form);
  FormWindow* Binding(const TForm& form) const;

  // From form windows: the notification area came back (Explorer restarted), and input on a
  // tray icon.
  void OnTaskbarCreated();
  void OnTrayMessage(WPARAM id, LPARAM event);
  UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

  // What the notification area was told, for tests: NIM_ADD calls that succeeded, and whether
  // the icon is there now.
  int TrayAdds(const TTrayIcon& icon) const;
  bool TrayPresent(const TTrayIcon& icon) const;
  // The last balloon shown for the icon, as handed to the platform.
  const NOTIFYICONDATAW* LastBalloon(const TTrayIcon& icon) const;

 private:
  struct TrayEntry {
    UINT id = 0;
    HWND window = nullptr;
    int adds = 0;
    bool present = false;
    NOTIFYICONDATAW balloon{};
    bool hasBalloon = false;
  };
  static LRESULT CALLBACK HelperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  NOTIFYICONDATAW IconData(TTrayIcon& icon, TrayEntry& entry) const;
  void AddTrayIcon(TTrayIcon& icon, TrayEntry& entry);
  // Accelerators of the active form and Tab navigation in dialogs; true when taken.
  bool PreTranslate(MSG& msg);
  HWND Owner(const TForm* form);
  void RunPosted();

  HINSTANCE instance_;
  HWND helper_ = nullptr;
  // Where workers post their wake-up: the main window once it exists, the helper before.
  std::atomic<HWND> wakeTarget_{nullptr};
  UINT taskbarCreated_ = 0;
  std::map<const TForm*, std::unique_ptr<FormWindow>> forms_;
  std::map<TTrayIcon*, TrayEntry> trayIcons_;
  UINT nextTrayId_ = 1;
  std::map<TimerId, std::function<void()>> timers_;
  TimerId nextTimer_ = 1;
  std::deque<std::function<void()>> posted_;
  bool quit_ = false;
};

}  // namespace lantervo::win32
