#include "platform/machine_or_user_registry.h"

#include <functional>

namespace lantervo::platform {

namespace {

// A key opened for writing in the machine hive. The first set or delete that fails there moves
// the path to the user's hive, and that write and every later one go to the user's key.
class SwitchingKey : public RegistryKey {
 public:
  SwitchingKey(std::unique_ptr<RegistryKey> machine,
               std::function<std::unique_ptr<RegistryKey>()> moveToUser)
      : key_(std::move(machine)), moveToUser_(std::move(moveToUser)) {}

  QueryResult Query(const std::string& name) override {
    if (!key_) return {QueryStatus::Failed, {}};
    return key_->Query(name);
  }
  bool SetString(const std::string& name, const std::string& text) override {
    return Write([&](RegistryKey& key) { return key.SetString(name, text); });
  }
  bool SetDWord(const std::string& name, std::uint32_t value) override {
    return Write([&](RegistryKey& key) { return key.SetDWord(name, value); });
  }
  bool DeleteValue(const std::string& name) override {
    return Write([&](RegistryKey& key) { return key.DeleteValue(name); });
  }

 private:
  bool Write(const std::function<bool(RegistryKey&)>& write) {
    if (key_ && write(*key_)) return true;
    if (movedToUser_) return false;
    movedToUser_ = true;
    key_ = moveToUser_();
    return key_ && write(*key_);
  }

  std::unique_ptr<RegistryKey> key_;
  std::function<std::unique_ptr<RegistryKey>()> moveToUser_;
  bool movedToUser_ = false;
};

// A key read on the user's hive: the user's value where there is one, the machine's otherwise.
// Either key may be missing; a name found in neither is missing.
class OverlayKey : public RegistryKey {
 public:
  OverlayKey(std::unique_ptr<RegistryKey> user, std::unique_ptr<RegistryKey> machine)
      : user_(std::move(user)), machine_(std::move(machine)) {}

  QueryResult Query(const std::string& name) override {
    if (user_) {
      QueryResult own = user_->Query(name);
      if (own.status != QueryStatus::Missing) return own;
    }
    if (machine_) return machine_->Query(name);
    return {};
  }
  // Opened for reading: writes are refused, as by any key opened with KEY_READ.
  bool SetString(const std::string&, const std::string&) override { return false; }
  bool SetDWord(const std::string&, std::uint32_t) override { return false; }
  bool DeleteValue(const std::string&) override { return false; }

 private:
  std::unique_ptr<RegistryKey> user_;
  std::unique_ptr<RegistryKey> machine_;
};

}  // namespace

MachineOrUserRegistry::MachineOrUserRegistry(Registry& machine, Registry& user)
    : machine_(machine), user_(user) {}

MachineOrUserRegistry::MachineOrUserRegistry(std::unique_ptr<Registry> machine,
                                             std::unique_ptr<Registry> user)
    : ownedMachine_(std::move(machine)),
      ownedUser_(std::move(user)),
      machine_(*ownedMachine_),
      user_(*ownedUser_) {}

std::unique_ptr<RegistryKey> MachineOrUserRegistry::Open(const std::string& path,
                                                         RegistryAccess access) {
  std::unique_ptr<RegistryKey> machineWriter;
  if (Settle(path, &machineWriter) == Place::User) return OpenOnUser(path, access);
  if (access == RegistryAccess::Read) {
    // The probe closes before the key is read, as two opens in a row would.
    machineWriter.reset();
    return machine_.Open(path, RegistryAccess::Read);
  }
  if (!machineWriter) machineWriter = machine_.Open(path, RegistryAccess::Write);
  if (!machineWriter) {
    MoveToUser(path);
    return OpenOnUser(path, access);
  }
  return std::make_unique<SwitchingKey>(std::move(machineWriter), [this, path] {
    MoveToUser(path);
    return user_.Open(path, RegistryAccess::Write);
  });
}

bool MachineOrUserRegistry::OnUserHive(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto found = places_.find(PathId(path));
  return found != places_.end() && found->second == Place::User;
}

std::string MachineOrUserRegistry::PathId(const std::string& path) {
  const std::size_t begin = path.find_first_not_of('\\');
  if (begin == std::string::npos) return {};
  const std::size_t end = path.find_last_not_of('\\');
  std::string id = path.substr(begin, end - begin + 1);
  // Windows compares key names without regard to case; ASCII folding is enough to keep one
  // place for the spellings this program uses.
  for (char& c : id)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return id;
}

MachineOrUserRegistry::Place MachineOrUserRegistry::Settle(
    const std::string& path, std::unique_ptr<RegistryKey>* machineWriter) {
  const std::string id = PathId(path);
  {
    std::lock_guard lock(mutex_);
    auto found = places_.find(id);
    if (found != places_.end()) return found->second;
  }
  // Reading alone cannot tell: a standard user reads the machine key that an administrator
  // wrote, and the first write would fail only after the defaults had been read.
  *machineWriter = machine_.Open(path, RegistryAccess::Write);
  std::lock_guard lock(mutex_);
  return places_.emplace(id, *machineWriter ? Place::Machine : Place::User).first->second;
}

void MachineOrUserRegistry::MoveToUser(const std::string& path) {
  std::lock_guard lock(mutex_);
  places_[PathId(path)] = Place::User;
}

std::unique_ptr<RegistryKey> MachineOrUserRegistry::OpenOnUser(const std::string& path,
                                                               RegistryAccess access) {
  if (access == RegistryAccess::Write) return user_.Open(path, RegistryAccess::Write);
  auto user = user_.Open(path, RegistryAccess::Read);
  auto machine = machine_.Open(path, RegistryAccess::Read);
  // As for one store: a key that opens nowhere is no key, and the caller says what that means.
  if (!user && !machine) return nullptr;
  return std::make_unique<OverlayKey>(std::move(user), std::move(machine));
}

}  // namespace lantervo::platform
