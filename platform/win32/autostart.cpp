// The Run value under HKEY_LOCAL_MACHINE; the config folder plays no part here.
#include "platform/autostart.h"

#include "platform/registry.h"

namespace lantervo::platform {

std::string ReadAutostartCommand(const AutostartPlace& place) {
  if (!place.registry) return {};
  auto key = place.registry->Open(kRunKeyPath, RegistryAccess::Read);
  if (!key) return {};
  const QueryResult result = key->Query(kAutostartValueName);
  if (result.status != QueryStatus::Found) return {};
  if (result.value.type != RegistryType::String && result.value.type != RegistryType::ExpandString)
    return {};
  return result.value.text;
}

bool WriteAutostart(const AutostartPlace& place, const std::string& executablePath) {
  if (!place.registry) return false;
  auto key = place.registry->Open(kRunKeyPath, RegistryAccess::Write);
  if (!key) return false;
  return key->SetString(kAutostartValueName, "\"" + executablePath + "\"");
}

bool RemoveAutostart(const AutostartPlace& place) {
  if (!place.registry) return false;
  auto key = place.registry->Open(kRunKeyPath, RegistryAccess::Write);
  if (!key) return false;
  return key->DeleteValue(kAutostartValueName);
}

}  // namespace lantervo::platform
