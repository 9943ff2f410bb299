#include "toolkit/images.h"

namespace lantervo {

const ClassInfo& TImageList::StaticClass() {
  using T = TImageList;
  static const ClassInfo info("TImageList", &Component::StaticClass(),
                              {props::Other<T>(prop::Width, &T::Width, &T::SetWidth),
                               props::Other<T>(prop::Height, &T::Height, &T::SetHeight),
                               // Resource names are identifiers, never text to translate.
                               props::Other<T>(prop::Images, &T::ImageNames)});
  return info;
}

TImageList::TImageList() : images_(std::make_unique<TStrings>()) {
  ForwardChanges(*images_, prop::Images);
}

void TImageList::SetWidth(std::int64_t width) {
  if (width == width_) return;
  width_ = width;
  Changed(prop::Width);
}

void TImageList::SetHeight(std::int64_t height) {
  if (height == height_) return;
  height_ = height;
  Changed(prop::Height);
}

int TImageList::Add(const std::string& resource) {
  images_->Add(resource);
  return images_->Count() - 1;
}

}  // namespace lantervo
