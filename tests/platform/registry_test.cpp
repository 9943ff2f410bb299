// The same behaviour from every registry: the in-memory one of the tests, the .reg file store,
// the system's own (Windows: the real registry under a test-only key; Linux: the file store
// at its default place under a temporary XDG_CONFIG_HOME), a standard user's view of the machine
// and user hives together, and on Windows the real HKEY_CURRENT_USER alone.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "platform/machine_or_user_registry.h"
#include "platform/paths.h"
#include "platform/reg_file.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/utf.h"
#include "platform/win32/registry_hive.h"
#endif

namespace lantervo::platform {
namespace {

std::string UniqueKey(const char* role) {
  static std::random_device random;
  return std::string("Software\\QUORVIK Media\\Lantervo Tests\\") + role + "-" +
         std::to_string(random());
}

struct MemoryImpl {
  test::MemoryRegistry registry;
  std::string key = UniqueKey("memory");
  Registry& Get() { return registry; }
};

struct FileImpl {
  test::TempDir dir;
  std::unique_ptr<Registry> registry = OpenFileRegistry(dir.File("registry.reg"));
  std::string key = UniqueKey("file");
  Registry& Get() { return *registry; }
};

#ifdef _WIN32
struct SystemImpl {
  std::unique_ptr<Registry> registry = OpenSystemRegistry();
  std::string key = UniqueKey("system");
  Registry& Get() { return *registry; }
  ~SystemImpl() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, Widen(key).c_str());
    // Parents go only when empty, so the program's own key is never touched.
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\QUORVIK Media\\Lantervo Tests");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\QUORVIK Media");
  }
};

// HKEY_CURRENT_USER, where a standard user's configuration goes.
struct UserHiveImpl {
  std::unique_ptr<Registry> registry = OpenRegistryHive(RegistryHive::CurrentUser);
  std::string key = UniqueKey("user");
  Registry& Get() { return *registry; }
  ~UserHiveImpl() {
    RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key).c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QUORVIK Media\\Lantervo Tests");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QUORVIK Media");
  }
};
#else
struct SystemImpl {
  test::TempDir dir;
  std::string saved = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  bool hadSaved = std::getenv("XDG_CONFIG_HOME") != nullptr;
  std::unique_ptr<Registry> registry = [this] {
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    return OpenSystemRegistry();
  }();
  std::string key = UniqueKey("system");
  Registry& Get() { return *registry; }
  ~SystemImpl() {
    if (hadSaved)
      setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
};
#endif

// A machine hive that refuses this user's writes, with the user's hive behind it.
struct StandardUserImpl {
  test::MemoryRegistry machine;
  test::MemoryRegistry user;
  MachineOrUserRegistry registry{machine, user};
  std::string key = UniqueKey("standard-user");
  StandardUserImpl() { machine.DenyWriteOpens(true); }
  Registry& Get() { return registry; }
};

template <class Impl>
struct RegistryConformance : ::testing::Test {
  Impl impl;
  std::unique_ptr<RegistryKey> Open(RegistryAccess access) {
    return impl.Get().Open(impl.key, access);
  }
};

#ifdef _WIN32
using Implementations =
    ::testing::Types<MemoryImpl, FileImpl, SystemImpl, StandardUserImpl, UserHiveImpl>;
#else
using Implementations = ::testing::Types<MemoryImpl, FileImpl, SystemImpl, StandardUserImpl>;
#endif
TYPED_TEST_SUITE(RegistryConformance, Implementations);

TYPED_TEST(RegistryConformance, ValuesKeepTheirTypesAcrossOpens) {
  {
    auto key = this->Open(RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetString("Text", "Žluťoučký kůň \"C:\\x\""));
    EXPECT_TRUE(key->SetString("Empty", ""));
    EXPECT_TRUE(key->SetDWord("Flag", 0xFFFFFFFFu));
    EXPECT_TRUE(key->SetDWord("Zero", 0));
    EXPECT_TRUE(key->SetString("Changes", "1"));
    EXPECT_TRUE(key->SetDWord("Changes", 1));
  }
  auto key = this->Open(RegistryAccess::Read);
  ASSERT_NE(key, nullptr);
  QueryResult r = key->Query("Text");
  ASSERT_EQ(r.status, QueryStatus::Found);
  EXPECT_EQ(r.value.type, RegistryType::String);
  EXPECT_EQ(r.value.nativeType, 1u);
  EXPECT_EQ(r.value.text, "Žluťoučký kůň \"C:\\x\"");
  EXPECT_EQ(key->Query("Empty").value.type, RegistryType::String);
  EXPECT_EQ(key->Query("Empty").value.text, "");
  r = key->Query("Flag");
  EXPECT_EQ(r.value.type, RegistryType::DWord);
  EXPECT_EQ(r.value.nativeType, 4u);
  EXPECT_EQ(r.value.dword, 0xFFFFFFFFu);
  EXPECT_EQ(key->Query("Zero").value.dword, 0u);
  EXPECT_EQ(key->Query("Changes").value.type, RegistryType::DWord);
  EXPECT_EQ(key->Query("Missing").status, QueryStatus::Missing);
  EXPECT_EQ(key->Query("TEXT").value.text, "Žluťoučký kůň \"C:\\x\"");  // names ignore case
}

TYPED_TEST(RegistryConformance, TextEndsAtItsFirstNul) {
  ASSERT_TRUE(this->Open(RegistryAccess::Write)->SetString("T", std::string("ab\0cd", 5)));
  EXPECT_EQ(this->Open(RegistryAccess::Read)->Query("T").value.text, "ab");
}

TYPED_TEST(RegistryConformance, DeletingAnAbsentValueIsNoError) {
  auto key = this->Open(RegistryAccess::Write);
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->DeleteValue("Never"));
  ASSERT_TRUE(key->SetString("Lantervo", "\"C:\\app.exe\""));
  EXPECT_TRUE(key->DeleteValue("lantervo"));
  key.reset();
  EXPECT_EQ(this->Open(RegistryAccess::Read)->Query("Lantervo").status, QueryStatus::Missing);
}

TYPED_TEST(RegistryConformance, AccessMasksLimitWhatAKeyMayDo) {
  auto reader = this->Open(RegistryAccess::Read);
  ASSERT_NE(reader, nullptr);
  EXPECT_FALSE(reader->SetString("A", "x"));
  EXPECT_FALSE(reader->SetDWord("A", 1));
  EXPECT_FALSE(reader->DeleteValue("A"));
  EXPECT_EQ(reader->Query("A").status, QueryStatus::Missing);
  auto writer = this->Open(RegistryAccess::Write);
  ASSERT_TRUE(writer->SetString("A", "x"));
  EXPECT_EQ(writer->Query("A").status, QueryStatus::Failed);
}

TYPED_TEST(RegistryConformance, KeysAreSeparate) {
  ASSERT_TRUE(this->Open(RegistryAccess::Write)->SetString("V", "one"));
  auto other = this->impl.Get().Open(this->impl.key + "\\Sub", RegistryAccess::Read);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->Query("V").status, QueryStatus::Missing);
}

#ifdef _WIN32
// Types the program never writes still read as the registry holds them.
TEST(Win32Registry, ReadsExpandableAndOtherTypesAsStored) {
  SystemImpl impl;
  auto key = impl.Get().Open(impl.key, RegistryAccess::Write);
  ASSERT_NE(key, nullptr);
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(impl.key).c_str(), 0, KEY_SET_VALUE, &raw),
            ERROR_SUCCESS);
  const wchar_t expand[] = L"%TEMP%\\LTV.log";
  const BYTE blob[] = {1, 0, 0, 0};
  RegSetValueExW(raw, L"Expand", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(expand),
                 sizeof expand);
  RegSetValueExW(raw, L"Blob", 0, REG_BINARY, blob, sizeof blob);
  RegCloseKey(raw);
  auto reader = impl.Get().Open(impl.key, RegistryAccess::Read);
  EXPECT_EQ(reader->Query("Expand").value.type, RegistryType::ExpandString);
  EXPECT_EQ(reader->Query("Expand").value.text, "%TEMP%\\LTV.log");  // not expanded
  EXPECT_EQ(reader->Query("Blob").value.type, RegistryType::Other);
  EXPECT_EQ(reader->Query("Blob").value.nativeType, 3u);
}

TEST(Win32Registry, TheUserHiveWritesUnderHkeyCurrentUserAlone) {
  UserHiveImpl impl;
  ASSERT_TRUE(impl.Get().Open(impl.key, RegistryAccess::Write)->SetString("Language", "cs"));
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Widen(impl.key).c_str(), 0, KEY_QUERY_VALUE, &raw),
            ERROR_SUCCESS);
  wchar_t text[8] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  EXPECT_EQ(
      RegQueryValueExW(raw, L"Language", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_STREQ(text, L"cs");
  RegCloseKey(raw);
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(impl.key).c_str(), 0, KEY_QUERY_VALUE, &raw),
            ERROR_SUCCESS);
  ASSERT_TRUE(impl.Get().Open(impl.key, RegistryAccess::Write)->DeleteValue("Language"));
  EXPECT_EQ(impl.Get().Open(impl.key, RegistryAccess::Read)->Query("Language").status,
            QueryStatus::Missing);
}

// The system registry puts the two together: where HKEY_LOCAL_MACHINE is writable (wine runs
// as an administrator) it is used alone, as before.
TEST(Win32Registry, TheSystemRegistryNamesBothHivesAndWritesTheMachineWhereItMay) {
  SystemImpl impl;
  ASSERT_NE(impl.Get().MachineHive(), nullptr);
  ASSERT_NE(impl.Get().UserHive(), nullptr);
  ASSERT_TRUE(impl.Get().Open(impl.key, RegistryAccess::Write)->SetString("Language", "cs"));
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(impl.key).c_str(), 0, KEY_QUERY_VALUE, &raw),
            ERROR_SUCCESS);
  RegCloseKey(raw);
  EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, Widen(impl.key).c_str(), 0, KEY_QUERY_VALUE, &raw),
            ERROR_SUCCESS);
}
#else
TEST(SystemRegistry, LivesUnderXdgConfigHomeOrDotConfig) {
  SystemImpl impl;
  ASSERT_NE(impl.Get().Open(impl.key, RegistryAccess::Write), nullptr);
  EXPECT_TRUE(impl.dir.Exists("lantervo/registry.reg"));
  EXPECT_EQ(DefaultRegistryStorePath(), impl.dir.Path() + "/lantervo/registry.reg");
  unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home && *home) {
    EXPECT_EQ(DefaultRegistryStorePath(), std::string(home) + "/.config/lantervo/registry.reg");
  }
}
#endif

}  // namespace
}  // namespace lantervo::platform
