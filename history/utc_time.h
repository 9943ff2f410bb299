#pragma once
// UTC moments (milliseconds since 1970) as calendar text, without the platform's time zones.
#include <cstdint>
#include <string>

namespace lantervo::history {

struct UtcDateTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};
UtcDateTime UtcOf(std::int64_t utcMs);
// Now, from the system clock.
std::int64_t UtcNowMs();
// "2026-12-10T13:45:07.123Z"
std::string IsoUtc(std::int64_t utcMs);
// "20261210-134507"
std::string CompactUtc(std::int64_t utcMs);

}  // namespace lantervo::history
