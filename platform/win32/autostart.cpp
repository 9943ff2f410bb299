// The Run value, under HKEY_LOCAL_MACHINE for every user where this user may write it, else
// under HKEY_CURRENT_USER; the config folder plays no part here.
#include <vector>

#include "platform/autostart.h"
#include "platform/registry.h"

namespace lantervo::platform {

namespace {

// The machine hive first: that entry serves every user of the computer.
std::vector<Registry*> Hives(const AutostartPlace& place) {
  if (!place.registry) return {};
  Registry* machine = place.registry->MachineHive();
  Registry* user = place.registry->UserHive();
  if (!machine || !user) return {place.registry};
  return {machine, user};
}

// The stored command of one hive: present, absent, or unknown when the key cannot be opened.
enum class Entry { Present, Absent, Unknown };

Entry ReadEntry(Registry& hive, std::string* command) {
  auto key = hive.Open(kRunKeyPath, RegistryAccess::Read);
  if (!key) return Entry::Unknown;
  const QueryResult result = key->Query(kAutostartValueName);
  if (result.status == QueryStatus::Missing) return Entry::Absent;
  if (result.status == QueryStatus::Failed) return Entry::Unknown;
  if (result.value.type != RegistryType::String && result.value.type != RegistryType::ExpandString)
    return Entry::Present;  // there, though no command this program wrote
  if (command) *command = result.value.text;
  return Entry::Present;
}

}  // namespace

std::vector<std::string> ReadAutostartCommands(const AutostartPlace& place) {
  std::vector<std::string> commands;
  for (Registry* hive : Hives(place)) {
    std::string command;
    if (ReadEntry(*hive, &command) == Entry::Present && !command.empty())
      commands.push_back(command);
  }
  return commands;
}

bool WriteAutostart(const AutostartPlace& place, const std::string& executablePath) {
  for (Registry* hive : Hives(place)) {
    auto key = hive->Open(kRunKeyPath, RegistryAccess::Write);
    if (key && key->SetString(kAutostartValueName, "\"" + executablePath + "\"")) return true;
  }
  return false;
}

bool RemoveAutostart(const AutostartPlace& place) {
  const std::vector<Registry*> hives = Hives(place);
  bool removed = !hives.empty();
  for (Registry* hive : hives) {
    auto key = hive->Open(kRunKeyPath, RegistryAccess::Write);
    if (key) {
      removed = key->DeleteValue(kAutostartValueName) && removed;
      continue;
    }
    // A hive this user may not write is no failure while it holds no entry.
    if (ReadEntry(*hive, nullptr) != Entry::Absent) removed = false;
  }
  return removed;
}

}  // namespace lantervo::platform
