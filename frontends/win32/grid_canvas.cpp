#include "frontends/win32/grid_canvas.h"

#include "frontends/win32/native_art.h"
#include "platform/utf.h"
#include "toolkit/images.h"

namespace lantervo::win32 {

namespace {
RECT ToRect(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}
}  // namespace

HdcGridCanvas::HdcGridCanvas(HDC dc, UINT dpi) : dc_(dc), saved_(SaveDC(dc)), dpi_(dpi) {}

HdcGridCanvas::~HdcGridCanvas() {
  RestoreDC(dc_, saved_);
}

void HdcGridCanvas::FillRect(const Rect& rect) {
  const RECT r = ToRect(rect);
  ::FillRect(dc_, &r, SolidBrush(brush_));
}

void HdcGridCanvas::DrawString(const Rect& rect, const std::string& text, std::int64_t alignment) {
  // The text sits two pixels in from the cell's edge, as the grid draws it.
  RECT r{rect.left + 2, rect.top, rect.right - 2, rect.bottom};
  SelectObject(dc_, FontFor(font_, dpi_));
  SetTextColor(dc_, ToColorRef(font_.FontColor()));
  SetBkMode(dc_, TRANSPARENT);
  UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
  if (alignment == 1) format |= DT_RIGHT;
  if (alignment == 2) format |= DT_CENTER;
  const std::wstring wide = platform::Widen(text);
  DrawTextW(dc_, wide.c_str(), static_cast<int>(wide.size()), &r, format);
}

void HdcGridCanvas::StretchDraw(const Rect& rect, const TImageList& images, int index) {
  if (index < 0 || index >= images.Count()) return;
  DrawArtwork(dc_, images.Images()[index], ToRect(rect));
}

}  // namespace lantervo::win32
