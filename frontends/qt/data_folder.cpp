#include "frontends/qt/data_folder.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/file.h"

namespace lantervo::qt {

namespace {

std::string UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return std::string(xdg) + "/lantervo";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.local/share/lantervo";
}

}  // namespace

std::string DataFolder(const std::string& executableFolder) {
  // Installed beside its desktop entry, as `cmake --install` and the package lay it out.
  const bool installed =
      platform::FileExists(executableFolder + "/../share/applications/lantervo.desktop");
  if (!installed && access(executableFolder.c_str(), W_OK) == 0) return executableFolder;
  const std::string folder = UserDataFolder();
  platform::CreateFolders(folder);
  return folder;
}

}  // namespace lantervo::qt
