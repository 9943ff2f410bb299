// This test program is packaged with the catalogs after linking, like the real program: it must
// find them inside itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "i18n/gettext.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "tests/i18n/mo_builder.h"

namespace lantervo {
namespace {

TLocaleSource English() {
  TLocaleSource source;
  source.langVariable = [] { return std::string("en_US"); };
  return source;
}

TEST(PackagedProgramTest, CarriesTheCompiledCatalogsInItsTable) {
  ASSERT_NE(EmbeddedTableOffset(), 0u) << "the program was not packaged";
  auto locator = TFileLocator::ForThisProgram();
  EXPECT_EQ(locator->ExecutablePath(), platform::ExecutablePath());
  const auto& files = locator->EmbeddedFiles();
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].path, "locale\\cs\\LC_MESSAGES\\default.mo");
  EXPECT_EQ(files[1].path, "locale\\en\\LC_MESSAGES\\default.mo");
  std::string image;
  ASSERT_TRUE(platform::ReadWholeFile(platform::ExecutablePath(), image).ok);
  for (std::size_t i = 0; i < 2; ++i) {
    const std::string built = test::ReadBuiltCatalog(i == 0 ? "cs" : "en");
    ASSERT_FALSE(built.empty());
    EXPECT_EQ(files[i].size, built.size());
    EXPECT_EQ(image.substr(files[i].offset, files[i].size), built) << files[i].path;
  }
  // The two entries of 256 bytes and the end mark close the file.
  EXPECT_EQ(image.size(), EmbeddedTableOffset() + 2 * 256 + 8);
}

TEST(PackagedProgramTest, TranslatesFromTheEmbeddedCatalogs) {
  auto gt = std::make_shared<TGnuGettextInstance>(TFileLocator::ForThisProgram(), English());
  std::vector<std::string> list;
  gt->ListLanguages("default", list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"cs", "en"}));
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Correct the following errors:"), "Opravte následující chyby");
  EXPECT_EQ(gt->TranslateText("  Description"), " Popis stavu");
  EXPECT_EQ(gt->TranslatePlural("Completed with %s error!", "Completed with %s errors!", 3),
            "Completed with %s errors!");
  gt->SwitchLanguage("en");
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  EXPECT_EQ(gt->TranslateText("Checking..."), "Checking...");
  EXPECT_EQ(gt->Locator().OpenCount(), 1u);
}

TEST(PackagedProgramTest, TheProcessInstanceFindsThemToo) {
  auto installed = InstallTextInstance(nullptr);
  SwitchLanguage("cs_CZ");
  EXPECT_EQ(TranslateText("Quit"), "Ukončit");
  EXPECT_EQ(TranslateText("Log"), "Log");
  EXPECT_EQ(TextInstance().DomainDirectory(),
            platform::ExecutableFolder() + platform::PathSeparator() + "locale");
  SwitchLanguage("en");
  InstallTextInstance(installed);
}

}  // namespace
}  // namespace lantervo
