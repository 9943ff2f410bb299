#pragma once
// Per-monitor DPI: the windows are laid out in pixels at 96 DPI (100 %) and scaled to the DPI of
// the monitor they are on, so text is drawn at its real size instead of being stretched.
#include <windows.h>

#include <cstdint>

namespace lantervo::win32 {

inline constexpr UINT kDesignDpi = 96;

// A length laid out at 96 DPI, at `dpi`.
int ScaleToDpi(std::int64_t value, UINT dpi);
// The DPI the window is drawn at: its monitor's where the system has per-monitor DPI (Windows 10
// 1607 and later), the system's otherwise.
UINT WindowDpi(HWND hwnd);
// AdjustWindowRectEx with the frame metrics of that DPI where the system has them.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, UINT dpi);

}  // namespace lantervo::win32
