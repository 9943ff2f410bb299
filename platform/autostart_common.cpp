#include "platform/autostart.h"

#include "platform/paths.h"

namespace lantervo::platform {

AutostartPlace SystemAutostartPlace(Registry& registry) {
  return AutostartPlace{&registry, UserConfigFolder()};
}

std::string ReadAutostartCommand(const AutostartPlace& place) {
  const std::vector<std::string> commands = ReadAutostartCommands(place);
  return commands.empty() ? std::string() : commands.front();
}

bool AutostartStartsExecutable(const AutostartPlace& place, const std::string& executablePath) {
  for (const std::string& command : ReadAutostartCommands(place))
    if (AutostartStartsExecutable(command, executablePath)) return true;
  return false;
}

bool AutostartStartsExecutable(const std::string& command, const std::string& executablePath) {
  std::string unquoted;
  unquoted.reserve(command.size());
  for (char c : command)
    if (c != '"') unquoted += c;
  return unquoted == executablePath;
}

std::string DesktopEntryText(const std::string& command) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Lantervo\n"
         "Exec=" +
         command +
         "\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::string DesktopEntryExec(const std::string& contents) {
  bool inEntryGroup = false;
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find('\n', start);
    if (end == std::string::npos) end = contents.size();
    std::string line = contents.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      inEntryGroup = line == "[Desktop Entry]";
      continue;
    }
    if (!inEntryGroup) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    // Blanks around "=" are allowed; a localized key such as Exec[cs] is another key.
    std::size_t keyEnd = equals;
    while (keyEnd > 0 && line[keyEnd - 1] == ' ') --keyEnd;
    if (line.compare(0, keyEnd, "Exec") != 0 || keyEnd != 4) continue;
    std::size_t valueStart = equals + 1;
    while (valueStart < line.size() && line[valueStart] == ' ') ++valueStart;
    return line.substr(valueStart);
  }
  return {};
}

}  // namespace lantervo::platform
