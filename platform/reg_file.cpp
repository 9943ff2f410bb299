#include "platform/reg_file.h"

#include <algorithm>
#include <cstdio>

#include "platform/utf.h"

namespace lantervo::platform {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

// Text as the file holds it: regedit writes UTF-16LE with a byte-order mark; people write UTF-8.
std::string AsUtf8(std::string_view text) {
  if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
      static_cast<unsigned char>(text[1]) == 0xFE) {
    std::u16string wide;
    for (size_t i = 2; i + 1 < text.size(); i += 2)
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(text[i]) |
                                           (static_cast<unsigned char>(text[i + 1]) << 8)));
    return Utf16ToUtf8(wide);
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return std::string(text);
}

// Lines joined where a hex list continues with a trailing backslash; comments dropped.
std::vector<std::string> LogicalLines(std::string_view text) {
  std::vector<std::string> lines;
  bool continues = false;
  while (!text.empty() || continues) {
    size_t end = text.find('\n');
    std::string_view line = TrimRight(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (continues) {
      line = TrimLeft(line);
    } else {
      if (TrimLeft(line).substr(0, 1) == ";") continue;
      lines.emplace_back();
    }
    continues = !line.empty() && line.back() == '\\';
    if (continues) line.remove_suffix(1);
    lines.back().append(line);
    if (continues && text.empty()) break;  // a continuation at the very end: keep what there is
  }
  return lines;
}

// A quoted text with \\ and \" escapes; `s` starts at the opening quote and is left after the
// closing one.
std::optional<std::string> ParseQuoted(std::string_view& s) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::string out;
  size_t i = 1;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') break;
    if (c == '\\') {
      if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return std::nullopt;
      c = s[++i];
    }
    out.push_back(c);
  }
  if (i >= s.size()) return std::nullopt;
  s.remove_prefix(i + 1);
  return out;
}

std::optional<std::uint32_t> ParseHexNumber(std::string_view s) {
  if (s.empty() || s.size() > 8) return std::nullopt;
  std::uint32_t v = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<std::uint32_t>(d);
  }
  return v;
}

// "01,02, ff" -> bytes; an empty list is no bytes.
std::optional<std::string> ParseHexBytes(std::string_view s) {
  std::string out;
  s = TrimLeft(s);
  if (s.empty()) return out;
  for (;;) {
    s = TrimLeft(s);
    if (s.size() < 2 || HexDigit(s[0]) < 0 || HexDigit(s[1]) < 0) return std::nullopt;
    out.push_back(static_cast<char>(HexDigit(s[0]) * 16 + HexDigit(s[1])));
    s = TrimLeft(s.substr(2));
    if (s.empty()) return out;
    if (s.front() != ',') return std::nullopt;
    s.remove_prefix(1);
  }
}

bool ParseValueLine(std::string_view line, RegKey& key) {
  std::string name;
  if (line.front() == '@') {
    line.remove_prefix(1);
  } else {
    auto quoted = ParseQuoted(line);
    if (!quoted || !IsStorableValueName(*quoted)) return false;
    name = std::move(*quoted);
  }
  if (line.empty() || line.front() != '=') return false;
  line.remove_prefix(1);
  if (!line.empty() && line.front() == '"') {
    auto text = ParseQuoted(line);
    if (!text || !TrimRight(line).empty()) return false;
    key.Set(name, kRegSz, EncodeRegString(*text));
    return true;
  }
  if (line.substr(0, 6) == "dword:") {
    auto v = ParseHexNumber(line.substr(6));
    if (!v) return false;
    key.Set(name, kRegDword, EncodeRegDword(*v));
    return true;
  }
  std::uint32_t type = kRegBinary;
  if (line.substr(0, 4) == "hex(") {
    size_t close = line.find(')');
    if (close == std::string_view::npos) return false;
    auto t = ParseHexNumber(line.substr(4, close - 4));
    if (!t) return false;
    type = *t;
    line.remove_prefix(close + 1);
  } else if (line.substr(0, 3) == "hex") {
    line.remove_prefix(3);
  } else {
    return false;  // includes "-", the deletion of a value
  }
  if (line.empty() || line.front() != ':') return false;
  auto bytes = ParseHexBytes(line.substr(1));
  if (!bytes) return false;
  key.Set(name, type, std::move(*bytes));
  return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

void AppendHex(std::string& out, std::string_view bytes) {
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(bytes[i]));
    if (i) out.push_back(',');
    out.append(buf, 2);
  }
}

// Text that reads back as the same bytes and fits on one line can be written in quotes.
bool QuotableText(const std::string& data) {
  const std::string text = DecodeRegString(data);
  if (EncodeRegString(text) != data) return false;
  return std::none_of(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; });
}

void AppendValue(std::string& out, const RegValue& v) {
  if (v.name.empty())
    out.push_back('@');
  else
    AppendQuoted(out, v.name);
  out.push_back('=');
  char buf[32];
  if (v.type == kRegSz && QuotableText(v.data)) {
    AppendQuoted(out, DecodeRegString(v.data));
  } else if (v.type == kRegDword && v.data.size() == 4) {
    std::uint32_t x = 0;
    for (int i = 3; i >= 0; --i)
      x = x << 8 | static_cast<unsigned char>(v.data[static_cast<size_t>(i)]);
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(x));
    out.append(buf);
  } else {
    if (v.type == kRegBinary) {
      out.append("hex:");
    } else {
      std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
      out.append(buf);
    }
    AppendHex(out, v.data);
  }
  out.append("\r\n");
}

}  // namespace

bool RegNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

const RegValue* RegKey::Find(std::string_view name) const {
  for (const auto& v : values)
    if (RegNamesEqual(v.name, name)) return &v;
  return nullptr;
}

void RegKey::Set(std::string_view name, std::uint32_t type, std::string data) {
  for (auto& v : values)
    if (RegNamesEqual(v.name, name)) {
      v.type = type;
      v.data = std::move(data);
      return;
    }
  values.push_back(RegValue{std::string(name), type, std::move(data)});
}

bool RegKey::Remove(std::string_view name) {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const RegValue& v) { return RegNamesEqual(v.name, name); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

const RegKey* RegStore::FindKey(std::string_view path) const {
  for (const auto& k : keys_)
    if (RegNamesEqual(k.path, path)) return &k;
  return nullptr;
}

RegKey* RegStore::FindKey(std::string_view path) {
  return const_cast<RegKey*>(static_cast<const RegStore*>(this)->FindKey(path));
}

RegKey& RegStore::AddKey(std::string_view path) {
  if (RegKey* k = FindKey(path)) return *k;
  keys_.push_back(RegKey{std::string(path), {}});
  return keys_.back();
}

std::optional<RegStore> ParseRegFile(std::string_view text) {
  const std::string utf8 = AsUtf8(text);
  RegStore store;
  RegKey* key = nullptr;
  bool header = false;
  for (const std::string& raw : LogicalLines(utf8)) {
    std::string_view line = TrimLeft(raw);
    if (line.empty()) continue;
    if (!header) {
      if (line != kHeader) return std::nullopt;
      header = true;
      continue;
    }
    if (line.front() == '[') {
      if (line.back() != ']') return std::nullopt;
      std::string_view path = line.substr(1, line.size() - 2);
      if (!IsStorableKeyPath(path)) return std::nullopt;
      key = &store.AddKey(path);
      continue;
    }
    if ((line.front() != '"' && line.front() != '@') || !key) return std::nullopt;
    if (!ParseValueLine(line, *key)) return std::nullopt;
  }
  if (!header) return std::nullopt;
  return store;
}

std::string FormatRegFile(const RegStore& store) {
  std::string out(kHeader);
  out.append("\r\n\r\n");
  for (const auto& key : store.Keys()) {
    out.append("[").append(key.path).append("]\r\n");
    for (const auto& v : key.values) AppendValue(out, v);
    out.append("\r\n");
  }
  return out;
}

bool IsStorableValueName(std::string_view name) {
  return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

bool IsStorableKeyPath(std::string_view path) {
  // A trailing backslash would read as a continued line.
  return !path.empty() && path.front() != '-' && path.back() != '\\' && IsStorableValueName(path);
}

std::string EncodeRegString(std::string_view utf8) {
  const std::u16string wide = Utf8ToUtf16(utf8);
  std::string out;
  out.reserve(wide.size() * 2 + 2);
  for (char16_t c : wide) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  out.append(2, '\0');
  return out;
}

std::string DecodeRegString(std::string_view data) {
  std::u16string wide;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t c = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                       (static_cast<unsigned char>(data[i + 1]) << 8));
    if (c == 0) break;
    wide.push_back(c);
  }
  return Utf16ToUtf8(wide);
}

std::string EncodeRegDword(std::uint32_t value) {
  std::string out(4, '\0');
  for (size_t i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

}  // namespace lantervo::platform
