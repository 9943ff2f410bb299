#include "platform/file.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace lantervo::platform {
namespace {

TEST(File, ReadWholeFileAndMissingFile) {
  test::TempDir dir;
  dir.Write("a.bin", std::string("x\0y\r\n", 5));
  std::string contents;
  ASSERT_TRUE(ReadWholeFile(dir.File("a.bin"), contents).ok);
  EXPECT_EQ(contents, std::string("x\0y\r\n", 5));
  const FileResult missing = ReadWholeFile(dir.File("none"), contents);
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.message.empty());
  EXPECT_TRUE(FileExists(dir.File("a.bin")));
  EXPECT_FALSE(FileExists(dir.File("none")));
  EXPECT_FALSE(FileExists(dir.Path()));  // a folder is no file
}

TEST(File, AtomicWriteCreatesAndReplacesWithoutLeftovers) {
  test::TempDir dir;
  ASSERT_TRUE(WriteFileAtomically(dir.File("LTV.xml"), "first").ok);
  EXPECT_EQ(dir.Read("LTV.xml"), "first");
  ASSERT_TRUE(WriteFileAtomically(dir.File("LTV.xml"), "second, longer").ok);
  EXPECT_EQ(dir.Read("LTV.xml"), "second, longer");
  ASSERT_TRUE(WriteFileAtomically(dir.File("LTV.xml"), "").ok);
  EXPECT_EQ(dir.Read("LTV.xml"), "");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"LTV.xml"});
}

TEST(File, AtomicWriteIntoMissingFolderFailsAtCreate) {
  test::TempDir dir;
  const WriteResult r = WriteFileAtomically(dir.File("missing") + "/LTV.xml", "data");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.stage, WriteStage::Create);
  EXPECT_FALSE(r.message.empty());
  EXPECT_TRUE(dir.List().empty());
}

TEST(File, CreateFoldersMakesTheWholeChain) {
  test::TempDir dir;
  const std::string deep =
      dir.File("a") + std::string(PathSeparator()) + "b" + std::string(PathSeparator()) + "c";
  ASSERT_TRUE(CreateFolders(deep).ok);
  EXPECT_TRUE(CreateFolders(deep).ok);  // existing chain is fine
  ASSERT_TRUE(WriteFileAtomically(deep + std::string(PathSeparator()) + "f", "x").ok);
  dir.Write("plain", "x");
  EXPECT_FALSE(CreateFolders(dir.File("plain") + std::string(PathSeparator()) + "sub").ok);
}

}  // namespace
}  // namespace lantervo::platform
