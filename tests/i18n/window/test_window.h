#pragma once
// A window built from the toolkit like the system's own, and catalogs written for it.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "i18n/gettext.h"
#include "tests/support/temp_dir.h"
#include "toolkit/actions.h"
#include "toolkit/dataset.h"
#include "toolkit/db_grid.h"
#include "toolkit/extra_controls.h"
#include "toolkit/form.h"
#include "toolkit/headless_desktop.h"
#include "toolkit/menus.h"
#include "toolkit/std_controls.h"
#include "toolkit/tray_icon.h"

namespace lantervo::test {

using Catalog = std::vector<std::pair<std::string, std::string>>;

// A program folder with catalogs on disk and a translation instance over it, started in
// English and with the system's own ignore rules registered.
class Catalogs {
 public:
  Catalogs();
  TGnuGettextInstance& Instance() { return *instance_; }
  std::shared_ptr<TGnuGettextInstance> Shared() { return instance_; }
  void Put(const std::string& code, Catalog entries);
  void RegisterSystemRules();

 private:
  TempDir dir_;
  std::shared_ptr<TGnuGettextInstance> instance_;
};

struct TestWindow {
  explicit TestWindow(Desktop& desktop);
  TForm form;
  TLabel* labelVerify;
  TLabel* labelVersion;
  TEdit* editVerifyURL;
  TComboBox* comboBalloonLevel;
  TComboBox* comboLanguage;
  TButton* buttonSave;
  TButton* buttonCancel;
  TSpeedButton* buttonWarning;
  TStatusBar* statusBar;
  TAction* actionServerAdd;
  TMenuItem* menuServers;
  TMenuItem* itemAdd;
  TTrayIcon* trayIcon;
  TClientDataSet* setServer;
  TStringField* fieldName;
  TStringField* fieldStatus;
  TStringField* fieldUrl;
  TDBGrid* gridLink;
  TPanel* panelHeader;
  TLabel* labelHeader;  // owned by the panel
};

}  // namespace lantervo::test
