#include "frontends/win32/form_window.h"

#include <commctrl.h>

#include <algorithm>

#include "frontends/win32/control_binding.h"
#include "frontends/win32/dpi.h"
#include "frontends/win32/menu_binding.h"
#include "frontends/win32/native_art.h"
#include "frontends/win32/win32_desktop.h"
#include "platform/utf.h"
#include "toolkit/form.h"
#include "toolkit/menus.h"

namespace lantervo::win32 {

namespace {

// Command ids of the window's keyboard shortcuts; menu items and controls use lower ones.
constexpr WORD kAcceleratorBase = 0x9000;

struct Frame {
  DWORD style;
  DWORD exStyle;
};

Frame FrameOf(const TForm& form, bool mainWindow) {
  DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  DWORD exStyle = mainWindow ? WS_EX_APPWINDOW : 0;
  const auto border = form.GetBorderStyle();
  const auto icons = form.BorderIcons();
  switch (border) {
    case bsNone:
      style |= WS_POPUP;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      style |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      style |= WS_CAPTION | DS_MODALFRAME;
      exStyle |= WS_EX_DLGMODALFRAME;
      break;
    default:  // bsSingle, bsToolWindow: a fixed single border
      style |= WS_CAPTION;
      break;
  }
  if (border == bsToolWindow || border == bsSizeToolWin) exStyle |= WS_EX_TOOLWINDOW;
  if (border != bsNone && (icons & biSystemMenu)) {
    style |= WS_SYSMENU;
    if ((icons & biMinimize) && border != bsDialog) style |= WS_MINIMIZEBOX;
    if ((icons & biMaximize) && (border == bsSingle || border == bsSizeable))
      style |= WS_MAXIMIZEBOX;
  }
  return {style, exStyle};
}

// The client size is laid out at 96 DPI; the position is a place on the screen and stays as set.
RECT OuterRect(const TForm& form, HWND hwnd, const Frame& frame, UINT dpi) {
  RECT r{0, 0, ScaleToDpi(form.ClientWidth(), dpi), ScaleToDpi(form.ClientHeight(), dpi)};
  AdjustWindowRectForDpi(r, frame.style, hwnd && GetMenu(hwnd), frame.exStyle, dpi);
  LONG left = static_cast<LONG>(form.Left());
  LONG top = static_cast<LONG>(form.Top());
  if (form.GetPosition() != poDesigned) {
    left = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  }
  return {left, top, left + (r.right - r.left), top + (r.bottom - r.top)};
}

}  // namespace

void FormWindow::RegisterClass(HINSTANCE instance, const std::wstring& className) {
  WNDCLASSEXW existing{sizeof(existing)};
  if (GetClassInfoExW(instance, className.c_str(), &existing)) return;
  WNDCLASSEXW wc{sizeof(wc)};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
  wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
  wc.lpszClassName = className.c_str();
  RegisterClassExW(&wc);
}

FormWindow::FormWindow(Win32Desktop& desktop, TForm& form)
    : desktop_(desktop), form_(form), alive_(MakeWeak(form)) {
  subscription_ =
      form_.Subscribe([this](Persistent&, std::string_view property) { FormChanged(property); });
}

FormWindow::~FormWindow() {
  subscription_.Reset();
  menus_.reset();
  // Children before the containers that hold them.
  while (!controls_.empty()) controls_.pop_back();
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
}

bool FormWindow::UsesDialogKeys() const {
  return &form_ != desktop_.MainForm();
}

HWND FormWindow::Realize() {
  if (hwnd_) return hwnd_;
  const bool mainWindow = &form_ == desktop_.MainForm();
  std::wstring className = form_.WindowClassName().empty()
                               ? std::wstring(DefaultClassName())
                               : platform::Widen(form_.WindowClassName());
  RegisterClass(desktop_.Instance(), className);
  // Dialogs belong to the main window: no taskbar buttons of their own, always above it.
  HWND owner = nullptr;
  if (!mainWindow && desktop_.MainForm()) owner = desktop_.WindowOf(*desktop_.MainForm());
  const Frame frame = FrameOf(form_, mainWindow);
  dpi_ = WindowDpi(nullptr);
  const RECT r = OuterRect(form_, nullptr, frame, dpi_);
  CreateWindowExW(frame.exStyle, className.c_str(), platform::Widen(form_.Caption()).c_str(),
                  frame.style, r.left, r.top, r.right - r.left, r.bottom - r.top, owner, nullptr,
                  desktop_.Instance(), this);
  if (!hwnd_) return nullptr;
  // The monitor the window came up on decides; ApplyFrame below sizes it for that.
  dpi_ = WindowDpi(hwnd_);
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, desktop_.Instance(), nullptr);
  menus_ = std::make_unique<MenuBinding>(*this);
  menus_->SetMainMenu(form_.Menu());
  CreateControls(form_, hwnd_);
  BuildAccelerators();
  ApplyFrame();
  EnableWindow(hwnd_, form_.Enabled());
  if (form_.Visible()) ShowNative(true);
  return hwnd_;
}

void FormWindow::ApplyFrame() {
  if (!hwnd_) return;
  const Frame frame = FrameOf(form_, &form_ == desktop_.MainForm());
  const DWORD visible = GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE;
  SetWindowLongW(hwnd_, GWL_STYLE, static_cast<LONG>(frame.style | visible));
  SetWindowLongW(hwnd_, GWL_EXSTYLE, static_cast<LONG>(frame.exStyle));
  const RECT r = OuterRect(form_, hwnd_, frame, dpi_);
  SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int FormWindow::Scale(std::int64_t value) const {
  return ScaleToDpi(value, dpi_);
}

// Moved to a monitor of another DPI (or the user changed its scale): the window takes the
// rectangle Windows suggests, and its controls their scaled places and fonts.
void FormWindow::DpiChanged(UINT dpi, const RECT& suggested) {
  dpi_ = dpi != 0 ? dpi : kDesignDpi;
  for (auto& control : controls_) control->DpiChanged();
  SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FormWindow::ShowNative(bool visible) {
  if (!visible) {
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  SyncControls();
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  UpdateWindow(hwnd_);
}

void FormWindow::FormChanged(std::string_view property) {
  if (!hwnd_) {
    // A window that was never needed comes into being when it is first shown.
    if (property == prop::Visible && form_.Visible()) Realize();
    return;
  }
  if (property == prop::Visible) {
    ShowNative(form_.Visible());
  } else if (property == prop::Caption) {
    SetWindowTextW(hwnd_, platform::Widen(form_.Caption()).c_str());
  } else if (property == prop::Enabled) {
    EnableWindow(hwnd_, form_.Enabled());
  } else if (property == prop::Menu) {
    menus_->SetMainMenu(form_.Menu());
    ApplyFrame();
  } else if (property == prop::Color) {
    InvalidateRect(hwnd_, nullptr, TRUE);
  } else if (property == prop::Left || property == prop::Top || property == prop::Width ||
             property == prop::Height || property == prop::BorderStyle ||
             property == prop::BorderIcons || property == prop::Position) {
    ApplyFrame();
  }
}

void FormWindow::SyncControls() {
  if (!hwnd_) return;
  CreateControls(form_, hwnd_);
  menus_->WatchPopups();
  BuildAccelerators();  // actions may have come since the window was made
}

void FormWindow::CreateControls(TWinControl& parent, HWND parentWindow) {
  bool added = false;
  for (TControl* control : parent.Controls()) {
    auto found = std::find_if(controls_.begin(), controls_.end(),
                              [&](const auto& b) { return &b->Control() == control; });
    ControlBinding* binding = found == controls_.end() ? nullptr : found->get();
    if (!binding) {
      auto made = MakeBinding(*this, *control);
      if (!made) continue;
      made->Create(parentWindow, nextControlId_++);
      binding = made.get();
      controls_.push_back(std::move(made));
      added = true;
    }
    if (auto* container = dynamic_cast<TWinControl*>(control))
      if (!container->Controls().empty()) CreateControls(*container, binding->Handle());
  }
  if (added) OrderTabStops(parent);
}

void FormWindow::OrderTabStops(TWinControl& parent) {
  // Tab moves through the windows in z-order, so they are stacked in tab order.
  std::vector<ControlBinding*> ordered;
  for (TControl* control : parent.Controls())
    for (auto& b : controls_)
      if (&b->Control() == control) ordered.push_back(b.get());
  auto rank = [](ControlBinding* b) -> std::int64_t {
    auto* wc = dynamic_cast<TWinControl*>(&b->Control());
    return wc && wc->TabOrder() >= 0 ? wc->TabOrder() : INT64_MAX;
  };
  std::stable_sort(ordered.begin(), ordered.end(),
                   [&](ControlBinding* a, ControlBinding* b) { return rank(a) < rank(b); });
  HWND after = HWND_TOP;
  for (ControlBinding* b : ordered) {
    SetWindowPos(b->Handle(), after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = b->Handle();
  }
}

void FormWindow::BuildAccelerators() {
  if (accelerators_) DestroyAcceleratorTable(accelerators_);
  accelerators_ = nullptr;
  acceleratorShortCuts_.clear();
  std::vector<ACCEL> table;
  for (Component* component : form_.Components()) {
    auto* list = dynamic_cast<TActionList*>(component);
    if (!list) continue;
    for (TAction* action : list->Actions()) {
      const ShortCut shortCut = action->GetShortCut();
      if (shortCut == 0) continue;
      BYTE flags = FVIRTKEY;
      if (shortCut & scCtrl) flags |= FCONTROL;
      if (shortCut & scShift) flags |= FSHIFT;
      if (shortCut & scAlt) flags |= FALT;
      table.push_back({flags, static_cast<WORD>(shortCut & 0xFF),
                       static_cast<WORD>(kAcceleratorBase + acceleratorShortCuts_.size())});
      acceleratorShortCuts_.push_back(shortCut);
    }
  }
  if (!table.empty())
    accelerators_ = CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

void FormWindow::SetTooltip(HWND control, const std::string& text) {
  if (!tooltip_) return;
  TTTOOLINFOW info{};
  info.cbSize = sizeof(info);
  info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  info.hwnd = hwnd_;
  info.uId = reinterpret_cast<UINT_PTR>(control);
  SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  if (text.empty()) return;
  std::wstring wide = platform::Widen(text);
  info.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT CALLBACK FormWindow::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  FormWindow* self;
  if (msg == WM_NCCREATE) {
    self = static_cast<FormWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<FormWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  // A form whose object is already gone only waits to be destroyed.
  if (!self || !self->Alive()) return DefWindowProcW(hwnd, msg, wParam, lParam);
  return self->Handle(msg, wParam, lParam);
}

LRESULT FormWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == desktop_.TaskbarCreatedMessage() && msg != 0) {
    desktop_.OnTaskbarCreated();
    return 0;
  }
  switch (msg) {
    case kHandOffMessage:
      desktop_.HandOffs().Drain();
      return 0;
    case kTrayMessage:
      desktop_.OnTrayMessage(wParam, lParam);
      return 0;
    case WM_COMMAND: {
      if (lParam != 0) {
        if (ControlBinding* b = ControlBinding::Of(reinterpret_cast<HWND>(lParam)))
          b->Command(HIWORD(wParam));
        return 0;
      }
      const WORD id = LOWORD(wParam);
      if (HIWORD(wParam) == 1 && id >= kAcceleratorBase &&
          id < kAcceleratorBase + acceleratorShortCuts_.size()) {
        const ShortCut shortCut = acceleratorShortCuts_[id - kAcceleratorBase];
        ShiftState shift = 0;
        if (shortCut & scCtrl) shift |= ssCtrl;
        if (shortCut & scShift) shift |= ssShift;
        if (shortCut & scAlt) shift |= ssAlt;
        desktop_.Dispatch(
            [&] { form_.IsShortCut(static_cast<std::uint16_t>(shortCut & 0xFF), shift); });
        return 0;
      }
      if (menus_) menus_->Command(id);
      return 0;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      LRESULT result = 0;
      if (ControlBinding* b = ControlBinding::Of(header->hwndFrom))
        if (b->Notify(*header, result)) return result;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (ControlBinding* b = ControlBinding::Of(reinterpret_cast<HWND>(lParam)))
        if (HBRUSH brush = b->ControlColors(reinterpret_cast<HDC>(wParam)))
          return reinterpret_cast<LRESULT>(brush);
      break;
    case WM_SETCURSOR:
      if (ControlBinding* b = ControlBinding::Of(reinterpret_cast<HWND>(wParam))) {
        if (b->Control().CursorShape() == crHandPoint && LOWORD(lParam) == HTCLIENT) {
          SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649) /* IDC_HAND */));
          return TRUE;
        }
      }
      break;
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd_, &r);
      FillRect(reinterpret_cast<HDC>(wParam), &r, SolidBrush(form_.ControlColor()));
      return 1;
    }
    case WM_CLOSE:
      // The close box, Alt+F4 and the system menu ask the form, which may only hide. A window
      // without a close box is left only through its buttons: Alt+F4 must not hide a dialog
      // and leave the main window disabled.
      if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_SYSMENU)
        desktop_.Dispatch([this] { form_.Close(); });
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // Log-off and shut-down end the program like Quit, so the list file gets written.
      if (wParam && &form_ == desktop_.MainForm()) form_.EndSession();
      return 0;
    case WM_POWERBROADCAST:
      // Every top-level window hears it; the main window's tells the program once.
      if (&form_ == desktop_.MainForm()) {
        if (wParam == PBT_APMSUSPEND) desktop_.PowerChanged(PowerEvent::Suspending);
        // An automatic resume comes first, and one the user caused follows it.
        if (wParam == PBT_APMRESUMEAUTOMATIC) desktop_.PowerChanged(PowerEvent::Resumed);
      }
      return TRUE;
    case WM_DPICHANGED:
      DpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_HOTKEY:
      desktop_.Dispatch([this, wParam] { form_.HotKey(static_cast<int>(wParam)); });
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace lantervo::win32
