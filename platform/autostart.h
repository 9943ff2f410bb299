#pragma once
// The program's entry among the programs the session starts at log-on. Windows: the value
// "Lantervo" under HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run holding
// the quoted executable path. Elsewhere: the freedesktop autostart entry
// <config folder>/autostart/lantervo.desktop whose Exec line holds the quoted path.
#include <string>

namespace lantervo::platform {

class Registry;

inline constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutostartValueName = "Lantervo";
inline constexpr const char* kAutostartEntryName = "lantervo.desktop";

// Where the entry lives. Windows uses the registry only, the others the folder only.
struct AutostartPlace {
  Registry* registry = nullptr;
  std::string configFolder;  // $XDG_CONFIG_HOME, or ~/.config when unset
};

// The place of this session: the given registry and UserConfigFolder().
AutostartPlace SystemAutostartPlace(Registry& registry);

// The entry's command as stored; "" when there is none or it cannot be read.
std::string ReadAutostartCommand(const AutostartPlace& place);
// Makes the entry start `executablePath` (written double-quoted). False when the place cannot
// be opened or written.
bool WriteAutostart(const AutostartPlace& place, const std::string& executablePath);
// Removes the entry; an absent entry is no error. False when the place cannot be opened.
bool RemoveAutostart(const AutostartPlace& place);

// Whether a stored command starts exactly this executable: every double quote is removed and
// the rest must equal the path, letter case included (so arguments make it another command).
bool AutostartStartsExecutable(const std::string& command, const std::string& executablePath);

// The freedesktop entry: its text for a command, and the Exec value of the "Desktop Entry"
// group in a file's contents ("" when it has none).
std::string DesktopEntryText(const std::string& command);
std::string DesktopEntryExec(const std::string& contents);

}  // namespace lantervo::platform
