#pragma once
// The main window with the four other windows wired to it as the program wires them, an
// in-memory registry, English texts, and the autostart entry kept in the temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "core/config_store.h"
#include "i18n/gettext.h"
#include "i18n/window/window_translation.h"
#include "tests/support/english_texts.h"
#include "tests/support/memory_registry.h"
#include "tests/support/quick_http_options.h"
#include "tests/ui/main_form_fixture.h"
#include "ui/about_form.h"
#include "ui/server_form.h"
#include "ui/settings_form.h"
#include "ui/update_form.h"

namespace lantervo::test {

class WindowsTest : public MainFormTest {
 protected:
  static constexpr const char* kKey = "Software\\QUORVIK Media\\Lantervo";

  void SetUp() override {
    previousInstance_ = InstallEnglishTexts();

    MainFormContext context{desktop, config, &log};
    context.registry = &registry;
    context.makeHttpClient = [this] {
      HttpClientOptions options = QuickHttpOptions();
      options.connector = connector;
      return std::make_unique<HttpClient>(options);
    };
    context.updateEndpoint = "http://127.0.0.1:9/";
    form = std::make_unique<TMainForm>(std::move(context));
    form->setServer.CreateList();
    // What its creation handler does after start-up.
    TranslateComponent(*form);

    settings = std::make_unique<TformSettings>(desktop);
    servers = std::make_unique<TFormServers>(desktop);
    about = std::make_unique<TFormAbout>(desktop);
    update = std::make_unique<TFormUpdate>(desktop);
    settings->mainForm = servers->mainForm = about->mainForm = update->mainForm = form.get();
    form->formSettings = settings.get();
    form->formServers = servers.get();
    form->formAbout = about.get();
    form->formUpdate = update.get();
    settings->SetAutostartPlace(dir.File("config"), executable);
  }

  void TearDown() override {
    DestroyWindows();
    InstallTextInstance(previousInstance_);
  }

  // In the program's order: the dialogs first, then the main window.
  void DestroyWindows() {
    if (form) {
      form->formSettings = form->formAbout = form->formUpdate = nullptr;
      form->formServers = nullptr;
    }
    update.reset();
    about.reset();
    servers.reset();
    settings.reset();
    form.reset();
  }

  // A complete stored configuration.
  void PutConfig() {
    registry.PutString(kKey, "Version", "0.9.19");
    registry.PutDWord(kKey, "CheckUpdate", 1);
    registry.PutString(kKey, "VerifyURL", "http://verify.test/");
    registry.PutDWord(kKey, "VerifyEnabled", 1);
    registry.PutString(kKey, "CheckInterval", "120");
    registry.PutString(kKey, "LogFile", "/var/log/ltv.log");
    registry.PutDWord(kKey, "LogEnabled", 0);
    registry.PutString(kKey, "BalloonLevel", "2");
    registry.PutDWord(kKey, "HotkeyEnabled", 0);
    registry.PutString(kKey, "Language", "en");
  }
  std::string Stored(const std::string& name) const {
    const platform::QueryResult result = registry.Get(kKey, name);
    if (result.status != platform::QueryStatus::Found) return "(missing)";
    if (result.value.type == platform::RegistryType::DWord)
      return "dword:" + std::to_string(result.value.dword);
    return result.value.text;
  }

  MemoryRegistry registry;
  std::shared_ptr<Connector> connector;  // sockets when null
  std::string executable = dir.File("Lantervo.exe");
  std::unique_ptr<TformSettings> settings;
  std::unique_ptr<TFormServers> servers;
  std::unique_ptr<TFormAbout> about;
  std::unique_ptr<TFormUpdate> update;

 private:
  std::shared_ptr<TGnuGettextInstance> previousInstance_;
};

}  // namespace lantervo::test
