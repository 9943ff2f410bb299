#pragma once
// The configuration values under HKEY_LOCAL_MACHINE\Software\QUORVIK Media\Lantervo (on
// Windows the same key under HKEY_CURRENT_USER for a user who may not write the machine's; the
// registry given decides), the record they are loaded into, and the default set written on first
// start.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/registry.h"

namespace lantervo {

inline constexpr const char* kConfigKeyPath = "Software\\QUORVIK Media\\Lantervo";

struct AppConfig {
  std::string Version;
  bool CheckUpdate = false;
  std::string VerifyURL;
  bool VerifyEnabled = false;
  std::int32_t CheckInterval = 0;
  std::string LogFile;
  bool LogEnabled = false;
  std::int32_t BalloonLevel = 0;
  bool HotkeyEnabled = false;
  std::string Language;
  // Opt-ins, read after the ten; never part of the default set.
  bool HttpsEnabled = false;
  // A failed check is tried again up to this many times in the same run (0 to 3).
  std::int32_t RetryCount = 0;
  // Balloons tell when a server's state changes rather than at every run.
  bool NotifyOnChange = false;
  // The metrics endpoint's port (0: none) and the address it binds (empty: 127.0.0.1).
  std::int32_t MetricsPort = 0;
  std::string MetricsAddress;
  // Requests go through the system's proxy settings.
  bool ProxyEnabled = false;
  // Active servers checked at once (1 to 16); 0 reads as 1.
  std::int32_t CheckLanes = 0;
};

// The process-wide record. The UI thread reloads it while workers read it: every access takes
// the lock, so a reader sees each field either before or after its replacement, never torn.
class ConfigStore {
 public:
  AppConfig Snapshot() const {
    std::lock_guard lock(mutex_);
    return config_;
  }

  template <class T, class V>
  void Set(T AppConfig::*field, V&& value) {
    std::lock_guard lock(mutex_);
    config_.*field = std::forward<V>(value);
  }

 private:
  mutable std::mutex mutex_;
  AppConfig config_;
};

// How a value is stored and read. Text: REG_SZ. Bool: REG_DWORD, must be present. Int: a number
// stored as text. Switch: an opt-in REG_DWORD that reads as off whenever it is unusable.
// Choice: an opt-in REG_DWORD from 0 to a highest value that reads as 0 whenever it is
// unusable or out of range. Note: an opt-in REG_SZ that reads as "" whenever it is unusable.
enum class ConfigType { Text, Bool, Int, Switch, Choice, Note };

// One configuration value: everything the program knows of it, in one place. The table is in
// the order LoadConfig reads; the two other orders are columns (0: not part of that list).
struct ConfigValue {
  const char* name;
  ConfigType type;
  std::variant<std::string AppConfig::*, bool AppConfig::*, std::int32_t AppConfig::*> field;
  // The default set written on first start, in `defaultOrder`.
  int defaultOrder;
  // The value written: fixed text (Text, Int) or a number (Bool, Switch), unless `makeDefault`
  // gives it from the executable's folder.
  const char* defaultText;
  std::uint32_t defaultNumber;
  std::string (*makeDefault)(const std::string& executableFolder);
  // The settings dialog: the control that shows the value, and the order in which the dialog
  // fills its controls and saves them.
  const char* control;
  int dialogOrder;
  // Choice: the highest value it takes, and the one its dialog's first item stands for (0 and
  // anything unusable read as 0, which the user of the value takes as that first one).
  std::uint32_t highest = 0;
  std::uint32_t lowest = 0;
};

const std::vector<ConfigValue>& ConfigValues();
// The values that take part in a list (order column non-zero), in that list's order.
std::vector<const ConfigValue*> ConfigValuesBy(int ConfigValue::*order);

// Reads one value by its type's rule; `key` may be null (a key that could not be opened).
std::variant<std::string, bool, std::int32_t> ReadConfigValue(platform::RegistryKey* key,
                                                              const ConfigValue& value);

// Reads every value into `config`, each field as soon as it is read. Throws Error at the first
// value that is missing (booleans and integers only), of a wrong type or not a number; the
// fields before it keep their new values, the rest their old ones. A key that cannot be opened
// reads as a key without values.
void LoadConfig(platform::Registry& registry, ConfigStore& config,
                std::string_view keyPath = kConfigKeyPath);

// Writes the default set in its fixed order, stopping at the first failed write. The default
// LogFile is `executableFolder` + the path separator + "LTV.log". False when a value could not
// be written (callers at start-up ignore it: the reload that follows tells).
bool WriteDefaultConfig(platform::Registry& registry, const std::string& executableFolder,
                        std::string_view keyPath = kConfigKeyPath);

// The read rules, shared with the settings dialog, which fills its controls from the registry.
// `key` may be null (a key that could not be opened): every value is then missing.
// Text: missing reads as "", a present value must be REG_SZ or REG_EXPAND_SZ (taken as stored).
std::string ReadConfigText(platform::RegistryKey* key, const std::string& name);
// Boolean: must be a REG_DWORD; non-zero is true.
bool ReadConfigBool(platform::RegistryKey* key, const std::string& name);
// Integer: read as text, then parsed by ParseInt32.
std::int32_t ReadConfigInt(platform::RegistryKey* key, const std::string& name);
// An opt-in switch: true only for a non-zero REG_DWORD. Missing, of another type or unreadable
// reads as off and never fails, so a stray value cannot start the first-run recovery, whose
// default set would not replace it.
bool ReadConfigSwitch(platform::RegistryKey* key, const std::string& name);
// An opt-in choice: a REG_DWORD from 0 to `highest`; anything else reads as 0, never failing.
std::int32_t ReadConfigChoice(platform::RegistryKey* key, const std::string& name,
                              std::uint32_t highest);
// An opt-in text: a REG_SZ or REG_EXPAND_SZ as stored; anything else reads as "", never failing.
std::string ReadConfigNote(platform::RegistryKey* key, const std::string& name);

}  // namespace lantervo
