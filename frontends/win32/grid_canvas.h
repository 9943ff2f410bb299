#pragma once
// The GridCanvas of one cell paint over a device context.
#include <windows.h>

#include "toolkit/db_grid.h"

namespace lantervo::win32 {

class HdcGridCanvas : public GridCanvas {
 public:
  // `dpi`: the grid window's, which the canvas font is scaled to.
  HdcGridCanvas(HDC dc, UINT dpi);
  ~HdcGridCanvas() override;

  Color BrushColor() const override { return brush_; }
  void SetBrushColor(Color color) override { brush_ = color; }
  TFont& CanvasFont() override { return font_; }
  void FillRect(const Rect& rect) override;
  void DrawString(const Rect& rect, const std::string& text, std::int64_t alignment) override;
  void StretchDraw(const Rect& rect, const TImageList& images, int index) override;

 private:
  HDC dc_;
  int saved_;
  UINT dpi_;
  Color brush_ = colors::kWindow;
  TFont font_;
};

}  // namespace lantervo::win32
