#pragma once
// Where the program keeps the list, the default log and extra catalogs: beside itself when it
// runs from a folder it may write (a build folder, an unpacked copy), else - an installed
// program, or a folder it may not write - in $XDG_DATA_HOME/lantervo (~/.local/share/lantervo).
#include <string>

#include "core/data_folder.h"

namespace lantervo::qt {

DataFolderChoice DataFolder(const std::string& executableFolder);

}  // namespace lantervo::qt
