#pragma once
// Colours, rectangles, fonts and pictures as plain data a front end turns into real ones.
#include <cstdint>
#include <string>

#include "toolkit/persistent.h"

namespace lantervo {

class TImageList;

// 0x00BBGGRR, or a system colour: kSystemColor | the platform's colour index.
using Color = std::int64_t;
namespace colors {
constexpr Color kSystemColor = 0x80000000;
constexpr Color kBlack = 0x000000;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kGray = 0x808080;  // 8421504
constexpr Color kMenu = kSystemColor | 4;
constexpr Color kWindow = kSystemColor | 5;
constexpr Color kWindowText = kSystemColor | 8;
constexpr Color kBtnFace = kSystemColor | 15;
constexpr Color kHotLight = kSystemColor | 26;
}  // namespace colors

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

enum FontStyle : std::int64_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

class TFont : public Persistent {
  LANTERVO_CLASS()

 public:
  // Font names and heights in pixels (negative: character height, as the window tables give).
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  std::int64_t Height() const { return height_; }
  void SetHeight(std::int64_t height);
  std::int64_t Size() const;  // points at 96 dots per inch
  void SetSize(std::int64_t points);
  Color FontColor() const { return color_; }
  void SetColor(Color color);
  std::int64_t Style() const { return style_; }  // FontStyle flags
  void SetStyle(std::int64_t style);

  void Assign(const TFont& other);
  bool operator==(const TFont& other) const;

 private:
  std::string name_ = "Tahoma";
  std::int64_t height_ = -11;
  Color color_ = colors::kWindowText;
  std::int64_t style_ = 0;
};

// A picture: empty (fully transparent), a named piece of the program's artwork, or one image
// of an image list.
class TPicture : public Persistent {
  LANTERVO_CLASS()

 public:
  const std::string& Resource() const { return resource_; }
  void SetResource(const std::string& resource);
  // The list and index it was taken from, if any (the list only while it exists).
  TImageList* ImageList() const { return imageList_.Get(); }
  std::int64_t ImageIndex() const { return imageIndex_; }
  // Takes one image of the list; an index outside the list raises Error.
  void AssignImage(TImageList& list, int index);
  void Clear();
  bool Empty() const { return resource_.empty() && imageList_.IsNull(); }

 private:
  std::string resource_;
  WeakRef<TImageList> imageList_;
  std::int64_t imageIndex_ = -1;
};

}  // namespace lantervo
