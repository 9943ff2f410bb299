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

}  // namespace lantervo::platform
