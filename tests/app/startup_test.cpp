// Start-up as a fresh process meets the machine: the first start with nothing there, a second
// instance, a list that cannot be read or saved, an empty list, a configuration that cannot
// be written; and what every start does to the rows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/list_preload.h"
#include "platform/paths.h"
#include "tests/app/program_fixture.h"
#include "ui/server_form.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ProgramTest, FirstStartOnAnEmptyMachineRepairsEverythingAndSaysSoInOrder) {
  ASSERT_EQ(Start(), Program::StartResult::Running);

  const auto& boxes = desktop->MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Application notification");
  EXPECT_EQ(boxes[0].text, "Default configuration used");
  EXPECT_EQ(boxes[0].icon, MessageBoxIcon::Information);
  EXPECT_EQ(boxes[0].owner, "MainForm");
  EXPECT_EQ(boxes[1].caption, "Application notification");
  EXPECT_EQ(boxes[1].text, "Dataset does not exist. File recreated.");
  EXPECT_EQ(boxes[1].icon, MessageBoxIcon::Information);

  EXPECT_EQ(FileText("LTV.log"),
            LogLine("SYSTEM", "Default configuration used") +
                LogLine("SYSTEM",
                        "Dataset does not exist. File recreated: setServer: Missing data "
                        "provider or data packet"));
  EXPECT_THAT(Rows(), ElementsAre(Row{"QUORVIK Media", "http://" LANTERVO_VENDOR_HOST "/", "",
                                      "Waiting...", -1, true}));
  EXPECT_EQ(main().setServer.GetInt("Timeout"), 300);
  // The recreated file holds the empty list until the default entry is saved at exit.
  EXPECT_THAT(SavedRows(), IsEmpty());
  EXPECT_FALSE(platform::FileExists(dir.File("LTV.xml.bak")));

  // The defaults are in the registry, the log goes beside the program.
  EXPECT_EQ(registry.Get(kKey, "LogFile").value.text, dir.File("LTV.log"));
  EXPECT_EQ(program->Config().Snapshot().CheckInterval, 300);
  EXPECT_TRUE(main().timerCheck->Enabled());
  EXPECT_EQ(main().timerCheck->Interval(), 300000u);
  EXPECT_TRUE(main().actionServerEdit->Enabled());
  EXPECT_THAT(dropped, IsEmpty());

  // All five windows exist, the dialogs know the main window.
  ASSERT_NE(program->ServersForm(), nullptr);
  EXPECT_EQ(program->ServersForm()->mainForm, &main());
  EXPECT_NE(program->SettingsForm(), nullptr);
  EXPECT_NE(program->AboutForm(), nullptr);
  EXPECT_NE(program->UpdateForm(), nullptr);

  Quit();
  EXPECT_THAT(SavedRows(), ElementsAre(Row{"QUORVIK Media", "http://" LANTERVO_VENDOR_HOST "/", "",
                                           "Waiting...", -1, true}));
}

TEST_F(ProgramTest, ASecondInstanceEndsWithoutAWordAndTouchesNothing) {
  foreignWindows = {kMainWindowClass};
  EXPECT_EQ(Start(), Program::StartResult::AnotherInstance);
  EXPECT_THAT(desktop->MessageBoxes(), IsEmpty());
  EXPECT_EQ(program->MainForm(), nullptr);
  EXPECT_FALSE(registry.HasKey(kKey));
  EXPECT_FALSE(platform::FileExists(dir.File("LTV.xml")));
  EXPECT_FALSE(platform::FileExists(dir.File("LTV.log")));
}

TEST_F(ProgramTest, AnUnreadableListIsKeptAsBackupBeforeItIsReplaced) {
  PutConfig();
  const std::string broken = "<?xml version=\"1.0\"?><DATAPACKET>written by a newer version";
  ASSERT_TRUE(platform::WriteFileAtomically(dir.File("LTV.xml"), broken).ok);
  ASSERT_TRUE(platform::WriteFileAtomically(dir.File("LTV.xml.bak"), "an older backup").ok);

  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(), ElementsAre("Dataset does not exist. File recreated."));
  EXPECT_EQ(FileText("LTV.xml.bak"), broken);
  EXPECT_EQ(FileText("LTV.log"),
            LogLine("SYSTEM", "Dataset does not exist. File recreated: Mismatch in datapacket."));
  EXPECT_THAT(Rows(), ElementsAre(Row{"QUORVIK Media", "http://" LANTERVO_VENDOR_HOST "/", "",
                                      "Waiting...", -1, true}));
}

TEST_F(ProgramTest, AListThatCannotBeSavedEndsStartUpQuietlyAndKeepsTheOldFile) {
  PutConfig();
  // The folder of the list does not exist: opening and saving both fail.
  program.reset();
  desktop = std::make_unique<HeadlessDesktop>();
  ProgramServices services = Services();
  services.executableFolder = dir.File("gone");
  program = std::make_unique<Program>(std::move(services));
  ASSERT_EQ(program->Start(), Program::StartResult::Running);

  EXPECT_THAT(desktop->MessageBoxes(), IsEmpty());
  EXPECT_EQ(dropped.size(), 1u);
  EXPECT_EQ(main().setServer.RowCount(), 0);
  EXPECT_FALSE(platform::FileExists(dir.File("gone")));
  // The windows exist and the loop runs with what was set up so far.
  EXPECT_NE(program->UpdateForm(), nullptr);
  EXPECT_TRUE(main().timerCheck->Enabled());
}

TEST_F(ProgramTest, AnEmptyValidListStartsWithTheRowCommandsOff) {
  PutConfig();
  WriteList({});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(desktop->MessageBoxes(), IsEmpty());
  EXPECT_FALSE(main().actionServerEdit->Enabled());
  EXPECT_FALSE(main().actionServerDelete->Enabled());
  EXPECT_FALSE(main().actionServerActivate->Enabled());
  EXPECT_FALSE(main().actionServerDeactivate->Enabled());
  EXPECT_TRUE(main().actionServerAdd->Enabled());
  EXPECT_TRUE(main().actionServerActivateAll->Enabled());
  EXPECT_EQ(FileText("LTV.log"), "");
  // Nothing changed: the file is left as it was at exit.
  const std::string before = FileText("LTV.xml");
  Quit();
  EXPECT_EQ(FileText("LTV.xml"), before);
}

TEST_F(ProgramTest, EveryStartShowsEveryRowAsNotYetChecked) {
  PutConfig();
  WriteList({{"Alpha", "http://alpha/", "OK", "Loaded", 120, true},
             {"Bravo", "http://bravo/", "ERR_LOAD", "Unable to load", 7, false}});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(Rows(), ElementsAre(Row{"Alpha", "http://alpha/", "", "Waiting...", -1, true},
                                  Row{"Bravo", "http://bravo/", "", "Waiting...", -1, false}));
}

TEST_F(ProgramTest, DefaultsThatCannotBeWrittenStopTheProgramAfterOneBox) {
  registry.FailWritesAfter(0);
  EXPECT_EQ(Start(), Program::StartResult::Stopped);
  ASSERT_EQ(desktop->MessageBoxes().size(), 1u);
  EXPECT_EQ(desktop->MessageBoxes()[0].caption, "Application error");
  EXPECT_EQ(desktop->MessageBoxes()[0].text,
            "Unabled to write default configuration. Application stopped!");
  EXPECT_EQ(desktop->MessageBoxes()[0].icon, MessageBoxIcon::Error);
  EXPECT_EQ(program->ServersForm(), nullptr);
  EXPECT_FALSE(platform::FileExists(dir.File("LTV.xml")));
  EXPECT_FALSE(platform::FileExists(dir.File("LTV.log")));
  EXPECT_THAT(desktop->HotKeys(), IsEmpty());
}

TEST_F(ProgramTest, OneBadValueReplacesTheWholeConfigurationWithDefaults) {
  PutConfig("cs");
  registry.Remove(kKey, "HotkeyEnabled");
  WriteList({});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(), ElementsAre("Default configuration used"));
  // Czech was readable, yet the whole set went back to the defaults.
  EXPECT_EQ(registry.Get(kKey, "Language").value.text, "en");
  EXPECT_EQ(program->Config().Snapshot().Language, "en");
  EXPECT_EQ(registry.Get(kKey, "HotkeyEnabled").status, platform::QueryStatus::Found);
}

TEST_F(ProgramTest, TheHotKeyIsRegisteredOnItsAtomAndReleasedByQuit) {
  PutConfig("en", true);
  WriteList({});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  ASSERT_EQ(desktop->HotKeys().size(), 1u);
  EXPECT_GT(main().HotkeyAtom, 0);
  EXPECT_EQ(desktop->HotKeys()[0].id, main().HotkeyAtom);
  EXPECT_EQ(desktop->HotKeys()[0].modifiers, kModControl | kModAlt);
  EXPECT_EQ(desktop->HotKeys()[0].virtualKey, 0x57u);
  EXPECT_EQ(desktop->Atoms().at("HotkeyShow"), main().HotkeyAtom);
  Quit();
  EXPECT_THAT(desktop->HotKeys(), IsEmpty());
}

TEST_F(ProgramTest, WithTheHotKeyOffNoneIsRegisteredAndQuitReleasesNothing) {
  PutConfig("en", false);
  WriteList({});
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_EQ(main().HotkeyAtom, 0);
  EXPECT_THAT(desktop->HotKeyCalls(), IsEmpty());
  Quit();
  EXPECT_THAT(desktop->HotKeyCalls(), IsEmpty());
}

// The front ends read the list on a worker thread while their windows are built; start-up then
// behaves as if it had read the file itself.
TEST_F(ProgramTest, AListReadAheadStartsAsTheSameListAndSavesAsOne) {
  PutConfig();
  WriteList({{"Bravo", "http://bravo/", "ERR_LOAD", "Unable to load", 7, false},
             {"alpha", "http://alpha/", "OK", "Loaded", 120, true}});
  const std::string written = FileText("LTV.xml");
  readAhead = true;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(desktop->MessageBoxes(), IsEmpty());
  EXPECT_THAT(Rows(), ElementsAre(Row{"alpha", "http://alpha/", "", "Waiting...", -1, true},
                                  Row{"Bravo", "http://bravo/", "", "Waiting...", -1, false}));
  EXPECT_TRUE(main().actionServerEdit->Enabled());
  // The table is the window's own: a server added now is saved after the two read, in the
  // order they entered.
  AddThroughDialog("Charlie", "http://charlie/");
  Quit();
  readAhead = false;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(Rows(), ElementsAre(Row{"alpha", "http://alpha/", "", "Waiting...", -1, true},
                                  Row{"Bravo", "http://bravo/", "", "Waiting...", -1, false},
                                  Row{"Charlie", "http://charlie/", "", "Waiting...", -1, true}));
  EXPECT_LT(FileText("LTV.xml").find("Bravo"), FileText("LTV.xml").find("alpha"));
  EXPECT_NE(written, FileText("LTV.xml"));
}

TEST_F(ProgramTest, AnUnreadableListReadAheadIsRecoveredAsOneReadOnStartUp) {
  PutConfig();
  const std::string broken = "<?xml version=\"1.0\"?><DATAPACKET>written by a newer version";
  ASSERT_TRUE(platform::WriteFileAtomically(dir.File("LTV.xml"), broken).ok);
  readAhead = true;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(), ElementsAre("Dataset does not exist. File recreated."));
  EXPECT_EQ(FileText("LTV.xml.bak"), broken);
  EXPECT_EQ(FileText("LTV.log"),
            LogLine("SYSTEM", "Dataset does not exist. File recreated: Mismatch in datapacket."));
  EXPECT_EQ(Rows().size(), 1u);
}

// A long list does not hold the window back: start-up ends without it, and the rows, the check
// timer and the row commands come from the loop once the read is done. Quit before then leaves
// the file as it was.
TEST_F(ProgramTest, ALongListReadAheadFollowsTheWindowAndQuitBeforeItKeepsTheFile) {
  PutConfig();
  std::vector<Row> rows;
  for (int i = 0; i < 6000; ++i)
    rows.push_back({"server " + std::to_string(10000 + i),
                    "http://127.0.0.1:9/" + std::string(120, 'p') + std::to_string(i), "OK",
                    "Loaded", 12, i % 2 == 0});
  WriteList(rows);
  const std::string written = FileText("LTV.xml");
  ASSERT_GE(written.size(), ListPreload::kLongFrom);
  readAhead = true;

  ASSERT_EQ(Start(), Program::StartResult::Running);
  Quit();
  EXPECT_EQ(FileText("LTV.xml"), written);
  EXPECT_THAT(dropped, IsEmpty());

  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_FALSE(main().setServer.IsOpen());
  EXPECT_FALSE(main().timerCheck->Enabled());
  EXPECT_FALSE(main().actionServerEdit->Enabled());
  WaitForTheList();
  ASSERT_TRUE(main().setServer.IsOpen());
  const std::vector<Row> shown = Rows();
  ASSERT_EQ(shown.size(), rows.size());
  EXPECT_EQ(shown.front(), (Row{rows.front().name, rows.front().url, "", "Waiting...", -1, true}));
  EXPECT_TRUE(main().timerCheck->Enabled());
  EXPECT_TRUE(main().actionServerEdit->Enabled());
  EXPECT_THAT(desktop->MessageBoxes(), IsEmpty());
  EXPECT_THAT(dropped, IsEmpty());
  Quit();
  EXPECT_EQ(SavedRows().size(), rows.size());
}

TEST_F(ProgramTest, ALongUnreadableListIsRecoveredOnceTheReadEnds) {
  PutConfig();
  const std::string broken =
      "<?xml version=\"1.0\"?><DATAPACKET>" + std::string(ListPreload::kLongFrom, 'x');
  ASSERT_TRUE(platform::WriteFileAtomically(dir.File("LTV.xml"), broken).ok);
  readAhead = true;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  WaitForTheList();
  EXPECT_THAT(BoxTexts(), ElementsAre("Dataset does not exist. File recreated."));
  EXPECT_EQ(FileText("LTV.xml.bak"), broken);
  EXPECT_EQ(Rows().size(), 1u);
}

TEST_F(ProgramTest, AMissingListReadAheadIsCreatedAsOnAFirstStart) {
  PutConfig();
  readAhead = true;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_THAT(BoxTexts(), ElementsAre("Dataset does not exist. File recreated."));
  EXPECT_TRUE(platform::FileExists(dir.File("LTV.xml")));
  EXPECT_FALSE(platform::FileExists(dir.File("LTV.xml.bak")));
}

}  // namespace
}  // namespace lantervo::test
