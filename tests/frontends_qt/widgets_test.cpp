// Widget bindings: property changes reach the Qt widgets, user input reaches the components.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include "frontends/qt/form_window.h"
#include "frontends/qt/qt_convert.h"
#include "frontends/qt/qt_desktop.h"
#include "frontends/qt/window_hints_x11.h"
#include "toolkit/extra_controls.h"
#include "toolkit/form.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"

namespace lantervo::qt {
namespace {

class WidgetsTest : public ::testing::Test {
 protected:
  WidgetsTest() : form(std::make_unique<TForm>(desktop)) {
    form->SetName("formTest");
    form->SetCaption("Application settings");
    form->SetClientWidth(383);
    form->SetClientHeight(327);
    form->SetBorderStyle(bsSingle);
    form->SetBorderIcons(0);
  }

  template <class T>
  T& Put(const std::string& name, int left, int top, int width, int height) {
    T& control = form->Add<T>(name);
    control.SetParent(form.get());
    control.SetBounds(left, top, width, height);
    return control;
  }

  FormWindow& Window() { return desktop.WindowOf(*form); }
  template <class W>
  W* Find(const char* name) {
    return Window().findChild<W*>(QString::fromLatin1(name));
  }
  // Shows the window and gives it the keyboard, as a click on it would.
  void Activate() {
    form->Show();
    QApplication::setActiveWindow(&Window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
  }

  QtDesktop desktop;
  std::unique_ptr<TForm> form;
};

TEST_F(WidgetsTest, WindowFollowsTheFormsCaptionSizeVisibilityAndEnabledState) {
  Put<TButton>("buttonSave", 270, 281, 75, 25);
  FormWindow& window = Window();
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Application settings"));
  EXPECT_EQ(window.size(), QSize(383, 327));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed-size window";
  // No border icons: no close box, no system menu.
  EXPECT_FALSE(window.windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(window.windowFlags() & Qt::WindowSystemMenuHint);

  form->Show();
  EXPECT_TRUE(window.isVisible());
  form->SetCaption("Nastavení aplikace");
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Nastavení aplikace"));
  form->SetEnabled(false);
  EXPECT_FALSE(window.isEnabled());
  form->SetEnabled(true);
  form->Hide();
  EXPECT_FALSE(window.isVisible());
}

TEST_F(WidgetsTest, ShowingTheFormBuildsItsWindowAtTheDesignedPlace) {
  Put<TLabel>("labelTitle", 144, 8, 0, 0).SetCaption("Add new server");
  EXPECT_EQ(desktop.ExistingWindowOf(*form), nullptr) << "no window before it is needed";
  form->Show();
  FormWindow* window = desktop.ExistingWindowOf(*form);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  auto* label = window->findChild<QLabel*>(QStringLiteral("labelTitle"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->pos(), QPoint(144, 8));
  EXPECT_EQ(label->text(), QStringLiteral("Add new server"));
}

TEST_F(WidgetsTest, ControlPropertiesReachTheirWidgets) {
  auto& label = Put<TLabel>("labelName", 32, 52, 0, 0);
  auto& edit = Put<TEdit>("editName", 152, 49, 193, 21);
  auto& box = Put<TCheckBox>("checkboxTimeout", 152, 143, 17, 17);
  auto& combo = Put<TComboBox>("comboBalloonLevel", 152, 238, 193, 21);
  auto& memo = Put<TMemo>("memoResponse", 152, 183, 193, 42);
  auto& button = Put<TButton>("buttonSave", 270, 281, 75, 25);
  auto& bar = Put<TStatusBar>("StatusBar", 0, 308, 383, 19);
  combo.SetStyle(csDropDownList);
  combo.Items()->Assign({"0 - Never", "1 - On load error "});
  FormWindow& window = Window();

  label.SetCaption("Save && use");
  EXPECT_EQ(Find<QLabel>("labelName")->text(), QStringLiteral("Save & use"));
  edit.SetText("New server name");
  EXPECT_EQ(Find<QLineEdit>("editName")->text(), QStringLiteral("New server name"));
  EXPECT_EQ(Find<QLineEdit>("editName")->geometry(), QRect(152, 49, 193, 21));
  box.SetChecked(true);
  EXPECT_TRUE(Find<QCheckBox>("checkboxTimeout")->isChecked());
  combo.SetItemIndex(1);
  EXPECT_EQ(Find<QComboBox>("comboBalloonLevel")->count(), 2);
  EXPECT_EQ(Find<QComboBox>("comboBalloonLevel")->currentText(),
            QStringLiteral("1 - On load error "));
  combo.Items()->Assign({"cs", "en"});
  EXPECT_EQ(Find<QComboBox>("comboBalloonLevel")->currentIndex(), -1) << "a refill selects nothing";
  memo.SetText("OK\r\nready");
  EXPECT_EQ(Find<QPlainTextEdit>("memoResponse")->toPlainText(), QStringLiteral("OK\nready"));
  button.SetCaption("Cancel");
  EXPECT_EQ(Find<QPushButton>("buttonSave")->text(), QStringLiteral("Cancel"));
  bar.SetSimpleText("Completed with 3 errors!");
  EXPECT_EQ(Find<QStatusBar>("StatusBar")->findChild<QLabel*>()->text(),
            QStringLiteral("Completed with 3 errors!"));

  edit.SetEnabled(false);
  EXPECT_FALSE(Find<QLineEdit>("editName")->isEnabled());
  form->Show();
  EXPECT_TRUE(Find<QPushButton>("buttonSave")->isVisible());
  button.Hide();
  EXPECT_FALSE(Find<QPushButton>("buttonSave")->isVisible());
  EXPECT_TRUE(window.isVisible());
}

TEST_F(WidgetsTest, FontsHintsAndPicturesReachTheirWidgets) {
  auto& label = Put<TLabel>("labelTitle", 144, 8, 0, 0);
  auto& image = Put<TImage>("imageSemafor", 504, 0, 60, 60);
  auto& lamps = form->Add<TImageList>("imagelistSemafor");
  lamps.SetWidth(60);
  lamps.SetHeight(60);
  for (const char* name : {"lamp_green", "lamp_red", "lamp_yellow"}) lamps.Add(name);
  Window();

  TFont big;
  big.SetName("Tahoma");
  big.SetHeight(-19);
  big.SetStyle(fsBold);
  label.SetFont(&big);
  EXPECT_EQ(Find<QLabel>("labelTitle")->font().pixelSize(), 19);
  EXPECT_TRUE(Find<QLabel>("labelTitle")->font().bold());

  auto* semafor = Find<QLabel>("imageSemafor");
  EXPECT_TRUE(semafor->pixmap().isNull()) << "empty until the first run";
  TPicture picture;
  picture.AssignImage(lamps, 1);
  image.SetPicture(&picture);
  EXPECT_EQ(semafor->pixmap().toImage(), Artwork("lamp_red").toImage());
  image.SetHint("One or more websites problem. Unable to load or wrong response.");
  EXPECT_TRUE(semafor->toolTip().isEmpty()) << "hints show only with ShowHint";
  image.SetShowHint(true);
  EXPECT_EQ(semafor->toolTip(),
            QStringLiteral("One or more websites problem. Unable to load or wrong response."));
}

TEST_F(WidgetsTest, ClicksAndTypingReachTheHandlers) {
  auto& button = Put<TButton>("buttonOK", 270, 281, 75, 25);
  auto& box = Put<TCheckBox>("checkboxResponse", 152, 231, 17, 17);
  auto& edit = Put<TEdit>("editURL", 152, 76, 193, 21);
  auto& memo = Put<TMemo>("memoResponse", 152, 183, 193, 42);
  auto& combo = Put<TComboBox>("comboLanguage", 152, 358, 193, 21);
  auto& warning = Put<TSpeedButton>("buttonWarning", 440, 10, 44, 44);
  combo.SetStyle(csDropDownList);
  combo.Items()->Assign({"cs", "en"});
  int clicks = 0, boxClicks = 0, edits = 0, choices = 0, warningClicks = 0;
  button.OnClick = [&](Component&) { ++clicks; };
  box.OnClick = [&](Component&) { ++boxClicks; };
  edit.OnChange = [&](Component&) { ++edits; };
  combo.OnChange = [&](Component&) { ++choices; };
  warning.OnClick = [&](Component&) { ++warningClicks; };
  Activate();

  QTest::mouseClick(Find<QPushButton>("buttonOK"), Qt::LeftButton);
  EXPECT_EQ(clicks, 1);
  QTest::mouseClick(Find<QCheckBox>("checkboxResponse"), Qt::LeftButton);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(boxClicks, 1);
  QTest::mouseClick(Find<QCheckBox>("checkboxResponse"), Qt::LeftButton);
  EXPECT_FALSE(box.Checked());
  EXPECT_FALSE(Find<QCheckBox>("checkboxResponse")->isChecked());
  QTest::mouseClick(Find<QToolButton>("buttonWarning"), Qt::LeftButton);
  EXPECT_EQ(warningClicks, 1);

  Find<QLineEdit>("editURL")->setFocus();
  QTest::keyClicks(Find<QLineEdit>("editURL"), "http://a");
  EXPECT_EQ(edit.Text(), "http://a");
  EXPECT_EQ(edits, 8) << "one change per typed character";

  auto* memoWidget = Find<QPlainTextEdit>("memoResponse");
  memoWidget->setFocus();
  QTest::keyClicks(memoWidget, "OK");
  QTest::keyClick(memoWidget, Qt::Key_Return);
  QTest::keyClicks(memoWidget, "ready");
  EXPECT_EQ(memo.Text(), "OK\r\nready");

  Q_EMIT Find<QComboBox>("comboLanguage")->activated(1);
  EXPECT_EQ(combo.ItemIndex(), 1);
  EXPECT_EQ(combo.Text(), "en");
  EXPECT_EQ(choices, 1);
}

// The tabs carry the sheets' captions; a click on a tab shows its page, and a page the program
// shows moves the tab.
TEST_F(WidgetsTest, PagesShowOneSheetAtATimeAndTheTabsFollowTheControl) {
  auto& pages = Put<TPageControl>("pageSettings", 0, 0, 389, 484);
  auto& general = form->Add<TTabSheet>("sheetGeneral");
  general.SetCaption("General");
  general.SetParent(&pages);
  auto& advanced = form->Add<TTabSheet>("sheetAdvanced");
  advanced.SetCaption("Advanced");
  advanced.SetParent(&pages);
  auto& box = form->Add<TCheckBox>("checkboxHttps");
  box.SetParent(&advanced);
  box.SetBounds(152, 24, 17, 17);
  int changes = 0;
  pages.OnChange = [&](Component&) { ++changes; };
  Activate();

  auto* tabs = Find<QWidget>("pageSettings")->findChild<QTabBar*>();
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("General"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("Advanced"));
  QWidget* generalPage = Find<QWidget>("sheetGeneral");
  QWidget* advancedPage = Find<QWidget>("sheetAdvanced");
  EXPECT_TRUE(generalPage->isVisible());
  EXPECT_FALSE(advancedPage->isVisible());
  EXPECT_EQ(advancedPage->geometry(),
            QRect(TPageControl::kFrame, TPageControl::kTabHeight + TPageControl::kFrame,
                  389 - 2 * TPageControl::kFrame,
                  484 - TPageControl::kTabHeight - 2 * TPageControl::kFrame));
  EXPECT_EQ(Find<QCheckBox>("checkboxHttps")->parentWidget(), advancedPage);

  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(advancedPage->isVisible());
  EXPECT_FALSE(generalPage->isVisible());

  pages.SetActivePageIndex(0);
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_EQ(changes, 1) << "the program's own switch is no user's change";
  advanced.SetCaption("Pokročilé");
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("Pokročilé"));
}

TEST_F(WidgetsTest, DisabledControlsTakeNoClicks) {
  auto& button = Put<TButton>("buttonOK", 270, 281, 75, 25);
  int clicks = 0;
  button.OnClick = [&](Component&) { ++clicks; };
  Activate();
  button.SetEnabled(false);
  QTest::mouseClick(Find<QPushButton>("buttonOK"), Qt::LeftButton);
  EXPECT_EQ(clicks, 0);
}

TEST_F(WidgetsTest, KeyHandlersSeeKeysFirstAndMayDiscardThem) {
  auto& edit = Put<TEdit>("editTimeout", 152, 116, 193, 21);
  edit.OnKeyPress = [](Component&, char32_t& key) {
    if (key == U'x') key = 0;
  };
  Activate();
  Find<QLineEdit>("editTimeout")->setFocus();
  QTest::keyClicks(Find<QLineEdit>("editTimeout"), "5x00");
  EXPECT_EQ(edit.Text(), "500");
}

TEST_F(WidgetsTest, TheCloseBoxAsksTheForm) {
  form->SetBorderIcons(biSystemMenu | biMinimize);
  bool mayClose = false;
  int asked = 0;
  form->OnCloseQuery = [&](Component&, bool& canClose) {
    ++asked;
    canClose = mayClose;
  };
  form->Show();
  Window().close();
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(Window().isVisible());
  mayClose = true;
  Window().close();
  EXPECT_FALSE(form->Visible());
  EXPECT_FALSE(Window().isVisible());
}

TEST_F(WidgetsTest, AWindowWithoutCloseBoxIgnoresCloseRequests) {
  int asked = 0;
  form->OnCloseQuery = [&](Component&, bool&) { ++asked; };
  form->Show();
  Window().close();
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(Window().isVisible());
}

// A dialog without title-bar buttons offers the window manager a title, a border and moving:
// no close, minimize or maximize, which window managers would otherwise add.
TEST_F(WidgetsTest, AWindowWithoutTitleBarButtonsAsksTheWindowManagerForNone) {
  form->Show();
  const Qt::WindowFlags flags = Window().windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
  for (const Qt::WindowType button : {Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint,
                                      Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
    EXPECT_FALSE(flags.testFlag(button)) << button;
  const auto hints = MotifHintsFor(*form);
  ASSERT_TRUE(hints.has_value());
  EXPECT_EQ(hints->flags, MotifHints::kFunctions | MotifHints::kDecorations);
  EXPECT_EQ(hints->functions, MotifHints::kMove);
  EXPECT_EQ(hints->decorations, MotifHints::kBorder | MotifHints::kTitle);

  // The main window's close and minimize boxes stay as Qt asks for them.
  form->SetBorderIcons(biSystemMenu | biMinimize);
  EXPECT_FALSE(MotifHintsFor(*form).has_value());
  EXPECT_TRUE(Window().windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(Window().windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(Window().windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

// On an X display the hints are on the window before the window manager maps it, also after
// the flags changed (Qt writes its own then).
TEST_F(WidgetsTest, TheXServerHoldsTheHintsOfAWindowWithoutButtons) {
  if (QGuiApplication::platformName() != QStringLiteral("xcb"))
    GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";
  form->Show();
  EXPECT_EQ(ReadMotifHints(Window()), MotifHintsFor(*form));
  form->SetBorderStyle(bsDialog);
  ASSERT_TRUE(Window().isVisible());
  EXPECT_EQ(ReadMotifHints(Window()), MotifHintsFor(*form));
}

class MenuTest : public WidgetsTest {
 protected:
  MenuTest() {
    form->SetBorderIcons(biSystemMenu | biMinimize);
    actions = &form->Add<TActionList>("actionList");
    actionHide = &form->Add<TAction>("actionHide");
    actionHide->SetCaption("Hide");
    actionHide->SetShortCut(MakeShortCut('H', ssCtrl));
    actionHide->SetActionList(actions);
    actionHide->OnExecute = [this](Component&) { ++hides; };
    menu = &form->Add<TMainMenu>("mainMenu");
    top = &form->Add<TMenuItem>("menuLantervo");
    top->SetCaption("Lantervo");
    menu->Items()->Add(*top);
    item = &form->Add<TMenuItem>("menuHide");
    item->SetAction(actionHide);
    top->Add(*item);
    stats = &form->Add<TMenuItem>("menuStats");
    stats->SetCaption("Stats");
    stats->SetEnabled(false);
    menu->Items()->Add(*stats);
    auto& generate = form->Add<TMenuItem>("menuStatsGenerate");
    generate.SetCaption("Generate");
    stats->Add(generate);
    form->SetMenu(menu);
    Put<TEdit>("editName", 152, 49, 193, 21);
  }

  QMenu* TopMenu(const QString& title) {
    for (QAction* action : Window().MenuBar()->actions())
      if (action->text() == title) return action->menu();
    return nullptr;
  }

  TActionList* actions;
  TAction* actionHide;
  TMainMenu* menu;
  TMenuItem *top, *item, *stats;
  int hides = 0;
};

TEST_F(MenuTest, MenusShowCaptionsShortcutsAndEnabledStates) {
  ASSERT_NE(Window().MenuBar(), nullptr);
  QMenu* lantervo = TopMenu(QStringLiteral("Lantervo"));
  ASSERT_NE(lantervo, nullptr);
  ASSERT_EQ(lantervo->actions().size(), 1);
  QAction* hide = lantervo->actions()[0];
  EXPECT_EQ(hide->text(), QStringLiteral("Hide\tCtrl+H"));
  EXPECT_TRUE(hide->isEnabled());
  actionHide->SetEnabled(false);
  EXPECT_FALSE(hide->isEnabled());
  actionHide->SetCaption("Skrýt");
  EXPECT_EQ(hide->text(), QStringLiteral("Skrýt\tCtrl+H"));

  QMenu* statsMenu = TopMenu(QStringLiteral("Stats"));
  ASSERT_NE(statsMenu, nullptr);
  EXPECT_FALSE(statsMenu->menuAction()->isEnabled()) << "shown but disabled";
  // A dialog disables the window and enables it again: the menu stays disabled.
  form->SetEnabled(false);
  form->SetEnabled(true);
  EXPECT_FALSE(statsMenu->menuAction()->isEnabled());
  // The client area starts below the menu bar, the window grows by its height.
  EXPECT_EQ(Window().Client()->geometry().top(), Window().MenuBar()->height());
  EXPECT_EQ(Window().height(), 327 + Window().MenuBar()->height());
}

TEST_F(MenuTest, ChoosingAnItemRunsItsAction) {
  TopMenu(QStringLiteral("Lantervo"))->actions()[0]->trigger();
  EXPECT_EQ(hides, 1);
  actionHide->SetEnabled(false);
  TopMenu(QStringLiteral("Lantervo"))->actions()[0]->trigger();
  EXPECT_EQ(hides, 1);
}

TEST_F(MenuTest, ShortcutsRunTheActionsOfTheActiveWindow) {
  Activate();
  auto* edit = Find<QLineEdit>("editName");
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_H, Qt::ControlModifier);
  EXPECT_EQ(hides, 1);
  EXPECT_TRUE(edit->text().isEmpty()) << "the shortcut does not reach the edit";
  QTest::keyClick(edit, Qt::Key_H);
  EXPECT_EQ(hides, 1);
  EXPECT_EQ(edit->text(), QStringLiteral("h"));
}

TEST_F(MenuTest, AddedItemsAppearInTheMenu) {
  Window();
  auto& quit = form->Add<TMenuItem>("menuQuit");
  quit.SetCaption("Quit");
  top->Add(quit);
  QTRY_COMPARE(TopMenu(QStringLiteral("Lantervo"))->actions().size(), 2);
  EXPECT_EQ(TopMenu(QStringLiteral("Lantervo"))->actions()[1]->text(), QStringLiteral("Quit"));
}

}  // namespace
}  // namespace lantervo::qt
