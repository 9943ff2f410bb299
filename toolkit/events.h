#pragma once
// User input as the platform reports it, and the handler types of component events.
#include <cstdint>
#include <functional>

namespace lantervo {

class Component;

// Keyboard input as the platform reports it: virtual-key codes and the shift state.
enum ShiftFlag : std::uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using ShiftState = std::uint32_t;
namespace keys {
constexpr std::uint16_t kTab = 0x09, kReturn = 0x0D, kEscape = 0x1B, kSpace = 0x20;
constexpr std::uint16_t kPrior = 0x21, kNext = 0x22, kEnd = 0x23, kHome = 0x24;
constexpr std::uint16_t kLeft = 0x25, kUp = 0x26, kRight = 0x27, kDown = 0x28;
constexpr std::uint16_t kInsert = 0x2D, kDelete = 0x2E, kF1 = 0x70, kF5 = 0x74;
}  // namespace keys

using NotifyEvent = std::function<void(Component& sender)>;
// Set key to 0 to discard the key.
using KeyEvent = std::function<void(Component& sender, std::uint16_t& key, ShiftState shift)>;
using KeyPressEvent = std::function<void(Component& sender, char32_t& key)>;

}  // namespace lantervo
