#pragma once
// The data grid: shows the rows of a dataset in columns bound to fields; the dataset's current
// row is the grid's selected row. Painting goes through GridCanvas, which a front end provides.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/collection.h"
#include "toolkit/control.h"
#include "toolkit/dataset.h"
#include "toolkit/graphics.h"

namespace lantervo {

class TDBGrid;
class TImageList;

enum GridOption : std::int64_t {
  dgEditing = 0x1,
  dgAlwaysShowEditor = 0x2,
  dgTitles = 0x4,
  dgIndicator = 0x8,
  dgColumnResize = 0x10,
  dgColLines = 0x20,
  dgRowLines = 0x40,
  dgTabs = 0x80,
  dgRowSelect = 0x100,
  dgAlwaysShowSelection = 0x200,
  dgConfirmDelete = 0x400,
  dgCancelOnExit = 0x800,
  dgMultiSelect = 0x1000
};

enum GridDrawFlag : std::uint32_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using GridDrawState = std::uint32_t;

// The drawing surface of one cell paint.
class GridCanvas {
 public:
  virtual ~GridCanvas() = default;
  virtual Color BrushColor() const = 0;
  virtual void SetBrushColor(Color color) = 0;
  virtual TFont& CanvasFont() = 0;
  virtual void FillRect(const Rect& rect) = 0;
  virtual void DrawString(const Rect& rect, const std::string& text, std::int64_t alignment) = 0;
  virtual void StretchDraw(const Rect& rect, const TImageList& images, int index) = 0;
};

class TColumnTitle : public Persistent {
  LANTERVO_CLASS()

 public:
  explicit TColumnTitle(class TColumn& column);
  // The caption set (empty: none). A column without one shows the display label of its field,
  // so that title follows the field's label, also across translations.
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  std::string DisplayCaption() const;          // what the title shows
  TFont* Font() const { return font_.get(); }  // follows the grid's title font until set
  void SetFont(TFont* font);
  std::int64_t GetAlignment() const { return alignment_; }
  void SetAlignment(std::int64_t alignment);

 private:
  friend class TDBGrid;
  friend class TColumn;
  class TColumn& column_;
  std::string caption_;
  std::unique_ptr<TFont> font_;
  bool fontSet_ = false;
  bool following_ = false;
  std::int64_t alignment_ = 0;
};

class TColumn : public CollectionItem {
  LANTERVO_CLASS()

 public:
  explicit TColumn(TDBGrid& grid);
  TDBGrid& Grid() const { return grid_; }
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(const std::string& name);
  TField* Field() const;  // the dataset's field of that name, if any
  // The width set, or else the default for the field: its display width in digits of 6
  // pixels plus 4 (64 for an integer field), or 64 without a field.
  std::int64_t Width() const;
  void SetWidth(std::int64_t width);
  TColumnTitle* Title() const { return title_.get(); }
  TFont* Font() const { return font_.get(); }  // follows the grid's font until set
  void SetFont(TFont* font);
  Color ColumnColor() const { return color_; }
  void SetColor(Color color);
  std::int64_t GetAlignment() const;  // the field's alignment until set
  void SetAlignment(std::int64_t alignment);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);

 private:
  friend class TDBGrid;
  TDBGrid& grid_;
  std::string fieldName_;
  std::int64_t width_ = -1;
  std::unique_ptr<TColumnTitle> title_;
  std::unique_ptr<TFont> font_;
  bool fontSet_ = false;
  bool following_ = false;
  Color color_ = colors::kWindow;
  std::int64_t alignment_ = -1;
  bool visible_ = true;
};

class TDBGridColumns : public Collection {
  LANTERVO_CLASS()

 public:
  explicit TDBGridColumns(TDBGrid& grid);
  TColumn& Add();
  TColumn& operator[](int index) const { return *static_cast<TColumn*>(Item(index)); }

 private:
  TDBGrid& grid_;
};

using DrawColumnCellEvent =
    std::function<void(Component& sender, GridCanvas& canvas, const Rect& rect, int row, int column,
                       GridDrawState state)>;

class TDBGrid : public TWinControl {
  LANTERVO_CLASS()

 public:
  TDBGrid();
  ~TDBGrid() override;

  TClientDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TClientDataSet* dataSet);
  TDBGridColumns* Columns() const { return columns_.get(); }
  std::int64_t Options() const { return options_; }  // GridOption flags
  void SetOptions(std::int64_t options);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);
  std::int64_t DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(std::int64_t height);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  TFont* TitleFont() const { return titleFont_.get(); }
  void SetTitleFont(TFont* font);

  // What the front end shows.
  int RowCount() const;
  int CurrentRow() const;  // -1 without rows
  std::string CellText(int row, int column) const;
  // Paints one data cell: brush and font set for the cell, the default drawing when
  // DefaultDrawing is on, then OnDrawColumnCell.
  void PaintCell(GridCanvas& canvas, const Rect& rect, int row, int column, GridDrawState state);
  // The default way: fill with the brush, then the field's text.
  void DefaultDrawColumnCell(GridCanvas& canvas, const Rect& rect, int row, int column);
  // Asks the front end to paint everything again (a "Repaint" notification).
  void Repaint();

  // Changes of the rows are gathered and shown at the next turn of the message loop, so a
  // burst of them (start-up resets every row) costs the front end one refresh: subscribers
  // hear "Rows" once, and ShownRowChanges says what changed since the "Rows" before. A grid
  // on no desktop shows each change at once.
  RowChanges ShownRowChanges() const { return shown_; }
  RowChanges PendingRowChanges() const { return pending_; }
  // Shows the pending changes now.
  void RefreshRows();

  DrawColumnCellEvent OnDrawColumnCell;
  // User input: a click on a data row; keys (after OnKeyDown) move the current row.
  void ClickRow(int row);
  bool KeyDown(std::uint16_t key, ShiftState shift) override;

 protected:
  void Notification(Component& removed) override;

 private:
  void FollowFonts();
  void RowsChanged(RowChanges changes);
  void ShowRows(RowChanges changes);
  TClientDataSet* dataSet_ = nullptr;
  RowChanges pending_ = 0;
  RowChanges shown_ = rcAll;
  Subscription dataSetSubscription_;
  std::unique_ptr<TDBGridColumns> columns_;
  std::int64_t options_ = dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines |
                          dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;
  bool defaultDrawing_ = true;
  std::int64_t defaultRowHeight_ = 18;
  bool readOnly_ = false;
  std::unique_ptr<TFont> titleFont_;
};

}  // namespace lantervo
