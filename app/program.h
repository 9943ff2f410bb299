#pragma once
// The program: the single-instance test, the five windows in their order, the message loop.
// Front ends make the Desktop and the registry and hand them over; tests do the same with
// HeadlessDesktop and an in-memory registry.
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "core/config_store.h"
#include "core/data_folder.h"
#include "lantervo/version.h"
#include "monitor/check_run.h"

namespace lantervo {

class Desktop;
class EventLog;
class HttpClient;
class ListPreload;
class TMainForm;
class TFormServers;
class TForm;
namespace platform {
class Registry;
}

struct ProgramServices {
  Desktop& desktop;
  platform::Registry& registry;
  // Holds the list file LTV.xml and is where the default log goes.
  std::string executableFolder;
  // Why that folder was chosen, when the log should say so (see ChooseDataFolder).
  DataFolderChoice::Note dataFolderNote = DataFolderChoice::Note::None;
  // Optional seams for tests; empty means the real thing.
  std::function<std::unique_ptr<HttpClient>()> makeHttpClient;
  std::function<std::unique_ptr<EventLog>(const std::string& fileName)> makeLog;
  RunClock clock = RunClock::System();
  // The update check's endpoint; empty: "http://" + the build's update host + "/".
  std::string updateEndpoint;
  // Sees every error that the application-wide handler drops (tests watch it).
  std::function<void(std::exception_ptr)> onDroppedError;
  // The list file read ahead on a worker thread (see StartListPreload); null: start-up reads it.
  std::shared_ptr<ListPreload> listPreload;
};

class Program {
 public:
  enum class StartResult { Running, AnotherInstance, Stopped };

  explicit Program(ProgramServices services);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Steps before the loop: the single-instance test, then the five windows (start-up runs
  // while the main window is created). Anything but Running means the process ends now.
  StartResult Start();
  // Shows the main window and runs the message loop until Quit.
  void Run();

  ConfigStore& Config() { return config_; }
  TMainForm* MainForm() const { return mainForm_.get(); }
  TForm* SettingsForm() const { return settingsForm_.get(); }
  TFormServers* ServersForm() const { return serversForm_.get(); }
  TForm* AboutForm() const { return aboutForm_.get(); }
  TForm* UpdateForm() const { return updateForm_.get(); }

 private:
  void ApplicationEventsException(std::exception_ptr error);

  ProgramServices services_;
  ConfigStore config_;
  std::unique_ptr<TMainForm> mainForm_;
  std::unique_ptr<TForm> settingsForm_;
  std::unique_ptr<TFormServers> serversForm_;
  std::unique_ptr<TForm> aboutForm_;
  std::unique_ptr<TForm> updateForm_;
};

// The whole program on a desktop: Start, then Run when it may. The process's exit code.
// Starts reading the list file in `dataFolder` on a worker thread, for ProgramServices'
// listPreload, after setting the code page's fallback from the stored Language as start-up
// would. Needs no display: a front end calls it first, so the read runs beside its toolkit's
// own start.
std::shared_ptr<ListPreload> StartListPreload(platform::Registry& registry,
                                              const std::string& dataFolder);

int RunProgram(ProgramServices services);

}  // namespace lantervo
