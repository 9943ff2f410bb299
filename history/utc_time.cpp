#include "history/utc_time.h"

#include <chrono>
#include <cstdio>

namespace lantervo::history {

UtcDateTime UtcOf(std::int64_t utcMs) {
  std::int64_t ms = utcMs % 1000, seconds = utcMs / 1000;
  if (ms < 0) {
    ms += 1000;
    --seconds;
  }
  std::int64_t days = seconds / 86400, rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // The civil date of a day count (proleptic Gregorian), after Howard Hinnant's algorithm.
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  UtcDateTime t;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  t.millisecond = static_cast<int>(ms);
  return t;
}

std::int64_t UtcNowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string IsoUtc(std::int64_t utcMs) {
  const UtcDateTime t = UtcOf(utcMs);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  return text;
}

std::string CompactUtc(std::int64_t utcMs) {
  const UtcDateTime t = UtcOf(utcMs);
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace lantervo::history
