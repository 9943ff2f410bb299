#pragma once
// Millisecond tick counter and sleep, and how long the machine has been asleep.
#include <cstdint>

namespace lantervo::platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
std::uint32_t TickCount();
void SleepMs(std::uint32_t milliseconds);
// Milliseconds the machine has spent suspended since it started: a jump between two readings
// is a sleep in between.
std::uint64_t SuspendedMs();

}  // namespace lantervo::platform
