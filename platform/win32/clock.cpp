#include "platform/clock.h"

#include <windows.h>

namespace lantervo::platform {

std::uint32_t TickCount() {
  return GetTickCount();
}
void SleepMs(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

}  // namespace lantervo::platform
