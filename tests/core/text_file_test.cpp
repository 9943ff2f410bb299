#include "core/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/error.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"

namespace lantervo {
namespace {

const std::string kSep = lantervo::platform::PathSeparator();

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return {};
}

struct Fixture : ::testing::Test {
  test::TempDir dir;
  TMmTextFile file;
  void Name(const std::string& name) { file.SetFileName(dir.File(name)); }
};

using TextFile = Fixture;

TEST_F(TextFile, StartsClosedWithoutNameOrCreation) {
  EXPECT_EQ(file.Mode(), TextFileMode::Closed);
  EXPECT_FALSE(file.CreateIfMissing());
  EXPECT_EQ(file.FileName(), "");
  EXPECT_EQ(static_cast<int>(TextFileMode::Read), 0);
  EXPECT_EQ(static_cast<int>(TextFileMode::Rewrite), 1);
  EXPECT_EQ(static_cast<int>(TextFileMode::Append), 2);
  EXPECT_EQ(static_cast<int>(TextFileMode::Closed), 3);
  file.Close();  // closing a closed writer does nothing
  EXPECT_EQ(file.Mode(), TextFileMode::Closed);
}

TEST_F(TextFile, RewriteCreatesFoldersAndTruncates) {
  file.SetFileName(dir.File("a") + kSep + "b" + kSep + "LTV.log");
  file.Open(TextFileMode::Rewrite);
  EXPECT_EQ(file.Mode(), TextFileMode::Rewrite);
  file.WriteLine("first");
  file.WriteLine("");
  file.Close();
  EXPECT_EQ(file.Mode(), TextFileMode::Closed);
  EXPECT_EQ(dir.Read("a" + kSep + "b" + kSep + "LTV.log"), "first\r\n\r\n");
  file.Open(TextFileMode::Rewrite);
  file.Close();
  EXPECT_EQ(dir.Read("a" + kSep + "b" + kSep + "LTV.log"), "");
}

TEST_F(TextFile, AppendWritesAtTheEndOfAnExistingFile) {
  dir.Write("LTV.log", "old\r\n");
  Name("LTV.log");
  file.Open(TextFileMode::Append);
  EXPECT_EQ(file.Mode(), TextFileMode::Append);
  file.WriteLine("new");
  file.Close();
  EXPECT_EQ(dir.Read("LTV.log"), "old\r\nnew\r\n");
}

TEST_F(TextFile, AppendToAMissingFile) {
  Name("sub" + kSep + "LTV.log");
  EXPECT_EQ(ErrorOf([&] { file.Open(TextFileMode::Append); }),
            "Cannot call append for file '" + file.FileName() + "' which doesn not exist");
  EXPECT_EQ(file.Mode(), TextFileMode::Closed);
  EXPECT_FALSE(dir.Exists("sub"));

  file.SetCreateIfMissing(true);
  file.Open(TextFileMode::Append);
  EXPECT_EQ(file.Mode(), TextFileMode::Rewrite);
  file.WriteLine("x");
  file.Close();
  EXPECT_EQ(dir.Read("sub" + kSep + "LTV.log"), "x\r\n");
}

TEST_F(TextFile, ReadMissingAndExistingFiles) {
  Name("in.txt");
  EXPECT_EQ(ErrorOf([&] { file.Open(TextFileMode::Read); }),
            "File '" + file.FileName() + "' does not exist!");
  EXPECT_EQ(file.Mode(), TextFileMode::Closed);

  dir.Write("in.txt", "one\r\ntwo\n\r\nlast");
  file.Open(TextFileMode::Read);
  EXPECT_EQ(file.Mode(), TextFileMode::Read);
  std::vector<std::string> lines;
  std::string line;
  while (file.ReadLine(line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last"}));
  EXPECT_EQ(ErrorOf([&] { file.WriteLine("x"); }), "File not open for output");
  file.Close();
  EXPECT_EQ(ErrorOf([&] { file.WriteLine("x"); }), "File not open");
  EXPECT_EQ(ErrorOf([&] { file.ReadLine(line); }), "File not open");
}

TEST_F(TextFile, RewriteFailsWhenTheFolderCannotBeMade) {
  dir.Write("plain", "x");
  file.SetFileName(dir.File("plain") + kSep + "LTV.log");
  const std::string error = ErrorOf([&] { file.Open(TextFileMode::Rewrite); });
  EXPECT_EQ(error, "Unable to create file '" + file.FileName() + "': Path not found");
  EXPECT_EQ(file.Mode(), TextFileMode::Closed);
}

TEST_F(TextFile, OthersMayReadButNotWriteWhileTheFileIsOpen) {
  dir.Write("LTV.log", "kept\r\n");
  Name("LTV.log");
  file.Open(TextFileMode::Append);
  file.WriteLine("line");
  EXPECT_EQ(dir.Read("LTV.log"), "kept\r\nline\r\n");  // a plain reader gets in

  TMmTextFile other;
  other.SetFileName(file.FileName());
  other.SetCreateIfMissing(true);
  const std::string name = file.FileName();
  EXPECT_EQ(ErrorOf([&] { other.Open(TextFileMode::Rewrite); }),
            "Unable to create file '" + name + "': I/O error 32");
  EXPECT_EQ(ErrorOf([&] { other.Open(TextFileMode::Append); }),
            "Unable to call append for file '" + name + "': I/O error 32");
  EXPECT_EQ(ErrorOf([&] { other.Open(TextFileMode::Read); }),
            "Unable to open file '" + name + "' for reading: I/O error 32");
  EXPECT_EQ(other.Mode(), TextFileMode::Closed);
  EXPECT_EQ(dir.Read("LTV.log"), "kept\r\nline\r\n");

  file.Close();
  other.Open(TextFileMode::Append);  // free again once closed
  other.Close();
}

TEST_F(TextFile, ReopeningLetsGoOfTheEarlierHandle) {
  Name("LTV.log");
  file.SetCreateIfMissing(true);
  file.Open(TextFileMode::Append);
  file.Open(TextFileMode::Append);
  EXPECT_EQ(file.Mode(), TextFileMode::Append);
  file.Close();
  TMmTextFile other;
  other.SetFileName(file.FileName());
  other.Open(TextFileMode::Rewrite);
  other.Close();
}

TEST_F(TextFile, AppendToAFileWithoutWriteAccessFails) {
  namespace fs = std::filesystem;
  dir.Write("LTV.log", "x");
  const std::string name = dir.File("LTV.log");
  const auto writeBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(name, writeBits, fs::perm_options::remove);
  struct Restore {
    std::string name;
    fs::perms bits;
    ~Restore() { fs::permissions(name, bits, fs::perm_options::add); }
  } restore{name, writeBits};
#ifdef _WIN32
  // Wine running as root lets a read-only file be written; Windows itself does not.
  if (std::ofstream(name, std::ios::app))
    GTEST_SKIP() << "this system ignores the read-only attribute";
#endif
  const std::string failure = test::RunUnprivileged([&]() -> std::string {
    TMmTextFile f;
    f.SetFileName(name);
    f.SetCreateIfMissing(true);
    const std::string error = ErrorOf([&] { f.Open(TextFileMode::Append); });
    const std::string want = "Unable to call append for file '" + name + "': File access denied";
    if (error != want) return "got \"" + error + "\"";
    if (f.Mode() != TextFileMode::Closed) return "mode not Closed";
    return {};
  });
  EXPECT_EQ(failure, "");
}

#ifndef _WIN32
TEST_F(TextFile, AWriteThatFailsReportsTheRuntimeText) {
  file.SetFileName("/dev/full");
  file.Open(TextFileMode::Append);
  EXPECT_EQ(ErrorOf([&] { file.WriteLine("x"); }), "Disk full");
  file.Close();
}
#endif

}  // namespace
}  // namespace lantervo
