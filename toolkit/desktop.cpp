#include "toolkit/desktop.h"

namespace lantervo {

Desktop::Desktop() : handOffs_(std::make_shared<HandOffQueue>()) {}

Desktop::~Desktop() {
  handOffs_->Close();
}

void Desktop::HandleException(std::exception_ptr error) {
  if (errorHandler_) errorHandler_(error);
}

void Desktop::Dispatch(const std::function<void()>& operation) {
  try {
    operation();
  } catch (...) {
    HandleException(std::current_exception());
  }
}

}  // namespace lantervo
