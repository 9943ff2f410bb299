#include "platform/registry.h"

#include <windows.h>

#include <vector>

#include "platform/machine_or_user_registry.h"
#include "platform/utf.h"
#include "platform/win32/registry_hive.h"

namespace lantervo::platform {

namespace {

class Win32Key : public RegistryKey {
 public:
  explicit Win32Key(HKEY key) : key_(key) {}
  ~Win32Key() override { RegCloseKey(key_); }
  Win32Key(const Win32Key&) = delete;
  Win32Key& operator=(const Win32Key&) = delete;

  QueryResult Query(const std::string& name) override {
    const std::wstring wname = Widen(name);
    std::vector<BYTE> buffer(256);
    for (;;) {
      DWORD type = 0;
      DWORD size = static_cast<DWORD>(buffer.size());
      LONG rc = RegQueryValueExW(key_, wname.c_str(), nullptr, &type, buffer.data(), &size);
      if (rc == ERROR_MORE_DATA) {
        buffer.resize(size > buffer.size() ? size : buffer.size() * 2);
        continue;
      }
      if (rc == ERROR_FILE_NOT_FOUND) return {};
      if (rc != ERROR_SUCCESS) return {QueryStatus::Failed, {}};
      return {QueryStatus::Found,
              DecodeRegistryValue(type,
                                  std::string(reinterpret_cast<const char*>(buffer.data()), size))};
    }
  }

  bool SetString(const std::string& name, const std::string& text) override {
    const std::wstring wtext = Widen(text);
    const DWORD bytes = static_cast<DWORD>((wtext.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key_, Widen(name).c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wtext.c_str()), bytes) == ERROR_SUCCESS;
  }

  bool SetDWord(const std::string& name, std::uint32_t value) override {
    DWORD v = value;
    return RegSetValueExW(key_, Widen(name).c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&v), sizeof v) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& name) override {
    LONG rc = RegDeleteValueW(key_, Widen(name).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }

 private:
  HKEY key_;
};

class Win32Registry : public Registry {
 public:
  explicit Win32Registry(HKEY root) : root_(root) {}

  std::unique_ptr<RegistryKey> Open(const std::string& path, RegistryAccess access) override {
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExW(root_, Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              static_cast<REGSAM>(access), nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return nullptr;
    return std::make_unique<Win32Key>(key);
  }

 private:
  HKEY root_;
};

}  // namespace

std::unique_ptr<Registry> OpenRegistryHive(RegistryHive hive) {
  return std::make_unique<Win32Registry>(hive == RegistryHive::LocalMachine ? HKEY_LOCAL_MACHINE
                                                                            : HKEY_CURRENT_USER);
}

std::unique_ptr<Registry> OpenSystemRegistry() {
  return std::make_unique<MachineOrUserRegistry>(OpenRegistryHive(RegistryHive::LocalMachine),
                                                 OpenRegistryHive(RegistryHive::CurrentUser));
}

}  // namespace lantervo::platform
