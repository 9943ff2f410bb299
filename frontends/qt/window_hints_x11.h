#pragma once
// The window manager's view of a window's title bar on X11. Qt's flags leave the functions
// open for a window without buttons, so window managers add close, minimize and maximize;
// the Motif hints say what the window really offers.
#include <cstdint>
#include <optional>

class QWidget;

namespace lantervo {
class TForm;
}

namespace lantervo::qt {

// The five words of _MOTIF_WM_HINTS.
struct MotifHints {
  enum : std::uint32_t { kFunctions = 1, kDecorations = 2 };
  enum : std::uint32_t { kResize = 2, kMove = 4, kMinimize = 8, kMaximize = 16, kClose = 32 };
  enum : std::uint32_t { kBorder = 2, kResizeHandle = 4, kTitle = 8, kMenu = 16 };
  std::uint32_t flags = 0;
  std::uint32_t functions = 0;
  std::uint32_t decorations = 0;
  std::uint32_t inputMode = 0;
  std::uint32_t status = 0;
  bool operator==(const MotifHints&) const = default;
};

// A framed window without title-bar buttons has a title and a border and can be moved, and
// nothing else. Other windows keep the hints Qt derives from their flags (none here).
std::optional<MotifHints> MotifHintsFor(const TForm& form);
// Sets the hints of a created top-level window; nothing where the session is not X11.
void SetMotifHints(QWidget& window, const MotifHints& hints);
// The hints the X server holds for the window; none off X11 or where none are set.
std::optional<MotifHints> ReadMotifHints(QWidget& window);

}  // namespace lantervo::qt
