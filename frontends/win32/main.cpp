// Lantervo.exe: the Win32 desktop, the system registry and the executable's folder, handed to
// the program. There is no command line.
#include <windows.h>

#include "app/program.h"
#include "frontends/win32/win32_desktop.h"
#include "platform/paths.h"
#include "platform/registry.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  lantervo::win32::Win32Desktop desktop(instance);
  auto registry = lantervo::platform::OpenSystemRegistry();
  return lantervo::RunProgram({.desktop = desktop,
                               .registry = *registry,
                               .executableFolder = lantervo::platform::ExecutableFolder()});
}
