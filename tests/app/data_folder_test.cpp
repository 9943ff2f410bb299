// A program folder the user cannot write (Program Files for a standard user, a system folder on
// Linux): the list a previous start left there follows the user into their own data folder, the
// log says so once, and temporaries of a killed save are cleared.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/data_folder.h"
#include "platform/folder.h"
#include "tests/app/program_fixture.h"

namespace lantervo::test {
namespace {

using ::testing::HasSubstr;

class ReadOnlyProgramFolderTest : public ProgramTest {
 protected:
  void SetUp() override {
    PutConfig();
    // The list as an earlier, privileged start left it beside the program.
    WriteList({{"Intranet", "http://intranet/", "OK", "OK", 12, true},
               {"Shop", "http://shop/", "", "", -1, false}});
    programList = FileText("LTV.xml");
    programDir.Write("LTV.xml", programList);
    ASSERT_TRUE(platform::RemoveFile(dir.File("LTV.xml")));
  }

  DataFolderChoice Choose() {
    return ChooseDataFolder(
        {programDir.Path(), dir.Path(), false,
         [this](const std::string& folder) { return folder != programDir.Path(); }});
  }

  std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  TempDir programDir;
  std::string programList;
};

TEST_F(ReadOnlyProgramFolderTest, TheListFollowsTheUserAndTheLogSaysSoOnce) {
  const DataFolderChoice first = Choose();
  ASSERT_EQ(first.folder, dir.Path());
  ASSERT_EQ(first.note, DataFolderChoice::Note::ListCopied);
  dataFolderNote = first.note;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  // The user's servers, not a new list with the default entry, and no recreation box.
  EXPECT_THAT(Rows(), ::testing::ElementsAre(
                          Row{"Intranet", "http://intranet/", "", "Waiting...", -1, true},
                          Row{"Shop", "http://shop/", "", "Waiting...", -1, false}));
  EXPECT_TRUE(BoxTexts().empty());
  const std::string line =
      "The program's folder cannot be written; the server list was copied to " + dir.Path();
  EXPECT_THAT(FileText("LTV.log"), HasSubstr(LogLine("SYSTEM", line)));
  AddThroughDialog("Wiki", "http://wiki/");
  Quit();

  // The next start finds the copy in use: nothing new to say, and the change kept.
  const DataFolderChoice second = Choose();
  EXPECT_EQ(second.folder, dir.Path());
  EXPECT_EQ(second.note, DataFolderChoice::Note::None);
  dataFolderNote = second.note;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_EQ(Rows().size(), 3u);
  EXPECT_EQ(Count(FileText("LTV.log"), "cannot be written"), 1u);
  Quit();
  // The list beside the program was only ever read.
  EXPECT_EQ(programDir.Read("LTV.xml"), programList);
}

TEST_F(ReadOnlyProgramFolderTest, WithoutAListBesideTheProgramTheNewListStartsInTheUserFolder) {
  ASSERT_TRUE(platform::RemoveFile(programDir.File("LTV.xml")));
  const DataFolderChoice choice = Choose();
  ASSERT_EQ(choice.note, DataFolderChoice::Note::NewInUserFolder);
  dataFolderNote = choice.note;
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_TRUE(dir.Exists("LTV.xml"));
  EXPECT_THAT(
      FileText("LTV.log"),
      HasSubstr("The program's folder cannot be written; the server list and the log are kept in " +
                dir.Path()));
  Quit();
}

TEST_F(ReadOnlyProgramFolderTest, ASaveKilledHalfWayLeavesNothingForTheNextStart) {
  dir.Write("LTV.xml", programList);
  // A dead process's copy goes; one of this process, and files merely named alike, stay.
  dir.Write("LTV.xml.tmp4294967-0", "<half");
  const std::string own = "LTV.xml.tmp" + std::to_string(platform::CurrentProcessId()) + "-99";
  dir.Write(own, "<busy");
  dir.Write("LTV.xml.tmpnotes", "mine");
  ASSERT_EQ(Start(), Program::StartResult::Running);
  EXPECT_FALSE(dir.Exists("LTV.xml.tmp4294967-0"));
  EXPECT_TRUE(dir.Exists(own));
  EXPECT_TRUE(dir.Exists("LTV.xml.tmpnotes"));
  EXPECT_EQ(Rows().size(), 2u);
  Quit();
}

}  // namespace
}  // namespace lantervo::test
