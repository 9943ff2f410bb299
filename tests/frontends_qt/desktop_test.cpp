// The Qt desktop: message boxes, hand-offs from workers, timers, the loop, the tray icon, the
// single-instance test and hot keys.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <cstring>
#include <thread>

#include "frontends/qt/form_window.h"
#include "frontends/qt/qt_convert.h"
#include "frontends/qt/qt_desktop.h"
#include "frontends/qt/single_instance.h"
#include "frontends/qt/tray_binding.h"
#include "toolkit/form.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/tray_icon.h"

namespace lantervo::qt {
namespace {

// Presses a button of the next message box once it is open, and reads the box meanwhile.
struct BoxAnswerer {
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;

  void PressWhenOpen(
      QMessageBox::StandardButton press, std::function<bool()> ready = [] { return true; }) {
    QTimer::singleShot(0, [this, press, ready] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !ready()) {
        PressWhenOpen(press, ready);
        return;
      }
      caption = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      box->button(press)->click();
    });
  }
};

TEST(QtDesktopTest, MessageBoxShowsCaptionTextIconAndButtonsAndAnswersTheButtonPressed) {
  QtDesktop desktop;
  BoxAnswerer answerer;
  answerer.PressWhenOpen(QMessageBox::No);
  const auto answer = desktop.ShowMessageBox(nullptr, "Confirmation", "Delete server?\rReally?",
                                             MessageBoxIcon::Question, MessageBoxButtons::YesNo);
  EXPECT_EQ(answer, MessageBoxAnswer::No);
  EXPECT_EQ(answerer.caption, QStringLiteral("Confirmation"));
  EXPECT_EQ(answerer.text, QStringLiteral("Delete server?\nReally?"))
      << "a lone CR breaks the line";
  EXPECT_EQ(answerer.icon, QMessageBox::Question);
  EXPECT_EQ(answerer.buttons, 2);

  answerer.PressWhenOpen(QMessageBox::Ok);
  EXPECT_EQ(desktop.ShowMessageBox(nullptr, "Form error", "Correct the following errors:",
                                   MessageBoxIcon::Warning, MessageBoxButtons::Ok),
            MessageBoxAnswer::Ok);
  EXPECT_EQ(answerer.icon, QMessageBox::Warning);
}

TEST(QtDesktopTest, HandOffsRunInsideAMessageBox) {
  QtDesktop desktop;
  std::atomic<bool> ran{false};
  std::thread::id ranOn;
  WorkerThread worker(desktop.SharedHandOffs(), [&] {
    desktop.Synchronize([&] {
      ranOn = std::this_thread::get_id();
      ran = true;
    });
  });
  BoxAnswerer answerer;
  // The box stays open until the worker's hand-off has run in its loop.
  answerer.PressWhenOpen(QMessageBox::Ok, [&] { return ran.load(); });
  worker.Start();
  desktop.ShowMessageBox(nullptr, "Lantervo", "Waiting", MessageBoxIcon::Information,
                         MessageBoxButtons::Ok);
  worker.WaitFor();
  EXPECT_TRUE(ran);
  EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(QtDesktopTest, TheLoopCarriesOutHandOffsUntilQuit) {
  QtDesktop desktop;
  std::vector<int> seen;
  WorkerThread worker(desktop.SharedHandOffs(), [&] {
    for (int i = 1; i <= 3; ++i) desktop.Synchronize([&, i] { seen.push_back(i); });
    desktop.Synchronize([&] { desktop.Quit(); });
  });
  worker.Start();
  desktop.Run();
  worker.WaitFor();
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));
}

TEST(QtDesktopTest, AQuitBeforeTheLoopEndsItAtOnce) {
  QtDesktop desktop;
  // Ends a loop that was entered after all, so a wrong Run fails the test instead of hanging it.
  bool loopEntered = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, [&] {
    loopEntered = true;
    QCoreApplication::exit(1);
  });
  deadline.start(30000);
  desktop.Quit();
  desktop.Run();
  EXPECT_FALSE(loopEntered);
}

TEST(QtDesktopTest, ErrorsOfAHandOffGoBackToTheWorker) {
  QtDesktop desktop;
  std::string caught;
  WorkerThread worker(desktop.SharedHandOffs(), [&] {
    try {
      desktop.Synchronize([] { throw std::runtime_error("setServer: Not in edit mode"); });
    } catch (const std::exception& e) {
      caught = e.what();
    }
    desktop.Synchronize([&] { desktop.Quit(); });
  });
  worker.Start();
  desktop.Run();
  worker.WaitFor();
  EXPECT_EQ(caught, "setServer: Not in edit mode");
}

TEST(QtDesktopTest, TimersTickUntilStoppedAndTheirErrorsGoToTheHandler) {
  QtDesktop desktop;
  std::vector<std::string> handled;
  desktop.SetErrorHandler([&](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      handled.push_back(e.what());
    }
  });
  int ticks = 0;
  Desktop::TimerId id = 0;
  id = desktop.StartTimer(10, [&] {
    if (++ticks == 3) {
      desktop.StopTimer(id);
      desktop.Quit();
    }
    throw std::runtime_error("tick");
  });
  desktop.Run();
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(handled.size(), 3u);
}

class TrayTest : public ::testing::Test {
 protected:
  TrayTest() : form(std::make_unique<TForm>(desktop)) {
    form->SetName("MainForm");
    icons = &form->Add<TImageList>("imagelistTrayIcon");
    for (const char* name : {"paw_green", "paw_red", "paw_yellow"}) icons->Add(name);
    popup = &form->Add<TPopupMenu>("popupTray");
    auto& show = form->Add<TMenuItem>("menuShow");
    show.SetCaption("Show");
    popup->Items()->Add(show);
    tray = &form->Add<TTrayIcon>("TrayIcon");
    tray->SetIcons(icons);
    tray->SetPopupMenu(popup);
    tray->SetHint("Lantervo");
  }
  QtDesktop desktop;
  std::unique_ptr<TForm> form;
  TImageList* icons;
  TPopupMenu* popup;
  TTrayIcon* tray;
};

TEST_F(TrayTest, TheIconShowsItsPictureAndTooltip) {
  EXPECT_EQ(desktop.TrayOf(*tray), nullptr);
  tray->SetVisible(true);
  TrayBinding* binding = desktop.TrayOf(*tray);
  ASSERT_NE(binding, nullptr);
  EXPECT_EQ(binding->Native().toolTip(), QStringLiteral("Lantervo"));
  EXPECT_EQ(binding->Native().icon().pixmap(16, 16).toImage(), Artwork("paw_green").toImage());
  tray->SetIconIndex(1);
  EXPECT_EQ(binding->Native().icon().pixmap(16, 16).toImage(), Artwork("paw_red").toImage());
  tray->SetHint(std::string(200, 'x'));
  EXPECT_EQ(binding->Native().toolTip().size(), 127) << "the platform's tooltip limit";
  tray->SetVisible(false);
  EXPECT_EQ(desktop.TrayOf(*tray), nullptr);
}

// Asking the session bus for a notification host would delay the window's first picture: the
// platform's icon comes once the window has painted, with whatever was set on the icon before.
TEST_F(TrayTest, ThePlatformIconIsMadeOnceItsWindowHasPainted) {
  tray->SetVisible(true);
  TrayBinding& binding = *desktop.TrayOf(*tray);
  EXPECT_FALSE(binding.Realized());
  tray->SetIconIndex(1);
  tray->SetHint("Lantervo - 1 error");
  form->SetClientWidth(200);
  form->SetClientHeight(100);
  QElapsedTimer waited;
  waited.start();
  form->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(desktop.ExistingWindowOf(*form)));
  while (!binding.Realized() && waited.elapsed() < 10 * TrayBinding::kLatestRealizeMs)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_LT(waited.elapsed(), TrayBinding::kLatestRealizeMs) << "made after the paint, not later";
  ASSERT_TRUE(binding.Realized());
  EXPECT_EQ(binding.Native().toolTip(), QStringLiteral("Lantervo - 1 error"));
  EXPECT_EQ(binding.Native().icon().pixmap(16, 16).toImage(), Artwork("paw_red").toImage());
  ASSERT_NE(binding.Native().contextMenu(), nullptr);
  EXPECT_EQ(binding.Native().contextMenu()->objectName(), QStringLiteral("popupTray"));
}

TEST_F(TrayTest, WithoutAShownWindowTheIconComesSoonAfterwardsOrWithTheFirstBalloon) {
  tray->SetVisible(true);
  TrayBinding& binding = *desktop.TrayOf(*tray);
  QElapsedTimer waited;
  waited.start();
  while (!binding.Realized() && waited.elapsed() < 10 * TrayBinding::kLatestRealizeMs)
    QApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(binding.Realized());
  EXPECT_GE(waited.elapsed(), TrayBinding::kLatestRealizeMs / 2);

  tray->SetVisible(false);
  tray->SetVisible(true);
  TrayBinding& again = *desktop.TrayOf(*tray);
  EXPECT_FALSE(again.Realized());
  tray->SetBalloonTitle("Offline");
  tray->ShowBalloonHint();
  EXPECT_TRUE(again.Realized());
  EXPECT_EQ(again.MessageCount(), 1);
}

TEST_F(TrayTest, ABalloonRequestReachesTheTray) {
  tray->SetVisible(true);
  tray->SetBalloonTitle("Offline");
  tray->SetBalloonHint("Unable to check servers. You are probably offline.");
  tray->SetBalloonFlags(bfWarning);
  tray->SetBalloonTimeout(5);
  tray->ShowBalloonHint();
  const TrayBinding& binding = *desktop.TrayOf(*tray);
  ASSERT_EQ(binding.MessageCount(), 1);
  EXPECT_EQ(binding.LastMessage().title, QStringLiteral("Offline"));
  EXPECT_EQ(binding.LastMessage().text,
            QStringLiteral("Unable to check servers. You are probably offline."));
  EXPECT_EQ(binding.LastMessage().icon, QSystemTrayIcon::Warning);
  EXPECT_GE(binding.LastMessage().timeout, 5) << "a short time-out is raised, never cut";
  tray->SetBalloonFlags(bfError);
  tray->ShowBalloonHint();
  EXPECT_EQ(binding.MessageCount(), 2);
  EXPECT_EQ(binding.LastMessage().icon, QSystemTrayIcon::Critical);
}

TEST_F(TrayTest, DoubleClickAndContextClickReachTheIcon) {
  int doubleClicks = 0, popups = 0;
  tray->OnDblClick = [&](Component&) { ++doubleClicks; };
  popup->OnPopup = [&](Component&) { ++popups; };
  tray->SetVisible(true);
  TrayBinding& binding = *desktop.TrayOf(*tray);
  Q_EMIT binding.Native().activated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(doubleClicks, 1);
  // The pop-up menu is the tray's own context menu, which every kind of notification area
  // opens itself on the right click; the icon's handler runs as it opens.
  QMenu* menu = binding.Native().contextMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->objectName(), QStringLiteral("popupTray"));
  ASSERT_EQ(menu->actions().size(), 1);
  EXPECT_TRUE(menu->actions()[0]->text().contains(QStringLiteral("Show")));
  Q_EMIT binding.Native().activated(QSystemTrayIcon::Context);
  QApplication::processEvents();
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "not opened a second time";
  menu->popup(QPoint(10, 20));
  EXPECT_EQ(popups, 1);
  EXPECT_EQ(QApplication::activePopupWidget(), menu);
  menu->close();
}

TEST_F(TrayTest, AMenuGivenAfterTheIconIsShownBecomesTheTraysMenu) {
  // The main window shows its icon before it makes its menus.
  tray->SetPopupMenu(nullptr);
  tray->SetVisible(true);
  TrayBinding& binding = *desktop.TrayOf(*tray);
  EXPECT_EQ(binding.Native().contextMenu(), nullptr);
  tray->SetPopupMenu(popup);
  QMenu* menu = binding.Native().contextMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->objectName(), QStringLiteral("popupTray"));
  EXPECT_EQ(menu->actions().size(), 1);
  tray->SetPopupMenu(nullptr);
  EXPECT_EQ(binding.Native().contextMenu(), nullptr);
}

TEST(QtDesktopTest, TheOtherWindowsBelongToTheMainWindow) {
  QtDesktop desktop;
  TForm main(desktop);
  TForm dialog(desktop);
  desktop.SetMainForm(&main);
  FormWindow& dialogWindow = desktop.WindowOf(dialog);
  dialog.Show();
  ASSERT_NE(dialogWindow.windowHandle(), nullptr);
  FormWindow* mainWindow = desktop.ExistingWindowOf(main);
  ASSERT_NE(mainWindow, nullptr);
  // Transient for the main window: the window manager keeps it above, also after a click on
  // the disabled main window.
  EXPECT_EQ(dialogWindow.windowHandle()->transientParent(), mainWindow->windowHandle());
  EXPECT_EQ(mainWindow->windowHandle()->transientParent(), nullptr);
  // A change of the title bar makes the native window anew; it still belongs to the main one.
  dialog.SetBorderIcons(0);
  dialog.Hide();
  dialog.Show();
  EXPECT_EQ(dialogWindow.windowHandle()->transientParent(), mainWindow->windowHandle());
  dialog.Hide();
  desktop.SetMainForm(nullptr);
}

TEST(QtDesktopTest, ASecondDesktopFindsTheFirstInstancesMainWindow) {
  const std::string windowClass = "Lantervo.Test." + std::to_string(getpid());
  QtDesktop first;
  QtDesktop second;
  EXPECT_FALSE(second.FindTopLevelWindow(windowClass));
  TForm main(first);
  main.SetWindowClassName(windowClass);
  first.WindowOf(main);
  EXPECT_TRUE(first.FindTopLevelWindow(windowClass));
  EXPECT_TRUE(second.FindTopLevelWindow(windowClass)) << "found through the session's socket";
  EXPECT_FALSE(second.FindTopLevelWindow(windowClass + ".other"));
}

TEST(QtDesktopTest, AtomsAreSharedByNameAndHotKeysBelongToTheirWindow) {
  QtDesktop desktop;
  const auto atom = desktop.AddGlobalAtom("HotkeyShow");
  EXPECT_NE(atom, 0);
  EXPECT_EQ(desktop.AddGlobalAtom("hotkeyshow"), atom);
  EXPECT_NE(desktop.AddGlobalAtom("Other"), atom);

  TForm window(desktop);
  std::vector<int> received;
  window.OnHotKey = [&](Component&, int id) { received.push_back(id); };
  // Offscreen there are no global hot keys: registering fails and no press arrives.
  EXPECT_FALSE(desktop.RegisterHotKey(window, atom, kModControl | kModAlt, 'W'));
  EXPECT_FALSE(desktop.PressHotKey(kModControl | kModAlt, 'W'));
  EXPECT_TRUE(received.empty());
  EXPECT_FALSE(desktop.UnregisterHotKey(window, atom));
}

// An instance that died leaves its socket file behind: the next start takes the name over, and
// one that ends cleanly leaves nothing. A knock reaches the claim's loop.
TEST(QtDesktopTest, AnInstancesSocketLeftBehindIsTakenOverAndAKnockArrives) {
  const QString name = QStringLiteral("LantervoTestClass-") + QString::number(getpid());
  const std::string path = QDir::tempPath().toStdString() + '/' + name.toStdString();
  {
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(dead, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(dead);  // no unlink: as a killed process leaves it
  }
  EXPECT_FALSE(InstanceRunning(name));
  int knocks = 0;
  InstanceClaim claim;
  ASSERT_TRUE(claim.Claim(name, [&] { ++knocks; }));
  EXPECT_TRUE(InstanceRunning(name));
  EXPECT_TRUE(QTest::qWaitFor([&] { return knocks == 1; }, 5000));
  InstanceClaim second;
  EXPECT_FALSE(second.Claim(name)) << "a running instance keeps its name";
  claim.Release();
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(path)));
  EXPECT_FALSE(InstanceRunning(name));
}

}  // namespace
}  // namespace lantervo::qt
