#pragma once
// The configuration values under HKEY_LOCAL_MACHINE\Software\QUORVIK Media\Lantervo (on
// Windows the same key under HKEY_CURRENT_USER for a user who may not write the machine's; the
// registry given decides), the record they are loaded into, and the default set written on first
// start.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

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
  // Opt-in, read after the ten; never part of the default set.
  bool HttpsEnabled = false;
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

}  // namespace lantervo
