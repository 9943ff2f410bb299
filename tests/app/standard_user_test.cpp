// The program started by a user who may not write HKEY_LOCAL_MACHINE, as Windows starts it for a
// standard user while User Account Control is on: the configuration lives under the user's own
// hive, the first start says "Default configuration used" as usual, and the fatal box is left to
// a machine where no hive can be written.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/autostart.h"
#include "platform/machine_or_user_registry.h"
#include "tests/app/program_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class StandardUserTest : public ProgramTest {
 protected:
  StandardUserTest() { registry.DenyWriteOpens(true); }

  // A new process over the machine hive (the fixture's registry) and the user's hive.
  Program::StartResult StartAsUser() {
    program.reset();
    desktop = std::make_unique<HeadlessDesktop>();
    hives = std::make_unique<platform::MachineOrUserRegistry>(registry, userHive);
    ProgramServices base = Services();
    program = std::make_unique<Program>(ProgramServices{
        *desktop, *hives, base.executableFolder, base.dataFolderNote, base.makeHttpClient,
        base.makeLog, base.clock, base.updateEndpoint, base.onDroppedError});
    const Program::StartResult result = program->Start();
    if (result == Program::StartResult::Running) {
      settings().SetAutostartPlace(dir.File("config"), dir.File("Lantervo.exe"));
      main().Show();
    }
    return result;
  }
  TformSettings& settings() { return dynamic_cast<TformSettings&>(*program->SettingsForm()); }

  MemoryRegistry userHive;
  std::unique_ptr<platform::MachineOrUserRegistry> hives;
};

TEST_F(StandardUserTest, FirstStartRunsOnTheUsersHiveWithTheDefaults) {
  ASSERT_EQ(Start(), Program::StartResult::Stopped);  // the old program on this machine
  ASSERT_THAT(BoxTexts(), ElementsAre("Unabled to write default configuration. Application "
                                      "stopped!"));

  ASSERT_EQ(StartAsUser(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(),
              ElementsAre("Default configuration used", "Dataset does not exist. File recreated."));
  EXPECT_EQ(desktop->MessageBoxes()[0].caption, "Application notification");
  EXPECT_FALSE(registry.HasKey(kKey));
  EXPECT_EQ(userHive.Get(kKey, "LogFile").value.text, dir.File("LTV.log"));
  EXPECT_EQ(userHive.Get(kKey, "CheckInterval").value.text, "300");
  EXPECT_EQ(program->Config().Snapshot().CheckInterval, 300);
  EXPECT_EQ(main().timerCheck->Interval(), 300000u);
  EXPECT_NE(FileText("LTV.log").find("Default configuration used"), std::string::npos);
  EXPECT_THAT(dropped, IsEmpty());
  Quit();

  // The next start finds the user's configuration and says nothing about it.
  ASSERT_EQ(StartAsUser(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(), IsEmpty());
}

TEST_F(StandardUserTest, SettingsAreSavedUnderTheUserWithoutTheWriteWarning) {
  PutConfig();  // an administrator's configuration for the machine
  WriteList({});
  ASSERT_EQ(StartAsUser(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_EQ(program->Config().Snapshot().BalloonLevel, 4);

  ASSERT_TRUE(main().actionSettings->Execute());
  EXPECT_EQ(settings().editCheckInterval->Text(), "300");
  settings().editCheckInterval->SetText("90");
  settings().checkboxAfterStart->SetChecked(true);
  settings().buttonSave->Click();
  EXPECT_FALSE(settings().Visible());
  EXPECT_THAT(BoxTexts(), IsEmpty());
  EXPECT_EQ(userHive.Get(kKey, "CheckInterval").value.text, "90");
  EXPECT_EQ(registry.Get(kKey, "CheckInterval").value.text, "300");
  EXPECT_EQ(program->Config().Snapshot().CheckInterval, 90);
  EXPECT_EQ(main().timerCheck->Interval(), 90000u);
  EXPECT_EQ(program->Config().Snapshot().BalloonLevel, 4);  // saved by the dialog too
#ifdef _WIN32
  // The Run value for this user alone, since the machine's Run key is closed to them.
  EXPECT_EQ(userHive.Get(platform::kRunKeyPath, platform::kAutostartValueName).value.text,
            "\"" + dir.File("Lantervo.exe") + "\"");
  EXPECT_FALSE(registry.HasKey(platform::kRunKeyPath));
#endif
  ASSERT_TRUE(main().actionSettings->Execute());
  EXPECT_TRUE(settings().checkboxAfterStart->Checked());
}

TEST_F(StandardUserTest, WithNoHiveWritableTheProgramStillStopsAfterOneBox) {
  userHive.FailWritesAfter(0);
  EXPECT_EQ(StartAsUser(), Program::StartResult::Stopped);
  ASSERT_EQ(desktop->MessageBoxes().size(), 1u);
  EXPECT_EQ(desktop->MessageBoxes()[0].caption, "Application error");
  EXPECT_EQ(desktop->MessageBoxes()[0].text,
            "Unabled to write default configuration. Application stopped!");
  EXPECT_EQ(program->ServersForm(), nullptr);
}

}  // namespace
}  // namespace lantervo::test
