#pragma once
// The native window of one TForm: created from the form's properties, kept in line with their
// change notifications, and feeding the user's input back into the form's events.
#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/signal.h"
#include "core/weak.h"
#include "toolkit/actions.h"

namespace lantervo {
class TForm;
class TWinControl;
}  // namespace lantervo

namespace lantervo::win32 {

class Win32Desktop;
class ControlBinding;
class MenuBinding;

class FormWindow {
 public:
  FormWindow(Win32Desktop& desktop, TForm& form);
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  // Creates the window and its controls the first time; the handle afterwards.
  HWND Realize();
  HWND Handle() const { return hwnd_; }
  TForm& Form() const { return form_; }
  Win32Desktop& Desktop() const { return desktop_; }
  bool Alive() const { return static_cast<bool>(alive_); }

  // Keyboard shortcuts of the window's actions (null without any).
  HACCEL Accelerators() const { return accelerators_; }
  // Tab moves between the controls of dialogs; the main window's grid takes Tab itself.
  bool UsesDialogKeys() const;
  // Creates native controls for controls put on the form since it was realized.
  void SyncControls();
  // The tooltip of a control window: text, or none when empty.
  void SetTooltip(HWND control, const std::string& text);
  // The DPI the window is drawn at, and a length of its 96-DPI layout at that DPI.
  UINT Dpi() const { return dpi_; }
  int Scale(std::int64_t value) const;

  static const wchar_t* DefaultClassName() { return L"LantervoForm"; }
  static void RegisterClass(HINSTANCE instance, const std::wstring& className);
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
  void FormChanged(std::string_view property);
  void CreateControls(TWinControl& parent, HWND parentWindow);
  void OrderTabStops(TWinControl& parent);
  void BuildAccelerators();
  void ApplyFrame();
  void ShowNative(bool visible);
  void DpiChanged(UINT dpi, const RECT& suggested);

  Win32Desktop& desktop_;
  TForm& form_;
  WeakRef<const Persistent> alive_;
  Subscription subscription_;
  HWND hwnd_ = nullptr;
  HWND tooltip_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::vector<ShortCut> acceleratorShortCuts_;  // by command id - kAcceleratorBase
  std::vector<std::unique_ptr<ControlBinding>> controls_;
  std::unique_ptr<MenuBinding> menus_;
  int nextControlId_ = 1000;
  UINT dpi_ = 96;
};

}  // namespace lantervo::win32
