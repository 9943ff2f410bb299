#include "frontends/qt/control_bindings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QToolButton>
#include <algorithm>
#include <vector>

#include "frontends/qt/grid_view.h"
#include "frontends/qt/qt_convert.h"
#include "toolkit/db_grid.h"
#include "toolkit/desktop.h"
#include "toolkit/extra_controls.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"

namespace lantervo::qt {

ControlBinding::ControlBinding(TControl& control, QWidget* widget)
    : Binding(control, widget), control_(control), widget_(widget) {
  widget_->setObjectName(ToQt(control.Name()));
}

void ControlBinding::UserInput(const std::function<void()>& operation) {
  Input(control_.GetDesktop(), operation);
}

void ControlBinding::ApplyGeometry() {
  widget_->setGeometry(static_cast<int>(control_.Left()), static_cast<int>(control_.Top()),
                       static_cast<int>(control_.Width()), static_cast<int>(control_.Height()));
}

void ControlBinding::Sync(std::string_view property) {
  if (Is(property, prop::Left) || Is(property, prop::Top) || Is(property, prop::Width) ||
      Is(property, prop::Height) || Is(property, prop::Font) || Is(property, prop::Caption))
    ApplyGeometry();
  if (Is(property, prop::Font)) widget_->setFont(ToQFont(*control_.Font()));
  if (Is(property, prop::Enabled)) widget_->setEnabled(control_.Enabled());
  if (Is(property, prop::Hint) || Is(property, prop::ShowHint))
    widget_->setToolTip(control_.ShowHint() ? DisplayLines(control_.Hint()) : QString());
  if (Is(property, prop::Cursor)) {
    if (control_.CursorShape() == crHandPoint) {
      widget_->setCursor(Qt::PointingHandCursor);
    } else {
      widget_->unsetCursor();
    }
  }
  SyncKind(property);
  if (Is(property, prop::Visible)) widget_->setVisible(control_.Visible());
}

void ControlBinding::ForwardKeys() {
  if (!forwardKeys_) widget_->installEventFilter(this);
  forwardKeys_ = true;
}

void ControlBinding::ForwardMouseClicks() {
  if (!forwardClicks_) widget_->installEventFilter(this);
  forwardClicks_ = true;
}

bool ControlBinding::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_ || !Alive()) return false;
  if (forwardKeys_ && event->type() == QEvent::KeyPress) {
    auto& key = static_cast<QKeyEvent&>(*event);
    auto* control = dynamic_cast<TWinControl*>(&control_);
    if (!control) return false;
    bool goesOn = true;
    if (const std::uint16_t vk = VirtualKey(key)) {
      UserInput([&] { goesOn = control->KeyDown(vk, Shift(key)); });
      if (!goesOn) return true;
    }
    for (const char32_t ch : key.text().toUcs4()) {
      char32_t typed = ch;
      UserInput([&] { goesOn = control->KeyPress(typed); });
      if (!goesOn) return true;
    }
    return false;
  }
  if (forwardClicks_ && event->type() == QEvent::MouseButtonRelease) {
    auto& mouse = static_cast<QMouseEvent&>(*event);
    if (mouse.button() == Qt::LeftButton && widget_->rect().contains(mouse.position().toPoint()))
      UserInput([this] { control_.Click(); });
    return false;
  }
  if (forwardClicks_ && event->type() == QEvent::MouseButtonDblClick)
    UserInput([this] { control_.DblClick(); });
  return false;
}

namespace {

// Labels draw on their parent's background, with the accelerator marks resolved.
class LabelBinding : public ControlBinding {
 public:
  LabelBinding(TLabel& label, QWidget* parent)
      : ControlBinding(label, new QLabel(parent)), label_(static_cast<QLabel*>(widget_)) {
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ForwardMouseClicks();
  }

 protected:
  void ApplyGeometry() override {
    auto& label = static_cast<TLabel&>(control_);
    if (label.AutoSize()) {
      label_->move(static_cast<int>(label.Left()), static_cast<int>(label.Top()));
      label_->adjustSize();
    } else {
      ControlBinding::ApplyGeometry();
    }
  }
  void SyncKind(std::string_view property) override {
    if (Is(property, prop::Caption)) {
      label_->setText(LabelCaption(control_.Caption()));
      ApplyGeometry();
    }
    if (Is(property, prop::Font)) {
      QPalette palette = label_->palette();
      palette.setColor(QPalette::WindowText,
                       ToQColor(control_.Font()->FontColor(), label_->palette()));
      label_->setPalette(palette);
      ApplyGeometry();
    }
  }

 private:
  QLabel* label_;
};

class EditBinding : public ControlBinding {
 public:
  EditBinding(TEdit& edit, QWidget* parent)
      : ControlBinding(edit, new QLineEdit(parent)), edit_(static_cast<QLineEdit*>(widget_)) {
    QObject::connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
      UserInput([&] { static_cast<TEdit&>(control_).SetText(FromQt(text)); });
    });
    ForwardKeys();
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& edit = static_cast<TEdit&>(control_);
    if (Is(property, prop::Text) && FromQt(edit_->text()) != edit.Text())
      edit_->setText(ToQt(edit.Text()));
    if (Is(property, prop::ReadOnly)) edit_->setReadOnly(edit.ReadOnly());
  }

 private:
  QLineEdit* edit_;
};

// Qt keeps lines apart with LF; the memo's text keeps them apart with CR LF.
class MemoBinding : public ControlBinding {
 public:
  MemoBinding(TMemo& memo, QWidget* parent)
      : ControlBinding(memo, new QPlainTextEdit(parent)),
        memo_(static_cast<QPlainTextEdit*>(widget_)) {
    QObject::connect(memo_, &QPlainTextEdit::textChanged, this, [this] {
      if (syncing_) return;
      QString text = memo_->toPlainText();
      text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
      UserInput([&] { static_cast<TMemo&>(control_).SetText(FromQt(text)); });
    });
    ForwardKeys();
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& memo = static_cast<TMemo&>(control_);
    if (Is(property, prop::Lines)) {
      const QString text = DisplayLines(memo.Text());
      if (memo_->toPlainText() != text) {
        syncing_ = true;
        memo_->setPlainText(text);
        syncing_ = false;
      }
    }
    if (Is(property, prop::WordWrap))
      memo_->setLineWrapMode(memo.WordWrap() ? QPlainTextEdit::WidgetWidth
                                             : QPlainTextEdit::NoWrap);
  }

 private:
  QPlainTextEdit* memo_;
  bool syncing_ = false;
};

// The component decides the state: a click asks it to toggle, and the box shows its answer.
class CheckBoxBinding : public ControlBinding {
 public:
  CheckBoxBinding(TCheckBox& box, QWidget* parent)
      : ControlBinding(box, new QCheckBox(parent)), box_(static_cast<QCheckBox*>(widget_)) {
    QObject::connect(box_, &QCheckBox::clicked, this, [this] {
      UserInput([this] { control_.Click(); });
      if (Alive()) SyncKind("Checked");
    });
    ForwardKeys();
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& box = static_cast<TCheckBox&>(control_);
    if (Is(property, prop::Caption)) box_->setText(ToQt(box.Caption()));
    if (Is(property, prop::Checked)) box_->setChecked(box.Checked());
  }

 private:
  QCheckBox* box_;
};

class ComboBoxBinding : public ControlBinding {
 public:
  ComboBoxBinding(TComboBox& combo, QWidget* parent)
      : ControlBinding(combo, new QComboBox(parent)), combo_(static_cast<QComboBox*>(widget_)) {
    QObject::connect(combo_, &QComboBox::activated, this, [this](int index) {
      UserInput([&] { static_cast<TComboBox&>(control_).Select(index); });
      if (Alive()) SyncKind("ItemIndex");
    });
    ForwardKeys();
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& combo = static_cast<TComboBox&>(control_);
    const QSignalBlocker quiet(combo_);
    if (Is(property, prop::Style)) {
      combo_->setEditable(combo.Style() != csDropDownList);
      if (combo_->lineEdit())
        QObject::connect(
            combo_->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& text) {
              UserInput([&] { static_cast<TComboBox&>(control_).SetText(FromQt(text)); });
            });
    }
    if (Is(property, prop::Items) || Is(property, prop::Sorted) || Is(property, prop::Style)) {
      combo_->clear();
      for (const std::string& item : combo.Items()->Lines()) combo_->addItem(ToQt(item));
    }
    if (Is(property, prop::DropDownCount))
      combo_->setMaxVisibleItems(
          static_cast<int>(std::max<std::int64_t>(1, combo.DropDownCount())));
    combo_->setCurrentIndex(static_cast<int>(combo.ItemIndex()));
    if (combo_->isEditable() && FromQt(combo_->currentText()) != combo.Text())
      combo_->setEditText(ToQt(combo.Text()));
  }

 private:
  QComboBox* combo_;
};

class ButtonBinding : public ControlBinding {
 public:
  ButtonBinding(TButton& button, QWidget* parent)
      : ControlBinding(button, new QPushButton(parent)),
        button_(static_cast<QPushButton*>(widget_)) {
    // Enter and Escape press no button unless the button says so.
    button_->setAutoDefault(false);
    QObject::connect(button_, &QPushButton::clicked, this,
                     [this] { UserInput([this] { control_.Click(); }); });
    ForwardKeys();
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& button = static_cast<TButton&>(control_);
    if (Is(property, prop::Caption)) button_->setText(ToQt(button.Caption()));
    if (Is(property, prop::Default)) button_->setDefault(button.Default());
  }

 private:
  QPushButton* button_;
};

class SpeedButtonBinding : public ControlBinding {
 public:
  SpeedButtonBinding(TSpeedButton& button, QWidget* parent)
      : ControlBinding(button, new QToolButton(parent)),
        button_(static_cast<QToolButton*>(widget_)) {
    button_->setFocusPolicy(Qt::NoFocus);
    QObject::connect(button_, &QToolButton::clicked, this,
                     [this] { UserInput([this] { control_.Click(); }); });
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& button = static_cast<TSpeedButton&>(control_);
    if (Is(property, prop::Flat)) button_->setAutoRaise(button.Flat());
    if (Is(property, prop::Glyph)) {
      const QPixmap glyph = PicturePixmap(*button.Glyph());
      button_->setIcon(QIcon(glyph));
      button_->setIconSize(glyph.size());
    }
    if (Is(property, prop::Caption)) button_->setText(LabelCaption(button.Caption()));
  }

 private:
  QToolButton* button_;
};

class PanelBinding : public ControlBinding {
 public:
  PanelBinding(TPanel& panel, QWidget* parent)
      : ControlBinding(panel, new QFrame(parent)), frame_(static_cast<QFrame*>(widget_)) {}

 protected:
  void SyncKind(std::string_view property) override {
    auto& panel = static_cast<TPanel&>(control_);
    if (Is(property, prop::BevelOuter) || Is(property, prop::BevelInner)) {
      const auto bevel = panel.BevelOuter() != bvNone ? panel.BevelOuter() : panel.BevelInner();
      frame_->setFrameStyle(bevel == bvNone      ? QFrame::NoFrame
                            : bevel == bvLowered ? QFrame::Panel | QFrame::Sunken
                                                 : QFrame::Panel | QFrame::Raised);
    }
    if (Is(property, prop::Color)) {
      // The panel shows its own colour (the header's white) whatever the parent shows.
      frame_->setAutoFillBackground(true);
      QPalette palette = frame_->palette();
      palette.setColor(QPalette::Window, ToQColor(panel.ControlColor(), frame_->palette()));
      frame_->setPalette(palette);
    }
  }

 private:
  QFrame* frame_;
};

// A picture drawn at the top-left corner, or stretched over the control; an empty picture
// leaves the background showing.
class ImageBinding : public ControlBinding {
 public:
  ImageBinding(TImage& image, QWidget* parent)
      : ControlBinding(image, new QLabel(parent)), label_(static_cast<QLabel*>(widget_)) {
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ForwardMouseClicks();
  }

 protected:
  void SyncKind(std::string_view property) override {
    auto& image = static_cast<TImage&>(control_);
    if (Is(property, prop::Stretch)) label_->setScaledContents(image.Stretch());
    if (Is(property, prop::Picture)) label_->setPixmap(PicturePixmap(*image.Picture()));
    if (Is(property, prop::Repaint)) label_->repaint();
  }

 private:
  QLabel* label_;
};

class StatusBarBinding : public ControlBinding {
 public:
  StatusBarBinding(TStatusBar& bar, QWidget* parent)
      : ControlBinding(bar, new QStatusBar(parent)),
        bar_(static_cast<QStatusBar*>(widget_)),
        text_(new QLabel(bar_)) {
    bar_->setSizeGripEnabled(false);
    text_->setTextFormat(Qt::PlainText);
    bar_->addWidget(text_, 1);
  }

 protected:
  void SyncKind(std::string_view property) override {
    if (Is(property, prop::SimpleText))
      text_->setText(ToQt(static_cast<TStatusBar&>(control_).SimpleText()));
  }

 private:
  QStatusBar* bar_;
  QLabel* text_;
};

// The tabs and the frame only: the pages are the sheets' own widgets, laid out by the control
// and shown one at a time by it.
class PageControlBinding : public ControlBinding {
 public:
  PageControlBinding(TPageControl& pages, QWidget* parent)
      : ControlBinding(pages, new QWidget(parent)),
        pages_(pages),
        frame_(new QFrame(widget_)),
        tabs_(new QTabBar(widget_)) {
    frame_->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    tabs_->setDrawBase(false);
    tabs_->setExpanding(false);
    QObject::connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
      if (syncing_) return;
      UserInput([&] { pages_.TabClicked(index); });
      if (Alive()) SyncKind(prop::ActivePageIndex);
    });
  }

 protected:
  void ApplyGeometry() override {
    ControlBinding::ApplyGeometry();
    const int width = static_cast<int>(pages_.Width());
    const int height = static_cast<int>(pages_.Height());
    tabs_->setGeometry(0, 0, width, TPageControl::kTabHeight + 1);
    frame_->setGeometry(0, TPageControl::kTabHeight, width, height - TPageControl::kTabHeight);
    frame_->lower();
  }
  void SyncKind(std::string_view property) override {
    syncing_ = true;
    if (Is(property, prop::Pages)) {
      while (tabs_->count() > pages_.PageCount()) tabs_->removeTab(tabs_->count() - 1);
      for (int i = 0; i < pages_.PageCount(); ++i) {
        const QString text = ToQt(pages_.Page(i)->Caption());
        if (i < tabs_->count())
          tabs_->setTabText(i, text);
        else
          tabs_->addTab(text);
      }
    }
    if (Is(property, prop::Pages) || Is(property, prop::ActivePageIndex))
      tabs_->setCurrentIndex(pages_.ActivePageIndex());
    syncing_ = false;
  }

 private:
  TPageControl& pages_;
  QFrame* frame_;
  QTabBar* tabs_;
  bool syncing_ = false;
};

class PlainBinding : public ControlBinding {
 public:
  PlainBinding(TControl& control, QWidget* parent) : ControlBinding(control, new QWidget(parent)) {}
};

}  // namespace

QWidget* BuildControl(TControl& control, QWidget* parent) {
  ControlBinding* binding = nullptr;
  if (auto* grid = dynamic_cast<TDBGrid*>(&control)) {
    return BuildGridView(*grid, parent);
  } else if (auto* label = dynamic_cast<TLabel*>(&control)) {
    binding = new LabelBinding(*label, parent);
  } else if (auto* memo = dynamic_cast<TMemo*>(&control)) {
    binding = new MemoBinding(*memo, parent);
  } else if (auto* edit = dynamic_cast<TEdit*>(&control)) {
    binding = new EditBinding(*edit, parent);
  } else if (auto* box = dynamic_cast<TCheckBox*>(&control)) {
    binding = new CheckBoxBinding(*box, parent);
  } else if (auto* combo = dynamic_cast<TComboBox*>(&control)) {
    binding = new ComboBoxBinding(*combo, parent);
  } else if (auto* button = dynamic_cast<TButton*>(&control)) {
    binding = new ButtonBinding(*button, parent);
  } else if (auto* speed = dynamic_cast<TSpeedButton*>(&control)) {
    binding = new SpeedButtonBinding(*speed, parent);
  } else if (auto* pages = dynamic_cast<TPageControl*>(&control)) {
    binding = new PageControlBinding(*pages, parent);
  } else if (auto* panel = dynamic_cast<TPanel*>(&control)) {
    binding = new PanelBinding(*panel, parent);
  } else if (auto* image = dynamic_cast<TImage*>(&control)) {
    binding = new ImageBinding(*image, parent);
  } else if (auto* bar = dynamic_cast<TStatusBar*>(&control)) {
    binding = new StatusBarBinding(*bar, parent);
  } else {
    binding = new PlainBinding(control, parent);
  }
  if (auto* container = dynamic_cast<TWinControl*>(&control))
    BuildChildren(*container, binding->Widget());
  binding->SyncAll();
  return binding->Widget();
}

void BuildChildren(TWinControl& container, QWidget* widget) {
  std::vector<std::pair<std::int64_t, QWidget*>> tabStops;
  for (TControl* child : container.Controls()) {
    QWidget* childWidget = BuildControl(*child, widget);
    if (auto* win = dynamic_cast<TWinControl*>(child); win && win->TabStop())
      tabStops.emplace_back(win->TabOrder(), childWidget);
    else if (!dynamic_cast<TWinControl*>(child))
      childWidget->setFocusPolicy(Qt::NoFocus);
  }
  std::stable_sort(tabStops.begin(), tabStops.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < tabStops.size(); ++i)
    QWidget::setTabOrder(tabStops[i - 1].second, tabStops[i].second);
}

}  // namespace lantervo::qt
