// Lantervo.exe end to end under wine: started from a clean folder and registry it shows its two
// information boxes in order (the test presses their OK buttons), registers its main window
// class, makes a second start end at once, checks a loopback server on schedule and shows the
// outcome in its grid, and on Quit (the menu command) leaves LTV.xml and the registry as the
// core library writes them.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/config_store.h"
#include "core/list_file.h"
#include "core/server_table.h"
#include "frontends/win32/menu_binding.h"
#include "platform/registry.h"
#include "platform/utf.h"
#include "tests/support/http_test_server.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless_desktop.h"
#include "ui/main_form.h"

namespace lantervo {
namespace {

using platform::Widen;

const wchar_t* const kMainClass = L"QUORVIKMedia.Lantervo.0.9";
const wchar_t* const kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The program in a process of its own, killed if a test leaves it running.
class ProgramProcess {
 public:
  explicit ProgramProcess(const std::string& exe) {
    STARTUPINFOW si{sizeof(si)};
    std::wstring commandLine = L"\"" + Widen(exe) + L"\"";
    started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              nullptr, &si, &pi_) != FALSE;
  }
  ~ProgramProcess() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 9);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  HANDLE Handle() const { return pi_.hProcess; }
  DWORD Id() const { return pi_.dwProcessId; }
  bool Running() const { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  // Waits for the process to end; its exit code, or -1 when it is still running.
  long Join(DWORD milliseconds = 60000) {
    if (WaitForSingleObject(pi_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

  // Windows of another process give no signal to wait on, so the condition is looked at again
  // each time the wait on the process (its ending is the other way out) times out briefly.
  bool WaitUntil(const std::function<bool()>& condition, DWORD limit = 60000) {
    const ULONGLONG deadline = GetTickCount64() + limit;
    while (!condition()) {
      if (GetTickCount64() > deadline) return false;
      if (WaitForSingleObject(pi_.hProcess, 20) == WAIT_OBJECT_0) return condition();
    }
    return true;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

struct WindowSearch {
  DWORD process;
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  if ((search.process == 0 || owner == search.process) && search.className == name)
    search.found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> TopLevelWindows(DWORD process, const std::wstring& className) {
  WindowSearch search{process, className, {}};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

int TrayIconWindows() {
  int icons = 0;
  for (HWND tray : TopLevelWindows(0, L"__winex11_standalone_tray"))
    for (HWND icon = nullptr; (icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr));)
      ++icons;
  return icons;
}

struct Box {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;
};

// The visible message box of the process, if one is open.
Box OpenBox(DWORD process) {
  for (HWND hwnd : TopLevelWindows(process, L"#32770")) {
    if (!IsWindowVisible(hwnd)) continue;
    return {hwnd, TextOf(hwnd), TextOf(GetDlgItem(hwnd, 0xFFFF))};
  }
  return {};
}

// Text of a list-view cell in another process: the item and its buffer live in that process.
std::wstring RemoteCellText(HANDLE process, HWND list, int row, int column) {
  constexpr int kChars = 512;
  const SIZE_T size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remote) return L"<no memory>";
  LVITEMW item{};
  item.iSubItem = column;
  item.cchTextMax = kChars;
  item.pszText = reinterpret_cast<LPWSTR>(remote + sizeof(LVITEMW));
  WriteProcessMemory(process, remote, &item, sizeof(item), nullptr);
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  wchar_t text[kChars] = {};
  ReadProcessMemory(process, item.pszText, text, sizeof(text) - sizeof(wchar_t), nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

// The command id of the Quit item in the program's menu bar. Menus cannot be read from another
// process here, so the id comes from the front end's numbering of the same main window's menu.
UINT QuitCommand() {
  HeadlessDesktop desktop;
  ConfigStore config;
  TMainForm form({.desktop = desktop, .config = config});
  std::function<const TMenuItem*(const TMenuItem&)> find =
      [&](const TMenuItem& parent) -> const TMenuItem* {
    for (const TMenuItem* item : parent.Items()) {
      if (item->Action() == form.actionQuit) return item;
      if (const TMenuItem* inner = find(*item)) return inner;
    }
    return nullptr;
  };
  const TMenuItem* quit = find(*form.mainMenu->Items());
  return quit ? win32::MenuCommandId(*form.mainMenu, *quit) : 0;
}

// Both hives: a user who may not write the machine's keeps the configuration in their own.
void ForgetConfiguration() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegDeleteTreeW(root, Widen(kConfigKeyPath).c_str());
    HKEY run;
    if (RegOpenKeyExW(root, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
      RegDeleteValueW(run, L"Lantervo");
      RegCloseKey(run);
    }
  }
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetConfiguration();
    exe_ = folder_.File("Lantervo.exe");
    ASSERT_TRUE(CopyFileW(Widen(LANTERVO_PROGRAM_EXE).c_str(), Widen(exe_).c_str(), FALSE));
  }
  void TearDown() override { ForgetConfiguration(); }

  // Chooses Quit in the main window's menu and waits for the program to end.
  void QuitThroughMenu(ProgramProcess& program, HWND mainWindow) {
    const UINT quit = QuitCommand();
    ASSERT_NE(quit, 0u);
    PostMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(quit, 0), 0);
    EXPECT_EQ(program.Join(), 0);
  }

  test::TempDir folder_;
  std::string exe_;
};

// The DPI awareness a window was made with (0 unaware, 1 system, 2 per monitor); -1 where the
// system cannot tell.
int WindowDpiAwareness(HWND hwnd) {
  using GetContext = HANDLE(WINAPI*)(HWND);
  using GetAwareness = int(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto getContext = reinterpret_cast<GetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
  auto getAwareness = reinterpret_cast<GetAwareness>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  if (!getContext || !getAwareness) return -1;
  return getAwareness(getContext(hwnd));
}

TEST(ProgramFile, CarriesVersionIconArtworkAndManifest) {
  const std::wstring exe = Widen(LANTERVO_PROGRAM_EXE);
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(9, 0));
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 19));
  wchar_t* product = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_STREQ(product, L"0.9.19");
  wchar_t* copyright = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\LegalCopyright",
                             reinterpret_cast<void**>(&copyright), &length));
  EXPECT_NE(std::wstring(copyright).find(L"QUORVIK Media"), std::wstring::npos);

  HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */);
  ASSERT_NE(group, nullptr);
  // The icon group: a 6-byte head, then 14 bytes an image whose first byte is its width (0 for
  // 256); Explorer's large views want the 256 px image.
  const auto* dir = static_cast<const unsigned char*>(LockResource(LoadResource(image, group)));
  const int images = dir[4] | (dir[5] << 8);
  std::set<int> widths;
  for (int i = 0; i < images; ++i) widths.insert(dir[6 + 14 * i] == 0 ? 256 : dir[6 + 14 * i]);
  EXPECT_EQ(widths, (std::set<int>{16, 32, 48, 256}));
  // The artwork at the sizes the windows use, as 32-bit pixels.
  const std::pair<const wchar_t*, DWORD> pieces[] = {{L"LOGO", 143 * 60 * 4},
                                                     {L"LAMP_RED", 60 * 60 * 4},
                                                     {L"PAW_GREEN", 16 * 16 * 4},
                                                     {L"BALL_YELLOW", 16 * 16 * 4},
                                                     {L"WARNING_TRIANGLE", 40 * 40 * 4}};
  for (const auto& [name, size] : pieces) {
    HRSRC piece = FindResourceW(image, name, MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    ASSERT_NE(piece, nullptr) << platform::Narrow(name);
    EXPECT_EQ(SizeofResource(image, piece), size) << platform::Narrow(name);
  }
  HRSRC manifest = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(image, manifest))),
                         SizeofResource(image, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
  // Per-monitor DPI (V2 where Windows 10 has it, V1 on 8.1), and the Windows versions the
  // program was tested for, so none of them runs it in a compatibility mode.
  EXPECT_NE(text.find("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">"
                      "true/pm</dpiAware>"),
            std::string::npos);
  EXPECT_NE(text.find("<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/"
                      "WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>"),
            std::string::npos);
  EXPECT_NE(text.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos);
  for (const char* os : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   // 7
                         "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   // 8
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   // 8.1
                         "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})  // 10 and 11
    EXPECT_NE(text.find(std::string("<supportedOS Id=\"") + os + "\"/>"), std::string::npos) << os;
  FreeLibrary(image);
}

TEST_F(ProgramTest, FirstStartFromACleanFolderWritesDefaultsAndTheDefaultList) {
  const int trayIconsBefore = TrayIconWindows();
  ProgramProcess program(exe_);
  ASSERT_TRUE(program.Started());

  // The two information boxes, in this order, each dismissed through its OK button.
  const std::vector<std::wstring> expected = {L"Default configuration used",
                                              L"Dataset does not exist. File recreated."};
  for (const std::wstring& text : expected) {
    Box box;
    ASSERT_TRUE(program.WaitUntil([&] { return (box = OpenBox(program.Id())).window != nullptr; }))
        << "no box with " << platform::Narrow(text);
    EXPECT_EQ(box.caption, L"Application notification");
    EXPECT_EQ(box.text, text);
    PostMessageW(box.window, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(program.WaitUntil([&] { return !IsWindow(box.window); }));
  }

  HWND mainWindow = nullptr;
  ASSERT_TRUE(program.WaitUntil([&] {
    const auto windows = TopLevelWindows(program.Id(), kMainClass);
    mainWindow = windows.empty() ? nullptr : windows.front();
    return mainWindow && IsWindowVisible(mainWindow);
  }));
  EXPECT_EQ(FindWindowW(kMainClass, nullptr), mainWindow);
  EXPECT_EQ(TextOf(mainWindow), L"Lantervo 0.9.19");
  // The manifest made its windows per-monitor DPI aware.
  EXPECT_EQ(WindowDpiAwareness(mainWindow), 2 /* DPI_AWARENESS_PER_MONITOR_AWARE */);

  // Without a desktop shell, wine shows the notification area as a window of its own, with a
  // child window per icon.
  EXPECT_EQ(TrayIconWindows(), trayIconsBefore + 1);

  // A second start finds the window and ends at once, showing and writing nothing.
  const std::string logBefore = ReadWholeFile(folder_.File("LTV.log"));
  {
    ProgramProcess second(exe_);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(second.Join(), 0);
  }
  EXPECT_EQ(TopLevelWindows(0, kMainClass).size(), 1u);
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(ReadWholeFile(folder_.File("LTV.log")), logBefore);

  HWND list = FindWindowExW(mainWindow, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(RemoteCellText(program.Handle(), list, 0, 1), L"QUORVIK Media");
  EXPECT_EQ(RemoteCellText(program.Handle(), list, 0, 2), L"-1");
  EXPECT_EQ(RemoteCellText(program.Handle(), list, 0, 3), L"Waiting...");

  QuitThroughMenu(program, mainWindow);

  // The list file is the library's own document for the default entry after start-up.
  const std::string bytes = folder_.Read("LTV.xml");
  ServerTable table;
  ASSERT_NO_THROW(ReadDataPacket(bytes, table));
  ASSERT_EQ(table.RowCount(), 1);
  table.MoveFirst();
  EXPECT_EQ(table.GetText("Name"), "QUORVIK Media");
  EXPECT_EQ(table.GetText("Status"), "");
  EXPECT_EQ(table.GetText("Result"), "Waiting...");
  EXPECT_EQ(table.GetInt("LoadTime"), -1);
  EXPECT_EQ(table.GetInt("Timeout"), 300);
  EXPECT_TRUE(table.GetBool("Active"));
  EXPECT_EQ(WriteDataPacket(table), bytes);

  // The registry holds exactly what the library writes as defaults for this folder.
  test::MemoryRegistry defaults;
  ASSERT_TRUE(WriteDefaultConfig(defaults, folder_.Path()));
  auto system = platform::OpenSystemRegistry();
  auto key = system->Open(kConfigKeyPath, platform::RegistryAccess::Read);
  ASSERT_NE(key, nullptr);
  ASSERT_FALSE(defaults.WriteAttempts().empty());
  for (const std::string& name : defaults.WriteAttempts()) {
    const auto want = defaults.Get(kConfigKeyPath, name);
    const auto got = key->Query(name);
    ASSERT_EQ(got.status, platform::QueryStatus::Found) << name;
    EXPECT_EQ(got.value.nativeType, want.value.nativeType) << name;
    EXPECT_EQ(got.value.text, want.value.text) << name;
    EXPECT_EQ(got.value.dword, want.value.dword) << name;
  }

  const std::string log = ReadWholeFile(folder_.File("LTV.log"));
  const auto defaultsLine = log.find(" SYSTEM Default configuration used\r\n");
  const auto recreatedLine = log.find(
      " SYSTEM Dataset does not exist. File recreated: setServer: Missing data provider or data "
      "packet\r\n");
  EXPECT_NE(defaultsLine, std::string::npos) << log;
  EXPECT_NE(recreatedLine, std::string::npos) << log;
  EXPECT_LT(defaultsLine, recreatedLine);
}

TEST_F(ProgramTest, ScheduledCheckOfALoopbackServerReachesLogGridAndListFile) {
  test::HttpTestServer server;
  server.AnswerAlways(test::HttpTestServer::Ok("OK"), test::HttpTestServer::Then::Close);
  {
    auto system = platform::OpenSystemRegistry();
    ASSERT_TRUE(WriteDefaultConfig(*system, folder_.Path()));
    auto key = system->Open(kConfigKeyPath, platform::RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    // A run every second, and no update check beyond this machine.
    ASSERT_TRUE(key->SetString("CheckInterval", "1"));
    ASSERT_TRUE(key->SetDWord("CheckUpdate", 0));
  }
  {
    ServerTable table;
    table.CreateList();
    table.AppendRow();
    table.SetText("Name", "Loopback");
    table.SetText("Url", server.Url("/status"));
    table.SetInt("Timeout", 5000);
    table.SetBool("TimeoutEnabled", false);
    table.SetBool("ResponseEnabled", false);
    table.SetBool("Active", true);
    table.PostRow();
    table.SaveList(folder_.File("LTV.xml"));
  }

  ProgramProcess program(exe_);
  ASSERT_TRUE(program.Started());
  const std::string logFile = folder_.File("LTV.log");
  ASSERT_TRUE(program.WaitUntil([&] {
    return ReadWholeFile(logFile).find(" OK Completed with no errors.\r\n") != std::string::npos;
  })) << ReadWholeFile(logFile);
  EXPECT_TRUE(OpenBox(program.Id()).window == nullptr);
  const std::string log = ReadWholeFile(logFile);
  EXPECT_LT(log.find(" SYSTEM Checking...\r\n"), log.find(" OK Completed with no errors.\r\n"));
  ASSERT_FALSE(server.Requests().empty());
  EXPECT_EQ(server.Requests().front().substr(0, 20), "GET /status HTTP/1.1");

  const auto windows = TopLevelWindows(program.Id(), kMainClass);
  ASSERT_EQ(windows.size(), 1u);
  HWND list = FindWindowExW(windows.front(), nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(RemoteCellText(program.Handle(), list, 0, 1), L"Loopback");
  ASSERT_TRUE(
      program.WaitUntil([&] { return RemoteCellText(program.Handle(), list, 0, 3) == L"OK"; }));

  QuitThroughMenu(program, windows.front());
  ServerTable table;
  const std::string bytes = folder_.Read("LTV.xml");
  ASSERT_NO_THROW(ReadDataPacket(bytes, table));
  ASSERT_EQ(table.RowCount(), 1);
  table.MoveFirst();
  EXPECT_EQ(table.GetText("Status"), "OK");
  EXPECT_EQ(table.GetText("Result"), "OK");
  EXPECT_GE(table.GetInt("LoadTime"), 0);
  EXPECT_EQ(WriteDataPacket(table), bytes);
}

}  // namespace
}  // namespace lantervo
