#include "frontends/win32/dpi.h"

namespace lantervo::win32 {

namespace {

// Looked up at run time: Windows 7 and 8 have neither function and must still start the program.
template <class Function>
Function User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

int ScaleToDpi(std::int64_t value, UINT dpi) {
  return MulDiv(static_cast<int>(value), static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

UINT WindowDpi(HWND hwnd) {
  static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow && hwnd) {
    const UINT dpi = getDpiForWindow(hwnd);
    if (dpi != 0) return dpi;
  }
  return SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, UINT dpi) {
  static const auto adjustForDpi =
      User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
  if (adjustForDpi && adjustForDpi(&rect, style, menu ? TRUE : FALSE, exStyle, dpi)) return;
  AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, exStyle);
}

}  // namespace lantervo::win32
