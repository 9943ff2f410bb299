// The choice of the data folder and the file checks under it.
#include "core/data_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/file.h"
#include "platform/folder.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace lantervo {
namespace {

class DataFolderTest : public ::testing::Test {
 protected:
  DataFolderChoice Choose(bool programWritable, bool installed = false) {
    return ChooseDataFolder({program.Path(), user.File("Lantervo"), installed,
                             [this, programWritable](const std::string& folder) {
                               return folder != program.Path() || programWritable;
                             }});
  }
  test::TempDir program;
  test::TempDir user;
};

TEST_F(DataFolderTest, AWritableProgramFolderKeepsEverythingBesideTheProgram) {
  program.Write("LTV.xml", "<list/>");
  const DataFolderChoice choice = Choose(true);
  EXPECT_EQ(choice.folder, program.Path());
  EXPECT_EQ(choice.note, DataFolderChoice::Note::None);
  EXPECT_TRUE(user.List().empty());
}

TEST_F(DataFolderTest, AReadOnlyProgramFolderHandsItsListOverOnceAndNeverAgain) {
  program.Write("LTV.xml", "<servers/>");
  DataFolderChoice choice = Choose(false);
  EXPECT_EQ(choice.folder, user.File("Lantervo"));
  EXPECT_EQ(choice.note, DataFolderChoice::Note::ListCopied);
  EXPECT_EQ(user.Read("Lantervo/LTV.xml"), "<servers/>");

  // The user's copy has moved on; the list beside the program must not overwrite it.
  user.Write("Lantervo/LTV.xml", "<servers changed/>");
  choice = Choose(false);
  EXPECT_EQ(choice.note, DataFolderChoice::Note::None);
  EXPECT_EQ(user.Read("Lantervo/LTV.xml"), "<servers changed/>");
  EXPECT_EQ(program.Read("LTV.xml"), "<servers/>");
}

TEST_F(DataFolderTest, WithNoListAnywhereTheNewOneStartsInTheUserFolder) {
  const DataFolderChoice choice = Choose(false);
  EXPECT_EQ(choice.folder, user.File("Lantervo"));
  EXPECT_EQ(choice.note, DataFolderChoice::Note::NewInUserFolder);
  EXPECT_TRUE(user.Exists("Lantervo"));
}

TEST_F(DataFolderTest, AnInstalledProgramUsesTheUserFolderWithoutANote) {
  program.Write("LTV.xml", "<stray/>");
  const DataFolderChoice choice = Choose(true, true);
  EXPECT_EQ(choice.folder, user.File("Lantervo"));
  EXPECT_EQ(choice.note, DataFolderChoice::Note::None);
  EXPECT_FALSE(user.Exists("Lantervo/LTV.xml"));
}

TEST_F(DataFolderTest, AListThatCannotBeCopiedIsUsedWhereItIs) {
  program.Write("LTV.xml", "<servers/>");
  user.Write("blocker", "a file where the folder should be");
  const DataFolderChoice choice =
      ChooseDataFolder({program.Path(), user.File("blocker") + "/Lantervo", false,
                        [this](const std::string& folder) { return folder != program.Path(); }});
  EXPECT_EQ(choice.folder, program.Path());
  EXPECT_EQ(choice.note, DataFolderChoice::Note::None);
  EXPECT_EQ(program.Read("LTV.xml"), "<servers/>");
}

TEST(FolderTest, CreatingFilesIsTriedForReal) {
  test::TempDir dir;
  EXPECT_TRUE(platform::CanCreateFilesIn(dir.Path()));
  EXPECT_TRUE(dir.List().empty());  // the probe is gone again
  EXPECT_FALSE(platform::CanCreateFilesIn(dir.File("missing")));
#ifndef _WIN32
  // Permissions count; as root the check runs as an unprivileged user.
  const std::string locked = dir.File("locked");
  ASSERT_TRUE(platform::CreateFolders(locked).ok);
  ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
  const std::string failure = test::RunUnprivileged([&]() -> std::string {
    return platform::CanCreateFilesIn(locked) ? "could create files in a 0555 folder" : "";
  });
  chmod(locked.c_str(), 0755);
  EXPECT_EQ(failure, "");
#endif
}

TEST_F(DataFolderTest, AFolderThatRefusesFilesForRealSendsTheListToTheUserFolder) {
  // Nobody, root included, creates files in /proc; wine shows it as Z:\proc.
#ifdef _WIN32
  const std::string refusing = "Z:\\proc";
#else
  const std::string refusing = "/proc";
#endif
  const DataFolderChoice choice = ChooseDataFolder({refusing, user.File("Lantervo")});
  EXPECT_EQ(choice.folder, user.File("Lantervo"));
  EXPECT_EQ(choice.note, DataFolderChoice::Note::NewInUserFolder);
}

TEST(FolderTest, TheUserDataFolderIsTheOneTheSystemNames) {
#ifdef _WIN32
  const char* local = std::getenv("LOCALAPPDATA");
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(platform::UserDataFolder(), std::string(local) + "\\Lantervo");
#else
  const char* savedXdg = std::getenv("XDG_DATA_HOME");
  const std::string xdg = savedXdg ? savedXdg : "";
  setenv("XDG_DATA_HOME", "/srv/data", 1);
  EXPECT_EQ(platform::UserDataFolder(), "/srv/data/lantervo");
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  if (!home.empty() && home[0] == '/') {
    EXPECT_EQ(platform::UserDataFolder(), home + "/.local/share/lantervo");
  }
  if (savedXdg)
    setenv("XDG_DATA_HOME", xdg.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
#endif
}

TEST(FolderTest, OnlyTheTemporaryCopiesOfTheGivenFileAreRecognised) {
  using platform::TemporaryCopyOwner;
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp1234-0", "LTV.xml"), 1234u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp77-15", "LTV.xml"), 77u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp12", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp12-", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp-3", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp12-3x", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.bak", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("other.xml.tmp12-3", "LTV.xml"), 0u);
  EXPECT_EQ(TemporaryCopyOwner("LTV.xml.tmp99999999999-3", "LTV.xml"), 0u);
}

}  // namespace
}  // namespace lantervo
