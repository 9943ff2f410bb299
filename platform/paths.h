#pragma once
// Where the program lives.
#include <string>

namespace lantervo::platform {

// The platform's path separator as text: "\\" on Windows, "/" elsewhere.
const char* PathSeparator();
// Full path of the running executable (UTF-8).
std::string ExecutablePath();
// The executable's path without its last component and without a trailing separator.
std::string ExecutableFolder();
// The folder part of a path (everything before the last separator), or "" when there is none.
std::string FolderOf(const std::string& path);
// $XDG_CONFIG_HOME (or ~/.config) on Linux, %APPDATA% on Windows.
std::string UserConfigFolder();
// The user's own folder for the program's data: $XDG_DATA_HOME/lantervo (~/.local/share/lantervo)
// on Linux, %LOCALAPPDATA%\Lantervo on Windows; "" when the system names none.
std::string UserDataFolder();

}  // namespace lantervo::platform
