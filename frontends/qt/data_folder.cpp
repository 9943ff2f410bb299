#include "frontends/qt/data_folder.h"

#include "platform/file.h"
#include "platform/paths.h"

namespace lantervo::qt {

DataFolderChoice DataFolder(const std::string& executableFolder) {
  // Installed beside its desktop entry, as `cmake --install` and the package lay it out.
  const bool installed =
      platform::FileExists(executableFolder + "/../share/applications/lantervo.desktop");
  return ChooseDataFolder({executableFolder, platform::UserDataFolder(), installed});
}

}  // namespace lantervo::qt
