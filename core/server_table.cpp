#include "core/server_table.h"

#include <algorithm>

#include "core/error.h"

namespace lantervo {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

FieldDef Text(const char* name, int width) { return {name, FieldType::Text, "string", width, width}; }
FieldDef Bool(const char* name) { return {name, FieldType::Boolean, "boolean", 0, 0}; }
FieldDef Int(const char* name) { return {name, FieldType::Integer, "i4", 0, 0}; }

}  // namespace

const std::vector<FieldDef>& ServerTable::RecordFields() {
  static const std::vector<FieldDef> fields = {
      Text("Name", 200),  Text("Status", 10),   Text("Result", 50000),    Text("Url", 500),
      Bool("Active"),     Int("LoadTime"),      Int("Timeout"),           Bool("TimeoutEnabled"),
      Text("Response", 50000), Bool("ResponseEnabled")};
  return fields;
}

ServerTable::ServerTable(const platform::CodePage& codePage, const platform::Collator& collator)
    : codePage_(codePage), collator_(collator) {}

ServerTable::ServerTable() : ServerTable(platform::CodePage::System(), platform::Collator::User()) {}

void ServerTable::Fail(const std::string& message) const {
  throw Error(std::string(kName) + ": " + message);
}

void ServerTable::RequireOpen() const {
  if (!open_) Fail("Cannot perform this operation on a closed dataset");
}

void ServerTable::Notify() {
  for (auto& observer : observers_) observer();
}

void ServerTable::AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }

int ServerTable::FieldIndex(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (SameName(fields_[i].name, name)) return static_cast<int>(i);
  return -1;
}

int ServerTable::RequireField(std::string_view field) const {
  int index = FieldIndex(field);
  if (index < 0) Fail("Field '" + std::string(field) + "' not found");
  return index;
}

void ServerTable::CreateList() {
  Load(RecordFields(), {});
}

void ServerTable::Load(std::vector<FieldDef> fields, std::vector<std::vector<Cell>> cells) {
  fields_ = std::move(fields);
  nameField_ = FieldIndex("Name");
  rows_.clear();
  rows_.reserve(cells.size());
  nextEntry_ = 0;
  for (auto& rowCells : cells) {
    auto row = std::make_unique<Row>();
    row->cells = std::move(rowCells);
    row->cells.resize(fields_.size());
    row->entry = nextEntry_++;
    UpdateNameKey(*row);
    rows_.push_back(std::move(row));
  }
  // Rows arrive in file order; a stable sort keeps that order among equal names.
  std::stable_sort(rows_.begin(), rows_.end(),
                   [this](const auto& a, const auto& b) { return NameCompare(*a, *b) < 0; });
  open_ = true;
  changed_ = false;
  mode_ = Mode::Browse;
  modified_ = false;
  current_ = rows_.empty() ? -1 : 0;
  atEnd_ = rows_.empty();
  Notify();
}

void ServerTable::Close() {
  rows_.clear();
  open_ = false;
  mode_ = Mode::Browse;
  current_ = -1;
  atEnd_ = true;
  Notify();
}

void ServerTable::UpdateNameKey(Row& row) const {
  if (nameField_ < 0 || row.cells[nameField_].IsNull()) {
    row.nameKey.data.clear();
    return;
  }
  row.nameKey = collator_.MakeKey(codePage_.ToUtf8(row.cells[nameField_].text));
}

int ServerTable::NameCompare(const Row& a, const Row& b) const {
  if (nameField_ < 0) return 0;
  const bool nullA = a.cells[nameField_].IsNull(), nullB = b.cells[nameField_].IsNull();
  if (nullA || nullB) return nullA == nullB ? 0 : nullA ? -1 : 1;
  return collator_.Compare(a.nameKey, b.nameKey);
}

std::size_t ServerTable::UpperBound(const Row& row) const {
  size_t lo = 0, hi = rows_.size();
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (NameCompare(row, *rows_[mid]) < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

void ServerTable::InsertSorted(std::unique_ptr<Row> row) {
  size_t at = UpperBound(*row);
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(at), std::move(row));
  current_ = static_cast<int>(at);
}

void ServerTable::Discard() {
  mode_ = Mode::Browse;
  modified_ = false;
  pending_ = Row();
}

void ServerTable::CheckBrowseMode() {
  if (mode_ == Mode::Browse) return;
  if (modified_)
    PostRow();
  else
    Discard();
}

void ServerTable::MoveFirst() {
  RequireOpen();
  CheckBrowseMode();
  current_ = rows_.empty() ? -1 : 0;
  atEnd_ = rows_.empty();
  Notify();
}

void ServerTable::MoveNext() {
  RequireOpen();
  CheckBrowseMode();
  if (current_ + 1 < RowCount()) {
    ++current_;
    atEnd_ = false;
  } else {
    atEnd_ = true;
  }
  Notify();
}

void ServerTable::MoveTo(int index) {
  RequireOpen();
  CheckBrowseMode();
  if (rows_.empty()) return;
  current_ = std::clamp(index, 0, RowCount() - 1);
  atEnd_ = false;
  Notify();
}

int ServerTable::CurrentIndex() const { return rows_.empty() ? -1 : current_; }

void ServerTable::BeginEdit() {
  RequireOpen();
  if (mode_ != Mode::Browse) return;
  if (rows_.empty()) {
    AppendRow();
    return;
  }
  pending_ = *rows_[current_];
  mode_ = Mode::Edit;
  modified_ = false;
}

void ServerTable::AppendRow() {
  RequireOpen();
  CheckBrowseMode();
  pending_ = Row();
  pending_.cells.resize(fields_.size());
  mode_ = Mode::Insert;
  modified_ = false;
  atEnd_ = false;
  if (AfterInsert) AfterInsert();
}

void ServerTable::PostRow() {
  RequireOpen();
  if (mode_ == Mode::Browse) return;
  if (mode_ == Mode::Insert) {
    auto row = std::make_unique<Row>(std::move(pending_));
    row->entry = nextEntry_++;
    UpdateNameKey(*row);
    InsertSorted(std::move(row));
  } else {
    Row& target = *rows_[current_];
    const bool nameChanged = nameField_ >= 0 && pending_.cells[nameField_] != target.cells[nameField_];
    target.cells = std::move(pending_.cells);
    if (nameChanged) {
      // The renamed row goes to its new place, after any rows with an equal name.
      auto row = std::move(rows_[current_]);
      rows_.erase(rows_.begin() + current_);
      UpdateNameKey(*row);
      InsertSorted(std::move(row));
    }
  }
  changed_ = true;
  atEnd_ = false;
  Discard();
  Notify();
}

void ServerTable::DeleteRow() {
  RequireOpen();
  if (mode_ == Mode::Insert) {
    Discard();
    atEnd_ = rows_.empty();
    Notify();
    return;
  }
  if (rows_.empty()) Fail("Cannot perform this operation on an empty dataset");
  Discard();
  rows_.erase(rows_.begin() + current_);
  changed_ = true;
  if (current_ >= RowCount()) current_ = RowCount() - 1;
  atEnd_ = rows_.empty();
  if (AfterDelete) AfterDelete();
  Notify();
}

const Cell& ServerTable::CurrentCell(int field) const {
  static const Cell kNull;
  if (mode_ != Mode::Browse) return pending_.cells[field];
  if (!open_ || rows_.empty()) return kNull;
  return rows_[current_]->cells[field];
}

std::string ServerTable::GetText(std::string_view field) const {
  const int index = RequireField(field);
  const Cell& cell = CurrentCell(index);
  switch (cell.kind) {
    case Cell::Kind::Null: return {};
    case Cell::Kind::Text: return codePage_.ToUtf8(cell.text);
    case Cell::Kind::Integer: return std::to_string(cell.number);
    case Cell::Kind::Boolean: return cell.number ? "True" : "False";
  }
  return {};
}

std::int32_t ServerTable::GetInt(std::string_view field) const {
  const Cell& cell = CurrentCell(RequireField(field));
  if (cell.kind == Cell::Kind::Text) {
    try {
      size_t used = 0;
      long long v = std::stoll(cell.text, &used);
      if (used == cell.text.size() && v >= INT32_MIN && v <= INT32_MAX) return static_cast<std::int32_t>(v);
    } catch (const std::exception&) {
    }
    throw Error("'" + codePage_.ToUtf8(cell.text) + "' is not a valid integer value");
  }
  return cell.number;
}

bool ServerTable::GetBool(std::string_view field) const {
  const Cell& cell = CurrentCell(RequireField(field));
  return cell.kind != Cell::Kind::Text && cell.number != 0;
}

bool ServerTable::IsNull(std::string_view field) const { return CurrentCell(RequireField(field)).IsNull(); }

std::string ServerTable::StoredText(std::string_view utf8, int width) const {
  auto nul = utf8.find('\0');
  if (nul != std::string_view::npos) utf8 = utf8.substr(0, nul);
  std::string bytes = CutToWidth(codePage_.FromUtf8(utf8), width);
  while (!bytes.empty() && bytes.back() == ' ') bytes.pop_back();
  return bytes;
}

std::string ServerTable::CutToWidth(std::string bytes, int width) const {
  if (width <= 0 || bytes.size() <= static_cast<size_t>(width)) return bytes;
  size_t keep = 0;
  while (keep < static_cast<size_t>(width)) {
    size_t step = codePage_.IsLeadByte(static_cast<unsigned char>(bytes[keep])) ? 2 : 1;
    if (keep + step > static_cast<size_t>(width)) break;
    keep += step;
  }
  bytes.resize(keep);
  return bytes;
}

Cell& ServerTable::WritableCell(std::string_view field, FieldType expected) {
  RequireOpen();
  const int index = RequireField(field);
  if (mode_ == Mode::Browse) Fail("Dataset not in edit or insert mode");
  if (fields_[index].type != expected)
    throw Error("Field '" + fields_[index].name + "' cannot be written with this type");
  modified_ = true;
  return pending_.cells[index];
}

void ServerTable::SetText(std::string_view field, std::string_view text) {
  RequireOpen();
  const int index = RequireField(field);
  Cell& cell = WritableCell(field, FieldType::Text);
  cell.kind = Cell::Kind::Text;
  cell.text = StoredText(text, fields_[index].storeWidth);
}

void ServerTable::SetInt(std::string_view field, std::int32_t value) {
  Cell& cell = WritableCell(field, FieldType::Integer);
  cell.kind = Cell::Kind::Integer;
  cell.number = value;
}

void ServerTable::SetBool(std::string_view field, bool value) {
  Cell& cell = WritableCell(field, FieldType::Boolean);
  cell.kind = Cell::Kind::Boolean;
  cell.number = value ? 1 : 0;
}

std::string ServerTable::TextAt(int index, std::string_view field) const {
  const int f = RequireField(field);
  if (index < 0 || index >= RowCount()) return {};
  const Row& row = (mode_ == Mode::Edit && index == current_) ? pending_ : *rows_[index];
  const Cell& cell = row.cells[f];
  switch (cell.kind) {
    case Cell::Kind::Null: return {};
    case Cell::Kind::Text: return codePage_.ToUtf8(cell.text);
    case Cell::Kind::Integer: return std::to_string(cell.number);
    case Cell::Kind::Boolean: return cell.number ? "True" : "False";
  }
  return {};
}

bool ServerTable::BoolAt(int index, std::string_view field) const {
  const int f = RequireField(field);
  if (index < 0 || index >= RowCount()) return false;
  const Cell& cell = rows_[index]->cells[f];
  return cell.kind == Cell::Kind::Boolean && cell.number != 0;
}

std::vector<const Row*> ServerTable::RowsInEntryOrder() const {
  std::vector<const Row*> ordered;
  ordered.reserve(rows_.size());
  for (const auto& row : rows_) ordered.push_back(row.get());
  std::sort(ordered.begin(), ordered.end(), [](const Row* a, const Row* b) { return a->entry < b->entry; });
  return ordered;
}

}  // namespace lantervo
