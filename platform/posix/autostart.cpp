// The freedesktop autostart entry; the registry plays no part here.
#include "platform/autostart.h"

#include "platform/file.h"

namespace lantervo::platform {

namespace {
std::string EntryFolder(const AutostartPlace& place) {
  return place.configFolder + "/autostart";
}
std::string EntryPath(const AutostartPlace& place) {
  return EntryFolder(place) + "/" + kAutostartEntryName;
}
}  // namespace

std::vector<std::string> ReadAutostartCommands(const AutostartPlace& place) {
  if (place.configFolder.empty()) return {};
  std::string contents;
  if (!ReadWholeFile(EntryPath(place), contents).ok) return {};
  std::string command = DesktopEntryExec(contents);
  if (command.empty()) return {};
  return {command};
}

bool WriteAutostart(const AutostartPlace& place, const std::string& executablePath) {
  if (place.configFolder.empty()) return false;
  // A line break would end the Exec line and add keys of its own.
  if (executablePath.find_first_of("\r\n") != std::string::npos) return false;
  if (!CreateFolders(EntryFolder(place)).ok) return false;
  return WriteFileAtomically(EntryPath(place), DesktopEntryText("\"" + executablePath + "\"")).ok;
}

bool RemoveAutostart(const AutostartPlace& place) {
  if (place.configFolder.empty()) return false;
  const std::string path = EntryPath(place);
  return !FileExists(path) || RemoveFile(path);
}

}  // namespace lantervo::platform
