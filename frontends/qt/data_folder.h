#pragma once
// Where the program keeps the list, the default log and extra catalogs: beside itself when it
// runs from a folder it may write (a build folder, an unpacked copy), else - an installed
// program - in $XDG_DATA_HOME/lantervo (~/.local/share/lantervo).
#include <string>

namespace lantervo::qt {

std::string DataFolder(const std::string& executableFolder);

}  // namespace lantervo::qt
