#include "core/list_file.h"

#include <charconv>
#include <cstring>

#include "platform/error.h"
#include "platform/file.h"

namespace lantervo {

namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
constexpr std::string_view kAfterFields = "</FIELDS><PARAMS/></METADATA><ROWDATA>";
constexpr std::string_view kTrailer = "</ROWDATA></DATAPACKET>";

void AppendInt(std::string& out, long long value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

}  // namespace

void AppendEscaped(std::string& out, std::string_view bytes, const platform::CodePage& codePage) {
  const bool dbcs = codePage.IsDoubleByte();
  const size_t n = bytes.size();
  size_t plainStart = 0;
  auto flush = [&](size_t upTo) {
    if (upTo > plainStart) out.append(bytes.data() + plainStart, upTo - plainStart);
  };
  for (size_t i = 0; i < n; ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (dbcs && codePage.IsLeadByte(c) && i + 1 < n) {
      ++i;  // the trail byte of a double-byte character is never escaped
      continue;
    }
    const char* escape;
    switch (c) {
      case '<':
        escape = "&lt;";
        break;
      case '>':
        escape = "&gt;";
        break;
      case '\'':
        escape = "&apos;";
        break;
      case '"':
        escape = "&quot;";
        break;
      case '\r':
        escape = "&#013;";
        break;
      case '\n':
        escape = "&#010;";
        break;
      case '\t':
        escape = "&#009;";
        break;
      case '\\':
        escape = "&#092;";
        break;
      case '&':
        if (i + 1 < n && bytes[i + 1] == '\x01') {
          flush(i);
          out += "&#";
          ++i;  // the byte 1 after it is dropped
          plainStart = i + 1;
          continue;
        }
        escape = "&amp;";
        break;
      default:
        continue;
    }
    flush(i);
    out += escape;
    plainStart = i + 1;
  }
  flush(n);
}

std::string WriteDataPacket(const ServerTable& table) {
  const auto& fields = table.Fields();
  const auto rows = table.RowsInEntryOrder();
  std::string out;
  size_t estimate = 400 + fields.size() * 64;
  for (const Row* row : rows)
    for (size_t f = 0; f < fields.size(); ++f)
      estimate += fields[f].name.size() + row->cells[f].text.size() + 16;
  out.reserve(estimate + estimate / 8);
  out += kHeader;
  for (const FieldDef& field : fields) {
    out += "<FIELD attrname=\"";
    AppendEscaped(out, field.name, table.CodePage());
    out += "\" fieldtype=\"";
    AppendEscaped(out, field.fileType, table.CodePage());
    out += '"';
    if (field.width > 0) {
      out += " WIDTH=\"";
      AppendInt(out, field.width);
      out += '"';
    }
    out += "/>";
  }
  out += kAfterFields;
  for (const Row* row : rows) {
    out += "<ROW";
    for (size_t f = 0; f < fields.size(); ++f) {
      const Cell& cell = row->cells[f];
      if (cell.IsNull()) continue;
      out += ' ';
      out += fields[f].name;
      out += "=\"";
      switch (cell.kind) {
        case Cell::Kind::Text:
          AppendEscaped(out, cell.text, table.CodePage());
          break;
        case Cell::Kind::Boolean:
          out += cell.number ? "TRUE" : "FALSE";
          break;
        case Cell::Kind::Integer:
          AppendInt(out, cell.number);
          break;
        case Cell::Kind::Null:
          break;
      }
      out += '"';
    }
    out += "/>";
  }
  out += kTrailer;
  return out;
}

void ServerTable::SaveList(const std::string& path) {
  RequireOpen();
  CheckBrowseMode();
  const std::string document = WriteDataPacket(*this);
  const platform::WriteResult result = platform::WriteFileAtomically(path, document);
  if (result.ok) return;
  if (result.stage == platform::WriteStage::Write) throw Error("Stream write error");
  throw Error("Cannot create file \"" + path + "\". " + result.message);
}

void ServerTable::OpenList() {
  if (open_) return;
  if (FileName.empty() || !platform::FileExists(FileName))
    Fail("Missing data provider or data packet");
  std::string document;
  const platform::FileResult read = platform::ReadWholeFile(FileName, document);
  if (!read.ok) throw Error("Cannot open file \"" + FileName + "\". " + read.message);
  if (document.empty()) Fail("Missing data provider or data packet");
  ReadDataPacket(document, *this);
}

void ServerTable::FlushList() {
  if (!open_) return;
  if (!FileName.empty() && (changed_ || !platform::FileExists(FileName))) SaveList(FileName);
}

void ServerTable::CloseList() {
  if (!open_) return;
  try {
    FlushList();
  } catch (...) {
    Close();
    throw;
  }
  Close();
}

}  // namespace lantervo
