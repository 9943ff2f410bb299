#pragma once
// A window: a fixed-size top-level widget whose client area holds the form's controls at their
// client coordinates, with the main menu above it. The close box asks TForm::Close; keys reach
// the form's action shortcuts before the focused control.
#include <QPointer>
#include <QWidget>
#include <memory>

#include "frontends/qt/binding.h"
#include "toolkit/form.h"

class QMenuBar;

namespace lantervo::qt {

class MenuTree;

class FormWindow : public QWidget {
 public:
  explicit FormWindow(TForm& form);
  ~FormWindow() override;

  TForm& Form() const { return form_; }
  bool Alive() const { return static_cast<bool>(alive_); }
  QWidget* Client() const { return client_; }
  QMenuBar* MenuBar() const { return menuBar_; }
  // Sizes and places the window from the form's client size and position.
  void ApplyGeometry();
  void ApplyMenu();
  void ApplyFlags();
  // The window manager's hints that Qt's flags do not set (X11).
  void ApplyWindowManagerHints();
  // The window this one belongs to (transient for, on X11): kept above it, never behind.
  void SetOwner(QWidget* owner);
  QWidget* Owner() const { return owner_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  TForm& form_;
  WeakRef<const Persistent> alive_;
  QWidget* client_;
  QMenuBar* menuBar_ = nullptr;
  MenuTree* menuTree_ = nullptr;
  QPointer<QWidget> owner_;
};

// Makes the native window of a form, with its controls, menus and pop-up menus.
FormWindow* BuildFormWindow(TForm& form);

}  // namespace lantervo::qt
