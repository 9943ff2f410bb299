#include <mutex>

#include "platform/file.h"
#include "platform/paths.h"
#include "platform/reg_file.h"
#include "platform/registry.h"

namespace lantervo::platform {

namespace {

constexpr const char* kRoot = "HKEY_LOCAL_MACHINE\\";

// "Software\\X\\" -> "HKEY_LOCAL_MACHINE\\Software\\X"; empty when the path cannot be stored.
std::string FullKeyPath(const std::string& path) {
  size_t begin = path.find_first_not_of('\\');
  size_t end = path.find_last_not_of('\\');
  if (begin == std::string::npos) return {};
  std::string full = kRoot + path.substr(begin, end - begin + 1);
  return IsStorableKeyPath(full) ? full : std::string();
}

class FileRegistry : public Registry {
 public:
  explicit FileRegistry(std::string path) : path_(std::move(path)) {}
  std::unique_ptr<RegistryKey> Open(const std::string& path, RegistryAccess access) override;

  // Runs `change` on the key and saves the store; the change is undone when saving fails.
  template <class Change>
  bool Modify(const std::string& keyPath, Change change) {
    std::lock_guard lock(mutex_);
    RegStore before = store_;
    RegKey& key = store_.AddKey(keyPath);
    if (!change(key)) return true;  // nothing changed, nothing to save
    if (Save()) return true;
    store_ = std::move(before);
    return false;
  }

  QueryResult Query(const std::string& keyPath, const std::string& name) {
    std::lock_guard lock(mutex_);
    const RegKey* key = store_.FindKey(keyPath);
    const RegValue* value = key ? key->Find(name) : nullptr;
    if (!value) return {};
    return {QueryStatus::Found, DecodeRegistryValue(value->type, value->data)};
  }

 private:
  bool Load();
  bool Save();
  bool KeepUnreadableFile();

  const std::string path_;
  std::mutex mutex_;
  RegStore store_;
  // The bytes of a file that could not be parsed, until a copy of them is kept.
  std::string unreadable_;
  bool haveUnreadable_ = false;
};

class FileKey : public RegistryKey {
 public:
  FileKey(FileRegistry& registry, std::string path, RegistryAccess access)
      : registry_(registry), path_(std::move(path)), access_(access) {}

  QueryResult Query(const std::string& name) override {
    if (access_ != RegistryAccess::Read) return {QueryStatus::Failed, {}};
    return registry_.Query(path_, name);
  }

  bool SetString(const std::string& name, const std::string& text) override {
    return Set(name, kRegSz, EncodeRegString(text));
  }

  bool SetDWord(const std::string& name, std::uint32_t value) override {
    return Set(name, kRegDword, EncodeRegDword(value));
  }

  bool DeleteValue(const std::string& name) override {
    if (access_ != RegistryAccess::Write) return false;
    return registry_.Modify(path_, [&](RegKey& key) { return key.Remove(name); });
  }

 private:
  bool Set(const std::string& name, std::uint32_t type, std::string data) {
    if (access_ != RegistryAccess::Write || !IsStorableValueName(name)) return false;
    return registry_.Modify(path_, [&](RegKey& key) {
      key.Set(name, type, std::move(data));
      return true;
    });
  }

  FileRegistry& registry_;
  const std::string path_;
  const RegistryAccess access_;
};

std::unique_ptr<RegistryKey> FileRegistry::Open(const std::string& path, RegistryAccess access) {
  const std::string full = FullKeyPath(path);
  if (full.empty()) return nullptr;
  std::lock_guard lock(mutex_);
  if (!Load()) return nullptr;
  const bool created = store_.FindKey(full) == nullptr;
  if (created) store_.AddKey(full);
  // Opening for writing proves that the store can be written, as a registry without access
  // refuses the open rather than the first write.
  if ((created || access == RegistryAccess::Write) && !Save()) {
    Load();
    return nullptr;
  }
  return std::make_unique<FileKey>(*this, full, access);
}

// Re-reads the file, so that edits made since the last open are seen.
bool FileRegistry::Load() {
  std::string text;
  if (!FileExists(path_)) {
    store_ = RegStore();
    haveUnreadable_ = false;
    return true;
  }
  if (!ReadWholeFile(path_, text).ok) return false;
  auto parsed = ParseRegFile(text);
  haveUnreadable_ = !parsed;
  store_ = parsed ? std::move(*parsed) : RegStore();
  unreadable_ = haveUnreadable_ ? std::move(text) : std::string();
  return true;
}

bool FileRegistry::Save() {
  if (haveUnreadable_ && !KeepUnreadableFile()) return false;
  if (!CreateFolders(FolderOf(path_)).ok) return false;
  if (!WriteFileAtomically(path_, FormatRegFile(store_)).ok) return false;
  haveUnreadable_ = false;
  unreadable_.clear();
  return true;
}

// Copies the unparseable file to "<file>.bad" (or ".bad.2", ... when an earlier, different one is
// there), so that nothing a person wrote disappears when the store is rewritten.
bool FileRegistry::KeepUnreadableFile() {
  for (int i = 1; i <= 100; ++i) {
    const std::string name = path_ + ".bad" + (i == 1 ? std::string() : "." + std::to_string(i));
    std::string existing;
    if (FileExists(name)) {
      if (!ReadWholeFile(name, existing).ok || existing != unreadable_) continue;
      return true;  // already kept
    }
    return WriteFileAtomically(name, unreadable_).ok;
  }
  return false;
}

}  // namespace

std::unique_ptr<Registry> OpenFileRegistry(const std::string& storePath) {
  return std::make_unique<FileRegistry>(storePath);
}

std::string DefaultRegistryStorePath() {
  const std::string sep = PathSeparator();
  return UserConfigFolder() + sep + "lantervo" + sep + "registry.reg";
}

RegistryValue DecodeRegistryValue(std::uint32_t nativeType, const std::string& data) {
  RegistryValue v;
  v.nativeType = nativeType;
  if (nativeType == kRegSz || nativeType == kRegExpandSz) {
    v.type = nativeType == kRegSz ? RegistryType::String : RegistryType::ExpandString;
    v.text = DecodeRegString(data);
  } else if (nativeType == kRegDword && data.size() == 4) {
    v.type = RegistryType::DWord;
    for (int i = 3; i >= 0; --i)
      v.dword = v.dword << 8 | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
  }
  return v;
}

}  // namespace lantervo::platform
