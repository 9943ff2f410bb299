// The Win32 desktop in this process, under wine: message boxes that keep carrying out worker
// hand-offs, timers, the frames and class names of form windows, hot-key and session messages,
// the tray icon with its balloons and re-adding, menus following their actions, controls that
// report typing and clicks, and grid cells painted by the window's drawing handler.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "frontends/win32/dpi.h"
#include "frontends/win32/form_window.h"
#include "frontends/win32/win32_desktop.h"
#include "platform/utf.h"
#include "toolkit/dataset.h"
#include "toolkit/db_grid.h"
#include "toolkit/form.h"
#include "toolkit/images.h"
#include "toolkit/menus.h"
#include "toolkit/page_control.h"
#include "toolkit/std_controls.h"
#include "toolkit/tray_icon.h"

namespace lantervo::win32 {
namespace {

class Win32DesktopTest : public ::testing::Test {
 protected:
  // Runs the loop until what is waiting now has been handled.
  void RunOneTurn() {
    const auto stop = desktop.StartTimer(10, [this] { desktop.Quit(); });
    desktop.Run();
    desktop.StopTimer(stop);
  }

  Win32Desktop desktop{GetModuleHandleW(nullptr)};
};

struct DialogSearch {
  std::wstring caption;
  HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND hwnd, LPARAM data) {
  auto& search = *reinterpret_cast<DialogSearch*>(data);
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  if (search.caption != text) return TRUE;
  search.found = hwnd;
  return FALSE;
}

HWND FindThreadDialog(const std::wstring& caption) {
  DialogSearch search{caption};
  EnumThreadWindows(GetCurrentThreadId(), MatchCaption, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(Win32DesktopTest, MessageBoxKeepsCarryingOutHandOffs) {
  const DWORD uiThread = GetCurrentThreadId();
  DWORD ranOn = 0;
  HWND box = nullptr;
  std::thread worker([&] {
    // Runs inside the box's own message loop, which is the only loop running then.
    desktop.Synchronize([&] {
      ranOn = GetCurrentThreadId();
      box = FindThreadDialog(L"Application notification");
      if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
  });
  const MessageBoxAnswer answer =
      desktop.ShowMessageBox(nullptr, "Application notification", "Default configuration used",
                             MessageBoxIcon::Information, MessageBoxButtons::Ok);
  worker.join();
  EXPECT_EQ(answer, MessageBoxAnswer::Ok);
  EXPECT_EQ(ranOn, uiThread);
  EXPECT_NE(box, nullptr);
}

TEST_F(Win32DesktopTest, HandOffErrorsReachTheWorkerAndTheLoopRunsTimersUntilQuit) {
  std::vector<int> ticks;
  Desktop::TimerId timer = 0;
  timer = desktop.StartTimer(10, [&] {
    ticks.push_back(static_cast<int>(ticks.size()));
    if (ticks.size() == 3) {
      desktop.StopTimer(timer);
      desktop.Quit();
    }
  });
  std::string workerSaw;
  std::thread worker([&] {
    try {
      desktop.Synchronize([] { throw std::runtime_error("from the user-interface thread"); });
    } catch (const std::exception& e) {
      workerSaw = e.what();
    }
  });
  desktop.Run();
  worker.join();
  EXPECT_EQ(ticks.size(), 3u);
  EXPECT_EQ(workerSaw, "from the user-interface thread");
}

struct TestForm : TForm {
  explicit TestForm(Desktop& desktop) : TForm(desktop) {}
};

TEST_F(Win32DesktopTest, FormFramesFollowBorderStyleAndIcons) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  main.SetWindowClassName("QUORVIKMedia.Lantervo.Test");
  main.SetCaption("Lantervo 0.9.19");
  main.SetBorderStyle(bsSingle);
  main.SetBorderIcons(biSystemMenu | biMinimize);
  main.SetClientWidth(570);
  main.SetClientHeight(305);
  TestForm dialog(desktop);
  dialog.SetBorderStyle(bsSingle);
  dialog.SetBorderIcons(0);
  dialog.SetClientWidth(383);
  dialog.SetClientHeight(327);

  EXPECT_FALSE(desktop.FindTopLevelWindow("QUORVIKMedia.Lantervo.Test"));
  HWND mainWindow = desktop.WindowOf(main);
  HWND dialogWindow = desktop.WindowOf(dialog);
  ASSERT_NE(mainWindow, nullptr);
  EXPECT_TRUE(desktop.FindTopLevelWindow("QUORVIKMedia.Lantervo.Test"));
  EXPECT_FALSE(desktop.FindTopLevelWindow("QUORVIKMedia.Lantervo.Other"));

  RECT client;
  GetClientRect(mainWindow, &client);
  EXPECT_EQ(client.right, 570);
  EXPECT_EQ(client.bottom, 305);
  const LONG mainStyle = GetWindowLongW(mainWindow, GWL_STYLE);
  EXPECT_TRUE(mainStyle & WS_SYSMENU);
  EXPECT_TRUE(mainStyle & WS_MINIMIZEBOX);
  EXPECT_FALSE(mainStyle & WS_MAXIMIZEBOX);
  EXPECT_FALSE(mainStyle & WS_THICKFRAME);
  wchar_t caption[64] = {};
  GetWindowTextW(mainWindow, caption, 64);
  EXPECT_STREQ(caption, L"Lantervo 0.9.19");

  GetClientRect(dialogWindow, &client);
  EXPECT_EQ(client.right, 383);
  EXPECT_EQ(client.bottom, 327);
  // No title-bar buttons at all, and owned by the main window (no taskbar button).
  EXPECT_FALSE(GetWindowLongW(dialogWindow, GWL_STYLE) & WS_SYSMENU);
  EXPECT_EQ(GetWindow(dialogWindow, GW_OWNER), mainWindow);

  // Without a close box, Alt+F4 leaves the dialog as it is.
  int dialogCloseQueries = 0;
  dialog.OnCloseQuery = [&](Component&, bool&) { ++dialogCloseQueries; };
  dialog.Show();
  SendMessageW(dialogWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(dialogCloseQueries, 0);
  EXPECT_TRUE(dialog.Visible());
  EXPECT_TRUE(IsWindowVisible(dialogWindow));

  main.Show();
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  main.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(mainWindow));
  main.Hide();
  EXPECT_FALSE(IsWindowVisible(mainWindow));
}

TEST_F(Win32DesktopTest, CloseHotKeyAndSessionMessagesReachTheForm) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  TestForm other(desktop);
  std::vector<int> hotKeys;
  int closeQueries = 0, sessionEnds = 0, otherSessionEnds = 0;
  main.OnHotKey = [&](Component&, int id) { hotKeys.push_back(id); };
  main.OnCloseQuery = [&](Component&, bool& canClose) {
    ++closeQueries;
    canClose = false;
  };
  main.OnEndSession = [&](Component&) { ++sessionEnds; };
  other.OnEndSession = [&](Component&) { ++otherSessionEnds; };
  HWND hwnd = desktop.WindowOf(main);
  main.Show();

  const std::uint16_t atom = desktop.AddGlobalAtom("HotkeyShowTest");
  EXPECT_NE(atom, 0);
  EXPECT_EQ(desktop.AddGlobalAtom("HotkeyShowTest"), atom);
  EXPECT_TRUE(desktop.RegisterHotKey(main, atom, kModControl | kModAlt, 0x57));
  SendMessageW(hwnd, WM_HOTKEY, atom, 0);
  SendMessageW(hwnd, WM_HOTKEY, 12, 0);
  EXPECT_EQ(hotKeys, (std::vector<int>{atom, 12}));
  EXPECT_TRUE(desktop.UnregisterHotKey(main, atom));
  GlobalDeleteAtom(atom);

  // The close box asks the form; a refusal keeps the window.
  SendMessageW(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(closeQueries, 1);
  EXPECT_TRUE(IsWindow(hwnd));
  EXPECT_TRUE(IsWindowVisible(hwnd));

  EXPECT_TRUE(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, 0));
  SendMessageW(hwnd, WM_ENDSESSION, FALSE, 0);  // the session goes on after all
  EXPECT_EQ(sessionEnds, 0);
  SendMessageW(hwnd, WM_ENDSESSION, TRUE, 0);
  SendMessageW(desktop.WindowOf(other), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(sessionEnds, 1);
  EXPECT_EQ(otherSessionEnds, 0);
}

// Sleep and wake reach the program once, through the main window: every top-level window hears
// the broadcast.
TEST_F(Win32DesktopTest, PowerBroadcastsBecomePowerEventsOnceForTheMainWindow) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  TestForm other(desktop);
  std::vector<PowerEvent> events;
  desktop.SetPowerHandler([&](PowerEvent event) { events.push_back(event); });
  const HWND hwnd = desktop.WindowOf(main);
  EXPECT_TRUE(SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND, 0));
  SendMessageW(desktop.WindowOf(other), WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);  // the user's, after it
  SendMessageW(hwnd, WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, 0);
  EXPECT_EQ(events, (std::vector<PowerEvent>{PowerEvent::Suspending, PowerEvent::Resumed}));
  desktop.SetPowerHandler({});
}

TEST_F(Win32DesktopTest, TrayIconIsAddedAgainWhenTheTaskbarComesBackAndBalloonsAreCut) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  auto& images = main.Add<TImageList>("images");
  images.Add("paw_green");
  images.Add("paw_red");
  auto& tray = main.Add<TTrayIcon>("tray");
  tray.SetIcons(&images);
  tray.SetHint("Response of all websites OK. There was no problem.");
  tray.SetVisible(true);
  ASSERT_TRUE(desktop.TrayPresent(tray));
  EXPECT_EQ(desktop.TrayAdds(tray), 1);

  // Explorer restarts: its icons are gone, and it announces the new taskbar.
  NOTIFYICONDATAW gone{};
  gone.cbSize = sizeof(gone);
  gone.hWnd = desktop.WindowOf(main);
  gone.uID = 1;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &gone));
  SendMessageW(desktop.WindowOf(main), desktop.TaskbarCreatedMessage(), 0, 0);
  EXPECT_EQ(desktop.TrayAdds(tray), 2);
  EXPECT_TRUE(desktop.TrayPresent(tray));

  tray.SetBalloonTitle(std::string(70, 'T'));
  tray.SetBalloonHint(std::string(300, 'x'));
  tray.SetBalloonFlags(bfError);
  tray.SetBalloonTimeout(5);
  tray.ShowBalloonHint();
  const NOTIFYICONDATAW* balloon = desktop.LastBalloon(tray);
  ASSERT_NE(balloon, nullptr);
  EXPECT_EQ(std::wstring(balloon->szInfoTitle), std::wstring(63, L'T'));
  EXPECT_EQ(std::wstring(balloon->szInfo), std::wstring(255, L'x'));
  EXPECT_EQ(balloon->dwInfoFlags, static_cast<DWORD>(NIIF_ERROR));
  EXPECT_EQ(balloon->uTimeout, 5u);

  int doubleClicks = 0;
  tray.OnDblClick = [&](Component&) { ++doubleClicks; };
  SendMessageW(desktop.WindowOf(main), kTrayMessage, 1, WM_LBUTTONDBLCLK);
  EXPECT_EQ(doubleClicks, 1);

  tray.SetVisible(false);
  EXPECT_FALSE(desktop.TrayPresent(tray));
}

TEST_F(Win32DesktopTest, TrayContextClickOpensThePopupMenuAndRunsTheChosenItem) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  auto& tray = main.Add<TTrayIcon>("tray");
  tray.SetVisible(true);  // realizes the window before the menu exists, as the main window does
  auto& popup = main.Add<TPopupMenu>("popupTray");
  auto& show = main.Add<TMenuItem>("itemShow");
  show.SetCaption("Show");
  show.SetEnabled(false);
  auto& hide = main.Add<TMenuItem>("itemHide");
  hide.SetCaption("Hide");
  popup.Items()->Add(show);
  popup.Items()->Add(hide);
  tray.SetPopupMenu(&popup);
  int shows = 0, hides = 0;
  show.OnClick = [&](Component&) { ++shows; };
  hide.OnClick = [&](Component&) { ++hides; };
  main.Show();
  HWND hwnd = desktop.WindowOf(main);

  // Once the menu is open, its own loop takes these keys: down past the disabled first item to
  // the second, then Enter (Escape closes it should the keys not reach it).
  bool menuSeen = false;
  Desktop::TimerId keys = 0;
  keys = desktop.StartTimer(100, [&] {
    desktop.StopTimer(keys);
    HWND menu = FindWindowW(L"#32768", nullptr);
    menuSeen = menu && IsWindowVisible(menu);
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
      PostMessageW(menu ? menu : hwnd, WM_KEYDOWN, key, 0);
  });
  const auto safety =
      desktop.StartTimer(5000, [&] { PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 0); });
  SendMessageW(hwnd, kTrayMessage, 1, WM_RBUTTONUP);
  desktop.StopTimer(safety);
  EXPECT_TRUE(menuSeen);
  EXPECT_EQ(shows, 0);
  EXPECT_EQ(hides, 1);
}

TEST_F(Win32DesktopTest, MenuItemsFollowTheirActionsAndRunThem) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  auto& actions = main.Add<TActionList>("actions");
  auto& quit = main.Add<TAction>("actionQuit");
  quit.SetActionList(&actions);
  quit.SetCaption("Quit");
  quit.SetShortCut(MakeShortCut('Q', ssCtrl));
  int quits = 0;
  quit.OnExecute = [&](Component&) { ++quits; };
  auto& menu = main.Add<TMainMenu>("mainMenu");
  auto& top = main.Add<TMenuItem>("menuLantervo");
  top.SetCaption("Lantervo");
  menu.Items()->Add(top);
  auto& item = main.Add<TMenuItem>("itemQuit");
  item.SetAction(&quit);
  top.Add(item);
  main.SetMenu(&menu);

  HWND hwnd = desktop.WindowOf(main);
  HMENU sub = GetSubMenu(GetMenu(hwnd), 0);
  ASSERT_NE(sub, nullptr);
  wchar_t text[64] = {};
  GetMenuStringW(sub, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Quit\tCtrl+Q");
  const UINT id = GetMenuItemID(sub, 0);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  EXPECT_EQ(quits, 1);

  quit.SetEnabled(false);
  EXPECT_TRUE(GetMenuState(sub, 0, MF_BYPOSITION) & MF_GRAYED);
  SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0);
  EXPECT_EQ(quits, 1);
  quit.SetCaption("Konec");
  GetMenuStringW(sub, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Konec\tCtrl+Q");
}

TEST_F(Win32DesktopTest, ShortcutsRunEnabledActionsOfTheWindowTheKeyIsFor) {
  TestForm main(desktop);
  desktop.SetMainForm(&main);
  auto& actions = main.Add<TActionList>("actions");
  auto& hide = main.Add<TAction>("actionHide");
  hide.SetActionList(&actions);
  hide.SetShortCut(MakeShortCut('H', ssCtrl));
  auto& log = main.Add<TAction>("actionLog");
  log.SetActionList(&actions);
  log.SetShortCut(MakeShortCut('L', ssCtrl));
  log.SetEnabled(false);
  int hides = 0, logs = 0;
  hide.OnExecute = [&](Component&) { ++hides; };
  log.OnExecute = [&](Component&) { ++logs; };
  TestForm dialog(desktop);
  HWND mainWindow = desktop.WindowOf(main);
  HWND dialogWindow = desktop.WindowOf(dialog);

  // Ctrl held down, as the thread's keyboard state says; the keys arrive through the loop.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  BYTE ctrl[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(ctrl));
  ctrl[VK_CONTROL] = ctrl[VK_LCONTROL] = 0x80;
  keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
  SetKeyboardState(ctrl);
  PostMessageW(mainWindow, WM_KEYDOWN, 'H', 0);
  PostMessageW(mainWindow, WM_KEYDOWN, 'L', 0);
  PostMessageW(dialogWindow, WM_KEYDOWN, 'H', 0);
  RunOneTurn();
  SetKeyboardState(keys);

  EXPECT_EQ(hides, 1);  // not again for the dialog, which has no such shortcut
  EXPECT_EQ(logs, 0);   // disabled

  // A window that a dialog disabled keeps the focus in its control, whose keys still come;
  // a message box disables its owner too. Neither runs the window's shortcuts.
  main.SetEnabled(false);
  SetKeyboardState(ctrl);
  PostMessageW(mainWindow, WM_KEYDOWN, 'H', 0);
  RunOneTurn();
  main.SetEnabled(true);
  int ticks = 0;
  const auto boxKeys = desktop.StartTimer(10, [&] {
    if (++ticks == 1) {
      SetKeyboardState(ctrl);
      PostMessageW(mainWindow, WM_KEYDOWN, 'H', 0);
    } else if (HWND box = FindThreadDialog(L"Delete")) {
      PostMessageW(box, WM_COMMAND, IDNO, 0);
    }
  });
  desktop.ShowMessageBox(&main, "Delete", "Delete server?", MessageBoxIcon::Question,
                         MessageBoxButtons::YesNo);
  desktop.StopTimer(boxKeys);
  RunOneTurn();
  SetKeyboardState(keys);
  EXPECT_EQ(hides, 1);
  EXPECT_TRUE(IsWindowEnabled(mainWindow));
}

// A page control is a tab control whose pages are panels on it: the tabs carry the captions,
// a change of tab shows its page, and a click in a page still reaches its control.
TEST_F(Win32DesktopTest, PagesAreATabControlWithOnePanelShownAtATime) {
  TestForm form(desktop);
  auto& pages = form.Add<TPageControl>("pageSettings");
  pages.SetParent(&form);
  pages.SetBounds(0, 0, 389, 484);
  auto& general = form.Add<TTabSheet>("sheetGeneral");
  general.SetCaption("General");
  general.SetParent(&pages);
  auto& advanced = form.Add<TTabSheet>("sheetAdvanced");
  advanced.SetCaption("Pokro\xc4\x8dil\xc3\xa9");
  advanced.SetParent(&pages);
  auto& box = form.Add<TCheckBox>("checkboxHttps");
  box.SetParent(&advanced);
  box.SetBounds(152, 24, 17, 17);
  int changes = 0;
  pages.OnChange = [&](Component&) { ++changes; };
  const HWND hwnd = desktop.WindowOf(form);
  form.Show();
  const HWND tabs = GetDlgItem(hwnd, 1000);
  ASSERT_NE(tabs, nullptr);
  wchar_t kind[64] = {};
  GetClassNameW(tabs, kind, 64);
  EXPECT_STREQ(kind, WC_TABCONTROLW);
  ASSERT_EQ(TabCtrl_GetItemCount(tabs), 2);
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  SendMessageW(tabs, TCM_GETITEMW, 1, reinterpret_cast<LPARAM>(&item));
  EXPECT_STREQ(text, L"Pokro\u010dil\u00e9");
  const HWND generalPage = GetDlgItem(tabs, 1001);
  const HWND advancedPage = GetDlgItem(tabs, 1002);
  ASSERT_NE(advancedPage, nullptr);
  EXPECT_TRUE(IsWindowVisible(generalPage));
  EXPECT_FALSE(IsWindowVisible(advancedPage));

  // The user picks the second tab: the tab control tells its parent.
  TabCtrl_SetCurSel(tabs, 1);
  NMHDR header{tabs, 1000, static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(hwnd, WM_NOTIFY, 1000, reinterpret_cast<LPARAM>(&header));
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(IsWindowVisible(advancedPage));
  EXPECT_FALSE(IsWindowVisible(generalPage));
  const HWND boxWindow = GetDlgItem(advancedPage, 1003);
  ASSERT_NE(boxWindow, nullptr);
  SendMessageW(boxWindow, BM_CLICK, 0, 0);
  EXPECT_TRUE(box.Checked()) << "the page hands its controls' notifications to the window";

  pages.SetActivePageIndex(0);
  EXPECT_EQ(TabCtrl_GetCurSel(tabs), 0);
  EXPECT_TRUE(IsWindowVisible(generalPage));
}

TEST_F(Win32DesktopTest, ControlsReportTypingAndClicksAndFollowTheirProperties) {
  TestForm form(desktop);
  auto& edit = form.Add<TEdit>("editName");
  edit.SetParent(&form);
  edit.SetBounds(152, 49, 193, 21);
  auto& box = form.Add<TCheckBox>("checkboxTimeout");
  box.SetParent(&form);
  box.SetBounds(152, 143, 17, 17);
  int clicks = 0;
  box.OnClick = [&](Component&) { ++clicks; };
  auto& memo = form.Add<TMemo>("memoResponse");
  memo.SetParent(&form);
  memo.SetBounds(152, 183, 193, 42);
  HWND hwnd = desktop.WindowOf(form);
  HWND editWindow = GetDlgItem(hwnd, 1000);
  HWND boxWindow = GetDlgItem(hwnd, 1001);
  HWND memoWindow = GetDlgItem(hwnd, 1002);
  ASSERT_NE(editWindow, nullptr);
  ASSERT_NE(memoWindow, nullptr);

  SetWindowTextW(editWindow, L"Nový server");
  EXPECT_EQ(edit.Text(), "Nov\xc3\xbd server");
  edit.SetText("http://");
  wchar_t text[64] = {};
  GetWindowTextW(editWindow, text, 64);
  EXPECT_STREQ(text, L"http://");

  SendMessageW(boxWindow, BM_CLICK, 0, 0);
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(SendMessageW(boxWindow, BM_GETCHECK, 0, 0), BST_CHECKED);
  box.SetChecked(false);
  EXPECT_EQ(SendMessageW(boxWindow, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  memo.SetText("OK\nready");
  GetWindowTextW(memoWindow, text, 64);
  EXPECT_STREQ(text, L"OK\r\nready");
  memo.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(memoWindow));
}

// Two rows; the second is inactive.
// A per-monitor aware window moved to a 150 % monitor takes the rectangle Windows suggests and
// lays its controls out again at that DPI, with fonts made for it; back at 100 % all is as before.
TEST_F(Win32DesktopTest, AWindowMovedToAnotherDpiTakesTheSuggestedRectAndScalesItsControls) {
  TestForm form(desktop);
  form.SetBorderStyle(bsSingle);
  form.SetClientWidth(383);
  form.SetClientHeight(300);
  TFont font;
  font.SetName("Tahoma");
  font.SetHeight(-12);
  form.SetFont(&font);
  auto& edit = form.Add<TEdit>("editVerifyURL");
  edit.SetParent(&form);
  edit.SetBounds(152, 64, 194, 22);
  HWND hwnd = desktop.WindowOf(form);
  ASSERT_NE(hwnd, nullptr);
  HWND editWindow = GetDlgItem(hwnd, 1000);
  ASSERT_NE(editWindow, nullptr);
  const auto placeOf = [&](HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const auto fontHeight = [&](HWND child) {
    LOGFONTW logFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), sizeof logFont,
               &logFont);
    return logFont.lfHeight;
  };
  const RECT before = placeOf(editWindow);
  ASSERT_EQ(WindowDpi(hwnd), 96u) << "the test prefix is expected at 100 %";
  EXPECT_EQ(before.left, 152);
  EXPECT_EQ(before.right - before.left, 194);
  EXPECT_EQ(fontHeight(editWindow), -12);

  // Within the test display, which a window may not outgrow.
  RECT suggested{40, 30, 40 + 600, 30 + 500};
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT outer;
  GetWindowRect(hwnd, &outer);
  EXPECT_EQ(outer.left, suggested.left);
  EXPECT_EQ(outer.top, suggested.top);
  EXPECT_EQ(outer.right, suggested.right);
  EXPECT_EQ(outer.bottom, suggested.bottom);
  const RECT scaled = placeOf(editWindow);
  EXPECT_EQ(scaled.left, 228);
  EXPECT_EQ(scaled.top, 96);
  EXPECT_EQ(scaled.right - scaled.left, 291);
  EXPECT_EQ(scaled.bottom - scaled.top, 33);
  EXPECT_EQ(fontHeight(editWindow), -18);
  // A control that moves later is placed at the new DPI too.
  edit.SetLeft(100);
  EXPECT_EQ(placeOf(editWindow).left, 150);

  RECT back{40, 30, 40 + 400, 30 + 330};
  edit.SetLeft(152);
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
  const RECT again = placeOf(editWindow);
  EXPECT_EQ(again.left, 152);
  EXPECT_EQ(again.top, 64);
  EXPECT_EQ(again.right - again.left, 194);
  EXPECT_EQ(again.bottom - again.top, 22);
  EXPECT_EQ(fontHeight(editWindow), -12);
}

class TwoRows : public DataRows {
 public:
  int RowCount() const override { return 2; }
  int CurrentIndex() const override { return current_; }
  void MoveTo(int index) override {
    current_ = index;
    NotifyObservers();
  }
  std::string TextAt(int index, std::string_view field) const override {
    if (field == "Name") return index == 0 ? "Alpha" : "Beta";
    return index == 0 ? "OK" : "";
  }
  bool BoolAt(int index, std::string_view) const override { return index == 0; }

 private:
  int current_ = 0;
};

// Rows whose number and current row a test sets, saying what changed.
class ManyRows : public DataRows {
 public:
  int count = 2;
  int current = 0;
  int RowCount() const override { return count; }
  int CurrentIndex() const override { return count == 0 ? -1 : current; }
  void MoveTo(int index) override {
    current = index;
    NotifyObservers(rcCurrentRow);
  }
  std::string TextAt(int index, std::string_view) const override {
    return "server " + std::to_string(index);
  }
  bool BoolAt(int, std::string_view) const override { return true; }
  void Grow(int rows) {
    count = rows;
    NotifyObservers(rcRowCount | rcValues);
  }
};

// A burst of row changes reaches the list view once, at the next turn of the loop (a message
// box's loop too): the item count, the selected current row, scrolled into view.
TEST_F(Win32DesktopTest, TheGridRefreshesTheListViewOncePerTurnOfTheLoop) {
  TestForm form(desktop);
  form.SetClientWidth(572);
  form.SetClientHeight(226);
  ManyRows rows;
  auto& data = form.Add<TClientDataSet>("setServer");
  data.SetRows(&rows);
  auto& grid = form.Add<TDBGrid>("gridLink");
  grid.SetParent(&form);
  grid.SetBounds(0, 0, 572, 226);
  grid.SetDataSet(&data);
  grid.SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect);
  grid.Columns()->Add().SetFieldName("Name");
  HWND hwnd = desktop.WindowOf(form);
  form.Show();
  HWND list = FindWindowExW(hwnd, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(ListView_GetItemCount(list), 2);

  rows.Grow(500);
  for (int row = 0; row < 500; ++row) rows.MoveTo(row);
  EXPECT_EQ(ListView_GetItemCount(list), 2) << "not before the loop turns";
  RunOneTurn();
  EXPECT_EQ(ListView_GetItemCount(list), 500);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 499);
  const int top = ListView_GetTopIndex(list);
  EXPECT_LE(top, 499);
  EXPECT_GT(top + ListView_GetCountPerPage(list), 499) << "the current row is in view";

  rows.MoveTo(3);
  int ticks = 0;
  const auto closer = desktop.StartTimer(10, [&] {
    if (++ticks > 1)
      if (HWND box = FindThreadDialog(L"Lantervo")) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  desktop.ShowMessageBox(nullptr, "Lantervo", "Waiting", MessageBoxIcon::Information,
                         MessageBoxButtons::Ok);
  desktop.StopTimer(closer);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 3) << "refreshed inside the box";
}

TEST_F(Win32DesktopTest, GridCellsArePaintedByTheDrawingHandler) {
  TestForm form(desktop);
  form.SetClientWidth(572);
  form.SetClientHeight(226);
  TwoRows rows;
  auto& data = form.Add<TClientDataSet>("setServer");
  data.SetRows(&rows);
  auto& status = form.Add<TImageList>("imagelistStatus");
  status.Add("ball_green");
  auto& grid = form.Add<TDBGrid>("gridLink");
  grid.SetParent(&form);
  grid.SetBounds(0, 0, 572, 226);
  grid.SetDataSet(&data);
  grid.SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect);
  grid.Columns()->Add().SetWidth(16);
  TColumn& name = grid.Columns()->Add();
  name.SetFieldName("Name");
  name.SetWidth(203);
  grid.OnDrawColumnCell = [&](Component&, GridCanvas& canvas, const Rect& rect, int row, int column,
                              GridDrawState) {
    if (!rows.BoolAt(row, "Active")) {
      canvas.SetBrushColor(colors::kGray);
      grid.DefaultDrawColumnCell(canvas, rect, row, column);
    }
    if (column == 0 && rows.TextAt(row, "Result") == "OK")
      canvas.StretchDraw({rect.left, rect.top, rect.left + 16, rect.top + 16}, status, 0);
  };
  HWND hwnd = desktop.WindowOf(form);
  form.Show();
  HWND list = FindWindowExW(hwnd, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListView_GetItemCount(list), 2);

  RECT client;
  GetClientRect(list, &client);
  HDC screen = GetDC(list);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  SelectObject(dc, bitmap);
  SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  RECT first, second;
  ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS);
  ListView_GetItemRect(list, 1, &second, LVIR_BOUNDS);
  const COLORREF inactive = GetPixel(dc, 150, (second.top + second.bottom) / 2);
  const COLORREF active = GetPixel(dc, 150, (first.top + first.bottom) / 2);
  const COLORREF ball = GetPixel(dc, first.left + 8, first.top + 8);
  DeleteDC(dc);
  DeleteObject(bitmap);
  ReleaseDC(list, screen);

  EXPECT_EQ(inactive, RGB(128, 128, 128));
  EXPECT_NE(active, RGB(128, 128, 128));
  // The green ball is stretched into the first column's square.
  EXPECT_GT(GetGValue(ball), GetRValue(ball));
  EXPECT_GT(GetGValue(ball), GetBValue(ball));

  // Choosing a row in the list view moves the dataset's current row.
  ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(rows.CurrentIndex(), 1);
}

}  // namespace
}  // namespace lantervo::win32
