#include "platform/file_map.h"

#include <utility>

namespace lantervo::platform {

FileMapping::~FileMapping() {
  Release();
}

FileMapping::FileMapping(FileMapping&& other) noexcept
    : view_(std::exchange(other.view_, nullptr)),
      viewSize_(std::exchange(other.viewSize_, 0)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

FileMapping& FileMapping::operator=(FileMapping&& other) noexcept {
  if (this != &other) {
    Release();
    view_ = std::exchange(other.view_, nullptr);
    viewSize_ = std::exchange(other.viewSize_, 0);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

}  // namespace lantervo::platform
