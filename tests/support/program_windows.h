#pragma once
// The program's five windows on a desktop the test brings, made as the program makes them, in
// one language of the embedded catalogs (the test binary embeds them). The text instance the
// test ran with comes back when they go.
#include <memory>
#include <string>
#include <vector>

#include "core/config_store.h"
#include "core/event_log.h"
#include "i18n/file_locator.h"
#include "i18n/gettext.h"
#include "i18n/window/window_translation.h"
#include "tests/support/temp_dir.h"
#include "ui/about_form.h"
#include "ui/main_form.h"
#include "ui/server_form.h"
#include "ui/settings_form.h"
#include "ui/update_form.h"

namespace lantervo::test {

class ProgramWindows {
 public:
  ProgramWindows(Desktop& desktop, const std::string& language) : desktop_(desktop) {
    TLocaleSource source;
    source.langVariable = [language] { return language; };
    source.userLanguageCountry = [] { return platform::LanguageCountry{}; };
    source.threadLocaleId = [] { return 0u; };
    previous_ = InstallTextInstance(
        std::make_shared<TGnuGettextInstance>(TFileLocator::ForThisProgram(), source));
    TextInstance().SwitchLanguage(language);
    main = std::make_unique<TMainForm>(MainFormContext{desktop, config_, &log_});
    main->setServer.CreateList();
    desktop.SetMainForm(main.get());
    // What its creation handler does after start-up; the others translate as they are made.
    TranslateComponent(*main);
    main->CaptionsTranslated();
    settings = std::make_unique<TformSettings>(desktop);
    servers = std::make_unique<TFormServers>(desktop);
    about = std::make_unique<TFormAbout>(desktop);
    update = std::make_unique<TFormUpdate>(desktop);
  }
  ~ProgramWindows() {
    update.reset();
    about.reset();
    servers.reset();
    settings.reset();
    desktop_.SetMainForm(nullptr);
    main.reset();
    InstallTextInstance(previous_);
  }
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  std::vector<TForm*> All() const {
    return {main.get(), settings.get(), servers.get(), about.get(), update.get()};
  }

  std::unique_ptr<TMainForm> main;
  std::unique_ptr<TformSettings> settings;
  std::unique_ptr<TFormServers> servers;
  std::unique_ptr<TFormAbout> about;
  std::unique_ptr<TFormUpdate> update;

 private:
  Desktop& desktop_;
  ConfigStore config_;
  TempDir dir_;
  EventLog log_{dir_.File("LTV.log"), [] { return false; }};
  std::shared_ptr<TGnuGettextInstance> previous_;
};

}  // namespace lantervo::test
