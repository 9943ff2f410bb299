// The autostart entry: what reading it says about an executable (quotes, letter case,
// arguments), and writing and removing it, in this platform's place for it.
#include "platform/autostart.h"

#include <gtest/gtest.h>

#include "platform/machine_or_user_registry.h"
#include "platform/registry.h"
#include "tests/support/memory_registry.h"
#include "tests/support/temp_dir.h"

namespace lantervo::platform {
namespace {

TEST(AutostartCommandTest, EveryQuoteIsDroppedAndTheRestMustMatchExactly) {
  const std::string path = "C:\\Program Files\\Lantervo\\Lantervo.exe";
  EXPECT_TRUE(AutostartStartsExecutable("\"" + path + "\"", path));
  EXPECT_TRUE(AutostartStartsExecutable(path, path));
  EXPECT_TRUE(AutostartStartsExecutable("\"C:\\Program Files\\\"Lantervo\\Lantervo.exe", path));
  EXPECT_FALSE(AutostartStartsExecutable("\"c:\\program files\\lantervo\\lantervo.exe\"", path));
  EXPECT_FALSE(AutostartStartsExecutable("\"" + path + "\" /minimized", path));
  EXPECT_FALSE(AutostartStartsExecutable("\"" + path + " \"", path));
  EXPECT_FALSE(AutostartStartsExecutable("", path));
  EXPECT_TRUE(AutostartStartsExecutable("\"\"", ""));
}

TEST(DesktopEntryTest, ExecComesFromTheDesktopEntryGroupOnly) {
  EXPECT_EQ(DesktopEntryExec(DesktopEntryText("\"/opt/lantervo/lantervo\"")),
            "\"/opt/lantervo/lantervo\"");
  EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\r\nName=x\r\nExec = /bin/a b\r\n"), "/bin/a b");
  EXPECT_EQ(DesktopEntryExec("# Exec=/no\n[Other]\nExec=/no\n[Desktop Entry]\nExec=/yes\n"),
            "/yes");
  EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nExec[cs]=/no\nExecutable=/no\nTryExec=/no\n"), "");
  EXPECT_EQ(DesktopEntryExec("Exec=/outside/any/group\n"), "");
  EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nExec=/first\nExec=/second\n"), "/first");
  EXPECT_EQ(DesktopEntryExec(""), "");
}

class AutostartTest : public testing::Test {
 protected:
  // What another program (or another copy at another path) left there.
  void PutCommand(const std::string& command) {
#ifdef _WIN32
    registry.PutString(kRunKeyPath, kAutostartValueName, command);
#else
    // The folder comes from a write of our own; the entry is then replaced.
    ASSERT_TRUE(WriteAutostart(place, "x"));
    dir.Write(std::string("autostart/") + kAutostartEntryName, DesktopEntryText(command));
#endif
  }
  bool EntryExists() const {
#ifdef _WIN32
    return registry.Get(kRunKeyPath, kAutostartValueName).status == QueryStatus::Found;
#else
    return dir.Exists(std::string("autostart/") + kAutostartEntryName);
#endif
  }

  test::TempDir dir;
  test::MemoryRegistry registry;
  AutostartPlace place{&registry, dir.Path()};
  const std::string exe = dir.File("Lantervo.exe");
};

TEST_F(AutostartTest, NoEntryReadsAsEmpty) {
  EXPECT_EQ(ReadAutostartCommand(place), "");
  EXPECT_FALSE(EntryExists());
}

TEST_F(AutostartTest, WrittenEntryHoldsTheQuotedPathAndReadsBackAsThisExecutable) {
  ASSERT_TRUE(WriteAutostart(place, exe));
  EXPECT_TRUE(EntryExists());
  EXPECT_EQ(ReadAutostartCommand(place), "\"" + exe + "\"");
  EXPECT_TRUE(AutostartStartsExecutable(ReadAutostartCommand(place), exe));
#ifdef _WIN32
  const QueryResult stored = registry.Get(kRunKeyPath, kAutostartValueName);
  EXPECT_EQ(stored.value.nativeType, 1u);  // REG_SZ
  EXPECT_EQ(stored.value.text, "\"" + exe + "\"");
#else
  EXPECT_NE(
      dir.Read(std::string("autostart/") + kAutostartEntryName).find("\nExec=\"" + exe + "\"\n"),
      std::string::npos);
#endif
}

TEST_F(AutostartTest, AnotherCommandIsReadAsStoredAndNotTakenForThisExecutable) {
  PutCommand("\"" + exe + "\" --hidden");
  EXPECT_EQ(ReadAutostartCommand(place), "\"" + exe + "\" --hidden");
  EXPECT_FALSE(AutostartStartsExecutable(ReadAutostartCommand(place), exe));
}

TEST_F(AutostartTest, RemovingDropsAnyEntryAndAnAbsentOneIsNoError) {
  PutCommand("\"/another/copy/lantervo\"");
  ASSERT_TRUE(EntryExists());
  EXPECT_TRUE(RemoveAutostart(place));
  EXPECT_FALSE(EntryExists());
  EXPECT_EQ(ReadAutostartCommand(place), "");
  EXPECT_TRUE(RemoveAutostart(place));
}

#ifdef _WIN32
TEST_F(AutostartTest, TheRunKeyIsOpenedWithTheAccessOfTheOperation) {
  ReadAutostartCommand(place);
  WriteAutostart(place, exe);
  RemoveAutostart(place);
  EXPECT_EQ(registry.Opens(),
            (std::vector<RegistryAccess>{RegistryAccess::Read, RegistryAccess::Write,
                                         RegistryAccess::Write}));
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(AutostartTest, ARunKeyThatCannotBeOpenedChangesNothing) {
  registry.FailOpen(true);
  EXPECT_EQ(ReadAutostartCommand(place), "");
  EXPECT_FALSE(WriteAutostart(place, exe));
  EXPECT_FALSE(RemoveAutostart(place));
}

// The machine's Run key where this user may write it, the user's own otherwise.
class AutostartHivesTest : public AutostartTest {
 protected:
  QueryStatus In(test::MemoryRegistry& hive) const {
    return hive.Get(kRunKeyPath, kAutostartValueName).status;
  }
  test::MemoryRegistry& machine = registry;
  test::MemoryRegistry user;
  MachineOrUserRegistry hives{machine, user};
  AutostartPlace both{&hives, dir.Path()};
};

TEST_F(AutostartHivesTest, AnAdministratorWritesTheMachinesRunKeyOnly) {
  ASSERT_TRUE(WriteAutostart(both, exe));
  EXPECT_EQ(machine.Get(kRunKeyPath, kAutostartValueName).value.text, "\"" + exe + "\"");
  EXPECT_EQ(In(user), QueryStatus::Missing);
  EXPECT_TRUE(AutostartStartsExecutable(both, exe));
  EXPECT_TRUE(RemoveAutostart(both));
  EXPECT_EQ(In(machine), QueryStatus::Missing);
  EXPECT_FALSE(AutostartStartsExecutable(both, exe));
}

TEST_F(AutostartHivesTest, AStandardUserWritesTheirOwnRunKeyAndTheBoxSeesIt) {
  machine.PutString(kRunKeyPath, "Other", "other.exe");  // the key exists, as on every Windows
  machine.DenyWriteOpens(true);
  ASSERT_TRUE(WriteAutostart(both, exe));
  EXPECT_EQ(user.Get(kRunKeyPath, kAutostartValueName).value.text, "\"" + exe + "\"");
  EXPECT_EQ(In(machine), QueryStatus::Missing);
  EXPECT_TRUE(AutostartStartsExecutable(both, exe));
  EXPECT_EQ(ReadAutostartCommand(both), "\"" + exe + "\"");
  // Nothing in the machine's key, so the user's removal is complete.
  EXPECT_TRUE(RemoveAutostart(both));
  EXPECT_EQ(In(user), QueryStatus::Missing);
  EXPECT_FALSE(AutostartStartsExecutable(both, exe));
}

TEST_F(AutostartHivesTest, AMachineKeyThatRefusesTheValueSendsItToTheUser) {
  machine.FailWritesAfter(0);
  ASSERT_TRUE(WriteAutostart(both, exe));
  EXPECT_EQ(In(user), QueryStatus::Found);
  EXPECT_EQ(In(machine), QueryStatus::Missing);
}

TEST_F(AutostartHivesTest, EitherHivesValueChecksTheBoxAndRemovalClearsBoth) {
  machine.PutString(kRunKeyPath, kAutostartValueName, "\"C:\\Elsewhere\\Lantervo.exe\"");
  user.PutString(kRunKeyPath, kAutostartValueName, exe);
  EXPECT_TRUE(AutostartStartsExecutable(both, exe));
  EXPECT_EQ(ReadAutostartCommands(both),
            (std::vector<std::string>{"\"C:\\Elsewhere\\Lantervo.exe\"", exe}));
  EXPECT_TRUE(RemoveAutostart(both));
  EXPECT_EQ(In(machine), QueryStatus::Missing);
  EXPECT_EQ(In(user), QueryStatus::Missing);
}

TEST_F(AutostartHivesTest, AMachineValueThisUserCannotRemoveIsReportedAndKept) {
  machine.PutString(kRunKeyPath, kAutostartValueName, "\"" + exe + "\"");
  user.PutString(kRunKeyPath, kAutostartValueName, "\"" + exe + "\"");
  machine.DenyWriteOpens(true);
  EXPECT_FALSE(RemoveAutostart(both));
  EXPECT_EQ(In(machine), QueryStatus::Found);
  EXPECT_EQ(In(user), QueryStatus::Missing);  // what could go, went
  EXPECT_TRUE(AutostartStartsExecutable(both, exe));
}

TEST_F(AutostartHivesTest, WithNeitherHiveWritableNothingIsWritten) {
  machine.DenyWriteOpens(true);
  user.FailOpen(true);
  EXPECT_FALSE(WriteAutostart(both, exe));
  // The user's key cannot even be read, so whether an entry is left is unknown.
  EXPECT_FALSE(RemoveAutostart(both));
  EXPECT_FALSE(AutostartStartsExecutable(both, exe));
}
#else
TEST_F(AutostartTest, TheFolderIsCreatedWhenMissing) {
  AutostartPlace nested{nullptr, dir.File("fresh/config")};
  ASSERT_TRUE(WriteAutostart(nested, exe));
  EXPECT_TRUE(dir.Exists(std::string("fresh/config/autostart/") + kAutostartEntryName));
}

TEST_F(AutostartTest, APathWithALineBreakIsNeverWritten) {
  EXPECT_FALSE(WriteAutostart(place, "/tmp/evil\nExec=/bin/other"));
  EXPECT_FALSE(EntryExists());
}

TEST_F(AutostartTest, AFolderThatCannotBeCreatedChangesNothing) {
  dir.Write("blocker", "a file where the folder would go");
  AutostartPlace blocked{nullptr, dir.File("blocker")};
  EXPECT_FALSE(WriteAutostart(blocked, exe));
  EXPECT_EQ(ReadAutostartCommand(blocked), "");
}
#endif

}  // namespace
}  // namespace lantervo::platform
