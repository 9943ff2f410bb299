#include "core/event_log.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/error.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace lantervo {
namespace {

using platform::CodePage;
using platform::LocalDateTime;

const std::string kSep = platform::PathSeparator();

std::string Numeric(const LocalDateTime& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%02d.%02d.%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour,
                t.minute, t.second);
  return buf;
}

struct EventLogTest : ::testing::Test {
  test::TempDir dir;
  bool enabled = true;
  LocalDateTime now{2024, 1, 2, 15, 4, 5, 0};
  CodePage codePage = CodePage::Open(1250);

  EventLog Make(const std::string& name) {
    return EventLog(dir.File(name), [this] { return enabled; },
                    {[this] { return now; }, Numeric, &codePage});
  }
  static std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& e) {
      return e.what();
    }
    return {};
  }
};

TEST(LevelWord, MapsTheFourWordsExactlyAndAllElseToOther) {
  EXPECT_EQ(LevelWord("error"), "ERROR");
  EXPECT_EQ(LevelWord("ok"), "OK");
  EXPECT_EQ(LevelWord("system"), "SYSTEM");
  EXPECT_EQ(LevelWord("exception"), "EXCEPTION");
  for (const char* other : {"Error", "OK", "SYSTEM", "", "warning", "error "})
    EXPECT_EQ(LevelWord(other), "OTHER");
}

TEST_F(EventLogTest, WritesExactLinesInTheCodePage) {
  EventLog log = Make("LTV.log");
  log.AddLog("Checking...", "system");
  // "Ž" and "č" exist in windows-1250, "Ω" does not; the line break inside stays as it is.
  log.AddLog("Wrong response 'Žluť': first line\r\nsecond č Ω", "error");
  log.AddLog("Completed with no errors.", "ok");
  log.AddLog("custom", "Error");
  EXPECT_EQ(dir.Read("LTV.log"),
            "02.01.2024 15:04:05 SYSTEM Checking...\r\n"
            "02.01.2024 15:04:05 ERROR Wrong response '\x8Elu\x9D': first line\r\nsecond \xE8 ?\r\n"
            "02.01.2024 15:04:05 OK Completed with no errors.\r\n"
            "02.01.2024 15:04:05 OTHER custom\r\n");
  EXPECT_EQ(log.Writer().Mode(), TextFileMode::Closed);
}

TEST_F(EventLogTest, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  codePage = CodePage::Open(1252);
  EventLog log = Make("LTV.log");
  log.AddLog("č Ž é", "ok");
  EXPECT_EQ(dir.Read("LTV.log"), "02.01.2024 15:04:05 OK ? \x8E \xE9\r\n");
}

TEST_F(EventLogTest, DisabledLogOpensNothingAndCannotFail) {
  enabled = false;
  EventLog log = Make("missing" + kSep + "folder" + kSep + "LTV.log");
  log.AddLog("Checking...", "system");
  EXPECT_TRUE(dir.List().empty());
  enabled = true;  // asked at every line
  log.AddLog("Checking...", "system");
  EXPECT_EQ(dir.Read("missing" + kSep + "folder" + kSep + "LTV.log"),
            "02.01.2024 15:04:05 SYSTEM Checking...\r\n");
}

TEST_F(EventLogTest, TheFileIsClosedBetweenLines) {
  EventLog log = Make("LTV.log");
  log.AddLog("one", "ok");
  // Between lines the user may move or delete the file; the next line starts a new one.
  ASSERT_EQ(std::remove(dir.File("LTV.log").c_str()), 0);
  log.AddLog("two", "ok");
  EXPECT_EQ(dir.Read("LTV.log"), "02.01.2024 15:04:05 OK two\r\n");
}

TEST_F(EventLogTest, FirstSecondAfterMidnightCarriesTheDateOnly) {
  now = {2024, 3, 9, 0, 0, 0, 999};
  EventLog::Options options{[this] { return now; }, nullptr, &codePage};
  EventLog log(
      dir.File("LTV.log"), [] { return true; }, options);
  log.AddLog("Checking...", "system");
  now.second = 1;
  log.AddLog("Checking...", "system");
  const std::string date = platform::FormatShortDate(now);
  EXPECT_EQ(dir.Read("LTV.log"),
            codePage.FromUtf8(date + " SYSTEM Checking...\r\n" + date + " " +
                              platform::FormatLongTime(now) + " SYSTEM Checking...\r\n"));
}

TEST_F(EventLogTest, ClearLogEmptiesTheFileThenLogsIt) {
  dir.Write("LTV.log", "old line\r\n");
  EventLog log = Make("LTV.log");
  log.ClearLog("Cleared log");
  EXPECT_EQ(dir.Read("LTV.log"), "02.01.2024 15:04:05 SYSTEM Cleared log\r\n");

  dir.Write("LTV.log", "old line\r\n");
  enabled = false;
  log.ClearLog("Cleared log");
  EXPECT_EQ(dir.Read("LTV.log"), "");
}

TEST_F(EventLogTest, AFileHeldByAnotherWriterFailsWithoutChange) {
  dir.Write("LTV.log", "kept\r\n");
  EventLog log = Make("LTV.log");
  TMmTextFile other;
  other.SetFileName(dir.File("LTV.log"));
  other.Open(TextFileMode::Append);
  const std::string name = dir.File("LTV.log");
  EXPECT_EQ(ErrorOf([&] { log.ClearLog("Cleared log"); }),
            "Unable to create file '" + name + "': I/O error 32");
  EXPECT_EQ(ErrorOf([&] { log.AddLog("x", "ok"); }),
            "Unable to call append for file '" + name + "': I/O error 32");
  other.Close();
  EXPECT_EQ(dir.Read("LTV.log"), "kept\r\n");
  EXPECT_EQ(log.Writer().Mode(), TextFileMode::Closed);
}

TEST_F(EventLogTest, FileNameIsFixedAtCreation) {
  EventLog log = Make("first.log");
  EXPECT_EQ(log.Writer().FileName(), dir.File("first.log"));
  EXPECT_TRUE(log.Writer().CreateIfMissing());
}

#ifndef _WIN32
TEST(EventLog, AFailedWriteStillClosesTheFile) {
  EventLog log("/dev/full", [] { return true; });
  try {
    log.AddLog("x", "ok");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Disk full");
  }
  EXPECT_EQ(log.Writer().Mode(), TextFileMode::Closed);
}
#endif

TEST(EventLog, DefaultsUseTheClockAndTheUserFormats) {
  test::TempDir dir;
  EventLog log(dir.File("LTV.log"), [] { return true; });
  log.AddLog("Checking...", "system");
  const std::string text = dir.Read("LTV.log");
  const std::string tail = " SYSTEM Checking...\r\n";
  ASSERT_GT(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text.find('\n'), text.size() - 1);
}

}  // namespace
}  // namespace lantervo
