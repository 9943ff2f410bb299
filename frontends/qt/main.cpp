// Lantervo on a Linux desktop: the Qt desktop, the registry store, then the program.
#include <dlfcn.h>

#include <QApplication>
#include <QIcon>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "frontends/qt/data_folder.h"
#include "frontends/qt/qt_desktop.h"
#include "i18n/file_locator.h"
#include "i18n/gettext.h"
#include "platform/paths.h"
#include "platform/registry.h"

namespace {

// Qt ends a program that finds no display with a fatal message and abort(), a core dump. While
// the application starts, its platform messages are held back: a start that fails says so in
// one plain line and ends with exit code 1; one that succeeds lets them through as they were.
// (Asking the display first would cost a connection of its own, tens of milliseconds.)
struct HeldMessage {
  QtMsgType type;
  // Qt's own string literals, which outlive the message.
  const char* file;
  int line;
  const char* function;
  const char* category;
  QString text;
};
std::vector<HeldMessage>* heldBack = nullptr;

void StartMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    const char* display = std::getenv("DISPLAY");
    if (display && *display) {
      std::fprintf(stderr,
                   "lantervo: cannot open the display \"%s\"; Lantervo needs a desktop session.\n",
                   display);
    } else {
      std::fprintf(
          stderr, "lantervo: no display (DISPLAY is not set); Lantervo needs a desktop session.\n");
    }
    std::fflush(stderr);
    std::_Exit(1);
  }
  heldBack->push_back(
      {type, context.file, context.line, context.function, context.category, message});
}

}  // namespace

int main(int argc, char* argv[]) {
  // The configuration store and the data folder need no display: the list file is read on a
  // worker thread while Qt starts and the windows are built.
  auto registry = lantervo::platform::OpenSystemRegistry();
  const std::string programFolder = lantervo::platform::ExecutableFolder();
  const lantervo::DataFolderChoice dataFolder = lantervo::qt::DataFolder(programFolder);
  std::shared_ptr<lantervo::ListPreload> listPreload =
      lantervo::StartListPreload(*registry, dataFolder.folder);

  // The font configuration (its XML files and caches) is read while Qt connects to the display:
  // the first text the windows lay out then finds it ready. fontconfig is asked by name, as
  // Qt's own libraries loaded it; a build without it skips the step.
  std::thread fontConfiguration([] {
    if (auto init = reinterpret_cast<int (*)()>(dlsym(RTLD_DEFAULT, "FcInit"))) init();
  });

  std::vector<HeldMessage> messages;
  heldBack = &messages;
  const QtMessageHandler qtHandler = qInstallMessageHandler(StartMessages);
  QApplication application(argc, argv);
  qInstallMessageHandler(qtHandler);
  for (const HeldMessage& held : messages)
    qt_message_output(held.type,
                      QMessageLogContext(held.file, held.line, held.function, held.category),
                      held.text);
  QApplication::setApplicationName(QStringLiteral("lantervo"));
  QApplication::setDesktopFileName(QStringLiteral("lantervo"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/art/app_icon.png")));
  // The program lives in the notification area: a hidden main window does not end it.
  QApplication::setQuitOnLastWindowClosed(false);
  fontConfiguration.join();

  lantervo::qt::QtDesktop desktop;
  desktop.WatchSessionEnd();
  desktop.WatchSleep();
  lantervo::ProgramServices services{desktop, *registry};
  services.executableFolder = dataFolder.folder;
  services.dataFolderNote = dataFolder.note;
  services.listPreload = std::move(listPreload);
  if (services.executableFolder != programFolder) {
    // Installed: extra catalogs sit in the data folder beside the list, not beside the program.
    auto locator = lantervo::TFileLocator::ForThisProgram();
    locator->SetDataDirectory(services.executableFolder);
    lantervo::InstallTextInstance(std::make_shared<lantervo::TGnuGettextInstance>(locator));
  }
  return lantervo::RunProgram(std::move(services));
}
