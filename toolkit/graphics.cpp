#include "toolkit/graphics.h"

#include "platform/error.h"
#include "toolkit/images.h"

namespace lantervo {

const ClassInfo& TFont::StaticClass() {
  static const ClassInfo info(
      "TFont", &Persistent::StaticClass(),
      {props::Other<TFont>(prop::Color, &TFont::FontColor, &TFont::SetColor),
       props::Other<TFont>(prop::Height, &TFont::Height, &TFont::SetHeight),
       props::Text<TFont>(prop::Name, &TFont::Name, &TFont::SetName),
       props::Other<TFont>(prop::Style, &TFont::Style, &TFont::SetStyle)});
  return info;
}

void TFont::SetName(const std::string& name) {
  if (name == name_) return;
  name_ = name;
  Changed(prop::Name);
}

void TFont::SetHeight(std::int64_t height) {
  if (height == height_) return;
  height_ = height;
  Changed(prop::Height);
}

std::int64_t TFont::Size() const {
  const std::int64_t h = height_ < 0 ? -height_ : height_;
  return (h * 72 + 48) / 96;
}

void TFont::SetSize(std::int64_t points) {
  SetHeight(-((points * 96 + 36) / 72));
}

void TFont::SetColor(Color color) {
  if (color == color_) return;
  color_ = color;
  Changed(prop::Color);
}

void TFont::SetStyle(std::int64_t style) {
  if (style == style_) return;
  style_ = style;
  Changed(prop::Style);
}

void TFont::Assign(const TFont& other) {
  SetName(other.name_);
  SetHeight(other.height_);
  SetColor(other.color_);
  SetStyle(other.style_);
}

bool TFont::operator==(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
         style_ == other.style_;
}

const ClassInfo& TPicture::StaticClass() {
  static const ClassInfo info(
      "TPicture", &Persistent::StaticClass(),
      {props::Other<TPicture>(prop::Resource, &TPicture::Resource, &TPicture::SetResource),
       props::Other<TPicture>(prop::ImageIndex, &TPicture::ImageIndex)});
  return info;
}

void TPicture::SetResource(const std::string& resource) {
  if (resource == resource_ && imageList_.IsNull()) return;
  resource_ = resource;
  imageList_ = {};
  imageIndex_ = -1;
  Changed(prop::Resource);
}

void TPicture::AssignImage(TImageList& list, int index) {
  if (index < 0 || index >= list.Count())
    throw Error("Invalid image index " + std::to_string(index));
  resource_ = list.Images()[index];
  imageList_ = MakeWeak(list);
  imageIndex_ = index;
  Changed(prop::Resource);
}

void TPicture::Clear() {
  if (Empty()) return;
  resource_.clear();
  imageList_ = {};
  imageIndex_ = -1;
  Changed(prop::Resource);
}

}  // namespace lantervo
