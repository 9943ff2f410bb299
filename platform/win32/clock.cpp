#include "platform/clock.h"

#include <windows.h>

namespace lantervo::platform {

std::uint32_t TickCount() {
  return GetTickCount();
}
void SleepMs(std::uint32_t milliseconds) {
  Sleep(milliseconds);
}

std::uint64_t SuspendedMs() {
  // The tick count runs on through a sleep; the unbiased interrupt time (100 ns units) stops.
  ULONGLONG unbiased = 0;
  if (!QueryUnbiasedInterruptTime(&unbiased)) return 0;
  const ULONGLONG ticks = GetTickCount64();
  const ULONGLONG awake = unbiased / 10000;
  return ticks > awake ? ticks - awake : 0;
}

}  // namespace lantervo::platform
