#include "monitor/form_encoding.h"

#include <string_view>

#include "monitor/ascii.h"

namespace lantervo {

namespace {

bool KeptAsIs(unsigned char c) {
  switch (c) {
    case '*':
    case '#':
    case '%':
    case '<':
    case '>':
    case '[':
    case ']':
      return false;
    default:
      // Blank and everything below it, and every byte of a character beyond ASCII.
      return c > ' ' && c < 0x80;
  }
}

}  // namespace

std::string EncodeFormValue(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    auto byte = static_cast<unsigned char>(c);
    if (KeptAsIs(byte)) {
      out += c;
    } else {
      AppendPercentByte(out, byte);
    }
  }
  return out;
}

std::string EncodeForm(const std::vector<std::string>& fields) {
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) joined += "\r\n";
    const std::string& line = fields[i];
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) {
      joined += line;
    } else {
      joined.append(line, 0, eq + 1);
      joined += EncodeFormValue(line.substr(eq + 1));
    }
  }
  std::string_view trimmed = TrimControls(joined);
  std::string out;
  out.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size(); ++i) {
    auto byte = static_cast<unsigned char>(trimmed[i]);
    if (fields.size() > 1 && trimmed.compare(i, 2, "\r\n") == 0) {
      out += '&';
      ++i;
    } else if (byte >= 0x80) {
      AppendPercentByte(out, byte);
    } else {
      out += trimmed[i];
    }
  }
  return out;
}

}  // namespace lantervo
