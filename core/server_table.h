#pragma once
// The server table: the monitor's one data store, a cursor-based in-memory table kept in Name
// order, whose text fields hold bytes of the system's 8-bit code page.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/signal.h"
#include "platform/code_page.h"
#include "platform/collation.h"

namespace lantervo {

enum class FieldType { Text, Boolean, Integer };

// One declared field. The ten fields of a server record come first in a new table; a table
// loaded from a file has the file's declarations, in the file's order.
struct FieldDef {
  std::string name;
  FieldType type = FieldType::Text;
  std::string fileType;  // the declared type: "string", "boolean", "i4", "i2", "ui2", or other
  int width = 0;         // text fields: the width written to the file
  int storeWidth = 0;    // text fields: the width new values are cut to
};

struct Cell {
  enum class Kind : std::uint8_t { Null, Text, Integer, Boolean };
  Kind kind = Kind::Null;
  std::int32_t number = 0;  // integer value, or 0/1 for a boolean
  std::string text;         // code page bytes

  bool IsNull() const { return kind == Kind::Null; }
  bool operator==(const Cell&) const = default;
};

struct Row {
  std::vector<Cell> cells;   // by field index
  std::uint64_t entry = 0;   // order in which the row entered the table (file order)
  std::uint64_t placed = 0;  // order in which the row took its place among equal names
  platform::CollationKey nameKey;
};

class RowStore;

// What a change of the table touched, so that a view redoes no more than it must.
enum TableChange : unsigned {
  tcCurrentRow = 1,  // the cursor moved
  tcValues = 2,      // values of rows changed; a renamed row also moves among the others
  tcRowCount = 4,    // rows came or went, or the table opened or closed
};
using TableChanges = unsigned;
constexpr TableChanges tcAll = tcCurrentRow | tcValues | tcRowCount;

class ServerTable {
 public:
  static constexpr const char* kName = "setServer";
  static constexpr const char* kListFileName = "LTV.xml";

  // The ten fields of a server record, in record order.
  static const std::vector<FieldDef>& RecordFields();

  ServerTable(const platform::CodePage& codePage, const platform::Collator& collator);
  ServerTable();  // the system code page and the user's collation
  ~ServerTable();
  ServerTable(ServerTable&&) noexcept;
  ServerTable& operator=(ServerTable&&) = delete;

  // Lifecycle and the list file.
  bool IsOpen() const { return open_; }
  std::string FileName;
  void OpenList();  // reads FileName; see list_file.cpp
  // Opens with the fields and rows another table read (one with the same code page and
  // collation, such as a list read ahead on another thread). This table keeps its file name,
  // its handlers and its observers; the other one is left closed.
  void OpenFrom(ServerTable&& read);
  void CreateList();  // opens the table empty with the ten fields
  void SaveList(const std::string& path);
  void CloseList();  // saves when changed or the file is gone, then closes
  void FlushList();  // saves as CloseList would, and stays open
  void Close();      // closes without saving
  bool Changed() const { return changed_; }

  // Navigation and state.
  void MoveFirst();
  void MoveNext();
  bool AtEnd() const { return atEnd_; }
  int RowCount() const;
  enum class Mode { Browse, Edit, Insert };
  Mode GetMode() const { return mode_; }
  void BeginEdit();
  void AppendRow();
  void PostRow();
  void DeleteRow();

  // Field access on the current row. Text is UTF-8 in and out.
  std::string GetText(std::string_view field) const;
  std::int32_t GetInt(std::string_view field) const;
  bool GetBool(std::string_view field) const;
  bool IsNull(std::string_view field) const;
  void SetText(std::string_view field, std::string_view text);
  void SetInt(std::string_view field, std::int32_t value);
  void SetBool(std::string_view field, bool value);
  // The same value for one field in every row, as a walk from the first row that edits, sets
  // and posts each row would, and with the cursor where that walk leaves it (on the last row,
  // AtEnd); the views hear of it once instead of once a row. Not for the Name field, which
  // orders the rows.
  void SetTextInEveryRow(std::string_view field, std::string_view text);
  void SetIntInEveryRow(std::string_view field, std::int32_t value);

  std::function<void()> AfterInsert;
  std::function<void()> AfterDelete;

  // For views such as the grid: rows in Name order, without moving the cursor.
  int CurrentIndex() const;  // -1 on an empty table
  void MoveTo(int index);    // like a click in the grid (posts or discards a pending edit)
  std::string TextAt(int index, std::string_view field) const;
  bool BoolAt(int index, std::string_view field) const;
  // As GetInt reads it; 0 for an index outside the table.
  std::int32_t IntAt(int index, std::string_view field) const;
  // Called after every change a view must show (rows, values, order, current row), with
  // what it touched.
  [[nodiscard]] Subscription Subscribe(std::function<void(TableChanges)> observer) {
    return changes_.Connect(std::move(observer));
  }

  // Storage, for the list file.
  const std::vector<FieldDef>& Fields() const { return fields_; }
  int FieldIndex(std::string_view name) const;  // -1 when unknown
  std::vector<const Row*> RowsInEntryOrder() const;
  // Opens the table with these fields and rows (rows in file order); the changed flag clears.
  void Load(std::vector<FieldDef> fields, std::vector<std::vector<Cell>> rows);
  const platform::CodePage& CodePage() const { return codePage_; }
  // Converts UTF-8 to stored bytes: cut at NUL, code page, cut to width, trailing blanks trimmed.
  std::string StoredText(std::string_view utf8, int width) const;
  // Cuts code page bytes to a width without splitting a double-byte character.
  std::string CutToWidth(std::string bytes, int width) const;

 private:
  int RequireField(std::string_view field) const;
  // A cell as the text GetText gives.
  std::string TextOf(const Cell& cell) const;
  std::int32_t IntOf(const Cell& cell) const;
  const Cell& CurrentCell(int field) const;
  Cell& WritableCell(std::string_view field, FieldType expected);
  void SetInEveryRow(std::string_view field, FieldType expected, const Cell& value);
  void RequireOpen() const;
  void Fail(const std::string& message) const;
  void CheckBrowseMode();
  void Discard();
  void InsertSorted(std::unique_ptr<Row> row);
  Row& At(int index) const;
  friend struct RowOrder;
  int NameCompare(const Row& a, const Row& b) const;
  void UpdateNameKey(Row& row) const;
  void Notify(TableChanges changes);

  platform::CodePage codePage_;
  platform::Collator collator_;
  std::vector<FieldDef> fields_;
  int nameField_ = -1;
  std::unique_ptr<RowStore> rows_;  // Name order, with positions found in O(log n)
  std::uint64_t nextEntry_ = 0;
  std::uint64_t nextPlaced_ = 0;
  bool open_ = false;
  bool changed_ = false;
  bool atEnd_ = true;
  int current_ = -1;
  Mode mode_ = Mode::Browse;
  Row pending_;
  bool modified_ = false;
  Signal<TableChanges> changes_;
};

}  // namespace lantervo
