#pragma once
// The standard controls: label, one-line edit, memo, check box, combo box and push button.
#include <memory>
#include <string>

#include "toolkit/control.h"
#include "toolkit/strings.h"

namespace lantervo {

class TLabel : public TControl {
  LANTERVO_CLASS()

 public:
  TLabel();
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool transparent);

 private:
  bool autoSize_ = true;
  bool transparent_ = false;
};

class TEdit : public TWinControl {
  LANTERVO_CLASS()

 public:
  TEdit();
  const std::string& Text() const { return text_; }
  void SetText(const std::string& text);  // also what a front end calls when the user types
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool readOnly);
  NotifyEvent OnChange;

 private:
  std::string text_;
  bool readOnly_ = false;
};

// A multi-line edit. Its text is its lines joined by CR LF with no line break after the last;
// a lone CR or LF in a text set on it becomes CR LF.
class TMemo : public TWinControl {
  LANTERVO_CLASS()

 public:
  TMemo();
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* lines);  // copies
  std::string Text() const;
  void SetText(const std::string& text);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wordWrap);
  NotifyEvent OnChange;

 private:
  std::unique_ptr<TStrings> lines_;
  bool wordWrap_ = true;
};

// Setting Checked, from code or by the user (Click), runs the click handler when the state
// changes.
class TCheckBox : public TWinControl {
  LANTERVO_CLASS()

 public:
  TCheckBox();
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  void Click() override;  // the user's click: toggles

 private:
  bool checked_ = false;
};

enum ComboBoxStyle : std::int64_t { csDropDown = 0, csSimple = 1, csDropDownList = 2 };

class TComboBox : public TWinControl {
  LANTERVO_CLASS()

 public:
  TComboBox();
  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* items);  // copies; no item stays selected
  // -1: none. An index outside the list selects nothing.
  std::int64_t ItemIndex() const { return itemIndex_; }
  void SetItemIndex(std::int64_t index);
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool sorted);
  std::int64_t Style() const { return style_; }
  void SetStyle(std::int64_t style);
  std::int64_t DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(std::int64_t count);
  // A drop-down list's text is its selected item; setting it selects the item of that text.
  std::string Text() const;
  void SetText(const std::string& text);

  NotifyEvent OnChange;
  void Select(std::int64_t index);  // the user's choice: selects and runs OnChange

 private:
  std::unique_ptr<TStrings> items_;
  std::int64_t itemIndex_ = -1;
  std::int64_t style_ = csDropDown;
  std::int64_t dropDownCount_ = 8;
  std::string text_;
};

class TButton : public TWinControl {
  LANTERVO_CLASS()

 public:
  TButton();
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value);

 private:
  bool default_ = false;
  bool cancel_ = false;
};

}  // namespace lantervo
