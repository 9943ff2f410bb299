#include "toolkit/db_grid.h"

#include <algorithm>

#include "toolkit/desktop.h"
#include "toolkit/strings.h"

namespace lantervo {

namespace {

// Copies a font into one that follows it, without counting as a change of its own.
void Follow(TFont& follower, const TFont& source, bool& following) {
  following = true;
  follower.Assign(source);
  following = false;
}

}  // namespace

const ClassInfo& TColumnTitle::StaticClass() {
  using T = TColumnTitle;
  static const ClassInfo info("TColumnTitle", &Persistent::StaticClass(),
                              {props::Other<T>(prop::Alignment, &T::GetAlignment, &T::SetAlignment),
                               props::Text<T>(prop::Caption, &T::Caption, &T::SetCaption),
                               props::Object<T>(prop::Font, &T::Font, &T::SetFont)});
  return info;
}

TColumnTitle::TColumnTitle(TColumn& column) : column_(column), font_(std::make_unique<TFont>()) {
  Observe(*font_, [this](Persistent&, std::string_view) {
    if (!following_) fontSet_ = true;
    Changed(prop::Font);
  });
}

std::string TColumnTitle::DisplayCaption() const {
  if (!caption_.empty()) return caption_;
  if (TField* field = column_.Field()) return field->DisplayLabel();
  return column_.FieldName();
}

void TColumnTitle::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed(prop::Caption);
}

void TColumnTitle::SetFont(TFont* font) {
  if (font && font != font_.get()) font_->Assign(*font);
}

void TColumnTitle::SetAlignment(std::int64_t alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Changed(prop::Alignment);
}

const ClassInfo& TColumn::StaticClass() {
  using T = TColumn;
  static const ClassInfo info("TColumn", &CollectionItem::StaticClass(),
                              {props::Other<T>(prop::Alignment, &T::GetAlignment, &T::SetAlignment),
                               props::Other<T>(prop::Color, &T::ColumnColor, &T::SetColor),
                               // The binding to a field: an identifier, never text to translate.
                               props::Other<T>(prop::FieldName, &T::FieldName, &T::SetFieldName),
                               props::Object<T>(prop::Font, &T::Font, &T::SetFont),
                               props::Object<T>(prop::Title, &T::Title),
                               props::Other<T>(prop::Visible, &T::Visible, &T::SetVisible),
                               props::Other<T>(prop::Width, &T::Width, &T::SetWidth)});
  return info;
}

TColumn::TColumn(TDBGrid& grid)
    : grid_(grid), title_(std::make_unique<TColumnTitle>(*this)), font_(std::make_unique<TFont>()) {
  ForwardChanges(*title_, prop::Title);
  Observe(*font_, [this](Persistent&, std::string_view) {
    if (!following_) fontSet_ = true;
    Changed(prop::Font);
  });
  Follow(*font_, *grid.Font(), following_);
  Follow(*title_->font_, *grid.TitleFont(), title_->following_);
}

void TColumn::SetFieldName(const std::string& name) {
  if (name == fieldName_) return;
  fieldName_ = name;
  Changed(prop::FieldName);
}

TField* TColumn::Field() const {
  if (fieldName_.empty() || !grid_.DataSet()) return nullptr;
  return grid_.DataSet()->FindField(fieldName_);
}

std::int64_t TColumn::Width() const {
  if (width_ >= 0) return width_;
  const TField* field = Field();
  return (field ? field->DisplayWidth() : 10) * 6 + 4;
}

void TColumn::SetWidth(std::int64_t width) {
  if (width == width_) return;
  width_ = width;
  Changed(prop::Width);
}

void TColumn::SetFont(TFont* font) {
  if (font && font != font_.get()) font_->Assign(*font);
}

void TColumn::SetColor(Color color) {
  if (color == color_) return;
  color_ = color;
  Changed(prop::Color);
}

std::int64_t TColumn::GetAlignment() const {
  if (alignment_ >= 0) return alignment_;
  const TField* field = Field();
  return field ? field->GetAlignment() : taLeftJustify;
}

void TColumn::SetAlignment(std::int64_t alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Changed(prop::Alignment);
}

void TColumn::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed(prop::Visible);
}

const ClassInfo& TDBGridColumns::StaticClass() {
  static const ClassInfo info("TDBGridColumns", &Collection::StaticClass());
  return info;
}

TDBGridColumns::TDBGridColumns(TDBGrid& grid) : Collection(&grid, "Columns"), grid_(grid) {}

TColumn& TDBGridColumns::Add() {
  return Collection::Add<TColumn>(grid_);
}

const ClassInfo& TDBGrid::StaticClass() {
  using T = TDBGrid;
  static const ClassInfo grid("TCustomGrid", &TWinControl::StaticClass());
  static const ClassInfo custom("TCustomDBGrid", &grid);
  static const ClassInfo info(
      "TDBGrid", &custom,
      {props::Object<T>(prop::Columns, &T::Columns),
       props::Object<T>(prop::DataSet, &T::DataSet, &T::SetDataSet),
       props::Other<T>(prop::DefaultDrawing, &T::DefaultDrawing, &T::SetDefaultDrawing),
       props::Other<T>(prop::DefaultRowHeight, &T::DefaultRowHeight, &T::SetDefaultRowHeight),
       props::Other<T>(prop::Options, &T::Options, &T::SetOptions),
       props::Other<T>(prop::ReadOnly, &T::ReadOnly, &T::SetReadOnly),
       props::Object<T>(prop::TitleFont, &T::TitleFont, &T::SetTitleFont)});
  return info;
}

TDBGrid::TDBGrid()
    : columns_(std::make_unique<TDBGridColumns>(*this)), titleFont_(std::make_unique<TFont>()) {
  SetColor(colors::kWindow);
  SetTabStop(true);
  ForwardChanges(*columns_, prop::Columns);
  Observe(*titleFont_, [this](Persistent&, std::string_view) {
    Changed(prop::TitleFont);
    FollowFonts();
  });
  Observe(*this, [this](Persistent&, std::string_view property) {
    if (property == prop::Font) FollowFonts();
  });
}

TDBGrid::~TDBGrid() {
  // Quietly: nobody is told of changes of an object that is going.
  dataSetSubscription_.Reset();
}

void TDBGrid::FollowFonts() {
  for (int i = 0; i < columns_->Count(); ++i) {
    TColumn& column = (*columns_)[i];
    if (!column.fontSet_) Follow(*column.font_, *Font(), column.following_);
    if (!column.title_->fontSet_)
      Follow(*column.title_->font_, *titleFont_, column.title_->following_);
  }
}

void TDBGrid::SetDataSet(TClientDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  if (dataSet_) {
    dataSetSubscription_.Reset();
    RemoveFreeNotification(dataSet_);
  }
  dataSet_ = dataSet;
  if (dataSet_) {
    FreeNotification(dataSet_);
    dataSetSubscription_ = dataSet_->Subscribe([this](Persistent&, std::string_view property) {
      if (property == prop::Rows) RowsChanged(dataSet_->LastRowChanges());
    });
  }
  Changed(prop::DataSet);
  ShowRows(rcAll);
}

void TDBGrid::RowsChanged(RowChanges changes) {
  if (changes == 0) return;
  Desktop* desktop = GetDesktop();
  if (!desktop) {
    ShowRows(changes);
    return;
  }
  const bool posted = pending_ != 0;
  pending_ |= changes;
  if (!posted)
    desktop->Post([grid = MakeWeak(*this)] {
      if (TDBGrid* self = grid.Get()) self->RefreshRows();
    });
}

void TDBGrid::RefreshRows() {
  if (pending_ != 0) ShowRows(pending_);
}

void TDBGrid::ShowRows(RowChanges changes) {
  pending_ = 0;
  shown_ = changes;
  Changed(prop::Rows);
  shown_ = rcAll;
}

void TDBGrid::Notification(Component& removed) {
  TWinControl::Notification(removed);
  if (&removed == dataSet_) {
    dataSet_ = nullptr;
    Changed(prop::DataSet);
    ShowRows(rcAll);
  }
}

void TDBGrid::SetOptions(std::int64_t options) {
  if (options == options_) return;
  options_ = options;
  Changed(prop::Options);
}

void TDBGrid::SetDefaultDrawing(bool value) {
  if (value == defaultDrawing_) return;
  defaultDrawing_ = value;
  Changed(prop::DefaultDrawing);
}

void TDBGrid::SetDefaultRowHeight(std::int64_t height) {
  if (height == defaultRowHeight_ || height <= 0) return;
  defaultRowHeight_ = height;
  Changed(prop::DefaultRowHeight);
}

void TDBGrid::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  Changed(prop::ReadOnly);
}

void TDBGrid::SetTitleFont(TFont* font) {
  if (font && font != titleFont_.get()) titleFont_->Assign(*font);
}

int TDBGrid::RowCount() const {
  return dataSet_ && dataSet_->Rows() ? dataSet_->Rows()->RowCount() : 0;
}

int TDBGrid::CurrentRow() const {
  return dataSet_ && dataSet_->Rows() ? dataSet_->Rows()->CurrentIndex() : -1;
}

std::string TDBGrid::CellText(int row, int column) const {
  const TColumn& c = (*columns_)[column];
  if (c.FieldName().empty() || !dataSet_ || !dataSet_->Rows()) return {};
  return OneLine(dataSet_->Rows()->TextAt(row, c.FieldName()));
}

void TDBGrid::PaintCell(GridCanvas& canvas, const Rect& rect, int row, int column,
                        GridDrawState state) {
  const TColumn& c = (*columns_)[column];
  canvas.CanvasFont().Assign(*c.Font());
  canvas.SetBrushColor(c.ColumnColor());
  if (state & gdSelected) {
    // The highlight colour and its text colour, as system colours.
    canvas.SetBrushColor(colors::kSystemColor | 13);
    canvas.CanvasFont().SetColor(colors::kSystemColor | 14);
  }
  if (defaultDrawing_) DefaultDrawColumnCell(canvas, rect, row, column);
  if (OnDrawColumnCell) OnDrawColumnCell(*this, canvas, rect, row, column, state);
}

void TDBGrid::DefaultDrawColumnCell(GridCanvas& canvas, const Rect& rect, int row, int column) {
  canvas.FillRect(rect);
  canvas.DrawString(rect, CellText(row, column), (*columns_)[column].GetAlignment());
}

void TDBGrid::Repaint() {
  Changed(prop::Repaint);
}

void TDBGrid::ClickRow(int row) {
  if (!Enabled() || !dataSet_ || !dataSet_->Rows() || row < 0 || row >= RowCount()) return;
  dataSet_->Rows()->MoveTo(row);
}

bool TDBGrid::KeyDown(std::uint16_t key, ShiftState shift) {
  if (!TWinControl::KeyDown(key, shift)) return false;
  if (!dataSet_ || !dataSet_->Rows() || RowCount() == 0) return true;
  DataRows& rows = *dataSet_->Rows();
  const int last = RowCount() - 1;
  const int current = std::max(0, rows.CurrentIndex());
  const int page = static_cast<int>(std::max<std::int64_t>(1, Height() / defaultRowHeight_ - 1));
  int target;
  switch (key) {
    case keys::kUp:
      target = current - 1;
      break;
    case keys::kDown:
      target = current + 1;
      break;
    case keys::kPrior:
      target = current - page;
      break;
    case keys::kNext:
      target = current + page;
      break;
    case keys::kHome:
      target = 0;
      break;
    case keys::kEnd:
      target = last;
      break;
    default:
      return true;
  }
  target = std::clamp(target, 0, last);
  if (target != rows.CurrentIndex()) rows.MoveTo(target);
  return false;
}

}  // namespace lantervo
