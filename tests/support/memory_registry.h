#pragma once
// A registry in memory for tests: values kept with their native type and bytes, access masks
// enforced as Windows enforces them, and failures on request.
#include <memory>
#include <string>
#include <vector>

#include "platform/reg_file.h"
#include "platform/registry.h"

namespace lantervo::test {

class MemoryRegistry : public platform::Registry {
 public:
  std::unique_ptr<platform::RegistryKey> Open(const std::string& path,
                                              platform::RegistryAccess access) override;

  // Every later open fails.
  void FailOpen(bool fail) { failOpen_ = fail; }
  // As HKEY_LOCAL_MACHINE meets a standard user: keys that exist open for reading, while an
  // open for writing fails and a missing key cannot be created (so its open fails too).
  void DenyWriteOpens(bool deny) { denyWriteOpens_ = deny; }
  // The next `count` writes (sets and deletes) succeed, every one after them fails; -1 never.
  void FailWritesAfter(int count) { writesLeft_ = count; }

  // Arranging and inspecting values without opening keys.
  void PutString(const std::string& path, const std::string& name, const std::string& text);
  void PutExpandString(const std::string& path, const std::string& name, const std::string& text);
  void PutDWord(const std::string& path, const std::string& name, std::uint32_t value);
  void PutRaw(const std::string& path, const std::string& name, std::uint32_t type,
              std::string data);
  void Remove(const std::string& path, const std::string& name);
  platform::QueryResult Get(const std::string& path, const std::string& name) const;
  bool HasKey(const std::string& path) const { return store_.FindKey(path) != nullptr; }
  // The names of the values written, in order, including failed attempts.
  const std::vector<std::string>& WriteAttempts() const { return writeAttempts_; }
  // Opens so far, with their access, and keys not yet closed.
  const std::vector<platform::RegistryAccess>& Opens() const { return opens_; }
  int OpenKeys() const { return openKeys_; }

 private:
  friend class MemoryKey;
  bool TakeWrite(const std::string& name);

  platform::RegStore store_;
  bool failOpen_ = false;
  bool denyWriteOpens_ = false;
  int writesLeft_ = -1;
  std::vector<std::string> writeAttempts_;
  std::vector<platform::RegistryAccess> opens_;
  int openKeys_ = 0;
};

}  // namespace lantervo::test
