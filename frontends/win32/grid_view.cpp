// The data grid as a report-mode list view over the dataset's rows. Every cell is painted by
// TDBGrid::PaintCell through a GridCanvas over the list view's device context, so the window's
// own drawing handler decides colours and icons; the list view supplies rows, scrolling,
// selection by mouse, the header and the grid lines.
#include <algorithm>

#include "frontends/win32/control_binding.h"
#include "frontends/win32/form_window.h"
#include "frontends/win32/grid_canvas.h"
#include "frontends/win32/native_art.h"
#include "platform/utf.h"
#include "toolkit/db_grid.h"

namespace lantervo::win32 {

namespace {

class GridBinding : public ControlBinding {
 public:
  GridBinding(FormWindow& form, TDBGrid& grid) : ControlBinding(form, grid), grid_(grid) {}
  ~GridBinding() override {
    if (header_) RemovePropW(header_, L"Lantervo.Binding");
    if (rowImages_) ImageList_Destroy(rowImages_);
  }

 protected:
  HWND CreateNative(HWND parent, int id) override {
    DWORD style = LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
    if (!(grid_.Options() & dgTitles)) style |= LVS_NOCOLUMNHEADER;
    hwnd_ = MakeWindow(WC_LISTVIEWW, style, WS_EX_CLIENTEDGE, parent, id);
    DWORD extended = LVS_EX_DOUBLEBUFFER;
    if (grid_.Options() & dgRowSelect) extended |= LVS_EX_FULLROWSELECT;
    if (grid_.Options() & (dgColLines | dgRowLines)) extended |= LVS_EX_GRIDLINES;
    ListView_SetExtendedListViewStyle(hwnd_, extended);
    SetRowHeight();
    header_ = ListView_GetHeader(hwnd_);
    if (header_) {
      // Columns cannot be resized or moved by the user.
      SetWindowLongW(header_, GWL_STYLE, GetWindowLongW(header_, GWL_STYLE) | HDS_NOSIZING);
      SetPropW(header_, L"Lantervo.Binding", this);
    }
    HookKeys();
    return hwnd_;
  }

  void Update(std::string_view property) override {
    ControlBinding::Update(property);
    if (property.empty() || property == prop::Columns || property == prop::TitleFont ||
        property == prop::Font)
      BuildColumns();
    if (property.empty() || property == prop::DataSet) SyncRows(rcAll);
    if (property == prop::Rows) SyncRows(grid_.ShownRowChanges());
    if (property == prop::Repaint || property == prop::Enabled || property == prop::Options)
      InvalidateRect(hwnd_, nullptr, FALSE);
  }

  void DpiChanged() override {
    SetRowHeight();
    ControlBinding::DpiChanged();
  }

  // The header reports to the list view, which does not pass every notification on.
  bool SubclassMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) override {
    if (msg == WM_DRAWITEM) {
      auto& draw = *reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (draw.CtlType != ODT_HEADER || draw.hwndItem != header_) return false;
      DrawTitle(draw);
      result = TRUE;
      return true;
    }
    if (msg != WM_NOTIFY) return false;
    auto& header = *reinterpret_cast<NMHDR*>(lParam);
    return header.hwndFrom == header_ && header_ && HeaderNotify(header, result);
  }

  bool Notify(NMHDR& header, LRESULT& result) override {
    if (header.hwndFrom == header_) return HeaderNotify(header, result);
    switch (header.code) {
      case NM_CUSTOMDRAW:
        result = CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        return true;
      case LVN_GETDISPINFOW: {
        auto& info = reinterpret_cast<NMLVDISPINFOW&>(header);
        if ((info.item.mask & LVIF_TEXT) && info.item.cchTextMax > 0) {
          std::wstring text;
          if (info.item.iItem < grid_.RowCount() && info.item.iSubItem < grid_.Columns()->Count())
            text = platform::Widen(grid_.CellText(info.item.iItem, info.item.iSubItem));
          const auto n = std::min<std::size_t>(text.size(), info.item.cchTextMax - 1);
          std::copy_n(text.c_str(), n, info.item.pszText);
          info.item.pszText[n] = L'\0';
        }
        return true;
      }
      case LVN_ITEMCHANGED: {
        auto& change = reinterpret_cast<NMLISTVIEW&>(header);
        const bool selected =
            (change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED);
        if (selected && !syncing_ && change.iItem >= 0) {
          const int row = change.iItem;
          Guarded([this, row] { grid_.ClickRow(row); });
        }
        return true;
      }
      case LVN_ODFINDITEMW:
        result = -1;  // no search by typing
        return true;
      case NM_SETFOCUS:
      case NM_KILLFOCUS:
        // The current row is highlighted only while the grid has the focus.
        InvalidateRect(hwnd_, nullptr, FALSE);
        return false;
      default:
        return false;
    }
  }

 private:
  void BuildColumns() {
    while (ListView_DeleteColumn(hwnd_, 0)) {
    }
    TDBGridColumns& columns = *grid_.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
      std::wstring title = platform::Widen(columns[i].Title()->DisplayCaption());
      LVCOLUMNW column{};
      column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      column.fmt = LVCFMT_LEFT;
      column.cx = form_.Scale(columns[i].Width());
      column.pszText = title.data();
      column.iSubItem = i;
      ListView_InsertColumn(hwnd_, i, &column);
      // Each title in its own font ("  Server" is bold): the header leaves the text to us.
      if (header_) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        item.fmt = HDF_LEFT | HDF_OWNERDRAW;
        Header_SetItem(header_, i, &item);
      }
    }
  }

  void DrawTitle(const DRAWITEMSTRUCT& draw) {
    const int column = static_cast<int>(draw.itemID);
    if (column < 0 || column >= grid_.Columns()->Count()) return;
    const TColumnTitle& title = *(*grid_.Columns())[column].Title();
    const std::wstring text = platform::Widen(title.DisplayCaption());
    RECT r = draw.rcItem;
    r.left += 6;
    HGDIOBJ old = SelectObject(draw.hDC, FontFor(*title.Font(), form_.Dpi()));
    SetTextColor(draw.hDC, ToColorRef(title.Font()->FontColor()));
    SetBkMode(draw.hDC, TRANSPARENT);
    DrawTextW(draw.hDC, text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(draw.hDC, old);
  }

  // Once per turn of the loop at most: the grid gathers its row changes.
  void SyncRows(RowChanges changes) {
    syncing_ = true;
    if (changes & rcRowCount) ListView_SetItemCountEx(hwnd_, grid_.RowCount(), LVSICF_NOSCROLL);
    const int current = grid_.CurrentRow();
    if (changes & (rcRowCount | rcCurrentRow)) {
      ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
      if (current >= 0)
        ListView_SetItemState(hwnd_, current, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    if (current >= 0) ListView_EnsureVisible(hwnd_, current, FALSE);
    syncing_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

  LRESULT CustomDraw(NMLVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    if (!Alive() || row >= grid_.RowCount()) return CDRF_SKIPDEFAULT;
    GridDrawState state = 0;
    if (row == grid_.CurrentRow() && GetFocus() == hwnd_) state |= gdSelected | gdFocused;
    HdcGridCanvas canvas(draw.nmcd.hdc, form_.Dpi());
    const bool lines = grid_.Options() & (dgColLines | dgRowLines);
    TDBGridColumns& columns = *grid_.Columns();
    for (int column = 0; column < columns.Count(); ++column) {
      RECT r{};
      if (column == 0) {
        ListView_GetItemRect(hwnd_, row, &r, LVIR_BOUNDS);
        r.right = r.left + ListView_GetColumnWidth(hwnd_, 0);
      } else {
        ListView_GetSubItemRect(hwnd_, row, column, LVIR_BOUNDS, &r);
      }
      // The grid lines sit on the cell's right and bottom edges.
      Rect cell{r.left, r.top, r.right - (lines ? 1 : 0), r.bottom - (lines ? 1 : 0)};
      Guarded([&] { grid_.PaintCell(canvas, cell, row, column, state); });
    }
    return CDRF_SKIPDEFAULT;
  }

  bool HeaderNotify(NMHDR& header, LRESULT& result) {
    switch (header.code) {
      case HDN_BEGINTRACKW:
      case HDN_BEGINTRACKA:
      case HDN_DIVIDERDBLCLICKW:
      case HDN_DIVIDERDBLCLICKA:
        result = TRUE;  // no resizing
        return true;
      case NM_CUSTOMDRAW: {
        auto& draw = reinterpret_cast<NMCUSTOMDRAW&>(header);
        if (draw.dwDrawStage == CDDS_PREPAINT) {
          result = CDRF_NOTIFYITEMDRAW;
          return true;
        }
        if (draw.dwDrawStage == CDDS_ITEMPREPAINT) {
          // Each title in its own font ("  Server" is bold).
          const int column = static_cast<int>(draw.dwItemSpec);
          if (column < grid_.Columns()->Count()) {
            const TFont& font = *(*grid_.Columns())[column].Title()->Font();
            SelectObject(draw.hdc, FontFor(font, form_.Dpi()));
            SetTextColor(draw.hdc, ToColorRef(font.FontColor()));
            result = CDRF_NEWFONT;
            return true;
          }
        }
        result = CDRF_DODEFAULT;
        return true;
      }
      default:
        return false;
    }
  }

  // The row height follows the grid's, through a small image list of that height.
  void SetRowHeight() {
    HIMAGELIST old = rowImages_;
    rowImages_ = ImageList_Create(1, form_.Scale(grid_.DefaultRowHeight()) - 1, ILC_COLOR32, 1, 0);
    ListView_SetImageList(hwnd_, rowImages_, LVSIL_SMALL);
    if (old) ImageList_Destroy(old);
  }

  TDBGrid& grid_;
  HWND header_ = nullptr;
  HIMAGELIST rowImages_ = nullptr;
  bool syncing_ = false;
};

}  // namespace

std::unique_ptr<ControlBinding> MakeGridBinding(FormWindow& form, TControl& grid) {
  return std::make_unique<GridBinding>(form, static_cast<TDBGrid&>(grid));
}

}  // namespace lantervo::win32
