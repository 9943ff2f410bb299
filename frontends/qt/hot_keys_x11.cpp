#include "frontends/qt/hot_keys_x11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>

#include "toolkit/desktop.h"

namespace lantervo::qt {

namespace {

xcb_connection_t* Connection(void* c) {
  return static_cast<xcb_connection_t*>(c);
}

std::uint16_t MaskOf(std::uint32_t modifiers) {
  std::uint16_t mask = 0;
  if (modifiers & kModAlt) mask |= XCB_MOD_MASK_1;
  if (modifiers & kModControl) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & kModShift) mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & kModWin) mask |= XCB_MOD_MASK_4;
  return mask;
}

// Caps Lock and Num Lock must not stop the hot key, so each grab comes in these variants.
constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                           XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
constexpr std::uint16_t kRelevant =
    XCB_MOD_MASK_1 | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_4;

// The keysym of a virtual-key code: letters as their lower-case keysym, digits as themselves.
std::uint32_t KeysymOf(std::uint32_t virtualKey) {
  if (virtualKey >= 'A' && virtualKey <= 'Z') return virtualKey - 'A' + 'a';
  if (virtualKey >= '0' && virtualKey <= '9') return virtualKey;
  return 0;
}

}  // namespace

std::unique_ptr<X11HotKeys> X11HotKeys::Create(Pressed pressed) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return nullptr;
  xcb_connection_t* connection = x11->connection();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (!screen) return nullptr;
  auto hotKeys =
      std::unique_ptr<X11HotKeys>(new X11HotKeys(connection, screen->root, std::move(pressed)));
  qApp->installNativeEventFilter(hotKeys.get());
  return hotKeys;
}

X11HotKeys::X11HotKeys(void* connection, std::uint32_t root, Pressed pressed)
    : connection_(connection), root_(root), pressed_(std::move(pressed)) {}

X11HotKeys::~X11HotKeys() {
  if (qApp) qApp->removeNativeEventFilter(this);
  for (const Grabbed& g : std::vector<Grabbed>(grabbed_)) Ungrab(g.modifiers, g.virtualKey);
}

std::uint8_t X11HotKeys::KeycodeOf(std::uint32_t virtualKey) const {
  const std::uint32_t keysym = KeysymOf(virtualKey);
  if (keysym == 0) return 0;
  xcb_connection_t* c = Connection(connection_);
  const xcb_setup_t* setup = xcb_get_setup(c);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  auto cookie = xcb_get_keyboard_mapping(c, setup->min_keycode, static_cast<std::uint8_t>(count));
  xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(c, cookie, nullptr);
  if (!reply) return 0;
  const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
  const int perCode = reply->keysyms_per_keycode;
  std::uint8_t found = 0;
  for (int code = 0; code < count && !found; ++code)
    for (int i = 0; i < perCode; ++i)
      if (syms[code * perCode + i] == keysym) {
        found = static_cast<std::uint8_t>(setup->min_keycode + code);
        break;
      }
  std::free(reply);
  return found;
}

bool X11HotKeys::Grab(std::uint32_t modifiers, std::uint32_t virtualKey) {
  const std::uint8_t keycode = KeycodeOf(virtualKey);
  if (keycode == 0) return false;
  xcb_connection_t* c = Connection(connection_);
  const std::uint16_t mask = MaskOf(modifiers);
  bool ok = true;
  for (const std::uint16_t lock : kLockVariants) {
    auto cookie = xcb_grab_key_checked(c, 1, root_, mask | lock, keycode, XCB_GRAB_MODE_ASYNC,
                                       XCB_GRAB_MODE_ASYNC);
    if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
      ok = false;  // BadAccess: another client holds it
      std::free(error);
    }
  }
  if (!ok) {
    for (const std::uint16_t lock : kLockVariants) xcb_ungrab_key(c, keycode, root_, mask | lock);
    xcb_flush(c);
    return false;
  }
  grabbed_.push_back({modifiers, virtualKey, keycode, mask});
  return true;
}

void X11HotKeys::Ungrab(std::uint32_t modifiers, std::uint32_t virtualKey) {
  auto it = std::find_if(grabbed_.begin(), grabbed_.end(), [&](const Grabbed& g) {
    return g.modifiers == modifiers && g.virtualKey == virtualKey;
  });
  if (it == grabbed_.end()) return;
  xcb_connection_t* c = Connection(connection_);
  for (const std::uint16_t lock : kLockVariants)
    xcb_ungrab_key(c, it->keycode, root_, it->mask | lock);
  xcb_flush(c);
  grabbed_.erase(it);
}

bool X11HotKeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
  auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
  for (const Grabbed& g : grabbed_) {
    if (press->detail == g.keycode && (press->state & kRelevant) == g.mask) {
      const Grabbed hit = g;  // the handler may ungrab
      pressed_(hit.modifiers, hit.virtualKey);
      return true;
    }
  }
  return false;
}

}  // namespace lantervo::qt
