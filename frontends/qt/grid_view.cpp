#include "frontends/qt/grid_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>

#include "frontends/qt/control_bindings.h"
#include "frontends/qt/qt_convert.h"
#include "toolkit/desktop.h"

namespace lantervo::qt {

namespace {

QRect ToQRect(const Rect& rect) {
  return QRect(QPoint(rect.left, rect.top), QSize(rect.right - rect.left, rect.bottom - rect.top));
}

Rect FromQRect(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter, const QPalette& palette)
    : painter_(painter), palette_(palette) {}

void PainterCanvas::FillRect(const Rect& rect) {
  painter_.fillRect(ToQRect(rect), ToQColor(brush_, palette_));
}

void PainterCanvas::DrawString(const Rect& rect, const std::string& text, std::int64_t alignment) {
  // Text sits two pixels in from the cell's edge and is cut at the cell.
  const QRect area = ToQRect(rect).adjusted(2, 2, -2, 0);
  Qt::Alignment align = Qt::AlignTop;
  align |= alignment == taRightJustify ? Qt::AlignRight
           : alignment == taCenter     ? Qt::AlignHCenter
                                       : Qt::AlignLeft;
  painter_.save();
  painter_.setClipRect(ToQRect(rect));
  painter_.setFont(ToQFont(font_));
  painter_.setPen(ToQColor(font_.FontColor(), palette_));
  painter_.drawText(area, static_cast<int>(align) | Qt::TextSingleLine, ToQt(text));
  painter_.restore();
}

void PainterCanvas::StretchDraw(const Rect& rect, const TImageList& images, int index) {
  const QPixmap picture = ListImage(images, index);
  if (!picture.isNull()) painter_.drawPixmap(ToQRect(rect), picture);
}

GridModel::GridModel(TDBGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), alive_(MakeWeak(grid)) {}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !Alive() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !Alive() ? 0 : grid_.Columns()->Count();
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  // Cells are painted by the grid; the text is there for accessibility and tests.
  if (!Alive() || role != Qt::DisplayRole || index.row() >= grid_.RowCount()) return {};
  return ToQt(grid_.CellText(index.row(), index.column()));
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (!Alive() || orientation != Qt::Horizontal || section >= grid_.Columns()->Count()) return {};
  const TColumn& column = (*grid_.Columns())[section];
  switch (role) {
    case Qt::DisplayRole:
      return ToQt(column.Title()->DisplayCaption());
    case Qt::FontRole:
      return ToQFont(*column.Title()->Font());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  return Qt::ItemIsEnabled;
}

void GridModel::Reset() {
  beginResetModel();
  rows_ = Alive() ? grid_.RowCount() : 0;
  endResetModel();
}

namespace {

class CellPainter : public QStyledItemDelegate {
 public:
  explicit CellPainter(GridView& view) : QStyledItemDelegate(&view), view_(view) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    if (!view_.Alive()) return;
    TDBGrid& grid = view_.Grid();
    // Rows that went since the view's last refresh are left to that refresh.
    if (index.row() >= grid.RowCount()) return;
    GridDrawState state = 0;
    const bool showSelection = view_.hasFocus() || (grid.Options() & dgAlwaysShowSelection) != 0;
    if (index.row() == grid.CurrentRow() && showSelection) {
      state |= gdSelected;
      if (view_.hasFocus()) state |= gdFocused;
    }
    PainterCanvas canvas(*painter, view_.palette());
    grid.PaintCell(canvas, FromQRect(option.rect), index.row(), index.column(), state);
  }

 private:
  GridView& view_;
};

class GridBinding : public Binding {
 public:
  GridBinding(GridView& view) : Binding(view.Grid(), &view), view_(view), grid_(view.Grid()) {}

 protected:
  void Sync(std::string_view property) override {
    const auto is = [&](std::string_view name) { return property.empty() || property == name; };
    if (is(prop::Left) || is(prop::Top) || is(prop::Width) || is(prop::Height))
      view_.setGeometry(static_cast<int>(grid_.Left()), static_cast<int>(grid_.Top()),
                        static_cast<int>(grid_.Width()), static_cast<int>(grid_.Height()));
    if (is(prop::Font)) view_.setFont(ToQFont(*grid_.Font()));
    if (is(prop::Enabled)) view_.setEnabled(grid_.Enabled());
    if (is(prop::Options)) {
      view_.setShowGrid((grid_.Options() & (dgColLines | dgRowLines)) != 0);
      view_.horizontalHeader()->setVisible((grid_.Options() & dgTitles) != 0);
    }
    // The grid's widths and heights are the cells'; Qt's sections include the line after them.
    if (is(prop::DefaultRowHeight) || is(prop::Options))
      view_.verticalHeader()->setDefaultSectionSize(static_cast<int>(grid_.DefaultRowHeight()) +
                                                    LineWidth());
    if (is(prop::Columns) || is(prop::TitleFont) || is(prop::DataSet) || is(prop::Options) ||
        (property == prop::Rows && (grid_.ShownRowChanges() & rcRowCount))) {
      view_.Model().Reset();
      for (int i = 0; i < grid_.Columns()->Count(); ++i) {
        const TColumn& column = (*grid_.Columns())[i];
        view_.setColumnWidth(i, static_cast<int>(column.Width()) + LineWidth());
        view_.setColumnHidden(i, !column.Visible());
      }
      ScrollToCurrent();
    } else if (property == prop::Rows) {
      // The same rows: the current row or values moved; the cells are painted from the grid.
      ScrollToCurrent();
      view_.viewport()->update();
    }
    if (is(prop::Repaint) || is(prop::Color)) view_.viewport()->update();
    if (is(prop::Visible)) view_.setVisible(grid_.Visible());
  }

 private:
  int LineWidth() const { return view_.showGrid() ? 1 : 0; }
  void ScrollToCurrent() {
    const int current = grid_.CurrentRow();
    if (current >= 0) view_.scrollTo(view_.Model().index(current, 0));
  }
  GridView& view_;
  TDBGrid& grid_;
};

}  // namespace

GridView::GridView(TDBGrid& grid, QWidget* parent)
    : QTableView(parent), grid_(grid), alive_(MakeWeak(grid)), model_(new GridModel(grid, this)) {
  setObjectName(ToQt(grid.Name()));
  setModel(model_);
  setItemDelegate(new CellPainter(*this));
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::NoSelection);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(1);
  horizontalHeader()->setStretchLastSection(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFocusPolicy(Qt::StrongFocus);
}

void GridView::Input(const std::function<void()>& operation) {
  if (!Alive()) return;
  if (Desktop* desktop = grid_.GetDesktop()) {
    desktop->Dispatch(operation);
  } else {
    operation();
  }
}

void GridView::keyPressEvent(QKeyEvent* event) {
  const std::uint16_t vk = VirtualKey(*event);
  if (vk == 0) {
    event->ignore();
    return;
  }
  Input([&] { grid_.KeyDown(vk, Shift(*event)); });
  event->accept();
}

void GridView::mousePressEvent(QMouseEvent* event) {
  setFocus(Qt::MouseFocusReason);
  const int row = rowAt(event->position().toPoint().y());
  if (row >= 0 && event->button() == Qt::LeftButton) Input([&] { grid_.ClickRow(row); });
  event->accept();
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
  Input([&] { grid_.DblClick(); });
  event->accept();
}

void GridView::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  viewport()->update();
}

void GridView::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  viewport()->update();
}

QWidget* BuildGridView(TDBGrid& grid, QWidget* parent) {
  auto* view = new GridView(grid, parent);
  auto* binding = new GridBinding(*view);
  binding->SyncAll();
  return view;
}

}  // namespace lantervo::qt
