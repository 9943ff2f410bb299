#include "platform/date_time.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/utf.h"

namespace lantervo::platform {

namespace {

SYSTEMTIME ToSystemTime(const LocalDateTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return st;
}

// "cs_CZ" -> L"cs-CZ"; empty -> the user's default locale.
std::wstring LocaleName(std::string_view locale) {
  std::wstring name = Widen(locale);
  for (auto& c : name)
    if (c == L'_') c = L'-';
  return name;
}

const wchar_t* NameOrDefault(const std::wstring& name) {
  return name.empty() ? LOCALE_NAME_USER_DEFAULT : name.c_str();
}

}  // namespace

LocalDateTime LocalNow() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

LocalDateTime LocalTimeOf(std::int64_t utcMs) {
  // FILETIME counts 100 ns from 1601-01-01.
  const std::int64_t ticks = (utcMs + 11644473600000LL) * 10000;
  FILETIME utc{static_cast<DWORD>(ticks & 0xFFFFFFFF), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&utc, &universal) ||
      !SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local))
    return {};
  return {local.wYear,   local.wMonth,  local.wDay,         local.wHour,
          local.wMinute, local.wSecond, local.wMilliseconds};
}

std::string FormatShortDate(const LocalDateTime& time, std::string_view locale) {
  const SYSTEMTIME st = ToSystemTime(time);
  const std::wstring name = LocaleName(locale);
  wchar_t buf[128];
  int n = GetDateFormatEx(NameOrDefault(name), DATE_SHORTDATE, &st, nullptr, buf, 128, nullptr);
  if (n <= 0) throw Error("Date formatting failed");
  return Narrow(std::wstring_view(buf, static_cast<size_t>(n - 1)));
}

std::string FormatLongTime(const LocalDateTime& time, std::string_view locale) {
  const SYSTEMTIME st = ToSystemTime(time);
  const std::wstring name = LocaleName(locale);
  wchar_t buf[128];
  int n = GetTimeFormatEx(NameOrDefault(name), 0, &st, nullptr, buf, 128);
  if (n <= 0) throw Error("Time formatting failed");
  return Narrow(std::wstring_view(buf, static_cast<size_t>(n - 1)));
}

}  // namespace lantervo::platform
