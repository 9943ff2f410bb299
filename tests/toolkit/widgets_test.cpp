// Widgets: actions and their clients, shortcuts, check boxes, combo boxes, memos, forms.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/error.h"
#include "toolkit/actions.h"
#include "toolkit/extra_controls.h"
#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"

namespace lantervo {
namespace {

using ::testing::ElementsAre;

struct Window : ::testing::Test {
  HeadlessDesktop desktop;
  TForm form{desktop};
};

TEST_F(Window, DisablingAnActionDisablesItsMenuItemsAndButtons) {
  auto& list = form.Add<TActionList>("actions");
  auto& add = form.Add<TAction>("actionServerAdd");
  add.SetActionList(&list);
  add.SetCaption("Add");
  add.SetShortCut(MakeShortCut('N', ssCtrl));
  auto& menu = form.Add<TMainMenu>("mainMenu");
  auto& servers = form.Add<TMenuItem>("menuServers");
  auto& item = form.Add<TMenuItem>("itemAdd");
  menu.Items()->Add(servers);
  servers.Add(item);
  item.SetAction(&add);
  auto& button = form.Add<TButton>("buttonAdd");
  button.SetAction(&add);
  EXPECT_EQ(item.Caption(), "Add");
  EXPECT_EQ(ShortCutToText(item.GetShortCut()), "Ctrl+N");
  EXPECT_EQ(button.Caption(), "Add");

  // Caption and hint are the action's, not stored with the clients.
  EXPECT_FALSE(item.Class().FindProperty("Caption")->Stored(item));
  EXPECT_FALSE(button.Class().FindProperty("Hint")->Stored(button));
  EXPECT_TRUE(menu.Items()->Class().FindProperty("Caption")->Stored(*menu.Items()));

  add.SetEnabled(false);
  EXPECT_FALSE(item.Enabled());
  EXPECT_FALSE(button.Enabled());
  add.SetCaption("Přidat");
  EXPECT_EQ(item.Caption(), "Přidat");
  add.SetEnabled(true);
  EXPECT_TRUE(item.Enabled());
  EXPECT_EQ(item.ParentItem(), &servers);
  EXPECT_THAT(menu.Items()->Items(), ElementsAre(&servers));
}

TEST_F(Window, ClientsRunTheirActionOnlyWhileItIsEnabledAndAClickHandlerComesFirst) {
  auto& action = form.Add<TAction>("actionLog");
  int executed = 0;
  action.OnExecute = [&](Component& sender) {
    EXPECT_EQ(&sender, &action);
    ++executed;
  };
  auto& item = form.Add<TMenuItem>("itemLog");
  item.SetAction(&action);
  item.Click();
  EXPECT_EQ(executed, 1);
  action.SetEnabled(false);
  item.Click();
  EXPECT_FALSE(action.Execute());
  EXPECT_EQ(executed, 1);

  auto& button = form.Add<TButton>("button");
  action.SetEnabled(true);
  button.SetAction(&action);
  int clicked = 0;
  button.OnClick = [&](Component&) { ++clicked; };
  button.Click();
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(executed, 1);
}

TEST_F(Window, ShortcutsRunTheEnabledActionOfTheWindowsActionLists) {
  auto& list = form.Add<TActionList>("actions");
  auto& hide = form.Add<TAction>("actionHide");
  auto& show = form.Add<TAction>("actionShow");
  hide.SetActionList(&list);
  show.SetActionList(&list);
  hide.SetShortCut(MakeShortCut('H', ssCtrl));
  std::vector<std::string> ran;
  hide.OnExecute = [&](Component&) { ran.push_back("hide"); };
  show.OnExecute = [&](Component&) { ran.push_back("show"); };
  EXPECT_TRUE(form.IsShortCut('H', ssCtrl));
  EXPECT_FALSE(form.IsShortCut('H', 0));
  hide.SetEnabled(false);
  EXPECT_FALSE(form.IsShortCut('H', ssCtrl));
  EXPECT_THAT(ran, ElementsAre("hide"));
  // A window that a dialog has disabled runs none of its shortcuts.
  hide.SetEnabled(true);
  form.SetEnabled(false);
  EXPECT_FALSE(form.IsShortCut('H', ssCtrl));
  EXPECT_THAT(ran, ElementsAre("hide"));
  form.SetEnabled(true);
  EXPECT_TRUE(form.IsShortCut('H', ssCtrl));
  EXPECT_THAT(ran, ElementsAre("hide", "hide"));
  EXPECT_EQ(ShortCutToText(MakeShortCut(keys::kF1, 0)), "F1");
  EXPECT_EQ(ShortCutToText(MakeShortCut('Q', ssCtrl | ssShift)), "Shift+Ctrl+Q");
  EXPECT_EQ(ShortCutToText(0), "");
}

TEST(CheckBox, EveryChangeOfStateRunsTheClickHandlerOnceWhetherCodeOrUser) {
  TCheckBox box;
  std::vector<bool> seen;
  box.OnClick = [&](Component&) { seen.push_back(box.Checked()); };
  box.SetChecked(true);
  box.SetChecked(true);
  box.Click();  // the user
  box.WriteProperty("Checked", true);
  EXPECT_THAT(seen, ElementsAre(true, false, true));
  char32_t seenKey = 0;
  box.OnKeyPress = [&](Component&, char32_t& key) {
    seenKey = key;
    key = 0;
  };
  EXPECT_FALSE(box.KeyPress(U' '));
  EXPECT_EQ(seenKey, U' ');
}

TEST(ComboBox, ReplacedItemsAndIndexesOutsideTheListLeaveNothingSelected) {
  TComboBox combo;
  combo.SetStyle(csDropDownList);
  combo.Items()->SetText("0 - Never\r\n1 - On load error \r\n\r\n\r\n");
  EXPECT_EQ(combo.Items()->Count(), 4);
  EXPECT_EQ((*combo.Items())[1], "1 - On load error ");
  combo.SetItemIndex(3);
  EXPECT_EQ(combo.ItemIndex(), 3);
  EXPECT_EQ(combo.Text(), "");
  combo.SetItemIndex(9);
  EXPECT_EQ(combo.ItemIndex(), -1);
  combo.SetItemIndex(1);
  EXPECT_EQ(combo.Text(), "1 - On load error ");

  TStrings replacement;
  replacement.SetText("0 - Nikdy\r\n1 - Při chybě načtení\r\n\r\n\r\n");
  combo.WriteProperty("Items", static_cast<Persistent*>(&replacement));
  EXPECT_EQ(combo.ItemIndex(), -1);
  EXPECT_EQ((*combo.Items())[0], "0 - Nikdy");

  combo.SetItemIndex(3);
  combo.Items()->Delete(3);
  EXPECT_EQ(combo.ItemIndex(), -1);
}

TEST(ComboBox, SortedListsStaySortedAndTextSelectsWithoutRegardToCase) {
  TComboBox combo;
  combo.SetStyle(csDropDownList);
  combo.SetSorted(true);
  combo.Items()->Add("en");
  combo.Items()->Add("cs");
  combo.Items()->Add("De");
  EXPECT_THAT(combo.Items()->Lines(), ElementsAre("cs", "De", "en"));
  EXPECT_THROW(combo.Items()->Insert(0, "x"), Error);
  combo.SetText("EN");
  EXPECT_EQ(combo.ItemIndex(), 2);
  combo.SetText("fr");
  EXPECT_EQ(combo.ItemIndex(), -1);
  int changes = 0;
  combo.OnChange = [&](Component&) { ++changes; };
  combo.SetItemIndex(0);
  EXPECT_EQ(changes, 0);
  combo.Select(1);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo.Text(), "De");
}

TEST(Memo, TextIsLinesJoinedByCrLfAndLoneBreaksBecomeCrLf) {
  TMemo memo;
  memo.SetText("OK\rready\nnow\r\nend");
  EXPECT_THAT(memo.Lines()->Lines(), ElementsAre("OK", "ready", "now", "end"));
  EXPECT_EQ(memo.Text(), "OK\r\nready\r\nnow\r\nend");
  memo.SetText("OK\r\n");
  EXPECT_EQ(memo.Text(), "OK\r\n");
  memo.SetText("");
  EXPECT_EQ(memo.Lines()->Count(), 0);
  EXPECT_EQ(memo.Text(), "");
}

TEST(Strings, SplittingKeepsEmptyLinesAndTheTextEndsEveryLine) {
  EXPECT_THAT(SplitLines("a\r\n\r\nb\n", false), ElementsAre("a", "", "b"));
  EXPECT_THAT(SplitLines("a\r\n\r\nb\n", true), ElementsAre("a", "", "b", ""));
  EXPECT_THAT(SplitLines("", true), ElementsAre());
  TStrings list;
  list.Assign({"x", "", ""});
  EXPECT_EQ(list.Text(), "x\r\n\r\n\r\n");
  TStrings copy;
  copy.SetText(list.Text());
  EXPECT_EQ(copy.Lines(), list.Lines());
  EXPECT_THROW(list[3], Error);
}

TEST_F(Window, ShowAndHideRunTheirHandlersAndTheirErrorsGoToTheApplicationHandler) {
  std::vector<std::string> events;
  form.OnShow = [&](Component&) {
    events.push_back("show");
    throw Error("show failed");
  };
  form.OnHide = [&](Component&) { events.push_back("hide"); };
  const Subscription watch = form.Subscribe([&](Persistent&, std::string_view p) {
    if (p == prop::Visible) events.push_back(form.Visible() ? "visible" : "hidden");
  });
  EXPECT_FALSE(form.Visible());
  form.Show();
  form.Hide();
  EXPECT_THAT(events, ElementsAre("show", "visible", "hide", "hidden"));
  EXPECT_THAT(desktop.HandledErrors(), ElementsAre("show failed"));

  form.OnCreate = [](Component&) { throw Error("create failed"); };
  form.DoCreate();
  EXPECT_EQ(desktop.HandledErrors().back(), "create failed");
}

TEST_F(Window, CloseAsksTheCloseQueryAndClosingTheMainWindowEndsTheLoop) {
  bool mayClose = false;
  form.OnCloseQuery = [&](Component&, bool& canClose) { canClose = mayClose; };
  desktop.SetMainForm(&form);
  form.Show();
  EXPECT_FALSE(form.Close());
  EXPECT_TRUE(form.Visible());
  EXPECT_FALSE(desktop.QuitRequested());
  mayClose = true;
  EXPECT_TRUE(form.Close());
  EXPECT_FALSE(form.Visible());
  EXPECT_TRUE(desktop.QuitRequested());
}

TEST(Picture, TakesAnImageOfAListAndRefusesAnIndexOutsideIt) {
  TImageList lamps;
  lamps.Add("lamp-green");
  lamps.Add("lamp-red");
  TImage image;
  std::vector<std::string> changes;
  const Subscription watch =
      image.Subscribe([&](Persistent&, std::string_view p) { changes.emplace_back(p); });
  EXPECT_TRUE(image.Picture()->Empty());
  image.Picture()->AssignImage(lamps, 1);
  EXPECT_EQ(image.Picture()->Resource(), "lamp-red");
  EXPECT_EQ(image.Picture()->ImageList(), &lamps);
  EXPECT_THROW(image.Picture()->AssignImage(lamps, 2), Error);
  image.Picture()->Clear();
  EXPECT_TRUE(image.Picture()->Empty());
  image.Repaint();
  EXPECT_THAT(changes, ElementsAre("Picture", "Picture", "Repaint"));
}

// Pages: the control lays its sheets out below the tabs, shows one at a time, keeps the one
// shown when another goes, and tells its front end of every tab text.
TEST_F(Window, APageControlArrangesItsSheetsAndShowsOneAtATime) {
  auto& pages = form.Add<TPageControl>("pages");
  pages.SetParent(&form);
  pages.SetBounds(0, 0, 200, 150);
  EXPECT_EQ(pages.ActivePageIndex(), -1);
  std::vector<std::string> changes;
  auto subscription = pages.Subscribe(
      [&](Persistent&, std::string_view property) { changes.emplace_back(property); });
  TTabSheet* sheets[3];
  for (int i = 0; i < 3; ++i) {
    sheets[i] = &form.Add<TTabSheet>("sheet" + std::to_string(i));
    sheets[i]->SetCaption("Page " + std::to_string(i));
    sheets[i]->SetParent(&pages);
  }
  // A label is no page.
  auto& label = form.Add<TLabel>("label");
  label.SetParent(&pages);
  ASSERT_EQ(pages.PageCount(), 3);
  EXPECT_EQ(sheets[2]->PageIndex(), 2);
  EXPECT_EQ(label.Parent(), &pages);
  EXPECT_EQ(pages.ActivePageIndex(), 0);
  EXPECT_EQ(sheets[0]->BevelOuter(), bvNone);
  for (TTabSheet* sheet : sheets) {
    EXPECT_EQ(sheet->Left(), TPageControl::kFrame);
    EXPECT_EQ(sheet->Top(), TPageControl::kTabHeight + TPageControl::kFrame);
    EXPECT_EQ(sheet->Width(), 200 - 2 * TPageControl::kFrame);
    EXPECT_EQ(sheet->Height(), 150 - TPageControl::kTabHeight - 2 * TPageControl::kFrame);
  }
  EXPECT_TRUE(sheets[0]->Visible());
  EXPECT_FALSE(sheets[1]->Visible());
  EXPECT_FALSE(sheets[2]->Visible());

  pages.SetActivePageIndex(2);
  EXPECT_FALSE(sheets[0]->Visible());
  EXPECT_TRUE(sheets[2]->Visible());
  pages.SetActivePageIndex(5);
  EXPECT_EQ(pages.ActivePage(), sheets[2]) << "out of range is ignored";

  // A page before the one shown goes: the same page stays shown.
  sheets[0]->SetParent(nullptr);
  EXPECT_EQ(pages.ActivePage(), sheets[2]);
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_EQ(sheets[0]->PageIndex(), -1);
  // The page shown goes: its neighbour shows.
  sheets[2]->SetParent(nullptr);
  EXPECT_EQ(pages.ActivePage(), sheets[1]);
  EXPECT_TRUE(sheets[1]->Visible());

  pages.SetWidth(300);
  EXPECT_EQ(sheets[1]->Width(), 300 - 2 * TPageControl::kFrame);
  changes.clear();
  sheets[1]->SetCaption("Renamed");
  EXPECT_THAT(changes, ElementsAre("Pages"));
  EXPECT_EQ(TPageControl::WidthFor(sheets[1]->Width()), pages.Width());
  EXPECT_EQ(TPageControl::HeightFor(sheets[1]->Height()), pages.Height());
}

}  // namespace
}  // namespace lantervo
