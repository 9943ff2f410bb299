#pragma once
// The one integer rule for text the user or the registry supplies: optional leading blanks, an
// optional sign, then decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X", and
// nothing after them. Decimal must fit a signed 32-bit integer; hexadecimal may have at most
// eight significant digits and is read as 32-bit two's complement ("$FFFFFFFF" is -1).
#include <cstdint>
#include <optional>
#include <string_view>

namespace lantervo {

std::optional<std::int32_t> ParseInt32(std::string_view text);

}  // namespace lantervo
