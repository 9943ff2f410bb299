#include "toolkit/desktop.h"

#include <cstdlib>

#include "toolkit/graphics.h"

namespace lantervo {

Desktop::Desktop() : handOffs_(std::make_shared<HandOffQueue>()) {}

Desktop::~Desktop() {
  handOffs_->Close();
}

void Desktop::HandleException(std::exception_ptr error) {
  if (errorHandler_) errorHandler_(error);
}

int Desktop::CaptionWidth(const TFont& font, const std::string& caption) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    const auto byte = static_cast<unsigned char>(caption[i]);
    if ((byte & 0xC0) == 0x80) continue;  // inside a UTF-8 sequence
    if (caption[i] == '&' && i + 1 < caption.size() && caption[i + 1] != '&') continue;
    if (caption[i] == '&') ++i;  // "&&" draws one "&"
    ++characters;
  }
  const auto height = std::llabs(font.Height());
  return static_cast<int>((characters * height * 5 + 10) / 11);
}

void Desktop::Dispatch(const std::function<void()>& operation) {
  try {
    operation();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

void Desktop::PowerChanged(PowerEvent event) {
  if (powerHandler_) Dispatch([&] { powerHandler_(event); });
}

}  // namespace lantervo
