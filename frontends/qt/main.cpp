// Lantervo on a Linux desktop: the Qt desktop, the registry store, then the program.
#include <xcb/xcb.h>

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/program.h"
#include "frontends/qt/data_folder.h"
#include "frontends/qt/qt_desktop.h"
#include "i18n/file_locator.h"
#include "i18n/gettext.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace {

// Qt aborts with a core dump when it finds no display to connect to; a user who started the
// program from a console without one gets a plain line instead. Other platforms than X11
// (Wayland, offscreen) are left to Qt.
bool DisplayMissing() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0) return false;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!(platform && *platform) && wayland && *wayland) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool failed = xcb_connection_has_error(connection) != 0;
  xcb_disconnect(connection);
  if (!failed) return false;
  const char* display = std::getenv("DISPLAY");
  if (display && *display) {
    std::fprintf(stderr,
                 "lantervo: cannot open the display \"%s\"; Lantervo needs a desktop session.\n",
                 display);
  } else {
    std::fprintf(stderr,
                 "lantervo: no display (DISPLAY is not set); Lantervo needs a desktop session.\n");
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (DisplayMissing()) return 1;
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
