// The configuration store against the real registries: the .reg file store (what a Linux user
// finds in ~/.config/lantervo/registry.reg after the first start) and, on Windows, the registry.
#include <gtest/gtest.h>

#include <random>

#include "core/config_store.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "tests/support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/utf.h"
#endif

namespace lantervo {
namespace {

TEST(ConfigOnFileStore, FirstStartWritesAReadableFileThatLoadsBack) {
  test::TempDir dir;
  auto registry = platform::OpenFileRegistry(dir.File("registry.reg"));
  ConfigStore config;
  EXPECT_THROW(LoadConfig(*registry, config), Error);
  ASSERT_TRUE(WriteDefaultConfig(*registry, "/opt/lantervo"));
  LoadConfig(*registry, config);
  EXPECT_EQ(config.Snapshot().LogFile,
            std::string("/opt/lantervo") + platform::PathSeparator() + "LTV.log");
  const std::string expected =
      "Windows Registry Editor Version 5.00\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\QUORVIK Media\\Lantervo]\r\n"
      "\"Version\"=\"0.9.19\"\r\n"
      "\"CheckUpdate\"=dword:00000001\r\n"
      "\"VerifyURL\"=\"http://\"\r\n"
      "\"VerifyEnabled\"=dword:00000000\r\n"
      "\"CheckInterval\"=\"300\"\r\n"
      "\"LogFile\"=\"/opt/lantervo" +
      std::string(platform::PathSeparator()[0] == '\\' ? "\\\\" : "/") +
      "LTV.log\"\r\n"
      "\"LogEnabled\"=dword:00000001\r\n"
      "\"BalloonLevel\"=\"3\"\r\n"
      "\"HotkeyEnabled\"=dword:00000000\r\n"
      "\"Language\"=\"en\"\r\n"
      "\r\n";
  EXPECT_EQ(dir.Read("registry.reg"), expected);
}

TEST(ConfigOnFileStore, AHandEditedValueIsLoadedAtTheNextLoad) {
  test::TempDir dir;
  auto registry = platform::OpenFileRegistry(dir.File("registry.reg"));
  ASSERT_TRUE(WriteDefaultConfig(*registry, "/opt/lantervo"));
  std::string text = dir.Read("registry.reg");
  text.replace(text.find("\"300\""), 5, "\" 60\"");
  dir.Write("registry.reg", text);
  ConfigStore config;
  LoadConfig(*registry, config);
  EXPECT_EQ(config.Snapshot().CheckInterval, 60);
}

TEST(ConfigOnSystemRegistry, DefaultsWriteAndLoadUnderATestKey) {
#ifdef _WIN32
  std::random_device random;
  const std::string key =
      "Software\\QUORVIK Media\\Lantervo Tests\\config-" + std::to_string(random());
#else
  test::TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
  const std::string key = kConfigKeyPath;
#endif
  auto registry = platform::OpenSystemRegistry();
  ConfigStore config;
  EXPECT_THROW(LoadConfig(*registry, config, key), Error);
  EXPECT_EQ(config.Snapshot().Version, "");
  ASSERT_TRUE(WriteDefaultConfig(*registry, "C:\\Program Files\\Lantervo", key));
  LoadConfig(*registry, config, key);
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.Version, "0.9.19");
  EXPECT_TRUE(c.CheckUpdate);
  EXPECT_EQ(c.VerifyURL, "http://");
  EXPECT_FALSE(c.VerifyEnabled);
  EXPECT_EQ(c.CheckInterval, 300);
  EXPECT_EQ(c.LogFile,
            std::string("C:\\Program Files\\Lantervo") + platform::PathSeparator() + "LTV.log");
  EXPECT_TRUE(c.LogEnabled);
  EXPECT_EQ(c.BalloonLevel, 3);
  EXPECT_FALSE(c.HotkeyEnabled);
  EXPECT_EQ(c.Language, "en");
#ifdef _WIN32
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, platform::Widen(key).c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\QUORVIK Media\\Lantervo Tests");
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\QUORVIK Media");
#else
  EXPECT_TRUE(dir.Exists("lantervo/registry.reg"));
  unsetenv("XDG_CONFIG_HOME");
#endif
}

}  // namespace
}  // namespace lantervo
