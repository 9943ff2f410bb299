#include "frontends/win32/win32_desktop.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "frontends/win32/control_binding.h"
#include "frontends/win32/form_window.h"
#include "frontends/win32/native_art.h"
#include "platform/utf.h"
#include "toolkit/form.h"
#include "toolkit/images.h"
#include "toolkit/tray_icon.h"

namespace lantervo::win32 {

namespace {

const wchar_t* const kHelperClass = L"LantervoHelper";

void CopyText(wchar_t* target, std::size_t capacity, const std::string& text) {
  const std::wstring wide = platform::Widen(text);
  wcsncpy(target, wide.c_str(), capacity - 1);
  target[capacity - 1] = L'\0';
}

TForm* OwningForm(Component& component) {
  for (Component* c = &component; c; c = c->Owner())
    if (auto* form = dynamic_cast<TForm*>(c)) return form;
  return nullptr;
}

}  // namespace

Win32Desktop::Win32Desktop(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES |
                                            ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{sizeof(wc)};
  wc.lpfnWndProc = HelperProc;
  wc.hInstance = instance_;
  wc.lpszClassName = kHelperClass;
  RegisterClassExW(&wc);
  FormWindow::RegisterClass(instance_, FormWindow::DefaultClassName());
  ControlBinding::RegisterClasses(instance_);
  helper_ = CreateWindowExW(0, kHelperClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_,
                            nullptr);
  SetWindowLongPtrW(helper_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  wakeTarget_ = helper_;
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  HandOffs().SetWakeUp([this] { PostMessageW(wakeTarget_.load(), kHandOffMessage, 0, 0); });
}

Win32Desktop::~Win32Desktop() {
  HandOffs().SetWakeUp({});
  for (auto& [icon, entry] : trayIcons_) {
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof(nid);
    nid.hWnd = entry.window;
    nid.uID = entry.id;
    Shell_NotifyIconW(NIM_DELETE, &nid);
  }
  for (const auto& [id, tick] : timers_) KillTimer(helper_, static_cast<UINT_PTR>(id));
  forms_.clear();
  DestroyWindow(helper_);
}

LRESULT CALLBACK Win32Desktop::HelperProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Desktop*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == kHandOffMessage) {
    self->HandOffs().Drain();
    return 0;
  }
  if (self && msg == kPostedMessage) {
    self->RunPosted();
    return 0;
  }
  if (self && msg == WM_TIMER) {
    auto it = self->timers_.find(static_cast<TimerId>(wParam));
    if (it != self->timers_.end()) {
      // A copy: the tick may stop its own timer.
      std::function<void()> tick = it->second;
      self->Dispatch(tick);
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND Win32Desktop::WindowOf(const TForm& form) {
  FormWindow* binding = Binding(form);
  if (!binding) return nullptr;
  HWND hwnd = binding->Realize();
  if (&form == MainForm() && hwnd) wakeTarget_ = hwnd;
  return hwnd;
}

FormWindow* Win32Desktop::Binding(const TForm& form) const {
  auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second.get();
}

HWND Win32Desktop::Owner(const TForm* form) {
  return form ? WindowOf(*form) : nullptr;
}

MessageBoxAnswer Win32Desktop::ShowMessageBox(const TForm* owner, const std::string& caption,
                                              const std::string& text, MessageBoxIcon icon,
                                              MessageBoxButtons buttons) {
  UINT style = static_cast<UINT>(buttons);  // MB_OK .. MB_RETRYCANCEL, in the same order
  switch (icon) {
    case MessageBoxIcon::Error:
      style |= MB_ICONERROR;
      break;
    case MessageBoxIcon::Question:
      style |= MB_ICONQUESTION;
      break;
    case MessageBoxIcon::Warning:
      style |= MB_ICONWARNING;
      break;
    case MessageBoxIcon::Information:
      style |= MB_ICONINFORMATION;
      break;
    case MessageBoxIcon::None:
      break;
  }
  // Hand-offs queued before the box opens are run by its own loop, like later ones.
  const int answer = MessageBoxW(Owner(owner), platform::Widen(text).c_str(),
                                 platform::Widen(caption).c_str(), style);
  return static_cast<MessageBoxAnswer>(answer);
}

int Win32Desktop::CaptionWidth(const TFont& font, const std::string& caption) {
  // As the controls draw it: the font at the design resolution, "&" marks taken as prefixes.
  HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, FontFor(font));
  const std::wstring text = platform::Widen(caption);
  RECT bounds{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &bounds, DT_CALCRECT | DT_SINGLELINE);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);
  return static_cast<int>(bounds.right - bounds.left);
}

bool Win32Desktop::ShellOpen(const TForm* owner, const std::string& target) {
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      Owner(owner), L"open", platform::Widen(target).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

std::uint16_t Win32Desktop::AddGlobalAtom(const std::string& name) {
  return GlobalAddAtomW(platform::Widen(name).c_str());
}

bool Win32Desktop::RegisterHotKey(TForm& window, int id, std::uint32_t modifiers,
                                  std::uint32_t virtualKey) {
  return ::RegisterHotKey(WindowOf(window), id, modifiers, virtualKey) != FALSE;
}

bool Win32Desktop::UnregisterHotKey(TForm& window, int id) {
  return ::UnregisterHotKey(WindowOf(window), id) != FALSE;
}

bool Win32Desktop::FindTopLevelWindow(const std::string& className) {
  return FindWindowW(platform::Widen(className).c_str(), nullptr) != nullptr;
}

void Win32Desktop::SetForeground(TForm& window) {
  SetForegroundWindow(WindowOf(window));
}

void Win32Desktop::FormCreated(TForm& form) {
  forms_[&form] = std::make_unique<FormWindow>(*this, form);
}

void Win32Desktop::FormDestroyed(TForm& form) {
  auto it = forms_.find(&form);
  if (it == forms_.end()) return;
  if (it->second->Handle() == wakeTarget_.load()) wakeTarget_ = helper_;
  // Icons shown through this window go with it.
  for (auto tray = trayIcons_.begin(); tray != trayIcons_.end();) {
    if (tray->second.window == it->second->Handle()) {
      NOTIFYICONDATAW nid{};
      nid.cbSize = sizeof(nid);
      nid.hWnd = tray->second.window;
      nid.uID = tray->second.id;
      Shell_NotifyIconW(NIM_DELETE, &nid);
      tray = trayIcons_.erase(tray);
    } else {
      ++tray;
    }
  }
  forms_.erase(it);
}

NOTIFYICONDATAW Win32Desktop::IconData(TTrayIcon& icon, TrayEntry& entry) const {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = entry.window;
  nid.uID = entry.id;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  nid.uCallbackMessage = kTrayMessage;
  std::string image;
  if (const TImageList* list = icon.Icons())
    if (icon.IconIndex() >= 0 && icon.IconIndex() < list->Count())
      image = list->Images()[static_cast<int>(icon.IconIndex())];
  nid.hIcon = ArtworkIcon(image.empty() ? "app_icon" : image);
  CopyText(nid.szTip, std::size(nid.szTip), icon.PlatformHint());
  return nid;
}

void Win32Desktop::AddTrayIcon(TTrayIcon& icon, TrayEntry& entry) {
  NOTIFYICONDATAW nid = IconData(icon, entry);
  entry.present = Shell_NotifyIconW(NIM_ADD, &nid) != FALSE;
  if (entry.present) ++entry.adds;
}

void Win32Desktop::TrayShow(TTrayIcon& icon) {
  TrayEntry& entry = trayIcons_[&icon];
  if (entry.id == 0) entry.id = nextTrayId_++;
  TForm* form = OwningForm(icon);
  entry.window = form ? WindowOf(*form) : nullptr;
  if (!entry.window) entry.window = helper_;
  AddTrayIcon(icon, entry);
}

void Win32Desktop::TrayUpdate(TTrayIcon& icon) {
  auto it = trayIcons_.find(&icon);
  if (it == trayIcons_.end()) return;
  NOTIFYICONDATAW nid = IconData(icon, it->second);
  if (!Shell_NotifyIconW(NIM_MODIFY, &nid)) AddTrayIcon(icon, it->second);
}

void Win32Desktop::TrayHide(TTrayIcon& icon) {
  auto it = trayIcons_.find(&icon);
  if (it == trayIcons_.end()) return;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = it->second.window;
  nid.uID = it->second.id;
  Shell_NotifyIconW(NIM_DELETE, &nid);
  trayIcons_.erase(it);
}

void Win32Desktop::TrayBalloon(TTrayIcon& icon, const Balloon& balloon) {
  auto it = trayIcons_.find(&icon);
  if (it == trayIcons_.end()) return;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = it->second.window;
  nid.uID = it->second.id;
  nid.uFlags = NIF_INFO;
  // Title and text arrive cut to 63 and 255 UTF-16 units, which the fields hold with the NUL.
  CopyText(nid.szInfoTitle, std::size(nid.szInfoTitle), balloon.title);
  CopyText(nid.szInfo, std::size(nid.szInfo), balloon.text);
  nid.dwInfoFlags = static_cast<DWORD>(balloon.flags);  // bfInfo/bfWarning/bfError = NIIF_*
  nid.uTimeout = static_cast<UINT>(balloon.timeout);
  Shell_NotifyIconW(NIM_MODIFY, &nid);
  it->second.balloon = nid;
  it->second.hasBalloon = true;
}

void Win32Desktop::OnTaskbarCreated() {
  for (auto& [icon, entry] : trayIcons_) AddTrayIcon(*icon, entry);
}

void Win32Desktop::OnTrayMessage(WPARAM id, LPARAM event) {
  for (auto& [icon, entry] : trayIcons_) {
    if (entry.id != id) continue;
    TTrayIcon* target = icon;
    switch (LOWORD(event)) {
      case WM_LBUTTONDBLCLK:
        Dispatch([target] { target->DblClick(); });
        break;
      case WM_LBUTTONUP:
        Dispatch([target] { target->Click(); });
        break;
      case WM_RBUTTONUP:
      case WM_CONTEXTMENU: {
        POINT at{};
        GetCursorPos(&at);
        Dispatch([target, at] { target->ContextPopup(at.x, at.y); });
        break;
      }
      default:
        break;
    }
    return;
  }
}

int Win32Desktop::TrayAdds(const TTrayIcon& icon) const {
  auto it = trayIcons_.find(const_cast<TTrayIcon*>(&icon));
  return it == trayIcons_.end() ? 0 : it->second.adds;
}

bool Win32Desktop::TrayPresent(const TTrayIcon& icon) const {
  auto it = trayIcons_.find(const_cast<TTrayIcon*>(&icon));
  return it != trayIcons_.end() && it->second.present;
}

const NOTIFYICONDATAW* Win32Desktop::LastBalloon(const TTrayIcon& icon) const {
  auto it = trayIcons_.find(const_cast<TTrayIcon*>(&icon));
  return it != trayIcons_.end() && it->second.hasBalloon ? &it->second.balloon : nullptr;
}

Desktop::TimerId Win32Desktop::StartTimer(std::uint32_t interval, std::function<void()> tick) {
  const TimerId id = nextTimer_++;
  timers_[id] = std::move(tick);
  SetTimer(helper_, static_cast<UINT_PTR>(id), interval, nullptr);
  return id;
}

void Win32Desktop::StopTimer(TimerId id) {
  if (timers_.erase(id)) KillTimer(helper_, static_cast<UINT_PTR>(id));
}

void Win32Desktop::Post(std::function<void()> operation) {
  // One message stands for everything posted until it arrives; any loop of the thread (a
  // message box's too) delivers it to the helper window.
  posted_.push_back(std::move(operation));
  if (posted_.size() == 1) PostMessageW(helper_, kPostedMessage, 0, 0);
}

void Win32Desktop::RunPosted() {
  // What these operations post in turn waits for the next message.
  std::deque<std::function<void()>> batch;
  batch.swap(posted_);
  for (const auto& operation : batch) Dispatch(operation);
}

bool Win32Desktop::PreTranslate(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  HWND top = GetAncestor(msg.hwnd, GA_ROOT);
  for (auto& [form, binding] : forms_) {
    if (binding->Handle() != top || !top) continue;
    // Disabling a window leaves the focus in its control, whose keys keep coming; but a
    // window that a dialog or box has disabled takes no input, shortcuts least of all.
    if (!IsWindowEnabled(top)) return true;
    if (HACCEL accelerators = binding->Accelerators())
      if (TranslateAcceleratorW(top, accelerators, &msg)) return true;
    return binding->UsesDialogKeys() && IsDialogMessageW(top, &msg);
  }
  return false;
}

void Win32Desktop::Run() {
  if (TForm* main = MainForm()) WindowOf(*main);
  HandOffs().Drain();
  MSG msg;
  while (!quit_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (PreTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  quit_ = false;
}

void Win32Desktop::Quit() {
  quit_ = true;
  PostQuitMessage(0);
}

}  // namespace lantervo::win32
