// The configuration of a user who may not write HKEY_LOCAL_MACHINE: the defaults and the user's
// own values go to the same key under the user's hive, values an administrator wrote for the
// machine stay readable beneath them, and an administrator's start changes nothing.
#include <gtest/gtest.h>

#include "core/config_store.h"
#include "platform/error.h"
#include "platform/machine_or_user_registry.h"
#include "platform/paths.h"
#include "tests/support/memory_registry.h"

namespace lantervo {
namespace {

const std::vector<std::string> kDefaultOrder = {
    "Version", "CheckUpdate", "VerifyURL",    "VerifyEnabled", "CheckInterval",
    "LogFile", "LogEnabled",  "BalloonLevel", "HotkeyEnabled", "Language"};

class StandardUserConfigTest : public ::testing::Test {
 protected:
  // What an administrator left for every user of the machine.
  void PutMachineSet() {
    machine.PutString(kConfigKeyPath, "Version", "0.9.19");
    machine.PutDWord(kConfigKeyPath, "CheckUpdate", 0);
    machine.PutString(kConfigKeyPath, "VerifyURL", "http://intranet/");
    machine.PutDWord(kConfigKeyPath, "VerifyEnabled", 1);
    machine.PutDWord(kConfigKeyPath, "LogEnabled", 0);
    machine.PutString(kConfigKeyPath, "LogFile", "C:\\Logs\\LTV.log");
    machine.PutString(kConfigKeyPath, "CheckInterval", "600");
    machine.PutString(kConfigKeyPath, "BalloonLevel", "1");
    machine.PutDWord(kConfigKeyPath, "HotkeyEnabled", 1);
    machine.PutString(kConfigKeyPath, "Language", "cs");
  }
  // Start-up's first-run recovery: load, else write the defaults and load again.
  void StartUp(platform::Registry& registry) {
    try {
      LoadConfig(registry, config);
    } catch (const Error&) {
      WriteDefaultConfig(registry, "C:\\Lantervo");
      LoadConfig(registry, config);
    }
  }
  static std::string DefaultLog() {
    return std::string("C:\\Lantervo") + platform::PathSeparator() + "LTV.log";
  }

  test::MemoryRegistry machine;
  test::MemoryRegistry user;
  platform::MachineOrUserRegistry registry{machine, user};
  ConfigStore config;
};

TEST_F(StandardUserConfigTest, FirstStartWritesTheDefaultsUnderTheUserAndLoadsThem) {
  machine.DenyWriteOpens(true);
  EXPECT_THROW(LoadConfig(registry, config), Error);
  ASSERT_TRUE(WriteDefaultConfig(registry, "C:\\Lantervo"));
  EXPECT_EQ(user.WriteAttempts(), kDefaultOrder);
  EXPECT_FALSE(machine.HasKey(kConfigKeyPath));
  LoadConfig(registry, config);
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.Version, "0.9.19");
  EXPECT_TRUE(c.CheckUpdate);
  EXPECT_EQ(c.CheckInterval, 300);
  EXPECT_EQ(c.LogFile, DefaultLog());
  EXPECT_EQ(c.BalloonLevel, 3);
  EXPECT_EQ(c.Language, "en");

  // The user's own change survives the next start of the program: nothing is rewritten.
  user.PutString(kConfigKeyPath, "CheckInterval", "45");
  platform::MachineOrUserRegistry nextStart{machine, user};
  ConfigStore reloaded;
  LoadConfig(nextStart, reloaded);
  EXPECT_EQ(reloaded.Snapshot().CheckInterval, 45);
  EXPECT_EQ(user.WriteAttempts().size(), kDefaultOrder.size());
}

TEST_F(StandardUserConfigTest, AnAdministratorsSetIsLoadedAndTheUsersSaveLiesOverIt) {
  PutMachineSet();
  machine.DenyWriteOpens(true);
  StartUp(registry);
  EXPECT_TRUE(user.WriteAttempts().empty());
  EXPECT_EQ(config.Snapshot().CheckInterval, 600);
  EXPECT_EQ(config.Snapshot().Language, "cs");

  // The settings dialog writes its values; the machine's stay as they were.
  {
    auto key = registry.Open(kConfigKeyPath, platform::RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    ASSERT_TRUE(key->SetString("CheckInterval", "120"));
    ASSERT_TRUE(key->SetString("Language", "en"));
  }
  EXPECT_EQ(machine.Get(kConfigKeyPath, "CheckInterval").value.text, "600");
  LoadConfig(registry, config);
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.CheckInterval, 120);
  EXPECT_EQ(c.Language, "en");
  EXPECT_EQ(c.VerifyURL, "http://intranet/");  // still the machine's
  EXPECT_TRUE(c.HotkeyEnabled);
}

TEST_F(StandardUserConfigTest, ABadValueInTheMachineSetIsRepairedUnderTheUserAlone) {
  PutMachineSet();
  machine.Remove(kConfigKeyPath, "HotkeyEnabled");
  machine.DenyWriteOpens(true);
  StartUp(registry);
  EXPECT_EQ(user.WriteAttempts(), kDefaultOrder);
  const AppConfig c = config.Snapshot();
  EXPECT_EQ(c.CheckInterval, 300);
  EXPECT_FALSE(c.HotkeyEnabled);
  EXPECT_EQ(c.Language, "en");
  EXPECT_EQ(machine.Get(kConfigKeyPath, "HotkeyEnabled").status, platform::QueryStatus::Missing);
}

TEST_F(StandardUserConfigTest, AMachineKeyThatRefusesAWriteHandsTheWholeSetToTheUser) {
  machine.FailWritesAfter(0);
  StartUp(registry);
  EXPECT_EQ(machine.WriteAttempts(), std::vector<std::string>{"Version"});
  EXPECT_EQ(user.WriteAttempts(), kDefaultOrder);
  EXPECT_EQ(config.Snapshot().LogFile, DefaultLog());
  EXPECT_TRUE(registry.OnUserHive(kConfigKeyPath));
}

TEST_F(StandardUserConfigTest, AnAdministratorsStartUsesTheMachineAloneAsBefore) {
  StartUp(registry);
  EXPECT_EQ(machine.WriteAttempts(), kDefaultOrder);
  EXPECT_EQ(config.Snapshot().CheckInterval, 300);
  EXPECT_TRUE(user.Opens().empty());
  EXPECT_FALSE(user.HasKey(kConfigKeyPath));
}

TEST_F(StandardUserConfigTest, WhenNeitherHiveCanBeWrittenTheDefaultsFailAndSoDoesTheLoad) {
  machine.DenyWriteOpens(true);
  user.FailOpen(true);
  EXPECT_FALSE(WriteDefaultConfig(registry, "C:\\Lantervo"));
  EXPECT_THROW(LoadConfig(registry, config), Error);

  user.FailOpen(false);
  user.FailWritesAfter(0);
  EXPECT_FALSE(WriteDefaultConfig(registry, "C:\\Lantervo"));
  EXPECT_THROW(LoadConfig(registry, config), Error);
}

}  // namespace
}  // namespace lantervo
