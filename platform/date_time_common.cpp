#include "platform/date_time.h"

namespace lantervo::platform {

std::string FormatDateTime(const LocalDateTime& time, std::string_view locale) {
  std::string text = FormatShortDate(time, locale);
  if (time.hour == 0 && time.minute == 0 && time.second == 0) return text;
  return text + " " + FormatLongTime(time, locale);
}

}  // namespace lantervo::platform
