#pragma once
// One toolkit control as a native child window: made from the control's properties, kept in
// line with its change notifications, and reporting the user's input to the control.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "core/signal.h"
#include "core/weak.h"

namespace lantervo {
class TControl;
}

namespace lantervo::win32 {

class FormWindow;

class ControlBinding {
 public:
  ControlBinding(FormWindow& form, TControl& control);
  virtual ~ControlBinding();
  ControlBinding(const ControlBinding&) = delete;
  ControlBinding& operator=(const ControlBinding&) = delete;

  // Creates the native window under parent and applies every property.
  void Create(HWND parent, int id);
  HWND Handle() const { return hwnd_; }
  TControl& Control() const { return control_; }
  bool Alive() const { return static_cast<bool>(alive_); }
  // The binding of a native window made by this front end, if any.
  static ControlBinding* Of(HWND hwnd);

  // Notifications from the native control, delivered through the form window.
  virtual void Command(WORD code) {}
  virtual bool Notify(NMHDR& header, LRESULT& result) { return false; }
  // Colours of a static-like control (WM_CTLCOLORSTATIC, WM_CTLCOLORBTN).
  virtual HBRUSH ControlColors(HDC dc);
  // The form's window moved to another DPI: place, size and font again.
  virtual void DpiChanged();

  // The window class behind this front end's own controls (panel, image, flat button).
  static void RegisterClasses(HINSTANCE instance);

 protected:
  virtual HWND CreateNative(HWND parent, int id) = 0;
  // A property changed (empty: apply all).
  virtual void Update(std::string_view property);
  // Messages of this front end's own window classes; true when handled.
  virtual bool Message(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) { return false; }
  // Messages of a standard control, before the control itself sees them; true when handled.
  virtual bool SubclassMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return false;
  }
  // Runs component code under the application-wide error handler, while the control lives.
  void Guarded(const std::function<void()>& operation);
  HWND MakeWindow(const wchar_t* className, DWORD style, DWORD exStyle, HWND parent, int id,
                  const std::wstring& text = {});
  // Keyboard input reaches the control's OnKeyDown and OnKeyPress first.
  void HookKeys();
  void SetNativeText(const std::string& text);
  std::string NativeText() const;
  HBRUSH ParentBrush(HDC dc) const;

  FormWindow& form_;
  TControl& control_;
  HWND hwnd_ = nullptr;
  // Set while the binding writes to the control, so its own notification is not echoed.
  bool updating_ = false;

 private:
  static LRESULT CALLBACK CustomProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
  WeakRef<TControl> alive_;
  Subscription subscription_;
  bool keysHooked_ = false;
};

// The binding for a control of any of the toolkit's kinds; null for kinds without a window.
std::unique_ptr<ControlBinding> MakeBinding(FormWindow& form, TControl& control);
std::unique_ptr<ControlBinding> MakeGridBinding(FormWindow& form, TControl& grid);

// The shift state of the keyboard now.
std::uint32_t CurrentShiftState();

}  // namespace lantervo::win32
