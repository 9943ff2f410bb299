#include "toolkit/std_controls.h"

namespace lantervo {

namespace {
const ClassInfo& ButtonControlClass() {
  static const ClassInfo info("TButtonControl", &TWinControl::StaticClass());
  return info;
}
}  // namespace

const ClassInfo& TLabel::StaticClass() {
  using T = TLabel;
  static const ClassInfo graphic("TGraphicControl", &TControl::StaticClass());
  static const ClassInfo info(
      "TLabel", &graphic,
      {props::Other<T>(prop::AutoSize, &T::AutoSize, &T::SetAutoSize),
       props::ActionText<T>(prop::Caption, &T::Caption, &T::SetCaption),
       props::Other<T>(prop::Transparent, &T::Transparent, &T::SetTransparent)});
  return info;
}

TLabel::TLabel() = default;

void TLabel::SetAutoSize(bool autoSize) {
  if (autoSize == autoSize_) return;
  autoSize_ = autoSize;
  Changed(prop::AutoSize);
}

void TLabel::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed(prop::Transparent);
}

const ClassInfo& TEdit::StaticClass() {
  using T = TEdit;
  static const ClassInfo custom("TCustomEdit", &TWinControl::StaticClass());
  static const ClassInfo info("TEdit", &custom,
                              {props::Other<T>(prop::ReadOnly, &T::ReadOnly, &T::SetReadOnly),
                               props::Text<T>(prop::Text, &T::Text, &T::SetText)});
  return info;
}

TEdit::TEdit() {
  SetColor(colors::kWindow);
  SetTabStop(true);
}

void TEdit::SetText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  Changed(prop::Text);
  if (OnChange) OnChange(*this);
}

void TEdit::SetReadOnly(bool readOnly) {
  if (readOnly == readOnly_) return;
  readOnly_ = readOnly;
  Changed(prop::ReadOnly);
}

const ClassInfo& TMemo::StaticClass() {
  using T = TMemo;
  static const ClassInfo custom("TCustomMemo", TEdit::StaticClass().Parent());
  static const ClassInfo info("TMemo", &custom,
                              {props::Lines<T>(prop::Lines, &T::Lines, &T::SetLines),
                               props::Other<T>(prop::WordWrap, &T::WordWrap, &T::SetWordWrap)});
  return info;
}

TMemo::TMemo() : lines_(std::make_unique<TStrings>()) {
  SetColor(colors::kWindow);
  SetTabStop(true);
  Observe(*lines_, [this](Persistent&, std::string_view) {
    Changed(prop::Lines);
    if (OnChange) OnChange(*this);
  });
}

void TMemo::SetLines(TStrings* lines) {
  if (lines && lines != lines_.get()) lines_->Assign(lines->Lines());
}

std::string TMemo::Text() const {
  std::string text;
  for (int i = 0; i < lines_->Count(); ++i) {
    if (i > 0) text += "\r\n";
    text += (*lines_)[i];
  }
  return text;
}

void TMemo::SetText(const std::string& text) {
  if (text == Text()) return;
  lines_->Assign(SplitLines(text, true));
}

void TMemo::SetWordWrap(bool wordWrap) {
  if (wordWrap == wordWrap_) return;
  wordWrap_ = wordWrap;
  Changed(prop::WordWrap);
}

const ClassInfo& TCheckBox::StaticClass() {
  using T = TCheckBox;
  static const ClassInfo info("TCheckBox", &ButtonControlClass(),
                              {props::ActionText<T>(prop::Caption, &T::Caption, &T::SetCaption),
                               props::Other<T>(prop::Checked, &T::Checked, &T::SetChecked)});
  return info;
}

TCheckBox::TCheckBox() {
  SetTabStop(true);
}

void TCheckBox::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed(prop::Checked);
  TControl::Click();
}

void TCheckBox::Click() {
  SetChecked(!checked_);
}

const ClassInfo& TComboBox::StaticClass() {
  using T = TComboBox;
  static const ClassInfo custom("TCustomComboBox", &TWinControl::StaticClass());
  static const ClassInfo info(
      "TComboBox", &custom,
      {props::Other<T>(prop::DropDownCount, &T::DropDownCount, &T::SetDropDownCount),
       props::Lines<T>(prop::Items, &T::Items, &T::SetItems),
       props::Other<T>(prop::ItemIndex, &T::ItemIndex, &T::SetItemIndex),
       props::Other<T>(prop::Sorted, &T::Sorted, &T::SetSorted),
       props::Other<T>(prop::Style, &T::Style, &T::SetStyle),
       props::Text<T>(prop::Text, &T::Text, &T::SetText)});
  return info;
}

TComboBox::TComboBox() : items_(std::make_unique<TStrings>()) {
  SetColor(colors::kWindow);
  SetTabStop(true);
  Observe(*items_, [this](Persistent&, std::string_view change) {
    Changed(prop::Items);
    // A replaced list, like the native control refilled, keeps no selection.
    if (itemIndex_ >= 0 && (change == prop::Assign || itemIndex_ >= items_->Count()))
      SetItemIndex(-1);
  });
}

void TComboBox::SetItems(TStrings* items) {
  if (items && items != items_.get()) items_->Assign(items->Lines());
}

void TComboBox::SetItemIndex(std::int64_t index) {
  if (index < 0 || index >= items_->Count()) index = -1;
  if (index == itemIndex_) return;
  itemIndex_ = index;
  Changed(prop::ItemIndex);
}

void TComboBox::SetSorted(bool sorted) {
  if (sorted == items_->Sorted()) return;
  const std::string selected =
      itemIndex_ >= 0 ? (*items_)[static_cast<int>(itemIndex_)] : std::string();
  const bool hadSelection = itemIndex_ >= 0;
  items_->SetSorted(sorted);
  Changed(prop::Sorted);
  if (hadSelection) SetItemIndex(items_->IndexOf(selected));
}

void TComboBox::SetStyle(std::int64_t style) {
  if (style == style_) return;
  style_ = style;
  Changed(prop::Style);
}

void TComboBox::SetDropDownCount(std::int64_t count) {
  if (count == dropDownCount_) return;
  dropDownCount_ = count;
  Changed(prop::DropDownCount);
}

std::string TComboBox::Text() const {
  if (itemIndex_ >= 0) return (*items_)[static_cast<int>(itemIndex_)];
  return style_ == csDropDownList ? std::string() : text_;
}

void TComboBox::SetText(const std::string& text) {
  if (style_ == csDropDownList) {
    SetItemIndex(items_->IndexOf(text));
    return;
  }
  if (text == Text()) return;
  text_ = text;
  const int match = items_->IndexOf(text);
  if (match >= 0 && (*items_)[match] == text) {
    SetItemIndex(match);
  } else {
    SetItemIndex(-1);
  }
  Changed(prop::Text);
}

void TComboBox::Select(std::int64_t index) {
  SetItemIndex(index);
  if (OnChange) OnChange(*this);
}

const ClassInfo& TButton::StaticClass() {
  using T = TButton;
  static const ClassInfo info("TButton", &ButtonControlClass(),
                              {props::Object<T>(prop::Action, &T::Action, &T::SetAction),
                               props::Other<T>(prop::Cancel, &T::Cancel, &T::SetCancel),
                               props::ActionText<T>(prop::Caption, &T::Caption, &T::SetCaption),
                               props::Other<T>(prop::Default, &T::Default, &T::SetDefault)});
  return info;
}

TButton::TButton() {
  SetTabStop(true);
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  Changed(prop::Default);
}

void TButton::SetCancel(bool value) {
  if (value == cancel_) return;
  cancel_ = value;
  Changed(prop::Cancel);
}

}  // namespace lantervo
