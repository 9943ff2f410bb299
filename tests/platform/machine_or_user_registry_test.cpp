// The machine hive where it can be written, the user's where it cannot: which hive each key path
// settles on, where writes land, and what a read sees once a path lives on the user's hive.
#include "platform/machine_or_user_registry.h"

#include <gtest/gtest.h>

#include "tests/support/memory_registry.h"

namespace lantervo::platform {
namespace {

constexpr const char* kKey = "Software\\QUORVIK Media\\Lantervo";
constexpr const char* kOther = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class MachineOrUserTest : public ::testing::Test {
 protected:
  std::string Text(const std::string& path, const std::string& name) {
    auto key = registry.Open(path, RegistryAccess::Read);
    if (!key) return "<no key>";
    const QueryResult r = key->Query(name);
    if (r.status == QueryStatus::Missing) return "<missing>";
    if (r.status == QueryStatus::Failed) return "<failed>";
    return r.value.type == RegistryType::DWord ? std::to_string(r.value.dword) : r.value.text;
  }

  test::MemoryRegistry machine;
  test::MemoryRegistry user;
  MachineOrUserRegistry registry{machine, user};
};

TEST_F(MachineOrUserTest, AWritableMachineHiveIsUsedAloneAndTheUserHiveIsNeverOpened) {
  {
    auto key = registry.Open(kKey, RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetString("Language", "cs"));
    EXPECT_TRUE(key->SetDWord("LogEnabled", 1));
    EXPECT_TRUE(key->DeleteValue("Language"));
    EXPECT_TRUE(key->SetString("Language", "en"));
  }
  EXPECT_EQ(Text(kKey, "Language"), "en");
  EXPECT_EQ(Text(kKey, "LogEnabled"), "1");
  EXPECT_EQ(machine.Get(kKey, "Language").value.text, "en");
  EXPECT_FALSE(registry.OnUserHive(kKey));
  EXPECT_TRUE(user.Opens().empty());
  EXPECT_FALSE(user.HasKey(kKey));
  // Reads on the machine hive see the machine alone, even a value the user's hive holds.
  user.PutString(kKey, "Language", "cs");
  EXPECT_EQ(Text(kKey, "Language"), "en");
  EXPECT_EQ(machine.OpenKeys(), 0);
}

TEST_F(MachineOrUserTest, WithoutWriteAccessTheUserValuesLieOverTheMachineDefaults) {
  machine.PutString(kKey, "Language", "cs");
  machine.PutString(kKey, "CheckInterval", "300");
  machine.DenyWriteOpens(true);

  EXPECT_EQ(Text(kKey, "CheckInterval"), "300");
  EXPECT_TRUE(registry.OnUserHive(kKey));
  ASSERT_TRUE(registry.Open(kKey, RegistryAccess::Write)->SetString("CheckInterval", "60"));
  EXPECT_EQ(user.Get(kKey, "CheckInterval").value.text, "60");
  EXPECT_EQ(machine.Get(kKey, "CheckInterval").value.text, "300");
  EXPECT_TRUE(machine.WriteAttempts().empty());

  EXPECT_EQ(Text(kKey, "CheckInterval"), "60");
  EXPECT_EQ(Text(kKey, "Language"), "cs");
  EXPECT_EQ(Text(kKey, "Missing"), "<missing>");
  // Deleting the user's value uncovers the machine's again.
  ASSERT_TRUE(registry.Open(kKey, RegistryAccess::Write)->DeleteValue("CheckInterval"));
  EXPECT_EQ(Text(kKey, "CheckInterval"), "300");
  // The overlay is opened for reading, as the caller asked.
  EXPECT_FALSE(registry.Open(kKey, RegistryAccess::Read)->SetString("Language", "en"));
  EXPECT_EQ(machine.OpenKeys() + user.OpenKeys(), 0);
}

TEST_F(MachineOrUserTest, AMachineKeyThatDoesNotExistReadsFromTheUserHiveAlone) {
  machine.DenyWriteOpens(true);
  EXPECT_EQ(Text(kKey, "Language"), "<missing>");
  ASSERT_TRUE(registry.Open(kKey, RegistryAccess::Write)->SetString("Language", "en"));
  EXPECT_EQ(Text(kKey, "Language"), "en");
  EXPECT_FALSE(machine.HasKey(kKey));
}

TEST_F(MachineOrUserTest, AFailedWriteOnAnOpenMachineKeyIsRepeatedOnTheUserHiveAndStaysThere) {
  machine.FailWritesAfter(1);
  {
    auto key = registry.Open(kKey, RegistryAccess::Write);
    ASSERT_NE(key, nullptr);
    EXPECT_TRUE(key->SetString("Version", "0.9.19"));
    EXPECT_FALSE(registry.OnUserHive(kKey));
    EXPECT_TRUE(key->SetDWord("CheckUpdate", 1));
    EXPECT_TRUE(registry.OnUserHive(kKey));
    EXPECT_TRUE(key->SetString("VerifyURL", "http://"));
  }
  // The machine saw the write that worked and the one that failed, nothing after.
  EXPECT_EQ(machine.WriteAttempts(), (std::vector<std::string>{"Version", "CheckUpdate"}));
  EXPECT_EQ(user.WriteAttempts(), (std::vector<std::string>{"CheckUpdate", "VerifyURL"}));
  EXPECT_EQ(Text(kKey, "Version"), "0.9.19");  // the machine's, under the user's values
  EXPECT_EQ(Text(kKey, "CheckUpdate"), "1");
  EXPECT_EQ(Text(kKey, "VerifyURL"), "http://");
  // Writable again, the machine is not asked again in this process.
  machine.FailWritesAfter(-1);
  ASSERT_TRUE(registry.Open(kKey, RegistryAccess::Write)->SetString("Language", "en"));
  EXPECT_EQ(user.Get(kKey, "Language").value.text, "en");
  EXPECT_EQ(machine.Get(kKey, "Language").status, QueryStatus::Missing);
}

TEST_F(MachineOrUserTest, EachKeyPathSettlesOnItsOwnAndSpellingsOfOneKeyShareTheirPlace) {
  machine.FailWritesAfter(0);
  ASSERT_TRUE(registry.Open(kKey, RegistryAccess::Write)->SetString("Language", "en"));
  machine.FailWritesAfter(-1);
  ASSERT_TRUE(registry.Open(kOther, RegistryAccess::Write)->SetString("Lantervo", "x"));
  EXPECT_TRUE(registry.OnUserHive(kKey));
  EXPECT_TRUE(registry.OnUserHive("\\software\\quorvik media\\LANTERVO\\"));
  EXPECT_FALSE(registry.OnUserHive(kOther));
  EXPECT_EQ(machine.Get(kOther, "Lantervo").value.text, "x");
  EXPECT_EQ(user.Get(kKey, "Language").value.text, "en");
}

TEST_F(MachineOrUserTest, WhenNeitherHiveCanBeWrittenWritesFailAndOnlyTheMachineReads) {
  machine.DenyWriteOpens(true);
  user.FailOpen(true);
  EXPECT_EQ(registry.Open(kKey, RegistryAccess::Write), nullptr);
  EXPECT_EQ(registry.Open(kKey, RegistryAccess::Read), nullptr);  // no key anywhere
  machine.PutString(kKey, "Language", "cs");
  EXPECT_EQ(Text(kKey, "Language"), "cs");

  // A user key that opens but refuses every write fails the write as well.
  user.FailOpen(false);
  user.FailWritesAfter(0);
  auto key = registry.Open(kKey, RegistryAccess::Write);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->SetString("Language", "en"));
  EXPECT_EQ(Text(kKey, "Language"), "cs");
}

TEST_F(MachineOrUserTest, AFailedMachineWriteWithNoUserKeyFailsEveryLaterWriteOfThatKey) {
  machine.FailWritesAfter(0);
  user.FailOpen(true);
  auto key = registry.Open(kKey, RegistryAccess::Write);
  ASSERT_NE(key, nullptr);
  EXPECT_FALSE(key->SetString("Version", "0.9.19"));
  EXPECT_FALSE(key->SetDWord("CheckUpdate", 1));
  EXPECT_EQ(machine.WriteAttempts(), std::vector<std::string>{"Version"});
  EXPECT_EQ(key->Query("Version").status, QueryStatus::Failed);
}

TEST_F(MachineOrUserTest, NamesItsTwoHivesWhereAStoreOfOneNamesNone) {
  EXPECT_EQ(registry.MachineHive(), &machine);
  EXPECT_EQ(registry.UserHive(), &user);
  EXPECT_EQ(machine.MachineHive(), nullptr);
  EXPECT_EQ(machine.UserHive(), nullptr);
}

}  // namespace
}  // namespace lantervo::platform
