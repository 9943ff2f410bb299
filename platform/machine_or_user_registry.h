#pragma once
// HKEY_LOCAL_MACHINE where it can be written, the user's own hive where it cannot. A standard
// user under User Account Control may read the machine's keys but neither create nor write them,
// so each key path is settled once per process:
// - machine: the key opens for writing in the machine hive. Everything goes to the machine hive,
//   exactly as on a registry of one store; nothing touches the user's hive.
// - user: the machine key could not be opened for writing, or a set or delete on it failed. The
//   path stays on the user's hive for the rest of the process: writes go there, and a read sees
//   the user's value where there is one and the machine's (the machine-wide default) otherwise.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/registry.h"

namespace lantervo::platform {

class MachineOrUserRegistry : public Registry {
 public:
  // Over two stores that outlive this object.
  MachineOrUserRegistry(Registry& machine, Registry& user);
  // Over two stores that this object owns.
  MachineOrUserRegistry(std::unique_ptr<Registry> machine, std::unique_ptr<Registry> user);

  std::unique_ptr<RegistryKey> Open(const std::string& path, RegistryAccess access) override;
  Registry* MachineHive() override { return &machine_; }
  Registry* UserHive() override { return &user_; }

  // Whether the path has moved to the user's hive (keys differing only in letter case or in
  // leading and trailing backslashes are one key).
  bool OnUserHive(const std::string& path) const;

 private:
  enum class Place { Machine, User };

  static std::string PathId(const std::string& path);
  // The place of the path, settled now by an open for writing in the machine hive when it has
  // none yet; that key is handed back through `machineWriter` for a caller that writes.
  Place Settle(const std::string& path, std::unique_ptr<RegistryKey>* machineWriter);
  void MoveToUser(const std::string& path);
  std::unique_ptr<RegistryKey> OpenOnUser(const std::string& path, RegistryAccess access);

  std::unique_ptr<Registry> ownedMachine_;
  std::unique_ptr<Registry> ownedUser_;
  Registry& machine_;
  Registry& user_;
  mutable std::mutex mutex_;
  std::map<std::string, Place> places_;
};

}  // namespace lantervo::platform
