#pragma once
// Controls: components with a place on a window. Positions are client pixels of the parent.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/actions.h"
#include "toolkit/component.h"
#include "toolkit/events.h"
#include "toolkit/graphics.h"

namespace lantervo {

class TWinControl;

enum Cursor : std::int64_t { crDefault = 0, crHandPoint = -21 };

class TControl : public Component {
  LANTERVO_CLASS()

 public:
  TControl();
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  void SetParent(TWinControl* parent);

  std::int64_t Left() const { return left_; }
  std::int64_t Top() const { return top_; }
  std::int64_t Width() const { return width_; }
  std::int64_t Height() const { return height_; }
  void SetLeft(std::int64_t v);
  void SetTop(std::int64_t v);
  void SetWidth(std::int64_t v);
  void SetHeight(std::int64_t v);
  void SetBounds(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);
  Color ControlColor() const { return color_; }
  void SetColor(Color color);
  std::int64_t CursorShape() const { return cursor_; }
  void SetCursor(std::int64_t cursor);

  // The control's font; while ParentFont is on it follows the parent's font. Changing it
  // turns ParentFont off.
  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* font);  // copies
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool parentFont);

  // A bound action supplies caption, hint, enabled and visible state, and runs on a click
  // when no click handler is set.
  TAction* Action() const { return actionLink_.Action(); }
  void SetAction(TAction* action);

  NotifyEvent OnClick;
  NotifyEvent OnDblClick;
  // Front ends call these for user input.
  virtual void Click();
  virtual void DblClick();

 protected:
  void Notification(Component& removed) override;
  virtual void ActionChanged(std::string_view property);
  // Runs after the visible state changed and before the change is notified.
  virtual void VisibleChanged() {}
  // Runs after the width or the height changed, and after the change is notified.
  virtual void Resized() {}
  void CopyParentFont();

 private:
  friend class TWinControl;
  TWinControl* parent_ = nullptr;
  std::int64_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;
  std::string hint_;
  bool showHint_ = false;
  Color color_ = colors::kBtnFace;
  std::int64_t cursor_ = crDefault;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  bool copyingParentFont_ = false;
  ActionLink actionLink_;
};

namespace props {
// Caption and hint of a control bound to an action are the action's.
template <class T, class Get, class Set>
PropertyInfo ActionText(std::string_view name, Get get, Set set) {
  return StoredIf<T>(Text<T>(name, get, set), [](const T& c) { return c.Action() == nullptr; });
}
}  // namespace props

// A control that takes keyboard input and holds other controls.
class TWinControl : public TControl {
  LANTERVO_CLASS()

 public:
  ~TWinControl() override;

  // Child controls in the order they were put on this one.
  const std::vector<TControl*>& Controls() const { return controls_; }
  std::int64_t TabOrder() const { return tabOrder_; }
  void SetTabOrder(std::int64_t order);
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool tabStop);

  KeyEvent OnKeyDown;
  KeyPressEvent OnKeyPress;
  // User input; each returns whether the key still goes on (a handler did not discard it).
  virtual bool KeyDown(std::uint16_t key, ShiftState shift);
  virtual bool KeyPress(char32_t key);

 protected:
  // Child controls forget this parent; called by the destructors of windows before their
  // components go.
  void ReleaseControls();
  // A control was put on this one, or taken off it (not while the windows are taken down).
  virtual void ControlAdded(TControl& control) {}
  virtual void ControlRemoved(TControl& control) {}

 private:
  friend class TControl;
  std::vector<TControl*> controls_;
  std::int64_t tabOrder_ = -1;
  bool tabStop_ = false;
};

}  // namespace lantervo
