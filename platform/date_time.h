#pragma once
// Local date and time, and their text in the user's regional formats, as event-log lines carry it.
#include <cstdint>
#include <string>
#include <string_view>

namespace lantervo::platform {

struct LocalDateTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The current local time.
LocalDateTime LocalNow();
// A moment given as UTC milliseconds since 1970, in local time (the zone's rules of that day).
LocalDateTime LocalTimeOf(std::int64_t utcMs);

// `locale` names a locale such as "cs_CZ"; empty means the user's own. Windows uses the regional
// short date and long time formats (GetDateFormat/GetTimeFormat); Linux ICU's short date and
// medium time (hours, minutes and seconds) of the locale.
std::string FormatShortDate(const LocalDateTime& time, std::string_view locale = {});
std::string FormatLongTime(const LocalDateTime& time, std::string_view locale = {});
// Short date, a blank and the long time; the date alone when hours, minutes and seconds are all
// zero (the first second after midnight).
std::string FormatDateTime(const LocalDateTime& time, std::string_view locale = {});

}  // namespace lantervo::platform
