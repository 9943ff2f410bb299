#include "platform/clock.h"

#include <time.h>

namespace lantervo::platform {

std::uint32_t TickCount() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                  static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(ms);
}

namespace {
std::int64_t Ms(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}
}  // namespace

std::uint64_t SuspendedMs() {
  // The boot clock counts a suspend, the monotonic one does not.
  const std::int64_t monotonic = Ms(CLOCK_MONOTONIC);
  const std::int64_t boot = Ms(CLOCK_BOOTTIME);
  return boot > monotonic ? static_cast<std::uint64_t>(boot - monotonic) : 0;
}

void SleepMs(std::uint32_t milliseconds) {
  timespec ts{static_cast<time_t>(milliseconds / 1000),
              static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

}  // namespace lantervo::platform
