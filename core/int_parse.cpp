#include "core/int_parse.h"

namespace lantervo {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';

  bool hex = false;
  if (i < s.size() && (s[i] == '$' || s[i] == 'x' || s[i] == 'X')) {
    hex = true;
    i += 1;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return std::nullopt;  // no digits

  std::uint64_t value = 0;
  int significant = 0;
  for (; i < s.size(); ++i) {
    const int digit = hex ? HexValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (digit < 0) return std::nullopt;
    if (hex) {
      if (value != 0 || digit != 0) ++significant;
      if (significant > 8) return std::nullopt;
      value = value * 16 + static_cast<std::uint64_t>(digit);
    } else {
      value = value * 10 + static_cast<std::uint64_t>(digit);
      if (value > 2147483648ULL) return std::nullopt;
    }
  }
  if (!hex && value == 2147483648ULL && !negative) return std::nullopt;

  std::uint32_t bits = static_cast<std::uint32_t>(value);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

}  // namespace lantervo
