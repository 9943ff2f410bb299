// Lantervo.exe on Windows: the size of the executable (both architectures) and the resident
// memory of the program under wine after a check run over 100 loopback servers. Goals: under
// 3 MB and under 15 MB. There is no peer; each figure is printed beside its goal. The program
// runs from the x86_64 build (32-bit programs may not run here) in a wine prefix of its own on
// Xvfb when there is no display. Build the Windows presets first (scripts/test does).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/server_table.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using lantervo::test::HttpTestServer;
constexpr int kServers = 100;
constexpr double kMB = 1024.0 * 1024.0;

fs::path RepoRoot() {
  return fs::path(__FILE__).parent_path().parent_path();
}

// LANTERVO_WIN32_EXE / LANTERVO_WIN64_EXE name other builds than the presets' folders.
fs::path Program(const char* preset) {
  const std::string variable =
      std::string("LANTERVO_") + (preset[3] == '3' ? "WIN32" : "WIN64") + "_EXE";
  if (const char* path = std::getenv(variable.c_str())) return path;
  return RepoRoot() / "build" / preset / "frontends" / "win32" / "Lantervo.exe";
}

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// A child process of our own; the environment is inherited.
pid_t Spawn(const std::vector<std::string>& argv, int fd3 = -1, const std::string& cwd = {}) {
  const pid_t pid = fork();
  if (pid != 0) return pid;
  if (fd3 >= 0) dup2(fd3, 3);
  if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
  const int devnull = ::open("/dev/null", O_RDWR);
  dup2(devnull, 1);
  dup2(devnull, 2);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

int RunToEnd(const std::vector<std::string>& argv) {
  int status = 0;
  waitpid(Spawn(argv), &status, 0);
  return status;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Resident memory of a process in bytes: all of it (VmRSS), its peak (VmHWM), and the part
// that is the process's own rather than mapped files such as wine's libraries (RssAnon).
struct Resident {
  double rss = 0, peak = 0, own = 0;
};
Resident Memory(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  Resident r;
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) r.rss = std::atof(line.c_str() + 6) * 1024;
    if (line.rfind("VmHWM:", 0) == 0) r.peak = std::atof(line.c_str() + 6) * 1024;
    if (line.rfind("RssAnon:", 0) == 0) r.own = std::atof(line.c_str() + 8) * 1024;
  }
  return r;
}

// The Linux process that runs the Windows program of this path.
pid_t FindProgram(const std::string& exe) {
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::string cmdline = ReadAll(entry.path() / "cmdline");
    for (char& c : cmdline)
      if (c == '\0') c = ' ';
    if (cmdline.find(exe) != std::string::npos && cmdline.find("wine") == std::string::npos)
      return static_cast<pid_t>(std::stol(name));
  }
  return 0;
}

void BM_ExecutableSize(benchmark::State& state) {
  double i686 = 0, x64 = 0;
  for (auto _ : state) {
    std::error_code error;
    i686 = static_cast<double>(fs::file_size(Program("win32"), error));
    if (error) i686 = 0;
    x64 = static_cast<double>(fs::file_size(Program("win64"), error));
    if (error) x64 = 0;
  }
  if (i686 == 0 && x64 == 0) {
    state.SkipWithError("no Lantervo.exe in build/win32 or build/win64");
    return;
  }
  state.counters["i686_MB"] = i686 / kMB;
  state.counters["x86_64_MB"] = x64 / kMB;
  std::printf("Lantervo.exe i686 %.2f MB, x86_64 %.2f MB (goal: under 3 MB)\n", i686 / kMB,
              x64 / kMB);
}
BENCHMARK(BM_ExecutableSize)->Iterations(1);

void BM_ResidentMemoryAfterRunOver100Servers(benchmark::State& state) {
  const fs::path exe = Program("win64");
  if (!fs::exists(exe) || !fs::exists("/usr/lib/wine/wine64")) {
    state.SkipWithError("needs the x86_64 Lantervo.exe and wine64");
    return;
  }
  lantervo::test::TempDir folder;
  const std::string app = folder.Path() + "/app";
  fs::create_directories(app);
  fs::copy_file(exe, app + "/Lantervo.exe");
  HttpTestServer server;
  server.AnswerAlways(HttpTestServer::Ok("<html><body>Service status: operational.</body></html>"),
                      HttpTestServer::Then::Close);
  {
    lantervo::ServerTable table;
    table.CreateList();
    for (int i = 0; i < kServers; ++i) {
      table.AppendRow();
      table.SetText("Name", "Server " + std::to_string(1000 + i));
      table.SetText("Url", server.Url("/" + std::to_string(i)));
      table.SetBool("Active", true);
      table.SetInt("Timeout", 5000);
      table.SetBool("TimeoutEnabled", true);
      table.PostRow();
    }
    table.SaveList(app + "/LTV.xml");
  }

  // A display and a wine prefix of our own.
  pid_t xvfb = 0;
  if (!std::getenv("DISPLAY")) {
    int fds[2];
    if (pipe(fds) != 0) return state.SkipWithError("pipe");
    xvfb = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                 fds[1]);
    close(fds[1]);
    char number[16] = {};
    const auto got = read(fds[0], number, sizeof(number) - 1);
    close(fds[0]);
    if (got <= 0) return state.SkipWithError("Xvfb did not start");
    setenv("DISPLAY", (":" + std::string(number, strcspn(number, "\n"))).c_str(), 1);
  }
  const std::string prefix = folder.Path() + "/prefix";
  setenv("WINEPREFIX", prefix.c_str(), 1);
  setenv("WINEDEBUG", "-all", 1);
  RunToEnd({"/usr/lib/wine/wine64", "wineboot", "--init"});
  const std::string key = "HKLM\\Software\\QUORVIK Media\\Lantervo";
  auto reg = [&](const char* name, const char* type, const std::string& data) {
    RunToEnd({"/usr/lib/wine/wine64", "reg", "add", key, "/v", name, "/t", type, "/d", data, "/f"});
  };
  reg("Version", "REG_SZ", "0.9.19");
  reg("CheckUpdate", "REG_DWORD", "0");
  reg("VerifyURL", "REG_SZ", "http://");
  reg("VerifyEnabled", "REG_DWORD", "0");
  reg("CheckInterval", "REG_SZ", "1");
  reg("LogFile", "REG_SZ", WindowsPath(app + "/LTV.log"));
  reg("LogEnabled", "REG_DWORD", "1");
  reg("BalloonLevel", "REG_SZ", "0");
  reg("HotkeyEnabled", "REG_DWORD", "0");
  reg("Language", "REG_SZ", "en");

  Resident ours, peer;
  for (auto _ : state) {
    const pid_t wine = Spawn({"/usr/lib/wine/wine64", app + "/Lantervo.exe"}, -1, app);
    // One run over the 100 servers takes 40 s of the run's own pauses.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (ReadAll(app + "/LTV.log").find("Completed with") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const pid_t program = FindProgram(app + "/Lantervo.exe");
    if (program) ours = Memory(program);
    RunToEnd({"wineserver", "-k"});
    waitpid(wine, nullptr, 0);
    // The peer: wine's own Notepad, a plain Win32 window program, shows what any program
    // costs under wine before it does anything of its own.
    const pid_t notepad = Spawn({"/usr/lib/wine/wine64", "notepad"}, -1, app);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    if (const pid_t notepadProcess = FindProgram("notepad")) peer = Memory(notepadProcess);
    RunToEnd({"wineserver", "-k"});
    waitpid(notepad, nullptr, 0);
  }
  RunToEnd({"wineserver", "-k"});
  if (xvfb) {
    kill(xvfb, SIGTERM);
    waitpid(xvfb, nullptr, 0);
  }
  if (ours.rss == 0)
    return state.SkipWithError("the program's process was not found after the run");
  state.counters["rss_MB"] = ours.rss / kMB;
  state.counters["peak_rss_MB"] = ours.peak / kMB;
  state.counters["own_MB"] = ours.own / kMB;
  state.counters["notepad_rss_MB"] = peer.rss / kMB;
  state.counters["notepad_own_MB"] = peer.own / kMB;
  std::printf(
      "Lantervo.exe under wine after a run over %d servers: resident %.1f MB (peak %.1f MB, "
      "own %.1f MB) (goal: under 15 MB)\n",
      kServers, ours.rss / kMB, ours.peak / kMB, ours.own / kMB);
  // Under wine the resident set includes wine's own libraries, which Windows shares between
  // processes; the peer shows that part.
  if (peer.rss > 0)
    std::printf(
        "  wine's Notepad alone: resident %.1f MB (own %.1f MB); ours / Notepad = %.2fx, "
        "own %.2fx\n",
        peer.rss / kMB, peer.own / kMB, ours.rss / peer.rss,
        peer.own > 0 ? ours.own / peer.own : 0.0);
}
BENCHMARK(BM_ResidentMemoryAfterRunOver100Servers)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
