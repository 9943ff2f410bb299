#pragma once
// Image lists: numbered pictures of one size, named after the program's artwork.
#include <string>
#include <vector>

#include "toolkit/component.h"
#include "toolkit/strings.h"

namespace lantervo {

class TImageList : public Component {
  LANTERVO_CLASS()

 public:
  TImageList();
  std::int64_t Width() const { return width_; }
  void SetWidth(std::int64_t width);
  std::int64_t Height() const { return height_; }
  void SetHeight(std::int64_t height);

  // One artwork resource name per image, by index.
  int Count() const { return images_->Count(); }
  const TStrings& Images() const { return *images_; }
  TStrings* ImageNames() const { return images_.get(); }
  int Add(const std::string& resource);

 private:
  std::int64_t width_ = 16, height_ = 16;
  std::unique_ptr<TStrings> images_;
};

}  // namespace lantervo
