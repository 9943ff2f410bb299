#pragma once
// One binding per kind of control: each makes its Qt widget at the control's place and size,
// mirrors the control's published properties and feeds the user's input back as events.
#include <QWidget>
#include <string>

#include "frontends/qt/binding.h"
#include "toolkit/control.h"

namespace lantervo::qt {

class ControlBinding : public Binding {
 public:
  ControlBinding(TControl& control, QWidget* widget);
  QWidget* Widget() const { return widget_; }
  TControl& Control() const { return control_; }

 protected:
  void Sync(std::string_view property) override;
  virtual void SyncKind(std::string_view property) {}
  // Whether a notification concerns the property (an empty name concerns every property).
  static bool Is(std::string_view property, std::string_view name) {
    return property.empty() || property == name;
  }
  // Keys typed into the widget go to the control's OnKeyDown and OnKeyPress first.
  void ForwardKeys();
  // A mouse click on a widget without a click signal of its own.
  void ForwardMouseClicks();
  bool eventFilter(QObject* watched, QEvent* event) override;
  virtual void ApplyGeometry();
  void UserInput(const std::function<void()>& operation);

  TControl& control_;
  QWidget* widget_;

 private:
  bool forwardKeys_ = false;
  bool forwardClicks_ = false;
};

// Makes the widget of a control and, for a container, of the controls on it, in the order
// they were put there; then chains the tab order of the new children by their TabOrder.
QWidget* BuildControl(TControl& control, QWidget* parent);
void BuildChildren(TWinControl& container, QWidget* widget);

}  // namespace lantervo::qt
