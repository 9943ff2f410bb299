// Lantervo on a Linux desktop: the Qt desktop, the registry store, then the program.
#include <QApplication>
#include <QIcon>

#include "app/program.h"
#include "frontends/qt/data_folder.h"
#include "frontends/qt/qt_desktop.h"
#include "i18n/file_locator.h"
#include "i18n/gettext.h"
#include "platform/paths.h"
#include "platform/registry.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("lantervo"));
  QApplication::setDesktopFileName(QStringLiteral("lantervo"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/app_icon.png")));
  // The program lives in the notification area: a hidden main window does not end it.
  QApplication::setQuitOnLastWindowClosed(false);

  lantervo::qt::QtDesktop desktop;
  desktop.WatchSessionEnd();
  auto registry = lantervo::platform::OpenSystemRegistry();
  lantervo::ProgramServices services{desktop, *registry};
  const std::string programFolder = lantervo::platform::ExecutableFolder();
  const lantervo::DataFolderChoice dataFolder = lantervo::qt::DataFolder(programFolder);
  services.executableFolder = dataFolder.folder;
  services.dataFolderNote = dataFolder.note;
  if (services.executableFolder != programFolder) {
    // Installed: extra catalogs sit in the data folder beside the list, not beside the program.
    auto locator = lantervo::TFileLocator::ForThisProgram();
    locator->SetDataDirectory(services.executableFolder);
    lantervo::InstallTextInstance(std::make_shared<lantervo::TGnuGettextInstance>(locator));
  }
  return lantervo::RunProgram(std::move(services));
}
