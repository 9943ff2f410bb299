// Reader of the server list file: a hand-written parser, because the document is 8-bit
// code-page text without an encoding declaration, which a strict XML parser rejects.
#include <algorithm>
#include <cstdint>

#include "core/list_file.h"
#include "platform/code_page.h"
#include "platform/error.h"

namespace lantervo {

namespace {

const char* const kMismatch = "Mismatch in datapacket.";
const char* const kNoMetadata = "Datapacket contains no meta data.";

[[noreturn]] void Mismatch() {
  throw Error(kMismatch);
}

bool IsBlank(unsigned char c) {
  return c >= 1 && c <= 32;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

struct Attribute {
  std::string_view name;
  std::string_view raw;  // still escaped
};

// Decodes the five named entities and numeric references, each to one byte.
void DecodeInto(std::string_view raw, std::string& out) {
  out.clear();
  const size_t n = raw.size();
  size_t i = 0;
  while (i < n) {
    const size_t amp = raw.find('&', i);
    if (amp == std::string_view::npos) {
      out.append(raw.data() + i, n - i);
      break;
    }
    out.append(raw.data() + i, amp - i);
    i = amp;
    std::string_view rest = raw.substr(i);
    auto named = [&](std::string_view entity, char value) {
      if (rest.substr(0, entity.size()) != entity) return false;
      out += value;
      i += entity.size();
      return true;
    };
    if (named("&lt;", '<') || named("&gt;", '>') || named("&amp;", '&') || named("&apos;", '\'') ||
        named("&quot;", '"'))
      continue;
    if (rest.size() >= 3 && rest[1] == '#') {
      const bool hex = rest[2] == 'x';
      size_t j = hex ? 3 : 2;
      std::uint32_t value = 0;
      size_t digits = 0;
      for (; j < rest.size(); ++j, ++digits) {
        const char c = rest[j];
        unsigned d;
        if (c >= '0' && c <= '9')
          d = static_cast<unsigned>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
          d = static_cast<unsigned>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
          d = static_cast<unsigned>(c - 'A' + 10);
        else
          break;
        value = value * (hex ? 16u : 10u) + d;  // only the low 8 bits matter
      }
      if (digits > 0 && j < rest.size() && rest[j] == ';') {
        out += static_cast<char>(value & 0xFF);
        i += j + 1;
        continue;
      }
    }
    out += '&';  // an '&' that begins no reference is taken unchanged
    ++i;
  }
}

class Parser {
 public:
  explicit Parser(std::string_view doc) : d_(doc) {}

  void SkipMisc() {
    for (;;) {
      while (p_ < d_.size() && (IsBlank(Byte(p_)) || d_[p_] == '\0')) ++p_;
      if (Starts("<!--")) {
        size_t end = d_.find("-->", p_ + 4);
        if (end == std::string_view::npos) Mismatch();
        p_ = end + 3;
      } else if (Starts("<?")) {
        size_t end = d_.find("?>", p_ + 2);
        if (end == std::string_view::npos) Mismatch();
        p_ = end + 2;
      } else {
        return;
      }
    }
  }

  // Reads "<name attr=... " up to '>' or "/>"; returns true for an empty element.
  template <typename OnAttribute>
  bool StartTag(std::string_view& name, OnAttribute&& onAttribute) {
    if (!Starts("<") || Starts("</")) Mismatch();
    ++p_;
    name = Name();
    if (name.empty()) Mismatch();
    for (;;) {
      SkipBlanks();
      if (p_ >= d_.size()) Mismatch();
      if (d_[p_] == '>') {
        ++p_;
        return false;
      }
      if (Starts("/>")) {
        p_ += 2;
        return true;
      }
      std::string_view attr = Name();
      if (attr.empty()) Mismatch();
      SkipBlanks();
      if (p_ >= d_.size() || d_[p_] != '=') Mismatch();
      ++p_;
      SkipBlanks();
      if (p_ >= d_.size() || (d_[p_] != '"' && d_[p_] != '\'')) Mismatch();
      const char quote = d_[p_++];
      const size_t end = d_.find(quote, p_);
      if (end == std::string_view::npos) Mismatch();
      onAttribute(Attribute{attr, d_.substr(p_, end - p_)});
      p_ = end + 1;
    }
  }

  // After a non-empty start tag: true when the next thing is the end tag of `name`.
  bool AtEndTag(std::string_view name) {
    SkipMisc();
    if (!Starts("</")) {
      if (p_ >= d_.size()) Mismatch();
      if (d_[p_] != '<') SkipText();
      SkipMisc();
      if (!Starts("</")) return false;
    }
    size_t q = p_ + 2;
    size_t save = p_;
    p_ = q;
    std::string_view closing = Name();
    SkipBlanks();
    if (closing != name || p_ >= d_.size() || d_[p_] != '>') {
      p_ = save;
      Mismatch();
    }
    ++p_;
    return true;
  }

  // Skips an element whose start tag has been read.
  void SkipContent(std::string_view name) {
    while (!AtEndTag(name)) {
      std::string_view child;
      if (!StartTag(child, [](const Attribute&) {})) SkipContent(child);
    }
  }

  bool Starts(std::string_view s) const { return d_.substr(p_, s.size()) == s; }
  size_t Pos() const { return p_; }
  bool AtEnd() const { return p_ >= d_.size(); }

 private:
  unsigned char Byte(size_t i) const { return static_cast<unsigned char>(d_[i]); }
  void SkipBlanks() {
    while (p_ < d_.size() && IsBlank(Byte(p_))) ++p_;
  }
  void SkipText() {
    while (p_ < d_.size() && d_[p_] != '<') ++p_;
  }
  std::string_view Name() {
    const size_t start = p_;
    while (p_ < d_.size()) {
      const unsigned char c = Byte(p_);
      if (IsBlank(c) || c == '/' || c == '>' || c == '=' || c == '<' || c == '"' || c == '\'' ||
          c == 0)
        break;
      ++p_;
    }
    return d_.substr(start, p_ - start);
  }

  std::string_view d_;
  size_t p_ = 0;
};

struct TypeInfo {
  FieldType family;
  const char* typeName;
  bool known;
};

TypeInfo TypeOf(std::string_view fileType) {
  struct Entry {
    const char* fileType;
    FieldType family;
    const char* name;
    bool usable;
  };
  static const Entry kTypes[] = {
      {"string", FieldType::Text, "String", true},
      {"boolean", FieldType::Boolean, "Boolean", true},
      {"i4", FieldType::Integer, "Integer", true},
      {"i2", FieldType::Integer, "SmallInt", true},
      {"ui2", FieldType::Integer, "Word", true},
      {"string.uni", FieldType::Text, "WideString", false},
      {"i1", FieldType::Integer, "Shortint", false},
      {"ui1", FieldType::Integer, "Byte", false},
      {"ui4", FieldType::Integer, "LongWord", false},
      {"i8", FieldType::Integer, "LargeInt", false},
      {"r8", FieldType::Text, "Float", false},
      {"r4", FieldType::Text, "Single", false},
      {"fixed", FieldType::Text, "BCD", false},
      {"fixedFMT", FieldType::Text, "FMTBcd", false},
      {"date", FieldType::Text, "Date", false},
      {"time", FieldType::Text, "Time", false},
      {"datetime", FieldType::Text, "DateTime", false},
      {"bin.hex", FieldType::Text, "Blob", false},
  };
  for (const Entry& e : kTypes)
    if (fileType == e.fileType) return {e.family, e.name, e.usable};
  return {FieldType::Text, "Unknown", false};
}

int ParseWidth(std::string_view raw) {
  if (raw.empty() || raw.size() > 5) return 0;
  unsigned value = 0;
  for (char c : raw) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value <= 65535 ? static_cast<int>(value) : 0;
}

// Integer attribute: null when empty or a letter comes before the first digit; otherwise the
// decimal number at the start (optional sign, digits up to the first non-digit).
Cell IntegerCell(std::string_view v) {
  Cell cell;
  size_t i = 0;
  while (i < v.size() && v[i] == ' ') ++i;
  bool negative = false;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
  long long value = 0;
  size_t digits = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i, ++digits) {
    value = value * 10 + (v[i] - '0');
    if (value > 2147483648LL) return cell;  // beyond 32 bits: no value
  }
  if (digits == 0) return cell;
  if (negative) value = -value;
  if (value > INT32_MAX) return cell;
  cell.kind = Cell::Kind::Integer;
  cell.number = static_cast<std::int32_t>(value);
  return cell;
}

Cell BooleanCell(std::string_view v) {
  Cell cell;
  if (v.empty()) return cell;
  cell.kind = Cell::Kind::Boolean;
  cell.number = (v[0] == 'T' || v[0] == 't') ? 1 : 0;
  return cell;
}

}  // namespace

void ReadDataPacket(std::string_view document, ServerTable& table) {
  const platform::CodePage& codePage = table.CodePage();
  std::string converted;
  bool utf8 = false;
  if (document.substr(0, 3) == "\xEF\xBB\xBF") {
    document.remove_prefix(3);
    utf8 = true;
  }
  size_t start = 0;
  while (start < document.size() && IsBlank(static_cast<unsigned char>(document[start]))) ++start;
  if (start >= document.size() || document[start] != '<') Mismatch();

  // The declaration may announce UTF-8; only a document that really is UTF-8 is converted.
  if (document.substr(start, 5) == "<?xml") {
    const size_t end = document.find("?>", start);
    if (end == std::string_view::npos) Mismatch();
    std::string_view decl = document.substr(start + 5, end - start - 5);
    for (size_t pos = 0; (pos = decl.find('=', pos)) != std::string_view::npos; ++pos) {
      size_t nameEnd = pos;
      while (nameEnd > 0 && IsBlank(static_cast<unsigned char>(decl[nameEnd - 1]))) --nameEnd;
      size_t nameStart = nameEnd;
      while (nameStart > 0 && !IsBlank(static_cast<unsigned char>(decl[nameStart - 1])))
        --nameStart;
      size_t v = pos + 1;
      while (v < decl.size() && IsBlank(static_cast<unsigned char>(decl[v]))) ++v;
      if (v >= decl.size() || (decl[v] != '"' && decl[v] != '\'')) continue;
      const size_t close = decl.find(decl[v], v + 1);
      if (close == std::string_view::npos) break;
      if (EqualsNoCase(decl.substr(nameStart, nameEnd - nameStart), "encoding") &&
          EqualsNoCase(decl.substr(v + 1, close - v - 1), "UTF-8"))
        utf8 = true;
    }
  }
  if (utf8 && platform::IsValidUtf8(document)) {
    converted = codePage.FromUtf8(document);
    document = converted;
  }

  Parser parser(document);
  parser.SkipMisc();
  std::string_view name;
  if (parser.AtEnd()) Mismatch();
  bool empty = parser.StartTag(name, [](const Attribute&) {});
  if (name != "DATAPACKET") Mismatch();
  if (empty) throw Error(kNoMetadata);

  std::vector<FieldDef> fields;
  std::vector<std::vector<Cell>> rows;
  bool haveMetadata = false;
  std::string decoded;

  auto parseFields = [&]() {
    while (!parser.AtEndTag("FIELDS")) {
      std::string_view tag;
      FieldDef field;
      bool haveName = false;
      std::string_view widthRaw;
      const bool fieldEmpty = parser.StartTag(tag, [&](const Attribute& a) {
        if (a.name == "attrname") {
          DecodeInto(a.raw, decoded);
          field.name = decoded;
          haveName = true;
        } else if (a.name == "fieldtype") {
          DecodeInto(a.raw, decoded);
          field.fileType = decoded;
        } else if (a.name == "WIDTH") {
          widthRaw = a.raw;
        }
      });
      if (!fieldEmpty) parser.SkipContent(tag);
      if (tag != "FIELD") continue;
      if (!haveName) Mismatch();
      const TypeInfo type = TypeOf(field.fileType);
      field.type = type.family;
      field.width = ParseWidth(widthRaw);
      field.storeWidth = field.width;
      fields.push_back(std::move(field));
    }
  };

  auto parseMetadata = [&]() {
    while (!parser.AtEndTag("METADATA")) {
      std::string_view tag;
      const bool childEmpty = parser.StartTag(tag, [](const Attribute&) {});
      if (tag == "FIELDS") {
        if (!childEmpty) parseFields();
      } else if (!childEmpty) {
        parser.SkipContent(tag);  // PARAMS and anything else: accepted, not used
      }
    }
    haveMetadata = true;
  };

  // Field bindings: the ten record fields must be declared with a type of their family.
  std::vector<int> declaredIndex;
  auto bindFields = [&]() {
    for (const FieldDef& record : ServerTable::RecordFields()) {
      auto it = std::find_if(fields.begin(), fields.end(),
                             [&](const FieldDef& f) { return EqualsNoCase(f.name, record.name); });
      if (it == fields.end())
        throw Error(std::string(ServerTable::kName) + ": Field '" + record.name + "' not found");
      const TypeInfo declared = TypeOf(it->fileType);
      if (declared.family != record.type || !declared.known) {
        const char* expecting = TypeOf(record.fileType).typeName;
        throw Error(std::string(ServerTable::kName) + ": Type mismatch for field '" + record.name +
                    "', expecting: " + expecting + " actual: " + declared.typeName);
      }
      if (record.type == FieldType::Text) {
        if (it->width <= 0) it->width = record.width;
        it->storeWidth = std::min(it->width, record.width);
      }
    }
  };

  auto parseRows = [&]() {
    while (!parser.AtEndTag("ROWDATA")) {
      std::string_view tag;
      std::vector<Cell> cells(fields.size());
      long long rowState = 0;
      const bool rowEmpty = parser.StartTag(tag, [&](const Attribute& a) {
        if (a.name == "RowState") {
          DecodeInto(a.raw, decoded);
          rowState = IntegerCell(decoded).number;
          return;
        }
        for (size_t f = 0; f < fields.size(); ++f) {
          if (a.name != fields[f].name) continue;
          DecodeInto(a.raw, decoded);
          switch (TypeOf(fields[f].fileType).known ? fields[f].type : FieldType::Text) {
            case FieldType::Text: {
              Cell& cell = cells[f];
              cell.kind = Cell::Kind::Text;
              const size_t nul = decoded.find('\0');
              if (nul != std::string::npos) decoded.resize(nul);
              cell.text =
                  fields[f].width > 0 ? table.CutToWidth(decoded, fields[f].width) : decoded;
              break;
            }
            case FieldType::Boolean:
              cells[f] = BooleanCell(decoded);
              break;
            case FieldType::Integer:
              cells[f] = IntegerCell(decoded);
              break;
          }
          return;
        }
        // Attributes naming no declared field are ignored.
      });
      if (!rowEmpty) parser.SkipContent(tag);
      if (tag != "ROW") continue;
      if (rowState & (1 | 2 | 32)) continue;
      rows.push_back(std::move(cells));
    }
  };

  while (!parser.AtEndTag("DATAPACKET")) {
    std::string_view tag;
    const bool childEmpty = parser.StartTag(tag, [](const Attribute&) {});
    if (tag == "METADATA") {
      if (!childEmpty)
        parseMetadata();
      else
        haveMetadata = true;
      bindFields();
    } else if (tag == "ROWDATA") {
      if (!haveMetadata) throw Error(kNoMetadata);
      if (!childEmpty) parseRows();
    } else if (!childEmpty) {
      parser.SkipContent(tag);
    }
  }
  if (!haveMetadata) throw Error(kNoMetadata);
  table.Load(std::move(fields), std::move(rows));
}

}  // namespace lantervo
