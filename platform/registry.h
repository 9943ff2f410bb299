#pragma once
// Registry keys: opened with create semantics and an access mask, values queried with their type,
// set and deleted. Windows uses its registry, HKEY_LOCAL_MACHINE where it can be written and the
// same keys under HKEY_CURRENT_USER where it cannot (see machine_or_user_registry.h); Linux a typed
// store kept as a registry export file (see reg_file.h) that a person can read and edit.
#include <cstdint>
#include <memory>
#include <string>

namespace lantervo::platform {

// The Windows access masks KEY_READ and KEY_WRITE.
enum class RegistryAccess : std::uint32_t { Read = 0x20019, Write = 0x20006 };

enum class RegistryType { String, ExpandString, DWord, Other };

struct RegistryValue {
  RegistryType type = RegistryType::Other;
  std::uint32_t nativeType = 0;  // REG_SZ 1, REG_EXPAND_SZ 2, REG_DWORD 4, ...
  std::string text;              // String and ExpandString: UTF-8, ending at the first NUL
  std::uint32_t dword = 0;       // DWord
};

enum class QueryStatus { Found, Missing, Failed };

struct QueryResult {
  QueryStatus status = QueryStatus::Missing;
  RegistryValue value;  // when Found
};

// An open key; destroying it closes it. A key opened for reading refuses writes and one opened
// for writing refuses queries, as the access masks say.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;
  virtual QueryResult Query(const std::string& name) = 0;
  // REG_SZ, stored with its terminating NUL. False when the write fails.
  virtual bool SetString(const std::string& name, const std::string& text) = 0;
  virtual bool SetDWord(const std::string& name, std::uint32_t value) = 0;
  // An absent value is no error.
  virtual bool DeleteValue(const std::string& name) = 0;
};

class Registry {
 public:
  virtual ~Registry() = default;
  // Opens <path> under the store's root key (HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER for the
  // user's hive; components separated by backslashes), creating the key when it is missing. Null
  // when the key can be neither opened nor created with that access.
  virtual std::unique_ptr<RegistryKey> Open(const std::string& path, RegistryAccess access) = 0;

  // A registry that lays a user's own values over machine-wide ones names the two stores behind
  // it, for entries that look at both (the autostart entry); a single store names none.
  virtual Registry* MachineHive() { return nullptr; }
  virtual Registry* UserHive() { return nullptr; }
};

// The registry of this system: on Windows HKEY_LOCAL_MACHINE with HKEY_CURRENT_USER behind it
// (a MachineOrUserRegistry), on Linux the per-user store at DefaultRegistryStorePath().
std::unique_ptr<Registry> OpenSystemRegistry();
// A store kept in the given .reg file. A file that cannot be parsed reads as an empty store; it
// is copied beside itself as "<file>.bad" before the first change replaces it.
std::unique_ptr<Registry> OpenFileRegistry(const std::string& storePath);
// $XDG_CONFIG_HOME/lantervo/registry.reg, with ~/.config when XDG_CONFIG_HOME is unset.
std::string DefaultRegistryStorePath();

// A value as the registry holds it (type number and bytes) seen through RegistryValue.
RegistryValue DecodeRegistryValue(std::uint32_t nativeType, const std::string& data);

}  // namespace lantervo::platform
