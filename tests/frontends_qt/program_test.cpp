// The whole program on the Qt desktop from a clean folder: the two first-start notices, the main
// window with the default entry, a check run against a loopback server shown in the grid, the
// lamp and the status bar; a second start on the same session ends at once.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

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

}  // namespace
}  // namespace lantervo::qt
