// The desktop program on Qt (offscreen platform): the time from nothing to the first shown
// main window, with the configuration and a list of 100 servers on disk, and the resident
// memory after an hour of check runs over 100 loopback servers (60 runs, as at a one-minute
// interval, with the run's pauses taking no time). Goals: under 300 ms and under 60 MB. The
// start-up is measured twice: in this process (Qt already up) and as a new process.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/program.h"
#include "bench/ratio_reporter.h"
#include "core/config_store.h"
#include "frontends/qt/form_window.h"
#include "frontends/qt/qt_desktop.h"
#include "frontends/qt/single_instance.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_dir.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"

namespace {

using lantervo::test::HttpTestServer;
constexpr int kServers = 100;
constexpr int kRunsPerHour = 60;

HttpTestServer& Server() {
  static HttpTestServer server;
  static bool answering = [] {
    server.AnswerAlways(
        HttpTestServer::Ok("<html><body>Service status: operational.</body></html>"));
    return true;
  }();
  (void)answering;
  return server;
}

double ResidentMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// A folder with the configuration (no update check, no verification: nothing leaves the
// machine) and a list of 100 servers on the loopback server.
struct ProgramFolder {
  lantervo::test::TempDir dir;
  std::unique_ptr<lantervo::platform::Registry> registry =
      lantervo::platform::OpenFileRegistry(dir.File("registry.reg"));

  ProgramFolder() {
    lantervo::WriteDefaultConfig(*registry, dir.Path());
    auto key = registry->Open(lantervo::kConfigKeyPath, lantervo::platform::RegistryAccess::Write);
    key->SetDWord("CheckUpdate", 0);
    key->SetString("CheckInterval", "60");
    key.reset();
    // The first start makes the list file; its notice box is closed as soon as it opens.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    closer.start(10);
    lantervo::qt::QtDesktop desktop;
    lantervo::Program program(Services(desktop));
    program.Start();
    lantervo::ServerTable& table = program.MainForm()->setServer;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext()) {
      table.BeginEdit();
      table.SetText("Url", Server().Url("/site"));
      table.PostRow();
    }
    for (int i = 1; i < kServers; ++i) {
      table.AppendRow();
      table.SetText("Name", "server " + std::to_string(1000 + i));
      table.SetText("Url", Server().Url("/site" + std::to_string(i)));
      table.SetBool("Active", i % 10 != 0);
      table.SetText("Status", "");
      table.SetText("Result", "Waiting...");
      table.SetInt("LoadTime", -1);
      table.SetBool("TimeoutEnabled", true);
      table.SetInt("Timeout", 500);
      table.SetBool("ResponseEnabled", i % 7 == 0);
      table.SetText("Response", i % 14 == 0 ? "operational" : "maintenance");
      table.PostRow();
    }
    table.CloseList();
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

ProgramFolder& Folder() {
  static ProgramFolder folder;
  return folder;
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
  ProgramFolder& folder = Folder();
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
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(2.0);

// The program as a process: from exec to the moment its main window is there for the
// single-instance test (start-up builds it while it sets up the tray), with the same folder.
void BM_ProcessStartupToMainWindow(benchmark::State& state) {
  ProgramFolder& folder = Folder();
  lantervo::test::TempDir copy;
  const std::string config = copy.File("config");
  const std::string program = copy.File("lantervo");
  const std::string command = "mkdir -p '" + config + "/lantervo' && cp '" +
                              folder.dir.File("registry.reg") + "' '" + config +
                              "/lantervo/' && cp '" + folder.dir.File("LTV.xml") + "' '" +
                              copy.Path() + "/' && cp '" LANTERVO_PROGRAM "' '" + program + "'";
  if (std::system(command.c_str()) != 0) {
    state.SkipWithError("cannot copy the program");
    return;
  }
  const QString name = lantervo::qt::InstanceName(lantervo::kMainWindowClass);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      setenv("XDG_CONFIG_HOME", config.c_str(), 1);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    while (!lantervo::qt::InstanceRunning(name)) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        state.SkipWithError("the program ended before its window was there");
        return;
      }
      usleep(500);
    }
    state.SetIterationTime(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
  }
}
BENCHMARK(BM_ProcessStartupToMainWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(20);

// Resident memory of the whole program after an hour of runs, with the window shown and painted.
void BM_HourOfRunsResidentMemory(benchmark::State& state) {
  ProgramFolder& folder = Folder();
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

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double startup = reporter.Time("BM_StartupToShownMainWindow/min_time:2.000/manual_time");
  if (startup > 0)
    std::printf("\nstart-up to shown main window, in this process: %.1f ms (goal: < 300 ms)\n",
                startup);
  const double process = reporter.Time("BM_ProcessStartupToMainWindow/iterations:20/manual_time");
  if (process > 0)
    std::printf("exec of the program to its main window: %.1f ms (goal: < 300 ms)\n", process);
  std::printf(
      "resident memory after an hour of runs over %d servers: see rss_after_hour_MB "
      "(goal: < 60 MB)\n",
      kServers);
  benchmark::Shutdown();
  return 0;
}
