#include "core/config_store.h"

#include <algorithm>

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

std::int32_t ReadConfigChoice(platform::RegistryKey* key, const std::string& name,
                              std::uint32_t highest) {
  const QueryResult r = Query(key, name);
  if (r.status != QueryStatus::Found || r.value.type != RegistryType::DWord ||
      r.value.dword > highest)
    return 0;
  return static_cast<std::int32_t>(r.value.dword);
}

std::string ReadConfigNote(platform::RegistryKey* key, const std::string& name) {
  const QueryResult r = Query(key, name);
  if (r.status != QueryStatus::Found ||
      (r.value.type != RegistryType::String && r.value.type != RegistryType::ExpandString))
    return {};
  return r.value.text;
}

namespace {

std::string ProgramVersion(const std::string&) {
  return kProgramVersion;
}

std::string LogBesideExecutable(const std::string& executableFolder) {
  return executableFolder + platform::PathSeparator() + "LTV.log";
}

}  // namespace

const std::vector<ConfigValue>& ConfigValues() {
  using T = ConfigType;
  using A = AppConfig;
  // clang-format off
  static const std::vector<ConfigValue> values{
    // name            type       field             default: order text    number  made by
    //                                                                      dialog: control  order
    {"Version",       T::Text,   &A::Version,       1, nullptr,   0, ProgramVersion,       nullptr,                 0},
    {"CheckUpdate",   T::Bool,   &A::CheckUpdate,   2, nullptr,   1, nullptr,              "checkboxUpdate",        9},
    {"VerifyURL",     T::Text,   &A::VerifyURL,     3, "http://", 0, nullptr,              "editVerifyURL",         1},
    {"VerifyEnabled", T::Bool,   &A::VerifyEnabled, 4, nullptr,   0, nullptr,              "checkboxVerifyEnabled", 2},
    {"LogEnabled",    T::Bool,   &A::LogEnabled,    7, nullptr,   1, nullptr,              "checkboxLogEnabled",    5},
    {"LogFile",       T::Text,   &A::LogFile,       6, nullptr,   0, LogBesideExecutable,  "editLogFile",           4},
    {"CheckInterval", T::Int,    &A::CheckInterval, 5, "300",     0, nullptr,              "editCheckInterval",     3},
    {"BalloonLevel",  T::Int,    &A::BalloonLevel,  8, "3",       0, nullptr,              "comboBalloonLevel",     6},
    {"HotkeyEnabled", T::Bool,   &A::HotkeyEnabled, 9, nullptr,   0, nullptr,              "checkboxHotkeyEnabled", 7},
    {"Language",      T::Text,   &A::Language,     10, "en",      0, nullptr,              "comboLanguage",         8},
    // Opt-in, read after the ten and never part of the default set, so that a stray value
    // cannot start the first-run recovery, whose default set would not replace it.
    {"HttpsEnabled",  T::Switch, &A::HttpsEnabled,  0, nullptr,   0, nullptr,              "checkboxHttps",        10},
    {"RetryCount",    T::Choice, &A::RetryCount,    0, nullptr,   0, nullptr,              "comboRetryCount",      11, 3},
    {"NotifyOnChange", T::Switch, &A::NotifyOnChange, 0, nullptr, 0, nullptr,              "checkboxNotifyOnChange", 12},
    {"MetricsPort",   T::Choice, &A::MetricsPort,   0, nullptr,   0, nullptr,              "editMetricsPort",      13, 65535},
    {"MetricsAddress", T::Note,  &A::MetricsAddress, 0, nullptr,  0, nullptr,              "editMetricsAddress",   14},
    {"ProxyEnabled",  T::Switch, &A::ProxyEnabled,  0, nullptr,   0, nullptr,              "checkboxProxy",        15},
    {"CheckLanes",    T::Choice, &A::CheckLanes,    0, nullptr,   0, nullptr,              "comboCheckLanes",      16, 16, 1},
  };
  // clang-format on
  return values;
}

std::vector<const ConfigValue*> ConfigValuesBy(int ConfigValue::*order) {
  std::vector<const ConfigValue*> result;
  for (const ConfigValue& value : ConfigValues())
    if (value.*order != 0) result.push_back(&value);
  std::stable_sort(result.begin(), result.end(),
                   [order](const auto* a, const auto* b) { return a->*order < b->*order; });
  return result;
}

std::variant<std::string, bool, std::int32_t> ReadConfigValue(platform::RegistryKey* key,
                                                              const ConfigValue& value) {
  switch (value.type) {
    case ConfigType::Text:
      return ReadConfigText(key, value.name);
    case ConfigType::Bool:
      return ReadConfigBool(key, value.name);
    case ConfigType::Int:
      return ReadConfigInt(key, value.name);
    case ConfigType::Choice:
      return ReadConfigChoice(key, value.name, value.highest);
    case ConfigType::Note:
      return ReadConfigNote(key, value.name);
    case ConfigType::Switch:
      break;
  }
  return ReadConfigSwitch(key, value.name);
}

void LoadConfig(platform::Registry& registry, ConfigStore& config, std::string_view keyPath) {
  // An open that fails is not an error here: every read then finds no value.
  const auto key = registry.Open(std::string(keyPath), platform::RegistryAccess::Read);
  for (const ConfigValue& value : ConfigValues()) {
    const auto read = ReadConfigValue(key.get(), value);
    // Each field as soon as it is read: a later failure leaves it set.
    std::visit(
        [&](auto field) {
          using V = std::remove_reference_t<decltype(std::declval<AppConfig>().*field)>;
          config.Set(field, std::get<V>(read));
        },
        value.field);
  }
}

bool WriteDefaultConfig(platform::Registry& registry, const std::string& executableFolder,
                        std::string_view keyPath) {
  const auto key = registry.Open(std::string(keyPath), platform::RegistryAccess::Write);
  if (!key) return false;
  // Stops at the first value that cannot be written.
  for (const ConfigValue* value : ConfigValuesBy(&ConfigValue::defaultOrder)) {
    const bool numeric = value->type == ConfigType::Bool || value->type == ConfigType::Switch;
    const bool written =
        numeric
            ? key->SetDWord(value->name, value->defaultNumber)
            : key->SetString(value->name, value->makeDefault ? value->makeDefault(executableFolder)
                                                             : std::string(value->defaultText));
    if (!written) return false;
  }
  return true;
}

}  // namespace lantervo
