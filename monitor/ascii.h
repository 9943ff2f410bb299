#pragma once
// ASCII text helpers for protocol text: header names, attribute names and numbers.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lantervo {

char UpperAscii(char c);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
// Position of the first occurrence of `needle` in any letter case, or npos.
std::size_t FindIgnoreCase(std::string_view text, std::string_view needle);
// Without blanks and tabs at both ends.
std::string_view TrimBlanks(std::string_view text);
// Without blanks and control characters at both ends.
std::string_view TrimControls(std::string_view text);
// A decimal number with an optional sign that fits 32 bits, nothing else.
std::optional<std::int32_t> ParseDecimalInt32(std::string_view text);
// Two upper-case hexadecimal digits after "%".
void AppendPercentByte(std::string& out, unsigned char byte);
// An IPv4 literal, or an IPv6 literal in brackets, as written in a URL.
bool IsIpHost(std::string_view host);

}  // namespace lantervo
