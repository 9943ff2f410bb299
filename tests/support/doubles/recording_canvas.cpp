#include "tests/support/doubles/recording_canvas.h"

namespace lantervo {

void RecordingCanvas::FillRect(const Rect& rect) {
  calls_.push_back({Call::Fill, rect, brush_, {}, 0, 0, nullptr, -1});
}

void RecordingCanvas::DrawString(const Rect& rect, const std::string& text,
                                 std::int64_t alignment) {
  calls_.push_back({Call::Text, rect, brush_, text, alignment, font_.Style(), nullptr, -1});
}

void RecordingCanvas::StretchDraw(const Rect& rect, const TImageList& images, int index) {
  calls_.push_back({Call::Image, rect, brush_, {}, 0, 0, &images, index});
}

}  // namespace lantervo
