#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/error.h"

namespace lantervo::platform {
namespace {

TEST(CodePage, WesternEuropeanRoundTripAndReplacement) {
  const CodePage cp = CodePage::Open(1252);
  EXPECT_EQ(cp.Number(), 1252u);
  EXPECT_FALSE(cp.IsDoubleByte());
  EXPECT_EQ(cp.FromUtf8("caf\xC3\xA9"), "caf\xE9");  // é is one byte
  EXPECT_EQ(cp.ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(cp.FromUtf8("\xE2\x82\xAC"), "\x80");  // the euro sign
  EXPECT_EQ(cp.FromUtf8("\xC4\x8D"
                        "aj"),
            "?aj");  // č is not in 1252, and is no look-alike 'c'
  EXPECT_EQ(cp.FromUtf8("a\xFF"
                        "b"),
            "a?b");  // malformed UTF-8
  EXPECT_EQ(cp.FromUtf8(""), "");
}

TEST(CodePage, CentralEuropean) {
  const CodePage cp = CodePage::Open(1250);
  EXPECT_EQ(cp.FromUtf8("\xC4\x8D"
                        "aj"),
            "\xE8"
            "aj");
  EXPECT_EQ(cp.ToUtf8("\xE8"
                      "aj"),
            "\xC4\x8D"
            "aj");
  EXPECT_EQ(cp.FromUtf8("\xC3\xA9"), "\xE9");
}

TEST(CodePage, DoubleByteJapanese) {
  const CodePage cp = CodePage::Open(932);
  EXPECT_TRUE(cp.IsDoubleByte());
  const std::string bytes = cp.FromUtf8("\xE6\x97\xA5\xE6\x9C\xAC");  // 日本
  ASSERT_EQ(bytes.size(), 4u);
  EXPECT_TRUE(cp.IsLeadByte(static_cast<unsigned char>(bytes[0])));
  EXPECT_FALSE(cp.IsLeadByte('A'));
  EXPECT_EQ(cp.ToUtf8(bytes), "\xE6\x97\xA5\xE6\x9C\xAC");
  // A trail byte may look like a backslash (0x5C): it belongs to the character.
  const std::string so = cp.FromUtf8("\xE3\x82\xBD");  // ソ = 83 5C
  EXPECT_EQ(so, "\x83\x5C");
}

TEST(CodePage, UnknownNumberIsAnError) {
  EXPECT_THROW(CodePage::Open(12345), Error);
}

TEST(CodePage, SystemPageRoundTripsAscii) {
  const CodePage& cp = CodePage::System();
  EXPECT_EQ(cp.FromUtf8("Shop & Co"), "Shop & Co");
  EXPECT_EQ(cp.ToUtf8("Shop & Co"), "Shop & Co");
}

#ifndef _WIN32
// The system code page is chosen once per process, so each case runs in a process of its own.
void ExpectSystemCodePage(const char* lang, const char* fallback, unsigned expected) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("LC_ALL");
        unsetenv("LC_CTYPE");
        if (lang) {
          setenv("LANG", lang, 1);
        } else {
          unsetenv("LANG");
        }
        CodePage::SetFallbackLanguage(fallback);
        const CodePage& page = CodePage::System();
        const bool czech = page.FromUtf8("\xC4\x8D") == "\xE8";  // "č"
        std::exit(page.Number() == expected && czech == (expected == 1250) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "")
      << (lang ? lang : "(unset)") << " with " << fallback;
}

TEST(CodePage, ALocaleWithoutLanguageTakesTheProgramLanguage) {
  ExpectSystemCodePage(nullptr, "cs", 1250);  // LANG unset, Czech program: "č" is stored
  ExpectSystemCodePage("C", "cs", 1250);
  ExpectSystemCodePage("POSIX", "cs", 1250);
  ExpectSystemCodePage("C.UTF-8", "cs", 1250);
  // A locale that names a language decides alone; without either, Western.
  ExpectSystemCodePage("de_DE.UTF-8", "cs", 1252);
  ExpectSystemCodePage(nullptr, "", 1252);
  ExpectSystemCodePage(nullptr, "en", 1252);
}
#endif

TEST(CodePage, AnsiCodePageThatWindowsPicksForALocale) {
  EXPECT_EQ(AnsiCodePageForLocale("cs_CZ"), 1250u);
  EXPECT_EQ(AnsiCodePageForLocale("cs_CZ.UTF-8"), 1250u);
  EXPECT_EQ(AnsiCodePageForLocale("pl_PL"), 1250u);
  EXPECT_EQ(AnsiCodePageForLocale("de_DE.UTF-8"), 1252u);
  EXPECT_EQ(AnsiCodePageForLocale("en_US"), 1252u);
  EXPECT_EQ(AnsiCodePageForLocale("C"), 1252u);
  EXPECT_EQ(AnsiCodePageForLocale("ru_RU"), 1251u);
  EXPECT_EQ(AnsiCodePageForLocale("el_GR"), 1253u);
  EXPECT_EQ(AnsiCodePageForLocale("tr_TR"), 1254u);
  EXPECT_EQ(AnsiCodePageForLocale("lt_LT"), 1257u);
  EXPECT_EQ(AnsiCodePageForLocale("ja_JP.UTF-8"), 932u);
  EXPECT_EQ(AnsiCodePageForLocale("zh_CN"), 936u);
  EXPECT_EQ(AnsiCodePageForLocale("zh_TW"), 950u);
  EXPECT_EQ(AnsiCodePageForLocale("ko_KR"), 949u);
}

TEST(Utf8, Validation) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xE9t\xE9"));     // Latin-1 bytes
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
}

}  // namespace
}  // namespace lantervo::platform
