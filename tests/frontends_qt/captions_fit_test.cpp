// The five windows on the Qt desktop in English and in Czech, measured with the fonts Qt draws
// them with: no label runs under the widget beside it or past the window's edge, every button
// and check box holds its caption, every grid title fits its column.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <memory>

#include "frontends/qt/form_window.h"
#include "frontends/qt/grid_view.h"
#include "frontends/qt/qt_desktop.h"
#include "tests/support/program_windows.h"

namespace lantervo::qt {
namespace {

std::string Where(const QWidget& widget) {
  return (widget.window()->objectName() + "." + widget.objectName()).toStdString();
}

class CaptionsFitTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { windows = std::make_unique<test::ProgramWindows>(desktop, GetParam()); }
  void TearDown() override { windows.reset(); }

  void ExpectCaptionsFit(TForm& form) {
    FormWindow& window = desktop.WindowOf(form);
    QApplication::processEvents();
    QWidget* client = window.Client();
    const int margin = QApplication::style()->pixelMetric(QStyle::PM_ButtonMargin);
    for (QLabel* label : client->findChildren<QLabel*>()) {
      if (label->text().isEmpty()) continue;  // pictures and empty labels
      SCOPED_TRACE(Where(*label) + " \"" + label->text().toStdString() + "\"");
      const QRect text(label->pos(), QSize(label->fontMetrics().horizontalAdvance(label->text()),
                                           label->fontMetrics().height()));
      // On the window, or on one of its pages.
      QWidget* parent = label->parentWidget();
      if (parent == client || parent->objectName().startsWith(QLatin1String("sheet"))) {
        EXPECT_LE(text.right(), parent->width());
      }
      for (QObject* object : label->parentWidget()->children()) {
        auto* other = qobject_cast<QWidget*>(object);
        if (!other || other == label || qobject_cast<QLabel*>(other)) continue;
        EXPECT_FALSE(text.intersects(other->geometry())) << "runs under " << Where(*other);
      }
    }
    for (QPushButton* button : client->findChildren<QPushButton*>()) {
      SCOPED_TRACE(Where(*button) + " \"" + button->text().toStdString() + "\"");
      QString caption = button->text();
      caption.remove(QLatin1Char('&'));
      EXPECT_LE(button->fontMetrics().horizontalAdvance(caption) + 2 * margin, button->width());
    }
    for (QCheckBox* box : client->findChildren<QCheckBox*>()) {
      if (box->text().isEmpty()) continue;
      SCOPED_TRACE(Where(*box));
      EXPECT_LE(box->sizeHint().width(), box->width());
    }
    for (GridView* grid : client->findChildren<GridView*>()) {
      QHeaderView* header = grid->horizontalHeader();
      QAbstractItemModel* model = grid->model();
      const int headerMargin = QApplication::style()->pixelMetric(QStyle::PM_HeaderMargin);
      for (int section = 0; section < model->columnCount(); ++section) {
        const QString title = model->headerData(section, Qt::Horizontal).toString();
        const QFont font = model->headerData(section, Qt::Horizontal, Qt::FontRole).value<QFont>();
        SCOPED_TRACE(Where(*grid) + " title \"" + title.toStdString() + "\"");
        EXPECT_LE(QFontMetrics(font).horizontalAdvance(title) + 2 * headerMargin,
                  header->sectionSize(section));
      }
    }
  }

  QtDesktop desktop;
  std::unique_ptr<test::ProgramWindows> windows;
};

TEST_P(CaptionsFitTest, EveryCaptionShowsWhole) {
  if (std::string(GetParam()) == "cs") {
    ASSERT_EQ(windows->settings->labelAfterStart->Caption(), "Spouštět po startu systému");
  }
  for (TForm* form : windows->All()) ExpectCaptionsFit(*form);
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, CaptionsFitTest, ::testing::Values("en", "cs"));

}  // namespace
}  // namespace lantervo::qt
