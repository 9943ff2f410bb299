// The whole program on the Qt desktop from a clean folder: the two first-start notices, the main
// window with the default entry, a check run against a loopback server shown in the grid, the
// lamp and the status bar; a second start on the same session ends at once; the main window's
// shortcuts stay still under a message box, and a dialog outlives the window manager's close.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "app/program.h"
#include "core/config_store.h"
#include "frontends/qt/form_window.h"
#include "frontends/qt/grid_view.h"
#include "frontends/qt/qt_convert.h"
#include "frontends/qt/qt_desktop.h"
#include "tests/support/http_test_server.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_dir.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"

namespace lantervo::qt {
namespace {

// Closes every message box as it opens and keeps its text.
class BoxCloser {
 public:
  BoxCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts_.push_back(box->text());
      box->accept();
    });
    timer_.start(5);
  }
  const QStringList& Texts() const { return texts_; }

 private:
  QTimer timer_;
  QStringList texts_;
};

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    server.AnswerAlways(test::HttpTestServer::Ok("<html><body>Service status: ok</body></html>"));
  }

  ProgramServices Services(Desktop& desktop) {
    ProgramServices services{desktop, registry};
    services.executableFolder = dir.Path();
    // The update check asks the loopback server too; nothing leaves the machine.
    services.updateEndpoint = server.Url("/update/");
    services.clock = RunClock{[this] { return tick += 100; }, [](std::uint32_t) {}};
    return services;
  }

  test::HttpTestServer server;
  test::MemoryRegistry registry;
  test::TempDir dir;
  std::uint32_t tick = 1000;
};

TEST_F(ProgramTest, FirstStartShowsTheNoticesThenTheMainWindowAndARunShowsItsOutcome) {
  QtDesktop desktop;
  Program program(Services(desktop));
  {
    BoxCloser closer;
    ASSERT_EQ(program.Start(), Program::StartResult::Running);
    EXPECT_EQ(closer.Texts(),
              (QStringList{QStringLiteral("Default configuration used"),
                           QStringLiteral("Dataset does not exist. File recreated.")}));
  }
  TMainForm& form = *program.MainForm();
  form.Show();
  QApplication::processEvents();  // the loop's first turn, where the grid shows start-up's rows
  FormWindow& window = desktop.WindowOf(form);
  EXPECT_TRUE(window.isVisible());
  auto* grid = window.findChild<GridView*>(QStringLiteral("gridLink"));
  ASSERT_NE(grid, nullptr);
  ASSERT_EQ(grid->Model().rowCount({}), 1) << "the default entry";
  EXPECT_EQ(grid->Model().data(grid->Model().index(0, 3), Qt::DisplayRole).toString(),
            QStringLiteral("Waiting..."));

  // The default entry, pointed at the loopback server, and one run.
  ServerTable& table = form.setServer;
  table.MoveFirst();
  table.BeginEdit();
  table.SetText("Url", server.Url("/"));
  table.PostRow();
  form.StartCheck();
  form.CurrentCheck()->WaitFor();

  EXPECT_EQ(grid->Model().data(grid->Model().index(0, 3), Qt::DisplayRole).toString(),
            QStringLiteral("OK"));
  const QImage pixels = grid->viewport()->grab().toImage();
  const QRect cell = grid->visualRect(grid->Model().index(0, 0));
  EXPECT_EQ(pixels.copy(QRect(cell.topLeft(), QSize(16, 16))).convertToFormat(QImage::Format_RGB32),
            Artwork("ball_green").toImage().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("imageSemafor"))->pixmap().toImage(),
            Artwork("lamp_green").toImage());
  EXPECT_EQ(
      window.findChild<QStatusBar*>(QStringLiteral("StatusBar"))->findChild<QLabel*>()->text(),
      QStringLiteral("Completed"));
  EXPECT_TRUE(form.gridLink->Enabled()) << "the run gave the grid back";
}

TEST_F(ProgramTest, ASecondStartOnTheSameSessionEndsAtOnce) {
  QtDesktop first;
  Program running(Services(first));
  {
    BoxCloser closer;
    ASSERT_EQ(running.Start(), Program::StartResult::Running);
  }
  running.MainForm()->Show();

  QtDesktop second;
  Program another(Services(second));
  EXPECT_EQ(another.Start(), Program::StartResult::AnotherInstance);
  EXPECT_EQ(another.MainForm(), nullptr) << "no window was made";
}

TEST_F(ProgramTest, WithoutANotificationAreaASecondStartBringsTheHiddenWindowBack) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "the offscreen session has none";
  QtDesktop first;
  Program running(Services(first));
  {
    BoxCloser closer;
    ASSERT_EQ(running.Start(), Program::StartResult::Running);
  }
  TMainForm& form = *running.MainForm();
  form.Show();
  form.actionHide->Execute();
  ASSERT_FALSE(form.Visible());

  QtDesktop second;
  EXPECT_TRUE(second.FindTopLevelWindow(kMainWindowClass));
  QTRY_VERIFY(form.Visible());
  EXPECT_FALSE(form.actionShow->Enabled()) << "shown through the window's own Show";
}

TEST_F(ProgramTest, TheInstanceEndsWithItsMainWindow) {
  QtDesktop first;
  {
    Program running(Services(first));
    BoxCloser closer;
    ASSERT_EQ(running.Start(), Program::StartResult::Running);
    running.MainForm()->Show();
    QtDesktop second;
    EXPECT_TRUE(second.FindTopLevelWindow(kMainWindowClass));
  }
  QtDesktop later;
  EXPECT_FALSE(later.FindTopLevelWindow(kMainWindowClass));
}

TEST_F(ProgramTest, WithoutGlobalHotKeysTheLogSaysSoOnce) {
  QtDesktop desktop;
  WriteDefaultConfig(registry, dir.Path());
  registry.PutDWord(kConfigKeyPath, "HotkeyEnabled", 1);
  Program program(Services(desktop));
  {
    BoxCloser closer;
    ASSERT_EQ(program.Start(), Program::StartResult::Running);
  }
  TMainForm& form = *program.MainForm();
  // Start-up tried to register the hot key (the offscreen session has none); once more.
  EXPECT_EQ(form.HotkeyAtom, desktop.AddGlobalAtom("HotkeyShow"));
  EXPECT_FALSE(desktop.RegisterHotKey(form, 0xC100, kModControl | kModAlt, 'Q'));
  const std::string log = dir.Read("LTV.log");
  const std::string notice = "This desktop session offers no global hot keys";
  const auto first = log.find(notice);
  ASSERT_NE(first, std::string::npos) << log;
  EXPECT_EQ(log.find(notice, first + 1), std::string::npos) << "said once";
}

// The Delete question blocks the main window: Ctrl+Q there must not quit under the box, also
// where the window manager leaves the keyboard with the main window.
TEST_F(ProgramTest, QuitPressedOnTheMainWindowUnderTheDeleteQuestionDoesNothing) {
  QtDesktop desktop;
  Program program(Services(desktop));
  {
    BoxCloser closer;
    ASSERT_EQ(program.Start(), Program::StartResult::Running);
  }
  TMainForm& form = *program.MainForm();
  form.Show();
  FormWindow& window = desktop.WindowOf(form);
  auto* grid = window.findChild<GridView*>(QStringLiteral("gridLink"));
  ASSERT_NE(grid, nullptr);
  QApplication::setActiveWindow(&window);
  grid->setFocus();

  bool asked = false, closingUnderTheBox = true;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    poll.stop();
    asked = true;
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Q, Qt::ControlModifier);
    closingUnderTheBox = form.IsClosing;
    box->button(QMessageBox::No)->click();
  });
  poll.start(5);
  QTest::keyClick(grid, Qt::Key_R, Qt::ControlModifier);
  ASSERT_TRUE(asked) << "Ctrl+R asks before deleting";
  EXPECT_FALSE(closingUnderTheBox);
  EXPECT_FALSE(form.IsClosing);
  EXPECT_EQ(form.setServer.RowCount(), 1);
  EXPECT_TRUE(window.isVisible());

  // With the box gone the window's shortcuts work again: Ctrl+H hides it.
  QApplication::setActiveWindow(&window);
  grid->setFocus();
  QTest::keyClick(grid, Qt::Key_H, Qt::ControlModifier);
  EXPECT_FALSE(form.Visible());
}

// A dialog without a close box ignores the window manager's close request: it stays up, the
// main window stays disabled under it, and its own buttons leave it with the main window
// enabled again.
TEST_F(ProgramTest, TheWindowManagersCloseNeverLeavesTheMainWindowDisabledWithoutADialog) {
  QtDesktop desktop;
  Program program(Services(desktop));
  {
    BoxCloser closer;
    ASSERT_EQ(program.Start(), Program::StartResult::Running);
  }
  TMainForm& form = *program.MainForm();
  form.Show();
  ASSERT_TRUE(form.actionSettings->Execute());
  TForm& settings = *program.SettingsForm();
  FormWindow& dialog = desktop.WindowOf(settings);
  ASSERT_TRUE(dialog.isVisible());
  ASSERT_FALSE(desktop.WindowOf(form).isEnabled());

  // What the platform does with the window manager's close request (close box, Alt+F4).
  ASSERT_NE(dialog.windowHandle(), nullptr);
  dialog.windowHandle()->close();
  QApplication::processEvents();
  EXPECT_TRUE(settings.Visible());
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_FALSE(form.Enabled());

  auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("buttonCancel"));
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(form.Enabled());
  EXPECT_TRUE(desktop.WindowOf(form).isEnabled());
}

}  // namespace
}  // namespace lantervo::qt
