#include <gtest/gtest.h>

#include "platform/clock.h"
#include "platform/locale.h"
#include "platform/paths.h"
#include "platform/utf.h"

namespace lantervo::platform {
namespace {

TEST(Clock, TicksAdvanceAcrossASleep) {
  const std::uint32_t start = TickCount();
  SleepMs(30);
  const std::uint32_t elapsed = TickCount() - start;  // modulo 2^32, like the check run
  // Tick granularity differs between systems (10-20 ms is common): only the direction is certain.
  EXPECT_GT(elapsed, 0u);
  EXPECT_LT(elapsed, 10000u);
}

TEST(Paths, ExecutableAndItsFolder) {
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_NE(exe.find("platform_tests"), std::string::npos);
  const std::string folder = ExecutableFolder();
  EXPECT_EQ(exe.substr(0, folder.size()), folder);
  EXPECT_EQ(exe.substr(folder.size(), 1), PathSeparator());
  EXPECT_NE(folder.back(), PathSeparator()[0]);
}

TEST(Paths, FolderOf) {
  const std::string sep = PathSeparator();
  EXPECT_EQ(FolderOf("a" + sep + "b" + sep + "LTV.log"), "a" + sep + "b");
  EXPECT_EQ(FolderOf("LTV.log"), "");
}

TEST(Locale, UserLocaleHasNoEncoding) {
  const std::string name = UserLocaleName();
  EXPECT_FALSE(name.empty());
  EXPECT_EQ(name.find('.'), std::string::npos);
}

TEST(Utf, RoundTripAndMalformedInput) {
  const std::string text = "Kun\xC4\x9B \xF0\x9F\x90\xBE";
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text);
  EXPECT_EQ(Utf8ToUtf16("a\xFF"), u"a\uFFFD");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x90\xBE").size(), 2u);  // a surrogate pair
}

}  // namespace
}  // namespace lantervo::platform
