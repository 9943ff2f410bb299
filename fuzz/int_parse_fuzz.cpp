// Checks the integer rule against a plain restatement of it built on std::from_chars.
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/int_parse.h"

namespace {

std::optional<std::int32_t> Reference(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  for (std::string_view prefix : {"0x", "0X", "$", "x", "X"})
    if (s.substr(0, prefix.size()) == prefix && s.size() > prefix.size()) {
      base = 16;
      s.remove_prefix(prefix.size());
      break;
    }
  if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
  if (base == 16) {
    while (s.size() > 1 && s.front() == '0') s.remove_prefix(1);
    if (s.size() > 8) return std::nullopt;
  }
  std::uint64_t v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  if (base == 10) {
    if (v > (negative ? 2147483648ULL : 2147483647ULL)) return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(v)
                                              : static_cast<std::int64_t>(v));
  }
  std::uint32_t bits = static_cast<std::uint32_t>(v);
  return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto value = lantervo::ParseInt32(text);
  if (value != Reference(text)) std::abort();
  if (value && lantervo::ParseInt32(std::to_string(*value)) != value) std::abort();
  return 0;
}
