// The main window on the Qt desktop: the grid's pixels come from the window's own cell painter
// (gray inactive rows, the status ball of each row), clicks and keys move the current row, and
// the run outcome reaches the tray.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>

#include "core/config_store.h"
#include "core/event_log.h"
#include "frontends/qt/form_window.h"
#include "frontends/qt/grid_view.h"
#include "frontends/qt/qt_convert.h"
#include "frontends/qt/qt_desktop.h"
#include "frontends/qt/tray_binding.h"
#include "platform/code_page.h"
#include "tests/support/temp_dir.h"
#include "ui/main_form.h"

namespace lantervo::qt {
namespace {

struct Row {
  const char* name;
  const char* status;
  bool active;
};

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    config.Set(&AppConfig::BalloonLevel, 4);
    MainFormContext context{desktop, config, &log};
    form = std::make_unique<TMainForm>(std::move(context));
    form->setServer.CreateList();
  }

  void AddRows(const std::vector<Row>& rows) {
    ServerTable& table = form->setServer;
    for (const Row& row : rows) {
      table.AppendRow();
      table.SetText("Name", row.name);
      table.SetText("Url", "http://127.0.0.1/");
      table.SetBool("Active", row.active);
      table.SetText("Status", row.status);
      table.SetText("Result", "");
      table.SetInt("LoadTime", -1);
      table.PostRow();
    }
  }

  GridView& Grid() {
    FormWindow& window = desktop.WindowOf(*form);
    auto* view = window.findChild<GridView*>(QStringLiteral("gridLink"));
    EXPECT_NE(view, nullptr);
    return *view;
  }

  // The view as the user sees it once the loop has turned (the grid refreshes then).
  QImage GridPixels() {
    QApplication::processEvents();
    return Grid().viewport()->grab().toImage();
  }
  QRect Cell(int row, int column) {
    QApplication::processEvents();
    return Grid().visualRect(Grid().Model().index(row, column));
  }
  // The 16x16 square at the top-left corner of a row's status cell.
  QImage StatusSquare(const QImage& pixels, int row) {
    return pixels.copy(QRect(Cell(row, 0).topLeft(), QSize(16, 16)))
        .convertToFormat(QImage::Format_RGB32);
  }
  static QImage Ball(const char* name) {
    return Artwork(name).toImage().convertToFormat(QImage::Format_RGB32);
  }
  // A pixel of a cell away from its text and lines.
  static QColor Background(const QImage& pixels, const QRect& cell) {
    return pixels.pixelColor(cell.right() - 3, cell.bottom() - 2);
  }

  QtDesktop desktop;
  ConfigStore config;
  test::TempDir dir;
  platform::CodePage codePage = platform::CodePage::Open(1252);
  EventLog log{dir.File("LTV.log"), [] { return true; }, EventLog::Options{{}, {}, &codePage}};
  std::unique_ptr<TMainForm> form;
};

TEST_F(MainWindowTest, InactiveRowsAreGrayInEveryColumn) {
  // Name order: "A active", "B inactive".
  AddRows({{"A active", "", true}, {"B inactive", "", false}});
  form->Show();
  const QImage pixels = GridPixels();
  const QColor gray(128, 128, 128);
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(Background(pixels, Cell(1, column)), gray) << "column " << column;
    EXPECT_NE(Background(pixels, Cell(0, column)), gray) << "column " << column;
  }
}

TEST_F(MainWindowTest, TheSelectedInactiveRowStaysGray) {
  AddRows({{"A active", "OK", true}, {"B inactive", "", false}});
  form->Show();
  QApplication::setActiveWindow(&desktop.WindowOf(*form));
  Grid().setFocus();
  form->gridLink->ClickRow(1);
  ASSERT_EQ(form->gridLink->CurrentRow(), 1);
  EXPECT_EQ(Background(GridPixels(), Cell(1, 3)), QColor(128, 128, 128));
}

TEST_F(MainWindowTest, EachRowShowsTheBallOfItsStatus) {
  AddRows({{"a", "ERR_LOAD", true},
           {"b", "CHECK", true},
           {"c", "OK", true},
           {"d", "ERR_RESP", true},
           {"e", "ERR_SLOW", true},
           {"f", "OFFLINE", true},
           {"g", "ok", true},
           {"h", "", true}});
  form->Show();
  const QImage pixels = GridPixels();
  const char* expected[] = {"ball_gray", "ball_blue", "ball_green",
                            "ball_red",  "ball_red",  "ball_yellow"};
  for (int row = 0; row < 6; ++row)
    EXPECT_EQ(StatusSquare(pixels, row), Ball(expected[row])) << "row " << row;
  for (int row = 6; row < 8; ++row)
    for (const char* ball : {"ball_gray", "ball_blue", "ball_green", "ball_red", "ball_yellow"})
      EXPECT_NE(StatusSquare(pixels, row), Ball(ball)) << "row " << row << " shows no icon";
}

TEST_F(MainWindowTest, TheGridFollowsTheTable) {
  AddRows({{"a", "", true}});
  form->Show();
  QApplication::processEvents();
  EXPECT_EQ(Grid().Model().rowCount({}), 1);
  AddRows({{"b", "OK", true}});
  QApplication::processEvents();  // the grid refreshes at the next turn of the loop
  EXPECT_EQ(Grid().Model().rowCount({}), 2);
  EXPECT_EQ(Grid().Model().data(Grid().Model().index(1, 1), Qt::DisplayRole).toString(),
            QStringLiteral("b"));
  EXPECT_EQ(Grid().Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
            QStringLiteral("  Server"));
  EXPECT_TRUE(Grid().Model().headerData(1, Qt::Horizontal, Qt::FontRole).value<QFont>().bold());
  // Cells as wide and high as the grid says, the lines between them extra.
  EXPECT_EQ(Cell(0, 0).width(), 16);
  EXPECT_EQ(Cell(0, 1).width(), 203);
  EXPECT_EQ(Cell(0, 3).width(), 265);
  EXPECT_EQ(Cell(0, 0).height(), 18);
  EXPECT_EQ(Grid().geometry(), QRect(-2, 60, 572, 226));
}

// Start-up's row reset, a run or a burst of additions: the view is refreshed once per turn
// of the loop, its model reset only when rows came or went, and the current row kept in view.
TEST_F(MainWindowTest, ABurstOfRowChangesRefreshesTheViewOnce) {
  AddRows({{"a", "", true}});
  form->Show();
  QApplication::processEvents();
  int resets = 0;
  QObject::connect(&Grid().Model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
  std::vector<Row> rows;
  std::vector<std::string> names;
  for (int i = 0; i < 60; ++i) names.push_back("server " + std::to_string(100 + i));
  for (const std::string& name : names) rows.push_back({name.c_str(), "", true});
  AddRows(rows);
  EXPECT_EQ(resets, 0);
  EXPECT_EQ(Grid().Model().rowCount({}), 1) << "the view hears of new rows at the refresh";
  QApplication::processEvents();
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(Grid().Model().rowCount({}), 61);

  ServerTable& table = form->setServer;
  for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
    table.BeginEdit();
    table.SetText("Status", "OK");
    table.PostRow();
  }
  QApplication::processEvents();
  EXPECT_EQ(resets, 1) << "moves and new values need no reset";
  const int current = form->gridLink->CurrentRow();
  ASSERT_EQ(current, 60);
  EXPECT_TRUE(Grid().viewport()->rect().contains(Cell(current, 1).center()))
      << "the current row is scrolled into view";
  EXPECT_EQ(StatusSquare(GridPixels(), current), Ball("ball_green"));
}

TEST_F(MainWindowTest, ClicksAndKeysMoveTheCurrentRow) {
  AddRows({{"a", "", true}, {"b", "", true}, {"c", "", true}});
  form->Show();
  QApplication::setActiveWindow(&desktop.WindowOf(*form));
  QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Cell(2, 2).center());
  EXPECT_EQ(form->gridLink->CurrentRow(), 2);
  EXPECT_TRUE(Grid().hasFocus());
  QTest::keyClick(&Grid(), Qt::Key_Up);
  EXPECT_EQ(form->gridLink->CurrentRow(), 1);
  QTest::keyClick(&Grid(), Qt::Key_Home);
  EXPECT_EQ(form->gridLink->CurrentRow(), 0);
  // Ctrl+Delete is discarded, and a disabled grid takes no keys or clicks.
  QTest::keyClick(&Grid(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(form->setServer.RowCount(), 3);
  form->gridLink->SetEnabled(false);
  QTest::keyClick(&Grid(), Qt::Key_End);
  EXPECT_EQ(form->gridLink->CurrentRow(), 0);
}

TEST_F(MainWindowTest, TheRunOutcomeReachesTheHeaderStatusBarAndTray) {
  AddRows({{"a", "OK", true}});
  form->Show();
  form->SetRunState(3, 3);
  FormWindow& window = desktop.WindowOf(*form);
  EXPECT_TRUE(window.findChild<QWidget*>(QStringLiteral("buttonWarning"))->isVisible());
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("imageSemafor"))->pixmap().toImage(),
            Artwork("lamp_red").toImage());
  TrayBinding* tray = desktop.TrayOf(*form->TrayIcon);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->Native().icon().pixmap(16, 16).toImage(), Artwork("paw_red").toImage());

  form->SetRunState(1, 0);
  ASSERT_EQ(tray->MessageCount(), 1);
  EXPECT_EQ(tray->LastMessage().title, QStringLiteral("Offline"));
  EXPECT_EQ(tray->LastMessage().icon, QSystemTrayIcon::Warning);
  EXPECT_EQ(tray->Native().toolTip(),
            QStringLiteral("Unable to load verifying server. Websites monitoring stopped due to "
                           "offline station."));
}

TEST_F(MainWindowTest, ClosingTheWindowHidesIt) {
  form->Show();
  FormWindow& window = desktop.WindowOf(*form);
  window.close();
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(form->Visible());
  EXPECT_TRUE(form->actionShow->Enabled());
  EXPECT_NE(desktop.TrayOf(*form->TrayIcon), nullptr) << "the tray icon stays";
}

}  // namespace
}  // namespace lantervo::qt
