#pragma once
// A window. Its size is its client area; the frame is the front end's business.
#include <cstdint>
#include <functional>
#include <string>

#include "toolkit/control.h"

namespace lantervo {

class Desktop;
class TMainMenu;

enum BorderStyle : std::int64_t {
  bsNone = 0,
  bsSingle = 1,
  bsSizeable = 2,
  bsDialog = 3,
  bsToolWindow = 4,
  bsSizeToolWin = 5
};
enum BorderIcon : std::int64_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
enum Position : std::int64_t {
  poDesigned = 0,
  poDefault = 1,
  poScreenCenter = 4,
  poMainFormCenter = 6
};

using CloseQueryEvent = std::function<void(Component& sender, bool& canClose)>;
using HotKeyEvent = std::function<void(Component& sender, int id)>;

class TForm : public TWinControl {
  LANTERVO_CLASS()

 public:
  explicit TForm(Desktop& desktop);
  ~TForm() override;

  Desktop* GetDesktop() const override { return &desktop_; }

  std::int64_t ClientWidth() const { return Width(); }
  void SetClientWidth(std::int64_t width) { SetWidth(width); }
  std::int64_t ClientHeight() const { return Height(); }
  void SetClientHeight(std::int64_t height) { SetHeight(height); }
  std::int64_t GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(std::int64_t style);
  std::int64_t BorderIcons() const { return borderIcons_; }  // BorderIcon flags
  void SetBorderIcons(std::int64_t icons);
  std::int64_t GetPosition() const { return position_; }
  void SetPosition(std::int64_t position);
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  // The class name the native window is registered under (a creation parameter, not text).
  const std::string& WindowClassName() const { return windowClassName_; }
  void SetWindowClassName(const std::string& name) { windowClassName_ = name; }

  NotifyEvent OnCreate;
  NotifyEvent OnShow;
  NotifyEvent OnHide;
  CloseQueryEvent OnCloseQuery;
  HotKeyEvent OnHotKey;
  // The user's session is ending (log-off, shut-down, a termination request).
  NotifyEvent OnEndSession;

  // Runs OnCreate; its errors go to the application-wide handler, as for OnShow and OnHide.
  void DoCreate();
  // Asks OnCloseQuery; when it may close, hides the window, and closing the main window ends
  // the message loop. Answers whether it closed.
  bool Close();
  // The hot-key message of a registered hot key with this id.
  void HotKey(int id);
  // The platform reports the end of the session; runs OnEndSession under the error handler.
  void EndSession();
  // A key pressed while this window is active: runs the action with that shortcut (from the
  // action lists owned by the window). Answers whether one ran; none runs while the window is
  // disabled.
  bool IsShortCut(std::uint16_t key, ShiftState shift);
  // Called after the window's captions were translated (or translated again): a window that
  // lays itself out for its texts does so here.
  virtual void CaptionsTranslated() {}

 protected:
  void VisibleChanged() override;
  void Notification(Component& removed) override;

 private:
  void Guarded(const NotifyEvent& handler);
  Desktop& desktop_;
  std::int64_t borderStyle_ = bsSizeable;
  std::int64_t borderIcons_ = biSystemMenu | biMinimize | biMaximize;
  std::int64_t position_ = poDesigned;
  TMainMenu* menu_ = nullptr;
  std::string windowClassName_;
};

}  // namespace lantervo
