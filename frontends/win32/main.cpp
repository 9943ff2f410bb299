// Lantervo.exe: the Win32 desktop, the system registry and the executable's folder, handed to
// the program. There is no command line.
#include <windows.h>

#include "app/program.h"
#include "core/data_folder.h"
#include "frontends/win32/win32_desktop.h"
#include "platform/paths.h"
#include "platform/registry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  lantervo::win32::Win32Desktop desktop(instance);
  auto registry = lantervo::platform::OpenSystemRegistry();
  // A standard user cannot write under Program Files: the list then lives in the user's
  // local application data folder.
  const lantervo::DataFolderChoice dataFolder = lantervo::ChooseDataFolder(
      {lantervo::platform::ExecutableFolder(), lantervo::platform::UserDataFolder()});
  // The list file is read on a worker thread while the windows are built.
  return lantervo::RunProgram(
      {.desktop = desktop,
       .registry = *registry,
       .executableFolder = dataFolder.folder,
       .dataFolderNote = dataFolder.note,
       .listPreload = lantervo::StartListPreload(*registry, dataFolder.folder)});
}
