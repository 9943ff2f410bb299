#include "app/program.h"

#include "core/event_log.h"
#include "core/list_preload.h"
#include "monitor/http_client.h"
#include "platform/code_page.h"
#include "platform/paths.h"
#include "toolkit/desktop.h"
#include "ui/about_form.h"
#include "ui/main_form.h"
#include "ui/server_form.h"
#include "ui/settings_form.h"
#include "ui/update_form.h"
#include "update/update_check.h"

namespace lantervo {

namespace {

std::string StoredLanguage(platform::Registry& registry) {
  try {
    const auto key = registry.Open(kConfigKeyPath, platform::RegistryAccess::Read);
    return ReadConfigText(key.get(), "Language");
  } catch (const std::exception&) {
    return {};  // start-up reads the configuration again and deals with what is wrong
  }
}

}  // namespace

std::shared_ptr<ListPreload> StartListPreload(platform::Registry& registry,
                                              const std::string& dataFolder) {
  platform::CodePage::SetFallbackLanguage(StoredLanguage(registry));
  return std::make_shared<ListPreload>(dataFolder + platform::PathSeparator() +
                                       ServerTable::kListFileName);
}

Program::Program(ProgramServices services) : services_(std::move(services)) {}

Program::~Program() {
  // The dialogs point at the main window and it at them; they go first, each unhooked before.
  if (mainForm_) {
    mainForm_->formUpdate = nullptr;
    mainForm_->formAbout = nullptr;
    mainForm_->formServers = nullptr;
    mainForm_->formSettings = nullptr;
  }
  updateForm_.reset();
  aboutForm_.reset();
  serversForm_.reset();
  settingsForm_.reset();
  mainForm_.reset();
  services_.desktop.SetMainForm(nullptr);
}

void Program::ApplicationEventsException(std::exception_ptr error) {
  // The operation that raised it is abandoned; the program goes on without a word.
  if (services_.onDroppedError) services_.onDroppedError(error);
}

Program::StartResult Program::Start() {
  Desktop& desktop = services_.desktop;
  if (desktop.FindTopLevelWindow(kMainWindowClass)) return StartResult::AnotherInstance;
  desktop.SetErrorHandler([this](std::exception_ptr error) { ApplicationEventsException(error); });

  // Table text, the list and the log are stored in the 8-bit code page; where the user's locale
  // names no language, the program's own language decides it, before the table exists.
  platform::CodePage::SetFallbackLanguage(StoredLanguage(services_.registry));

  MainFormContext context{desktop, config_};
  context.makeHttpClient = services_.makeHttpClient;
  context.clock = services_.clock;
  context.registry = &services_.registry;
  context.executableFolder = services_.executableFolder;
  context.dataFolderNote = services_.dataFolderNote;
  context.makeLog = services_.makeLog;
  context.listPreload = services_.listPreload;
  context.updateEndpoint =
      services_.updateEndpoint.empty() ? DefaultUpdateEndpoint() : services_.updateEndpoint;
  mainForm_ = std::make_unique<TMainForm>(std::move(context));
  desktop.SetMainForm(mainForm_.get());
  // Start-up runs while the main window is created, before the other windows exist.
  mainForm_->DoCreate();
  if (mainForm_->StartupFailed()) return StartResult::Stopped;

  settingsForm_ = std::make_unique<TformSettings>(desktop);
  serversForm_ = std::make_unique<TFormServers>(desktop);
  aboutForm_ = std::make_unique<TFormAbout>(desktop);
  updateForm_ = std::make_unique<TFormUpdate>(desktop);
  static_cast<TformSettings&>(*settingsForm_).mainForm = mainForm_.get();
  serversForm_->mainForm = mainForm_.get();
  static_cast<TFormAbout&>(*aboutForm_).mainForm = mainForm_.get();
  static_cast<TFormUpdate&>(*updateForm_).mainForm = mainForm_.get();
  mainForm_->formSettings = settingsForm_.get();
  mainForm_->formServers = serversForm_.get();
  mainForm_->formAbout = aboutForm_.get();
  mainForm_->formUpdate = updateForm_.get();
  return StartResult::Running;
}

void Program::Run() {
  mainForm_->Show();
  services_.desktop.Run();
  // The loop ended with the main window closed: the table closes, saving when it must.
  services_.desktop.Dispatch([this] { mainForm_->setServer.CloseList(); });
}

int RunProgram(ProgramServices services) {
  Program program(std::move(services));
  if (program.Start() == Program::StartResult::Running) program.Run();
  return 0;
}

}  // namespace lantervo
