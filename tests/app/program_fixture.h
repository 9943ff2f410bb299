#pragma once
// The whole program on the headless desktop, as a fresh process would start it: a clean
// temporary folder as the executable's folder, an in-memory registry, English texts, an event
// log with a fixed time stamp, HTTP clients that only know loopback names, and an update
// endpoint on a loopback port.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "core/event_log.h"
#include "core/server_table.h"
#include "i18n/gettext.h"
#include "monitor/http_client.h"
#include "platform/code_page.h"
#include "platform/file.h"
#include "tests/support/english_texts.h"
#include "tests/support/fake_resolver.h"
#include "tests/support/memory_registry.h"
#include "tests/support/quick_http_options.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless_desktop.h"
#include "ui/main_form.h"
#include "ui/server_form.h"
#include "ui/settings_form.h"

namespace lantervo::test {

class ProgramTest : public ::testing::Test {
 protected:
  static constexpr const char* kStamp = "9.12.2026 10:00:00";
  static constexpr const char* kKey = "Software\\QUORVIK Media\\Lantervo";

  ProgramTest() { previousInstance_ = InstallEnglishTexts(); }
  ~ProgramTest() override {
    program.reset();
    desktop.reset();
    InstallTextInstance(previousInstance_);
  }

  ProgramServices Services() {
    ProgramServices services{*desktop, registry, dir.Path()};
    services.dataFolderNote = dataFolderNote;
    services.makeHttpClient = [this] {
      HttpClientOptions options = QuickHttpOptions();
      options.resolver = &resolver;
      return std::make_unique<HttpClient>(options);
    };
    services.makeLog = [this](const std::string& fileName) {
      return std::make_unique<EventLog>(
          fileName, [this] { return program->Config().Snapshot().LogEnabled; },
          EventLog::Options{[] { return platform::LocalDateTime{}; },
                            [](const platform::LocalDateTime&) { return std::string(kStamp); },
                            &codePage});
    };
    services.clock = RunClock{[this] { return tick += 100; }, [](std::uint32_t) {}};
    services.updateEndpoint = updateEndpoint;
    services.onDroppedError = [this](std::exception_ptr error) {
      try {
        std::rethrow_exception(error);
      } catch (const std::exception& e) {
        dropped.push_back(e.what());
      }
    };
    return services;
  }

  // A new process: a new desktop and program over the same folder and registry.
  Program::StartResult Start() {
    program.reset();
    desktop = std::make_unique<HeadlessDesktop>();
    for (const std::string& name : foreignWindows) desktop->AddForeignWindow(name);
    ProgramServices services = Services();
    // As the front ends start: the list is read on a worker thread before the windows exist.
    if (readAhead) services.listPreload = StartListPreload(registry, dir.Path());
    program = std::make_unique<Program>(std::move(services));
    const Program::StartResult result = program->Start();
    if (result == Program::StartResult::Running) {
      // Saving settings must never touch the session's real autostart entry.
      dynamic_cast<TformSettings&>(*program->SettingsForm())
          .SetAutostartPlace(dir.File("config"), dir.File("Lantervo.exe"));
      // The loop shows the main window when it starts.
      main().Show();
    }
    return result;
  }

  // Quit through the command, then the end of the loop as the real program has it.
  void Quit() {
    ASSERT_TRUE(main().actionQuit->Execute());
    ASSERT_TRUE(desktop->QuitRequested());
    program->Run();
  }

  TMainForm& main() { return *program->MainForm(); }

  // Turns of the loop until a long list's read, on its own thread, has reached the window.
  void WaitForTheList() {
    for (int waited = 0; !main().setServer.IsOpen() && waited < 20000; waited += 10) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      desktop->Advance(10);
    }
  }

  // The user adds a server through the Add command and the server dialog.
  void AddThroughDialog(const std::string& name, const std::string& url) {
    ASSERT_TRUE(main().actionServerAdd->Execute());
    TFormServers& dialog = *program->ServersForm();
    dialog.editName->SetText(name);
    dialog.editURL->SetText(url);
    dialog.buttonOK->Click();
    ASSERT_FALSE(dialog.Visible());
  }

  // The configuration a previous start left behind, so that start-up shows no first-run box.
  void PutConfig(const std::string& language = "en", bool hotkey = true) {
    registry.PutString(kKey, "Version", "0.9.19");
    registry.PutDWord(kKey, "CheckUpdate", 0);
    registry.PutString(kKey, "VerifyURL", "http://");
    registry.PutDWord(kKey, "VerifyEnabled", 0);
    registry.PutString(kKey, "CheckInterval", "300");
    registry.PutString(kKey, "LogFile", dir.File("LTV.log"));
    registry.PutDWord(kKey, "LogEnabled", 1);
    registry.PutString(kKey, "BalloonLevel", "4");
    registry.PutDWord(kKey, "HotkeyEnabled", hotkey ? 1 : 0);
    registry.PutString(kKey, "Language", language);
  }

  struct Row {
    std::string name, url, status, result;
    int loadTime;
    bool active;
    bool operator==(const Row&) const = default;
    friend void PrintTo(const Row& row, std::ostream* out) {
      *out << "{" << row.name << ", " << row.url << ", " << row.status << ", \"" << row.result
           << "\", " << row.loadTime << ", " << row.active << "}";
    }
  };
  static std::vector<Row> RowsOf(ServerTable& table) {
    std::vector<Row> rows;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
      rows.push_back({table.GetText("Name"), table.GetText("Url"), table.GetText("Status"),
                      table.GetText("Result"), table.GetInt("LoadTime"), table.GetBool("Active")});
    return rows;
  }
  std::vector<Row> Rows() { return RowsOf(main().setServer); }
  // What the list file holds, as the next start would read it.
  std::vector<Row> SavedRows() {
    ServerTable saved;
    saved.FileName = dir.File("LTV.xml");
    saved.OpenList();
    return RowsOf(saved);
  }
  void WriteList(const std::vector<Row>& rows) {
    ServerTable table;
    table.CreateList();
    for (const Row& row : rows) {
      table.AppendRow();
      table.SetText("Name", row.name);
      table.SetText("Url", row.url);
      table.SetText("Status", row.status);
      table.SetText("Result", row.result);
      table.SetInt("LoadTime", row.loadTime);
      table.SetBool("Active", row.active);
      table.PostRow();
    }
    table.SaveList(dir.File("LTV.xml"));
  }

  std::string FileText(const std::string& name) const {
    std::string text;
    platform::ReadWholeFile(dir.File(name), text);
    return text;
  }
  std::string LogLine(const std::string& level, const std::string& message) const {
    return std::string(kStamp) + " " + level + " " + message + "\r\n";
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : desktop->MessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  TempDir dir;
  MemoryRegistry registry;
  FakeResolver resolver{};
  platform::CodePage codePage = platform::CodePage::Open(1252);
  std::atomic<std::uint32_t> tick{1000};
  // Nothing listens here: an update check started by a test fails at once and is swallowed.
  std::string updateEndpoint = "http://127.0.0.1:9/";
  std::vector<std::string> foreignWindows;
  // Start() reads the list ahead on a worker thread, as the front ends do.
  bool readAhead = false;
  // What the front end found when it chose `dir` as the data folder.
  DataFolderChoice::Note dataFolderNote = DataFolderChoice::Note::None;
  std::vector<std::string> dropped;
  std::unique_ptr<HeadlessDesktop> desktop;
  std::unique_ptr<Program> program;

 private:
  std::shared_ptr<TGnuGettextInstance> previousInstance_;
};

}  // namespace lantervo::test
