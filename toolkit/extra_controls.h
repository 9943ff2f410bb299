#pragma once
// Flat button with a glyph, panel, image and status bar.
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/graphics.h"

namespace lantervo {

class TSpeedButton : public TControl {
  LANTERVO_CLASS()

 public:
  TSpeedButton();
  TPicture* Glyph() const { return glyph_.get(); }
  void SetGlyph(TPicture* glyph);  // copies
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);

 private:
  std::unique_ptr<TPicture> glyph_;
  bool flat_ = false;
};

enum BevelCut : std::int64_t { bvNone = 0, bvLowered = 1, bvRaised = 2 };

class TPanel : public TWinControl {
  LANTERVO_CLASS()

 public:
  TPanel();
  std::int64_t BevelInner() const { return bevelInner_; }
  void SetBevelInner(std::int64_t bevel);
  std::int64_t BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(std::int64_t bevel);
  bool ParentBackground() const { return parentBackground_; }
  void SetParentBackground(bool value);

 private:
  std::int64_t bevelInner_ = bvNone;
  std::int64_t bevelOuter_ = bvRaised;
  bool parentBackground_ = true;
};

class TImage : public TControl {
  LANTERVO_CLASS()

 public:
  TImage();
  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* picture);  // copies
  bool Stretch() const { return stretch_; }
  void SetStretch(bool stretch);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  // Asks the front end to paint the picture again now (a "Repaint" notification).
  void Repaint();

 private:
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool transparent_ = false;
};

// A status bar with one simple-text panel.
class TStatusBar : public TWinControl {
  LANTERVO_CLASS()

 public:
  TStatusBar();
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool simple);
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& text);

 private:
  bool simplePanel_ = true;
  std::string simpleText_;
};

}  // namespace lantervo
