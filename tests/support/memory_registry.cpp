#include "tests/support/memory_registry.h"

namespace lantervo::test {

using platform::QueryResult;
using platform::QueryStatus;
using platform::RegistryAccess;

class MemoryKey : public platform::RegistryKey {
 public:
  MemoryKey(MemoryRegistry& registry, std::string path, RegistryAccess access)
      : registry_(registry), path_(std::move(path)), access_(access) {
    ++registry_.openKeys_;
  }
  ~MemoryKey() override { --registry_.openKeys_; }

  QueryResult Query(const std::string& name) override {
    if (access_ != RegistryAccess::Read) return {QueryStatus::Failed, {}};
    return registry_.Get(path_, name);
  }

  bool SetString(const std::string& name, const std::string& text) override {
    return Set(name, platform::kRegSz, platform::EncodeRegString(text));
  }

  bool SetDWord(const std::string& name, std::uint32_t value) override {
    return Set(name, platform::kRegDword, platform::EncodeRegDword(value));
  }

  bool DeleteValue(const std::string& name) override {
    if (access_ != RegistryAccess::Write || !registry_.TakeWrite(name)) return false;
    registry_.Remove(path_, name);
    return true;
  }

 private:
  bool Set(const std::string& name, std::uint32_t type, std::string data) {
    if (access_ != RegistryAccess::Write || !registry_.TakeWrite(name)) return false;
    registry_.PutRaw(path_, name, type, std::move(data));
    return true;
  }

  MemoryRegistry& registry_;
  std::string path_;
  RegistryAccess access_;
};

std::unique_ptr<platform::RegistryKey> MemoryRegistry::Open(const std::string& path,
                                                            RegistryAccess access) {
  opens_.push_back(access);
  if (failOpen_) return nullptr;
  if (denyWriteOpens_ && (access == RegistryAccess::Write || !HasKey(path))) return nullptr;
  store_.AddKey(path);
  return std::make_unique<MemoryKey>(*this, path, access);
}

bool MemoryRegistry::TakeWrite(const std::string& name) {
  writeAttempts_.push_back(name);
  if (writesLeft_ == 0) return false;
  if (writesLeft_ > 0) --writesLeft_;
  return true;
}

void MemoryRegistry::PutString(const std::string& path, const std::string& name,
                               const std::string& text) {
  PutRaw(path, name, platform::kRegSz, platform::EncodeRegString(text));
}

void MemoryRegistry::PutExpandString(const std::string& path, const std::string& name,
                                     const std::string& text) {
  PutRaw(path, name, platform::kRegExpandSz, platform::EncodeRegString(text));
}

void MemoryRegistry::PutDWord(const std::string& path, const std::string& name,
                              std::uint32_t value) {
  PutRaw(path, name, platform::kRegDword, platform::EncodeRegDword(value));
}

void MemoryRegistry::PutRaw(const std::string& path, const std::string& name, std::uint32_t type,
                            std::string data) {
  store_.AddKey(path).Set(name, type, std::move(data));
}

void MemoryRegistry::Remove(const std::string& path, const std::string& name) {
  if (auto* key = store_.FindKey(path)) key->Remove(name);
}

QueryResult MemoryRegistry::Get(const std::string& path, const std::string& name) const {
  const auto* key = store_.FindKey(path);
  const auto* value = key ? key->Find(name) : nullptr;
  if (!value) return {};
  return {QueryStatus::Found, platform::DecodeRegistryValue(value->type, value->data)};
}

}  // namespace lantervo::test
