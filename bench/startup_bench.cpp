// The desktop program on Qt: the time from nothing to the first shown main window, with the
// configuration and a list of 100, 10,000 and 40,000 servers on disk, and the resident memory
// after an hour of check runs over 100 loopback servers (60 runs, as at a one-minute interval,
// with the run's pauses taking no time). Goals: 100 servers under 300 ms, 10,000 servers under
// 150 ms as a new process, and under 60 MB. The start-up is measured in this process (Qt already
// up; offscreen unless QT_QPA_PLATFORM says otherwise) and as a new process on the X display
// (DISPLAY), from exec until the X server has mapped the program's main window.
#include <benchmark/benchmark.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/program.h"
#include "bench/loopback_site.h"
#include "bench/ratio_reporter.h"
#include "core/config_store.h"
#include "frontends/qt/form_window.h"
#include "frontends/qt/qt_desktop.h"
#include "frontends/qt/single_instance.h"
#include "history/history_store.h"
#include "history/sqlite.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "platform/registry.h"
#include "tests/support/http_test_server.h"
#include "tests/support/proxy_test_server.h"
#include "tests/support/temp_dir.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"

namespace {

using lantervo::test::HttpTestServer;
constexpr int kServers = 100;
constexpr int kRunsPerHour = 60;

HttpTestServer& Server() {
  return lantervo::bench::LoopbackSite();
}

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// A folder with the configuration (no update check, no verification: nothing leaves the
// machine) and a list of servers on the loopback server.
struct ProgramFolder {
  lantervo::test::TempDir dir;
  std::unique_ptr<lantervo::platform::Registry> registry =
      lantervo::platform::OpenFileRegistry(dir.File("registry.reg"));

  // Each server's URL on the loopback site, or on `url` when given.
  explicit ProgramFolder(int servers, const std::function<std::string(int)>& url = {}) {
    lantervo::WriteDefaultConfig(*registry, dir.Path());
    auto key = registry->Open(lantervo::kConfigKeyPath, lantervo::platform::RegistryAccess::Write);
    key->SetDWord("CheckUpdate", 0);
    key->SetString("CheckInterval", "60");
    key.reset();
    lantervo::ServerTable table;
    table.CreateList();
    for (int i = 0; i < servers; ++i) {
      table.AppendRow();
      table.SetText("Name", "server " + std::to_string(100000 + i));
      table.SetText("Url", url ? url(i) : Server().Url("/site" + std::to_string(i)));
      table.SetBool("Active", i % 10 != 9);
      table.SetText("Status", "");
      table.SetText("Result", "Waiting...");
      table.SetInt("LoadTime", -1);
      table.SetBool("TimeoutEnabled", true);
      table.SetInt("Timeout", 500);
      table.SetBool("ResponseEnabled", i % 7 == 0);
      table.SetText("Response", i % 14 == 0 ? "operational" : "maintenance");
      table.PostRow();
    }
    table.SaveList(dir.File(lantervo::ServerTable::kListFileName));
  }

  lantervo::ProgramServices Services(lantervo::Desktop& desktop) {
    lantervo::ProgramServices services{desktop, *registry};
    services.executableFolder = dir.Path();
    services.updateEndpoint = "http://127.0.0.1:9/";
    // The run's pauses take no time: an hour of runs is over in seconds.
    services.clock =
        lantervo::RunClock{[] { return lantervo::platform::TickCount(); }, [](std::uint32_t) {}};
    return services;
  }
};

ProgramFolder& Folder(int servers) {
  static std::map<int, std::unique_ptr<ProgramFolder>> folders;
  auto& folder = folders[servers];
  if (!folder) folder = std::make_unique<ProgramFolder>(servers);
  return *folder;
}

void WaitUntilShown(lantervo::qt::QtDesktop& desktop, lantervo::TForm& form) {
  lantervo::qt::FormWindow* window = desktop.ExistingWindowOf(form);
  while (!window || !window->windowHandle() || !window->windowHandle()->isExposed()) {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
    window = desktop.ExistingWindowOf(form);
  }
}

// Desktop, program, configuration, list file, the five windows, the shown main window.
void BM_StartupToShownMainWindow(benchmark::State& state) {
  ProgramFolder& folder = Folder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto desktop = std::make_unique<lantervo::qt::QtDesktop>();
    auto program = std::make_unique<lantervo::Program>(folder.Services(*desktop));
    if (program->Start() != lantervo::Program::StartResult::Running) {
      state.SkipWithError("the program did not start");
      break;
    }
    program->MainForm()->Show();
    WaitUntilShown(*desktop, *program->MainForm());
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    program.reset();
    desktop.reset();
    QApplication::processEvents();
  }
}
BENCHMARK(BM_StartupToShownMainWindow)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

// The X server as a window manager sees it: top-level windows mapped, with their process.
class WindowWatch {
 public:
  WindowWatch() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) {
      xcb_disconnect(connection_);
      connection_ = nullptr;
      return;
    }
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    pid_ = Atom("_NET_WM_PID");
  }
  ~WindowWatch() {
    if (connection_) xcb_disconnect(connection_);
  }
  bool Usable() const { return connection_ != nullptr; }

  // Waits until the X server has mapped a top-level window of the process. False when the
  // process ended first.
  bool WaitShown(pid_t process) {
    for (;;) {
      xcb_generic_event_t* event = xcb_poll_for_event(connection_);
      if (!event) {
        if (waitpid(process, nullptr, WNOHANG) == process) return false;
        pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
        poll(&fd, 1, 1);
        continue;
      }
      bool mapped = false;
      if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
        const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(event);
        mapped = ProcessOf(map->window) == static_cast<std::uint32_t>(process);
      }
      std::free(event);
      if (mapped) return true;
    }
  }

 private:
  xcb_atom_t Atom(const char* name) {
    auto* reply = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
  }
  std::uint32_t ProcessOf(xcb_window_t window) {
    auto* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, pid_, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    std::uint32_t process = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
      process = *static_cast<std::uint32_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return process;
  }
  xcb_connection_t* connection_;
  xcb_window_t root_ = 0;
  xcb_atom_t pid_ = 0;
};

// One connection to the X server for the whole run: a new one for each benchmark was now and
// then refused while the server still dealt with the windows of the last.
WindowWatch& Watch() {
  static WindowWatch watch;
  return watch;
}

// Exec of `program` until the X server has mapped a top-level window of it; the process is then
// told to end (SIGTERM) and waited for. False when it ended before.
bool TimeToMappedWindow(WindowWatch& watch, const std::string& program, const std::string& config,
                        double& seconds, const char* argument = nullptr) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (!config.empty()) setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  const bool shown = watch.WaitShown(child);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (shown) {
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
  }
  return shown;
}

// One start of `program` (with `argument`, when given), timed as the benchmark's iteration and
// paired with a bare window started just before it, so that the ratio of the two sees the
// machine as it was at that moment; the pairs' median ratio is the figure. False, the benchmark
// skipped, when either ended before it was shown.
bool PairedStart(benchmark::State& state, WindowWatch& watch, const std::string& program,
                 const std::string& config, const char* argument, std::vector<double>& ratios) {
  double bare = 0;
  double seconds = 0;
  if (!TimeToMappedWindow(watch, LANTERVO_BARE_WINDOW, {}, bare)) {
    state.SkipWithError("the bare window ended before it was shown");
    return false;
  }
  if (!TimeToMappedWindow(watch, program, config, seconds, argument)) {
    state.SkipWithError("the program ended before its window was shown");
    return false;
  }
  state.SetIterationTime(seconds);
  ratios.push_back(seconds / bare);
  return true;
}

// The peer: a bare Qt window as a process, from exec until the X server has mapped it.
void BM_ProcessBareQtWindow(benchmark::State& state) {
  WindowWatch& watch = Watch();
  if (!watch.Usable()) {
    state.SkipWithError("needs an X display (DISPLAY)");
    return;
  }
  for (auto _ : state) {
    double seconds = 0;
    if (!TimeToMappedWindow(watch, LANTERVO_BARE_WINDOW, {}, seconds)) {
      state.SkipWithError("the bare window ended before it was shown");
      return;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_ProcessBareQtWindow)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10);

// The floor under any window with text: the bare window with one line in the main window's face,
// each start paired with a bare one just before it.
void BM_ProcessQtWindowWithText(benchmark::State& state) {
  WindowWatch& watch = Watch();
  if (!watch.Usable()) {
    state.SkipWithError("needs an X display (DISPLAY)");
    return;
  }
  std::vector<double> ratios;
  for (auto _ : state)
    if (!PairedStart(state, watch, LANTERVO_BARE_WINDOW, {}, "--text", ratios)) return;
  state.counters["x_bare"] = lantervo::bench::RatioReporter::Median(ratios);
}
BENCHMARK(BM_ProcessQtWindowWithText)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// The program as a process with `folder`'s configuration and list (and `history` beside it when
// given, as a hard link), from exec until the X server has mapped its main window.
void ProcessStartup(benchmark::State& state, ProgramFolder& folder, const std::string& history) {
  WindowWatch& watch = Watch();
  if (!watch.Usable()) {
    state.SkipWithError("needs an X display (DISPLAY)");
    return;
  }
  lantervo::test::TempDir copy;
  const std::string config = copy.File("config");
  const std::string program = copy.File("lantervo");
  std::string command = "mkdir -p '" + config + "/lantervo' && cp '" +
                        folder.dir.File("registry.reg") + "' '" + config + "/lantervo/' && cp '" +
                        folder.dir.File("LTV.xml") + "' '" + copy.Path() + "/' && cp '" +
                        LANTERVO_PROGRAM "' '" + program + "'";
  if (!history.empty())
    command += " && ln '" + history + "' '" + copy.File("LTV.history.sqlite") + "'";
  if (std::system(command.c_str()) != 0) {
    state.SkipWithError("cannot copy the program");
    return;
  }
  const QString name = lantervo::qt::InstanceName(lantervo::kMainWindowClass);
  std::vector<double> ratios;
  for (auto _ : state) {
    while (lantervo::qt::InstanceRunning(name)) usleep(1000);  // the last one is gone
    if (!PairedStart(state, watch, program, config, nullptr, ratios)) return;
  }
  state.counters["x_bare"] = lantervo::bench::RatioReporter::Median(ratios);
}

// Start-up and the window's show are behind the mapped window; a long list's rows follow it.
void BM_ProcessStartupToShownMainWindow(benchmark::State& state) {
  ProcessStartup(state, Folder(static_cast<int>(state.range(0))), {});
}
BENCHMARK(BM_ProcessStartupToShownMainWindow)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// A history file of a gigabyte (its texts, as long wrong-response bodies make them), made once
// and kept in the build folder.
std::string GigabyteHistory() {
  const std::string path = "lantervo-bench-1gb.history.sqlite";
  if (lantervo::platform::FileExists(path)) return path;
  const std::string building = path + ".building";
  std::remove(building.c_str());
  { lantervo::history::HistoryStore create(building); }
  lantervo::history::Database db(building);
  db.Execute("BEGIN");
  lantervo::history::Statement text(db, "INSERT INTO result_text(text) VALUES (?)");
  // Each text is stored twice, in the table and in its index of distinct texts.
  for (int i = 0; i < 512; ++i) {
    std::string body(1 << 20, static_cast<char>('a' + i % 26));
    body.replace(0, 16, std::to_string(i));
    text.Bind(1, body).Run();
  }
  db.Execute("COMMIT");
  std::rename(building.c_str(), path.c_str());
  return path;
}

// The program as a process with a gigabyte of history beside its list: the history is opened on
// its own thread, so the window comes as soon as without.
void BM_ProcessStartupWithGigabyteHistory(benchmark::State& state) {
  ProcessStartup(state, Folder(static_cast<int>(state.range(0))), GigabyteHistory());
}
BENCHMARK(BM_ProcessStartupWithGigabyteHistory)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// Resident memory of the whole program after an hour of runs, with the window shown and painted.
void BM_HourOfRunsResidentMemory(benchmark::State& state) {
  ProgramFolder& folder = Folder(kServers);
  for (auto _ : state) {
    lantervo::qt::QtDesktop desktop;
    lantervo::Program program(folder.Services(desktop));
    program.Start();
    lantervo::TMainForm& form = *program.MainForm();
    form.Show();
    WaitUntilShown(desktop, form);
    state.counters["rss_start_MB"] = ResidentMegabytes();
    for (int run = 0; run < kRunsPerHour; ++run) {
      form.StartCheck();
      form.CurrentCheck()->WaitFor();
      QApplication::processEvents();
    }
    state.counters["rss_after_hour_MB"] = ResidentMegabytes();
  }
}
BENCHMARK(BM_HourOfRunsResidentMemory)->Unit(benchmark::kSecond)->Iterations(1);

// The Qt program's CPU per checked row: runs over 1,000 servers with the window shown and the Qt
// event loop carrying out the hand-offs and the painting as the program's own loop does, the
// run's pauses taking no time, with 1 and with 8 lanes. The site answers every connection on a
// thread of its own, in this process: its CPU is counted too, so the figure is an upper bound.
void BM_QtRunCpuPerRow(benchmark::State& state) {
  static lantervo::test::ProxyTestServer site;
  static ProgramFolder folder(1000, [](int i) { return site.Url() + "/site" + std::to_string(i); });
  lantervo::qt::QtDesktop desktop;
  lantervo::Program program(folder.Services(desktop));
  program.Start();
  lantervo::TMainForm& form = *program.MainForm();
  form.Context().config.Set(&lantervo::AppConfig::CheckLanes,
                            static_cast<std::int32_t>(state.range(0)));
  form.Show();
  WaitUntilShown(desktop, form);
  double cpu = 0;
  // The longest the window's loop went without a turn during the runs: a hand-off waits no
  // longer than that.
  double longestTurnMs = 0;
  const double rssStart = ResidentMegabytes();
  for (auto _ : state) {
    const double start = lantervo::bench::ProcessCpuSeconds();
    form.StartCheck();
    auto last = std::chrono::steady_clock::now();
    while (!form.CurrentCheck()->Finished()) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
      const auto now = std::chrono::steady_clock::now();
      longestTurnMs =
          std::max(longestTurnMs, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
    }
    QApplication::processEvents();
    cpu += lantervo::bench::ProcessCpuSeconds() - start;
  }
  state.counters["longest_turn_ms"] = longestTurnMs;
  state.counters["rss_growth_MB"] = ResidentMegabytes() - rssStart;
  state.counters["cpu_ms_per_row"] =
      cpu * 1000.0 / (1000.0 * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_QtRunCpuPerRow)
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  const double bare = reporter.Time("BM_ProcessBareQtWindow/iterations:10/manual_time");
  if (bare > 0) std::printf("bare Qt window, exec to shown window: %7.1f ms\n", bare);
  const double text =
      reporter.Counter("BM_ProcessQtWindowWithText/iterations:10/manual_time", "x_bare");
  if (text > 0)
    std::printf(
        "bare Qt window with one line of text / bare Qt window started just before: %5.2fx\n",
        text);
  for (const int servers : {100, 10000, 40000}) {
    const std::string arg = "/" + std::to_string(servers);
    const double startup =
        reporter.Time("BM_StartupToShownMainWindow" + arg + "/min_time:2.000/manual_time");
    const double process =
        reporter.Time("BM_ProcessStartupToShownMainWindow" + arg + "/iterations:10/manual_time");
    const char* goal = servers == 100 ? "< 300 ms" : servers == 10000 ? "< 150 ms" : "-";
    if (startup > 0)
      std::printf("%6d servers, start-up to shown main window in this process: %7.1f ms\n", servers,
                  startup);
    if (process > 0)
      std::printf(
          "%6d servers, exec to shown main window:                    %7.1f ms (goal: %s)\n",
          servers, process, goal);
    const char* ratioGoal = servers == 10000 ? "<= 1.5" : servers == 40000 ? "<= 2.0" : "-";
    const double ratio = reporter.Counter(
        "BM_ProcessStartupToShownMainWindow" + arg + "/iterations:10/manual_time", "x_bare");
    if (ratio > 0)
      std::printf(
          "%6d servers, exec to shown main window / bare Qt window started just before: %5.2fx "
          "(median of the pairs; goal: %s)\n",
          servers, ratio, ratioGoal);
  }
  const double withHistory =
      reporter.Time("BM_ProcessStartupWithGigabyteHistory/10000/iterations:10/manual_time");
  if (withHistory > 0)
    std::printf(
        " 10000 servers and a 1 GB history, exec to shown main window: %5.1f ms (goal: < "
        "150 ms)\n",
        withHistory);
  std::printf(
      "resident memory after an hour of runs over %d servers: see rss_after_hour_MB "
      "(goal: < 60 MB)\n",
      kServers);
  std::printf("Qt program's CPU per checked row: see cpu_ms_per_row (goal: <= 0.5 ms)\n");
  benchmark::Shutdown();
  return 0;
}
