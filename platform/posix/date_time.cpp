#include "platform/date_time.h"

#include <time.h>
#include <unicode/udat.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <utility>

#include "platform/error.h"
#include "platform/locale.h"
#include "platform/utf.h"

namespace lantervo::platform {

namespace {

struct FormatDeleter {
  void operator()(UDateFormat* f) const { udat_close(f); }
};
using FormatPtr = std::unique_ptr<UDateFormat, FormatDeleter>;

// The locale whose formats the user chose for dates and times.
std::string TimeLocaleName() {
  for (const char* var : {"LC_ALL", "LC_TIME"}) {
    const char* v = std::getenv(var);
    if (v && *v) {
      std::string s(v);
      s.resize(s.find_first_of(".@") == std::string::npos ? s.size() : s.find_first_of(".@"));
      return s == "C" || s == "POSIX" ? "en_US" : s;
    }
  }
  return UserLocaleName();
}

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

// The fields are formatted in UTC so that they come out exactly as given, whatever the zone.
UDate AsUtcDate(const LocalDateTime& t) {
  const long long days =
      DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day));
  const long long ms =
      ((days * 24 + t.hour) * 60 + t.minute) * 60000LL + t.second * 1000LL + t.millisecond;
  return static_cast<UDate>(ms);
}

// Formatters are costly to open and not thread-safe: one per thread, locale and style.
UDateFormat* Formatter(const std::string& locale, UDateFormatStyle timeStyle,
                       UDateFormatStyle dateStyle) {
  thread_local std::map<std::pair<std::string, int>, FormatPtr> cache;
  const auto id = std::make_pair(locale, timeStyle * 100 + dateStyle);
  auto it = cache.find(id);
  if (it != cache.end()) return it->second.get();
  UErrorCode status = U_ZERO_ERROR;
  static const UChar kUtc[] = u"UTC";
  UDateFormat* f = udat_open(timeStyle, dateStyle, locale.c_str(), kUtc, -1, nullptr, 0, &status);
  if (U_FAILURE(status)) throw Error("Date format of locale '" + locale + "' is not available");
  cache.emplace(id, FormatPtr(f));
  return f;
}

std::string Format(const LocalDateTime& time, std::string_view locale, UDateFormatStyle timeStyle,
                   UDateFormatStyle dateStyle) {
  const std::string name = locale.empty() ? TimeLocaleName() : std::string(locale);
  UDateFormat* f = Formatter(name, timeStyle, dateStyle);
  UChar buf[128];
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = udat_format(f, AsUtcDate(time), buf, 128, nullptr, &status);
  if (U_FAILURE(status) || n > 128) throw Error("Date formatting failed");
  std::u16string text(reinterpret_cast<const char16_t*>(buf), static_cast<size_t>(n));
  // Newer locale data puts a narrow no-break space before AM/PM, which 8-bit code pages
  // cannot hold; the log gets the plain blank Windows writes there.
  for (auto& c : text)
    if (c == u'\u202F') c = u' ';
  return Utf16ToUtf8(text);
}

}  // namespace

LocalDateTime LocalNow() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm local;
  localtime_r(&ts.tv_sec, &local);
  return {local.tm_year + 1900,
          local.tm_mon + 1,
          local.tm_mday,
          local.tm_hour,
          local.tm_min,
          local.tm_sec,
          static_cast<int>(ts.tv_nsec / 1000000)};
}

LocalDateTime LocalTimeOf(std::int64_t utcMs) {
  std::int64_t seconds = utcMs / 1000;
  std::int64_t millis = utcMs % 1000;
  if (millis < 0) {
    millis += 1000;
    --seconds;
  }
  const time_t t = static_cast<time_t>(seconds);
  tm local;
  localtime_r(&t, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,           local.tm_hour,
          local.tm_min,         local.tm_sec,     static_cast<int>(millis)};
}

std::string FormatShortDate(const LocalDateTime& time, std::string_view locale) {
  return Format(time, locale, UDAT_NONE, UDAT_SHORT);
}

std::string FormatLongTime(const LocalDateTime& time, std::string_view locale) {
  return Format(time, locale, UDAT_MEDIUM, UDAT_NONE);
}

}  // namespace lantervo::platform
