#include "core/config_store.h"

#include "core/int_parse.h"
#include "lantervo/version.h"
#include "platform/error.h"
#include "platform/paths.h"

namespace lantervo {

namespace {

using platform::QueryResult;
using platform::QueryStatus;
using platform::RegistryType;

QueryResult Query(platform::RegistryKey* key, const std::string& name) {
  if (!key) return {};
  return key->Query(name);
}

Error InvalidType(const std::string& name) {
  return Error("Invalid data type for '" + name + "'");
}

}  // namespace

std::string ReadConfigText(platform::RegistryKey* key, const std::string& name) {
  const QueryResult r = Query(key, name);
  if (r.status == QueryStatus::Missing) return {};
  if (r.status == QueryStatus::Failed) throw Error("Unable to read value '" + name + "'");
  if (r.value.type != RegistryType::String && r.value.type != RegistryType::ExpandString)
    throw InvalidType(name);
  return r.value.text;
}

bool ReadConfigBool(platform::RegistryKey* key, const std::string& name) {
  const QueryResult r = Query(key, name);
  if (r.status == QueryStatus::Missing) throw Error("Value '" + name + "' does not exist");
  if (r.status == QueryStatus::Failed) throw Error("Unable to read value '" + name + "'");
  if (r.value.type != RegistryType::DWord) throw InvalidType(name);
  return r.value.dword != 0;
}

std::int32_t ReadConfigInt(platform::RegistryKey* key, const std::string& name) {
  const std::string text = ReadConfigText(key, name);
  const auto value = ParseInt32(text);
  if (!value) throw Error("'" + text + "' is not a valid integer value");
  return *value;
}

bool ReadConfigSwitch(platform::RegistryKey* key, const std::string& name) {
  const QueryResult r = Query(key, name);
  return r.status == QueryStatus::Found && r.value.type == RegistryType::DWord &&
         r.value.dword != 0;
}

void LoadConfig(platform::Registry& registry, ConfigStore& config, std::string_view keyPath) {
  // An open that fails is not an error here: every read then finds no value.
  const auto key = registry.Open(std::string(keyPath), platform::RegistryAccess::Read);
  platform::RegistryKey* k = key.get();
  config.Set(&AppConfig::Version, ReadConfigText(k, "Version"));
  config.Set(&AppConfig::CheckUpdate, ReadConfigBool(k, "CheckUpdate"));
  config.Set(&AppConfig::VerifyURL, ReadConfigText(k, "VerifyURL"));
  config.Set(&AppConfig::VerifyEnabled, ReadConfigBool(k, "VerifyEnabled"));
  config.Set(&AppConfig::LogEnabled, ReadConfigBool(k, "LogEnabled"));
  config.Set(&AppConfig::LogFile, ReadConfigText(k, "LogFile"));
  config.Set(&AppConfig::CheckInterval, ReadConfigInt(k, "CheckInterval"));
  config.Set(&AppConfig::BalloonLevel, ReadConfigInt(k, "BalloonLevel"));
  config.Set(&AppConfig::HotkeyEnabled, ReadConfigBool(k, "HotkeyEnabled"));
  config.Set(&AppConfig::Language, ReadConfigText(k, "Language"));
  config.Set(&AppConfig::HttpsEnabled, ReadConfigSwitch(k, "HttpsEnabled"));
}

bool WriteDefaultConfig(platform::Registry& registry, const std::string& executableFolder,
                        std::string_view keyPath) {
  const auto key = registry.Open(std::string(keyPath), platform::RegistryAccess::Write);
  if (!key) return false;
  return key->SetString("Version", kProgramVersion) &&                                   //
         key->SetDWord("CheckUpdate", 1) &&                                              //
         key->SetString("VerifyURL", "http://") && key->SetDWord("VerifyEnabled", 0) &&  //
         key->SetString("CheckInterval", "300") &&
         key->SetString("LogFile", executableFolder + platform::PathSeparator() + "LTV.log") &&
         key->SetDWord("LogEnabled", 1) &&       //
         key->SetString("BalloonLevel", "3") &&  //
         key->SetDWord("HotkeyEnabled", 0) &&    //
         key->SetString("Language", "en");
}

}  // namespace lantervo
