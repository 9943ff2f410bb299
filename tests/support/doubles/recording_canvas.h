#pragma once
// A GridCanvas without pixels, for tests: records every drawing call with the brush and font
// in effect at that moment.
#include <string>
#include <vector>

#include "toolkit/db_grid.h"

namespace lantervo {

class RecordingCanvas : public GridCanvas {
 public:
  struct Call {
    enum Kind { Fill, Text, Image } kind;
    Rect rect;
    Color brush;
    std::string text;          // Text
    std::int64_t alignment;    // Text
    std::int64_t fontStyle;    // Text
    const TImageList* images;  // Image
    int index;                 // Image
  };

  Color BrushColor() const override { return brush_; }
  void SetBrushColor(Color color) override { brush_ = color; }
  TFont& CanvasFont() override { return font_; }
  void FillRect(const Rect& rect) override;
  void DrawString(const Rect& rect, const std::string& text, std::int64_t alignment) override;
  void StretchDraw(const Rect& rect, const TImageList& images, int index) override;

  const std::vector<Call>& Calls() const { return calls_; }
  void Reset() { calls_.clear(); }

 private:
  Color brush_ = colors::kWindow;
  TFont font_;
  std::vector<Call> calls_;
};

}  // namespace lantervo
