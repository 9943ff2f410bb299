// HTTP dates in cookie "Expires" attributes. The date is found token by token, so the usual
// layouts (RFC 1123, RFC 850, asctime and the Netscape form) all read the same.
#include <cstdint>
#include <optional>
#include <string_view>

#include "monitor/ascii.h"
#include "monitor/cookie_store.h"

namespace lantervo {

namespace {

bool IsDelimiter(char c) {
  return !((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == ':');
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Leading digits of a token (at least min, at most max); the value, or -1.
int LeadingNumber(std::string_view token, std::size_t min, std::size_t max, std::size_t* used) {
  std::size_t n = 0;
  int value = 0;
  while (n < token.size() && n < max && token[n] >= '0' && token[n] <= '9') {
    value = value * 10 + (token[n] - '0');
    ++n;
  }
  if (n < min || (n < token.size() && token[n] >= '0' && token[n] <= '9')) return -1;
  if (used) *used = n;
  return value;
}

bool ParseTime(std::string_view token, int& h, int& m, int& s) {
  int parts[3];
  for (int i = 0; i < 3; ++i) {
    std::size_t used = 0;
    parts[i] = LeadingNumber(token, 1, 2, &used);
    if (parts[i] < 0) return false;
    token.remove_prefix(used);
    if (i < 2) {
      if (token.empty() || token.front() != ':') return false;
      token.remove_prefix(1);
    }
  }
  h = parts[0];
  m = parts[1];
  s = parts[2];
  return true;
}

int MonthOf(std::string_view token) {
  static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};
  if (token.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    if (EqualsIgnoreCase(token.substr(0, 3), names[i])) return i + 1;
  }
  return 0;
}

}  // namespace

std::optional<std::int64_t> ParseHttpDate(std::string_view text) {
  bool haveTime = false, haveDay = false, haveMonth = false, haveYear = false;
  int hour = 0, minute = 0, second = 0, day = 0, month = 0, year = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsDelimiter(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsDelimiter(text[i])) ++i;
    std::string_view token = text.substr(start, i - start);
    if (token.empty()) continue;
    if (!haveTime && ParseTime(token, hour, minute, second)) {
      haveTime = true;
    } else if (!haveDay && LeadingNumber(token, 1, 2, nullptr) >= 0) {
      day = LeadingNumber(token, 1, 2, nullptr);
      haveDay = true;
    } else if (!haveMonth && MonthOf(token) != 0) {
      month = MonthOf(token);
      haveMonth = true;
    } else if (!haveYear && LeadingNumber(token, 2, 4, nullptr) >= 0) {
      year = LeadingNumber(token, 2, 4, nullptr);
      haveYear = true;
    }
  }
  if (!haveTime || !haveDay || !haveMonth || !haveYear) return std::nullopt;
  if (year >= 70 && year <= 99) year += 1900;
  if (year >= 0 && year <= 69) year += 2000;
  if (day < 1 || day > 31 || year < 1601 || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
         hour * 3600 + minute * 60 + second;
}

}  // namespace lantervo
