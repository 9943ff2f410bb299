#pragma once
// Millisecond tick counter and sleep.
#include <cstdint>

namespace lantervo::platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
std::uint32_t TickCount();
void SleepMs(std::uint32_t milliseconds);

}  // namespace lantervo::platform
