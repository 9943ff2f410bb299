#include "toolkit/extra_controls.h"

namespace lantervo {

namespace {
void CopyPicture(TPicture& to, const TPicture& from) {
  if (from.ImageList()) {
    to.AssignImage(*from.ImageList(), static_cast<int>(from.ImageIndex()));
  } else {
    to.SetResource(from.Resource());
  }
}
}  // namespace

const ClassInfo& TSpeedButton::StaticClass() {
  using T = TSpeedButton;
  static const ClassInfo info("TSpeedButton", &TControl::StaticClass(),
                              {props::Object<T>(prop::Action, &T::Action, &T::SetAction),
                               props::ActionText<T>(prop::Caption, &T::Caption, &T::SetCaption),
                               props::Other<T>(prop::Flat, &T::Flat, &T::SetFlat),
                               props::Object<T>(prop::Glyph, &T::Glyph, &T::SetGlyph)});
  return info;
}

TSpeedButton::TSpeedButton() : glyph_(std::make_unique<TPicture>()) {
  ForwardChanges(*glyph_, prop::Glyph);
}

void TSpeedButton::SetGlyph(TPicture* glyph) {
  if (glyph && glyph != glyph_.get()) CopyPicture(*glyph_, *glyph);
}

void TSpeedButton::SetFlat(bool flat) {
  if (flat == flat_) return;
  flat_ = flat;
  Changed(prop::Flat);
}

const ClassInfo& TPanel::StaticClass() {
  using T = TPanel;
  static const ClassInfo info(
      "TPanel", &TWinControl::StaticClass(),
      {props::Other<T>(prop::BevelInner, &T::BevelInner, &T::SetBevelInner),
       props::Other<T>(prop::BevelOuter, &T::BevelOuter, &T::SetBevelOuter),
       props::ActionText<T>(prop::Caption, &T::Caption, &T::SetCaption),
       props::Other<T>(prop::ParentBackground, &T::ParentBackground, &T::SetParentBackground)});
  return info;
}

TPanel::TPanel() = default;

void TPanel::SetBevelInner(std::int64_t bevel) {
  if (bevel == bevelInner_) return;
  bevelInner_ = bevel;
  Changed(prop::BevelInner);
}

void TPanel::SetBevelOuter(std::int64_t bevel) {
  if (bevel == bevelOuter_) return;
  bevelOuter_ = bevel;
  Changed(prop::BevelOuter);
}

void TPanel::SetParentBackground(bool value) {
  if (value == parentBackground_) return;
  parentBackground_ = value;
  Changed(prop::ParentBackground);
}

const ClassInfo& TImage::StaticClass() {
  using T = TImage;
  static const ClassInfo info(
      "TImage", &TControl::StaticClass(),
      {props::Object<T>(prop::Picture, &T::Picture, &T::SetPicture),
       props::Other<T>(prop::Stretch, &T::Stretch, &T::SetStretch),
       props::Other<T>(prop::Transparent, &T::Transparent, &T::SetTransparent)});
  return info;
}

TImage::TImage() : picture_(std::make_unique<TPicture>()) {
  ForwardChanges(*picture_, prop::Picture);
}

void TImage::SetPicture(TPicture* picture) {
  if (picture && picture != picture_.get()) CopyPicture(*picture_, *picture);
}

void TImage::SetStretch(bool stretch) {
  if (stretch == stretch_) return;
  stretch_ = stretch;
  Changed(prop::Stretch);
}

void TImage::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed(prop::Transparent);
}

void TImage::Repaint() {
  Changed(prop::Repaint);
}

const ClassInfo& TStatusBar::StaticClass() {
  using T = TStatusBar;
  static const ClassInfo info(
      "TStatusBar", &TWinControl::StaticClass(),
      {props::Other<T>(prop::SimplePanel, &T::SimplePanel, &T::SetSimplePanel),
       props::Text<T>(prop::SimpleText, &T::SimpleText, &T::SetSimpleText)});
  return info;
}

TStatusBar::TStatusBar() = default;

void TStatusBar::SetSimplePanel(bool simple) {
  if (simple == simplePanel_) return;
  simplePanel_ = simple;
  Changed(prop::SimplePanel);
}

void TStatusBar::SetSimpleText(const std::string& text) {
  if (text == simpleText_) return;
  simpleText_ = text;
  Changed(prop::SimpleText);
}

}  // namespace lantervo
