#include "frontends/qt/window_hints_x11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>

#include "toolkit/form.h"

namespace lantervo::qt {

namespace {

constexpr char kAtomName[] = "_MOTIF_WM_HINTS";

xcb_connection_t* X11Connection() {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 ? x11->connection() : nullptr;
}

xcb_atom_t HintsAtom(xcb_connection_t* connection) {
  auto* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, std::strlen(kAtomName), kAtomName), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

}  // namespace

std::optional<MotifHints> MotifHintsFor(const TForm& form) {
  if (form.GetBorderStyle() == bsNone || (form.BorderIcons() & biSystemMenu)) return std::nullopt;
  MotifHints hints;
  hints.flags = MotifHints::kFunctions | MotifHints::kDecorations;
  hints.functions = MotifHints::kMove;
  hints.decorations = MotifHints::kBorder | MotifHints::kTitle;
  return hints;
}

void SetMotifHints(QWidget& window, const MotifHints& hints) {
  xcb_connection_t* connection = X11Connection();
  if (!connection || !window.testAttribute(Qt::WA_WState_Created)) return;
  const xcb_atom_t atom = HintsAtom(connection);
  if (atom == XCB_ATOM_NONE) return;
  const std::uint32_t words[] = {hints.flags, hints.functions, hints.decorations, hints.inputMode,
                                 hints.status};
  // The same connection as Qt's: the hints reach the server before the window is mapped.
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                      atom, atom, 32, 5, words);
  xcb_flush(connection);
}

std::optional<MotifHints> ReadMotifHints(QWidget& window) {
  xcb_connection_t* connection = X11Connection();
  if (!connection || !window.testAttribute(Qt::WA_WState_Created)) return std::nullopt;
  const xcb_atom_t atom = HintsAtom(connection);
  auto* reply = xcb_get_property_reply(
      connection,
      xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), atom, atom, 0, 5),
      nullptr);
  std::optional<MotifHints> hints;
  if (reply && reply->format == 32 && xcb_get_property_value_length(reply) == 20) {
    const auto* words = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    hints = MotifHints{words[0], words[1], words[2], words[3], words[4]};
  }
  std::free(reply);
  return hints;
}

}  // namespace lantervo::qt
