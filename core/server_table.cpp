#include "core/server_table.h"

#include <algorithm>

#include "platform/error.h"

namespace lantervo {

// Rows ordered by Name, equal names by the order in which they took their place. A sorted array
// of row pointers: positional access, which the cursor, the check run and the grid use all the
// time, is direct; a whole list is sorted once when it is loaded; one row placed or removed moves
// only pointers (a list of 40,000 servers moves 320 KB, a few microseconds).
struct RowOrder {
  const ServerTable* table;
  bool operator()(const Row* a, const Row* b) const {
    const int c = table->NameCompare(*a, *b);
    return c != 0 ? c < 0 : a->placed < b->placed;
  }
};

class RowStore {
 public:
  explicit RowStore(const ServerTable* table) : order_{table} {}
  ~RowStore() { Clear(); }
  RowStore(const RowStore&) = delete;
  RowStore& operator=(const RowStore&) = delete;

  int Size() const { return static_cast<int>(rows_.size()); }
  Row& At(int index) const { return *rows_[static_cast<std::size_t>(index)]; }
  // Places the row after every row that orders before or equal to it.
  int Insert(std::unique_ptr<Row> row) {
    auto at = std::upper_bound(rows_.begin(), rows_.end(), row.get(), order_);
    at = rows_.insert(at, row.release());
    return static_cast<int>(at - rows_.begin());
  }
  // All rows at once, in any order: one sort instead of a search per row.
  void Assign(std::vector<std::unique_ptr<Row>> rows) {
    Clear();
    rows_.reserve(rows.size());
    for (auto& row : rows) rows_.push_back(row.release());
    std::sort(rows_.begin(), rows_.end(), order_);
  }
  std::unique_ptr<Row> Erase(int index) {
    const auto at = rows_.begin() + index;
    std::unique_ptr<Row> row(*at);
    rows_.erase(at);
    return row;
  }
  void Clear() {
    for (Row* row : rows_) delete row;
    rows_.clear();
  }
  // Takes the rows of another table's store; this store's table orders them alike.
  void Take(RowStore& other) {
    Clear();
    rows_.swap(other.rows_);
  }
  template <typename F>
  void ForEach(F&& f) const {
    for (const Row* row : rows_) f(row);
  }

 private:
  RowOrder order_;
  std::vector<Row*> rows_;  // owned
};

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

FieldDef Text(const char* name, int width) {
  return {name, FieldType::Text, "string", width, width};
}
FieldDef Bool(const char* name) {
  return {name, FieldType::Boolean, "boolean", 0, 0};
}
FieldDef Int(const char* name) {
  return {name, FieldType::Integer, "i4", 0, 0};
}

}  // namespace

const std::vector<FieldDef>& ServerTable::RecordFields() {
  static const std::vector<FieldDef> fields = {Text("Name", 200),       Text("Status", 10),
                                               Text("Result", 50000),   Text("Url", 500),
                                               Bool("Active"),          Int("LoadTime"),
                                               Int("Timeout"),          Bool("TimeoutEnabled"),
                                               Text("Response", 50000), Bool("ResponseEnabled")};
  return fields;
}

ServerTable::ServerTable(const platform::CodePage& codePage, const platform::Collator& collator)
    : codePage_(codePage), collator_(collator), rows_(std::make_unique<RowStore>(this)) {}

ServerTable::~ServerTable() = default;

ServerTable::ServerTable(ServerTable&& other) noexcept
    : FileName(std::move(other.FileName)),
      codePage_(other.codePage_),
      collator_(other.collator_),
      rows_(std::make_unique<RowStore>(this)),
      changes_(std::move(other.changes_)) {
  fields_ = std::move(other.fields_);
  nameField_ = other.nameField_;
  open_ = other.open_;
  changed_ = other.changed_;
  atEnd_ = other.atEnd_;
  current_ = other.current_;
  mode_ = other.mode_;
  pending_ = std::move(other.pending_);
  modified_ = other.modified_;
  nextEntry_ = other.nextEntry_;
  nextPlaced_ = other.nextPlaced_;
  AfterInsert = std::move(other.AfterInsert);
  AfterDelete = std::move(other.AfterDelete);
  // The order refers to its table; the rows keep theirs, as both tables order alike.
  rows_->Take(*other.rows_);
}

void ServerTable::OpenFrom(ServerTable&& read) {
  if (open_) return;
  fields_ = std::move(read.fields_);
  nameField_ = read.nameField_;
  nextEntry_ = read.nextEntry_;
  nextPlaced_ = read.nextPlaced_;
  rows_->Take(*read.rows_);
  open_ = read.open_;
  changed_ = read.changed_;
  mode_ = Mode::Browse;
  modified_ = false;
  pending_ = Row();
  current_ = RowCount() == 0 ? -1 : 0;
  atEnd_ = RowCount() == 0;
  read.open_ = false;
  read.current_ = -1;
  read.atEnd_ = true;
  Notify(tcAll);
}

int ServerTable::RowCount() const {
  return rows_->Size();
}

Row& ServerTable::At(int index) const {
  return rows_->At(index);
}

ServerTable::ServerTable()
    : ServerTable(platform::CodePage::System(), platform::Collator::User()) {}

void ServerTable::Fail(const std::string& message) const {
  throw Error(std::string(kName) + ": " + message);
}

void ServerTable::RequireOpen() const {
  if (!open_) Fail("Cannot perform this operation on a closed dataset");
}

void ServerTable::Notify(TableChanges changes) {
  changes_.Emit(changes);
}

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
  nextEntry_ = 0;
  nextPlaced_ = 0;
  // Rows arrive in file order, which also orders equal names.
  std::vector<std::unique_ptr<Row>> rows;
  rows.reserve(cells.size());
  for (auto& rowCells : cells) {
    auto row = std::make_unique<Row>();
    row->cells = std::move(rowCells);
    row->cells.resize(fields_.size());
    row->entry = nextEntry_++;
    row->placed = nextPlaced_++;
    UpdateNameKey(*row);
    rows.push_back(std::move(row));
  }
  rows_->Assign(std::move(rows));
  open_ = true;
  changed_ = false;
  mode_ = Mode::Browse;
  modified_ = false;
  current_ = RowCount() == 0 ? -1 : 0;
  atEnd_ = RowCount() == 0;
  Notify(tcAll);
}

void ServerTable::Close() {
  rows_->Clear();
  open_ = false;
  mode_ = Mode::Browse;
  current_ = -1;
  atEnd_ = true;
  Notify(tcAll);
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

void ServerTable::InsertSorted(std::unique_ptr<Row> row) {
  row->placed = nextPlaced_++;  // after any rows with an equal name
  current_ = rows_->Insert(std::move(row));
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
  current_ = RowCount() == 0 ? -1 : 0;
  atEnd_ = RowCount() == 0;
  Notify(tcCurrentRow);
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
  Notify(tcCurrentRow);
}

void ServerTable::MoveTo(int index) {
  RequireOpen();
  CheckBrowseMode();
  if (RowCount() == 0) return;
  current_ = std::clamp(index, 0, RowCount() - 1);
  atEnd_ = false;
  Notify(tcCurrentRow);
}

int ServerTable::CurrentIndex() const {
  return RowCount() == 0 ? -1 : current_;
}

void ServerTable::BeginEdit() {
  RequireOpen();
  if (mode_ != Mode::Browse) return;
  if (RowCount() == 0) {
    AppendRow();
    return;
  }
  // The edit buffer needs the values only; the row keeps its place and its key.
  pending_.cells = At(current_).cells;
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
  TableChanges changes = tcValues;
  if (mode_ == Mode::Insert) {
    changes = tcAll;
    auto row = std::make_unique<Row>(std::move(pending_));
    row->entry = nextEntry_++;
    UpdateNameKey(*row);
    InsertSorted(std::move(row));
  } else {
    Row& target = At(current_);
    const bool nameChanged =
        nameField_ >= 0 && pending_.cells[nameField_] != target.cells[nameField_];
    if (nameChanged) {
      changes |= tcCurrentRow;
      // The renamed row goes to its new place, after any rows with an equal name.
      auto row = rows_->Erase(current_);
      row->cells = std::move(pending_.cells);
      UpdateNameKey(*row);
      InsertSorted(std::move(row));
    } else {
      target.cells = std::move(pending_.cells);
    }
  }
  changed_ = true;
  atEnd_ = false;
  Discard();
  Notify(changes);
}

void ServerTable::DeleteRow() {
  RequireOpen();
  if (mode_ == Mode::Insert) {
    Discard();
    atEnd_ = RowCount() == 0;
    Notify(tcCurrentRow);
    return;
  }
  if (RowCount() == 0) Fail("Cannot perform this operation on an empty dataset");
  Discard();
  rows_->Erase(current_);
  changed_ = true;
  if (current_ >= RowCount()) current_ = RowCount() - 1;
  atEnd_ = RowCount() == 0;
  if (AfterDelete) AfterDelete();
  Notify(tcAll);
}

const Cell& ServerTable::CurrentCell(int field) const {
  static const Cell kNull;
  if (mode_ != Mode::Browse) return pending_.cells[field];
  if (!open_ || RowCount() == 0) return kNull;
  return At(current_).cells[field];
}

std::string ServerTable::TextOf(const Cell& cell) const {
  switch (cell.kind) {
    case Cell::Kind::Null:
      return {};
    case Cell::Kind::Text:
      return codePage_.ToUtf8(cell.text);
    case Cell::Kind::Integer:
      return std::to_string(cell.number);
    case Cell::Kind::Boolean:
      return cell.number ? "True" : "False";
  }
  return {};
}

std::string ServerTable::GetText(std::string_view field) const {
  const int index = RequireField(field);
  return TextOf(CurrentCell(index));
}

std::int32_t ServerTable::GetInt(std::string_view field) const {
  return IntOf(CurrentCell(RequireField(field)));
}

std::int32_t ServerTable::IntAt(int index, std::string_view field) const {
  const int f = RequireField(field);
  if (index < 0 || index >= RowCount()) return 0;
  const Row& row = (mode_ == Mode::Edit && index == current_) ? pending_ : At(index);
  return IntOf(row.cells[f]);
}

std::int32_t ServerTable::IntOf(const Cell& cell) const {
  if (cell.kind == Cell::Kind::Text) {
    try {
      size_t used = 0;
      long long v = std::stoll(cell.text, &used);
      if (used == cell.text.size() && v >= INT32_MIN && v <= INT32_MAX)
        return static_cast<std::int32_t>(v);
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

bool ServerTable::IsNull(std::string_view field) const {
  return CurrentCell(RequireField(field)).IsNull();
}

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

void ServerTable::SetInEveryRow(std::string_view field, FieldType expected, const Cell& value) {
  RequireOpen();
  CheckBrowseMode();
  const int index = RequireField(field);
  if (fields_[index].type != expected)
    throw Error("Field '" + fields_[index].name + "' cannot be written with this type");
  if (index == nameField_) Fail("Field '" + fields_[index].name + "' orders the rows");
  if (RowCount() == 0) return;
  for (int i = 0; i < RowCount(); ++i) At(i).cells[index] = value;
  changed_ = true;
  current_ = RowCount() - 1;
  atEnd_ = true;
  Notify(tcValues | tcCurrentRow);
}

void ServerTable::SetTextInEveryRow(std::string_view field, std::string_view text) {
  RequireOpen();
  const int index = RequireField(field);
  Cell cell;
  cell.kind = Cell::Kind::Text;
  cell.text = StoredText(text, fields_[index].storeWidth);
  SetInEveryRow(field, FieldType::Text, cell);
}

void ServerTable::SetIntInEveryRow(std::string_view field, std::int32_t value) {
  Cell cell;
  cell.kind = Cell::Kind::Integer;
  cell.number = value;
  SetInEveryRow(field, FieldType::Integer, cell);
}

std::string ServerTable::TextAt(int index, std::string_view field) const {
  const int f = RequireField(field);
  if (index < 0 || index >= RowCount()) return {};
  const Row& row = (mode_ == Mode::Edit && index == current_) ? pending_ : At(index);
  return TextOf(row.cells[f]);
}

bool ServerTable::BoolAt(int index, std::string_view field) const {
  const int f = RequireField(field);
  if (index < 0 || index >= RowCount()) return false;
  const Cell& cell = At(index).cells[f];
  return cell.kind == Cell::Kind::Boolean && cell.number != 0;
}

std::vector<const Row*> ServerTable::RowsInEntryOrder() const {
  std::vector<const Row*> ordered;
  ordered.reserve(static_cast<size_t>(RowCount()));
  rows_->ForEach([&](const Row* row) { ordered.push_back(row); });
  std::sort(ordered.begin(), ordered.end(),
            [](const Row* a, const Row* b) { return a->entry < b->entry; });
  return ordered;
}

}  // namespace lantervo
