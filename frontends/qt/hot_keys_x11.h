#pragma once
// Global hot keys on X11: a key grab on the root window through the xcb connection Qt uses,
// and a native event filter that sees the grabbed presses.
#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace lantervo::qt {

class X11HotKeys : public QAbstractNativeEventFilter {
 public:
  using Pressed = std::function<void(std::uint32_t modifiers, std::uint32_t virtualKey)>;

  // Null where the session is not an X11 one (Wayland, offscreen).
  static std::unique_ptr<X11HotKeys> Create(Pressed pressed);
  ~X11HotKeys() override;

  // Modifiers and keys as the platform numbers them (kModControl, 'W'). False when another
  // program holds the combination or the key does not exist on the keyboard.
  bool Grab(std::uint32_t modifiers, std::uint32_t virtualKey);
  void Ungrab(std::uint32_t modifiers, std::uint32_t virtualKey);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Grabbed {
    std::uint32_t modifiers, virtualKey;
    std::uint8_t keycode;
    std::uint16_t mask;
  };
  X11HotKeys(void* connection, std::uint32_t root, Pressed pressed);
  std::uint8_t KeycodeOf(std::uint32_t virtualKey) const;

  void* connection_;  // xcb_connection_t, owned by Qt
  std::uint32_t root_;
  Pressed pressed_;
  std::vector<Grabbed> grabbed_;
};

}  // namespace lantervo::qt
