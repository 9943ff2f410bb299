#pragma once
// The program's entry among the programs the session starts at log-on. Windows: the value
// "Lantervo" under Software\Microsoft\Windows\CurrentVersion\Run holding the quoted executable
// path, in HKEY_LOCAL_MACHINE where it can be written and in HKEY_CURRENT_USER otherwise (the
// registry's two hives, when it names them; else the registry itself). Elsewhere: the freedesktop
// autostart entry <config folder>/autostart/lantervo.desktop whose Exec line holds the quoted path.
#include <string>
#include <vector>

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

// Every entry's command as stored, the machine's before the user's; none that cannot be read.
std::vector<std::string> ReadAutostartCommands(const AutostartPlace& place);
// The first of them; "" when there is none.
std::string ReadAutostartCommand(const AutostartPlace& place);
// Makes the entry start `executablePath` (written double-quoted): in the machine hive where that
// succeeds, else in the user's. False when no place can be opened or written.
bool WriteAutostart(const AutostartPlace& place, const std::string& executablePath);
// Removes the entry from every place that holds it; an absent entry is no error. False when an
// entry is left: a place holds one and cannot be written, or cannot even be read.
bool RemoveAutostart(const AutostartPlace& place);
// Whether any entry starts exactly this executable (AutostartStartsExecutable).
bool AutostartStartsExecutable(const AutostartPlace& place, const std::string& executablePath);

// Whether a stored command starts exactly this executable: every double quote is removed and
// the rest must equal the path, letter case included (so arguments make it another command).
bool AutostartStartsExecutable(const std::string& command, const std::string& executablePath);

// The freedesktop entry: its text for a command, and the Exec value of the "Desktop Entry"
// group in a file's contents ("" when it has none).
std::string DesktopEntryText(const std::string& command);
std::string DesktopEntryExec(const std::string& contents);

}  // namespace lantervo::platform
