#pragma once
// The data grid as a QTableView over a model of the grid's rows. Every data cell is painted by
// the grid itself (TDBGrid::PaintCell) on a GridCanvas over QPainter, so the window's own draw
// handler decides backgrounds and status icons. The view keeps no selection of its own: the
// dataset's current row is the selected row.
#include <QAbstractTableModel>
#include <QPainter>
#include <QTableView>

#include "frontends/qt/binding.h"
#include "toolkit/db_grid.h"

namespace lantervo::qt {

class PainterCanvas : public GridCanvas {
 public:
  PainterCanvas(QPainter& painter, const QPalette& palette);
  Color BrushColor() const override { return brush_; }
  void SetBrushColor(Color color) override { brush_ = color; }
  TFont& CanvasFont() override { return font_; }
  void FillRect(const Rect& rect) override;
  void DrawString(const Rect& rect, const std::string& text, std::int64_t alignment) override;
  void StretchDraw(const Rect& rect, const TImageList& images, int index) override;

 private:
  QPainter& painter_;
  const QPalette& palette_;
  Color brush_ = colors::kWindow;
  TFont font_;
};

class GridModel : public QAbstractTableModel {
 public:
  explicit GridModel(TDBGrid& grid, QObject* parent);
  int rowCount(const QModelIndex& parent) const override;
  int columnCount(const QModelIndex& parent) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // The rows or the columns changed as a whole.
  void Reset();

 private:
  bool Alive() const { return static_cast<bool>(alive_); }
  TDBGrid& grid_;
  WeakRef<const Persistent> alive_;
  // The view is told of a new row count only at a reset; until then it keeps the old one.
  int rows_ = 0;
};

class GridView : public QTableView {
 public:
  GridView(TDBGrid& grid, QWidget* parent);
  TDBGrid& Grid() const { return grid_; }
  bool Alive() const { return static_cast<bool>(alive_); }
  GridModel& Model() const { return *model_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override {}
  void mouseReleaseEvent(QMouseEvent* event) override {}
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override { return false; }  // Tab stays in the grid

 private:
  void Input(const std::function<void()>& operation);
  TDBGrid& grid_;
  WeakRef<const Persistent> alive_;
  GridModel* model_;
};

// Makes the view of a grid with its binding; answers the widget.
QWidget* BuildGridView(TDBGrid& grid, QWidget* parent);

}  // namespace lantervo::qt
