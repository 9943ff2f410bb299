// Text lookup through the translation instance: language switching, fallbacks, plural forms,
// line ends, the charset rule and broken catalogs, and the list of languages.
#include "i18n/gettext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/file.h"
#include "platform/paths.h"
#include "tests/i18n/mo_builder.h"

namespace lantervo {
namespace {

using test::BuildMo;
using test::FakeProgram;
using test::ReadBuiltCatalog;

const std::string kCsRelative = "locale/cs/LC_MESSAGES/default.mo";

TLocaleSource Environment(std::string lang, platform::LanguageCountry user = {},
                          unsigned localeId = 0) {
  TLocaleSource source;
  source.langVariable = [lang] { return lang; };
  source.userLanguageCountry = [user] { return user; };
  source.threadLocaleId = [localeId] { return localeId; };
  return source;
}

class GettextTest : public ::testing::Test {
 protected:
  std::shared_ptr<TGnuGettextInstance> Start(const std::string& lang = "en") {
    instance_ = std::make_shared<TGnuGettextInstance>(program_.Locator(), Environment(lang));
    instance_->SetNoticeHandler([this](const TLocalizationNotice& n) { notices_.push_back(n); });
    return instance_;
  }
  std::string Sep() const { return platform::PathSeparator(); }
  std::string CatalogPath(const std::string& code) const {
    return program_.Folder() + Sep() + "locale" + Sep() + code + Sep() + "LC_MESSAGES" + Sep() +
           "default.mo";
  }

  FakeProgram program_;
  std::shared_ptr<TGnuGettextInstance> instance_;
  std::vector<TLocalizationNotice> notices_;
};

TEST_F(GettextTest, StartsInTheEnvironmentsLanguageWithTheDefaultDomain) {
  auto gt = Start("cs_CZ.UTF-8");
  EXPECT_EQ(gt->Language(), "cs_CZ");
  EXPECT_EQ(gt->CurrentDomain(), "default");
  EXPECT_EQ(gt->DomainDirectory(), program_.Folder() + Sep() + "locale");
  EXPECT_EQ(gt->Domain("default").directory, program_.Folder() + Sep() + "locale" + Sep());
  EXPECT_TRUE(gt->IsCreatorThread());
}

TEST_F(GettextTest, CzechWithACountryFallsBackToTheCzechCatalogAndItsPluralRule) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")}});
  auto gt = Start();
  gt->SwitchLanguage("cs_CZ");
  EXPECT_EQ(gt->TranslateText("Active"), "Aktivovat");
  EXPECT_EQ(gt->TranslateText("1 - On load error "), "1 - Při chybě načtení");
  EXPECT_EQ(gt->TranslateText("Not in any catalog"), "Not in any catalog");
  EXPECT_EQ(gt->PluralIndex(1), 0);
  EXPECT_EQ(gt->PluralIndex(3), 1);
  EXPECT_EQ(gt->PluralIndex(5), 2);
  EXPECT_EQ(gt->Domain("default").language, "cs_CZ");
  // The pair is in no catalog: English forms whatever the language.
  EXPECT_EQ(gt->TranslatePlural("Completed with %s error!", "Completed with %s errors!", 3),
            "Completed with %s errors!");
  EXPECT_EQ(gt->TranslatePlural("Completed with %s error!", "Completed with %s errors!", 1),
            "Completed with %s error!");
  EXPECT_EQ(gt->TranslatePlural("Completed with %s error!", "Completed with %s errors!", -1),
            "Completed with %s error!");
  EXPECT_EQ(gt->TranslatePlural("Completed with %s error!", "Completed with %s errors!", 0),
            "Completed with %s errors!");
}

TEST_F(GettextTest, ALanguageWithoutCatalogStaysEnglishAndIsSearchedOncePerSwitch) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")}});
  auto gt = Start();
  gt->SwitchLanguage("de");
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  EXPECT_TRUE(gt->Domain("default").failedBefore);
  EXPECT_EQ(gt->PluralIndex(1), 0);
  EXPECT_EQ(gt->PluralIndex(0), 1);
  // A catalog appearing later is not picked up until the next switch.
  program_.PutOnDisk("de", BuildMo({{"Active", "Aktiv"}}));
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  gt->SwitchLanguage("de");
  EXPECT_FALSE(gt->Domain("default").failedBefore);
  EXPECT_EQ(gt->TranslateText("Active"), "Aktiv");
  EXPECT_TRUE(notices_.empty());
}

TEST_F(GettextTest, TheLanguagesPluralRuleAppliesOnlyToPairsItsCatalogHas) {
  const std::string forms("Stunde\0Stunden", 14);
  const std::string czech("hodina\0hodiny\0hodin", 19);
  program_.PutOnDisk("de", BuildMo({{std::string("hour\0hours", 10), forms}}));
  program_.PutOnDisk("cs", BuildMo({{std::string("hour\0hours", 10), czech}}));
  auto gt = Start();
  gt->SwitchLanguage("de");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", 1), "Stunde");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", 2), "Stunden");
  EXPECT_EQ(gt->TranslatePlural("day", "days", 1), "day");
  EXPECT_EQ(gt->TranslatePlural("day", "days", 7), "days");
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", 1), "hodina");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", 4), "hodiny");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", 5), "hodin");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", -22), "hodin");
  // Fewer forms than the rule's index: the last one.
  program_.PutOnDisk("sl", BuildMo({{std::string("hour\0hours", 10), "ura"}}));
  gt->SwitchLanguage("sl");
  EXPECT_EQ(gt->TranslatePlural("hour", "hours", 3), "ura");
}

TEST_F(GettextTest, AnEmptyCodeTakesLangWithoutItsEncodingSuffix) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")}});
  auto gt = Start("cs_CZ.ISO8859-2");
  gt->SwitchLanguage("de");
  gt->SwitchLanguage("");
  EXPECT_EQ(gt->Language(), "cs_CZ");
  EXPECT_EQ(gt->TranslateText("Status"), "Stav");
  // A code passed explicitly is used as given.
  gt->SwitchLanguage("cs.UTF-8");
  EXPECT_EQ(gt->Language(), "cs.UTF-8");
}

TEST(EnvironmentLanguageTest, FallsBackFromLangToTheUserLocaleToTheLocaleIdTable) {
  EXPECT_EQ(EnvironmentLanguage(Environment("pt_BR.utf8@x")), "pt_BR");
  EXPECT_EQ(EnvironmentLanguage(Environment("", {"cs", "CZ"})), "cs_CZ");
  EXPECT_EQ(EnvironmentLanguage(Environment("", {"no", "NO"})), "nb_NO");
  EXPECT_EQ(EnvironmentLanguage(Environment("", {"cs", ""}, 1031)), "de_DE");
  EXPECT_EQ(EnvironmentLanguage(Environment("", {}, 3082)), "es_ES");
  EXPECT_EQ(EnvironmentLanguage(Environment("", {}, 1029)), "C");
  EXPECT_EQ(EnvironmentLanguage(Environment("", {}, 0)), "C");
  EXPECT_EQ(LanguageForLocaleId(1034), "es_ES");
  EXPECT_EQ(LanguageForLocaleId(1042), "ko_KO");
  EXPECT_EQ(LanguageForLocaleId(4103), "de_LU");
  EXPECT_EQ(LanguageForLocaleId(2068), "nn_NO");
}

TEST_F(GettextTest, TheEmbeddedCatalogBeatsTheSameCatalogOnDisk) {
  program_.Embed({{kCsRelative, BuildMo({{"Active", "embedded"}})}});
  program_.PutOnDisk("cs", BuildMo({{"Active", "disk"}, {"Only on disk", "disk only"}}));
  auto gt = Start();
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Active"), "embedded");
  EXPECT_EQ(gt->TranslateText("Only on disk"), "Only on disk");
  // A disk catalog of the full code comes before the embedded two-letter one.
  program_.PutOnDisk("cs_CZ", BuildMo({{"Active", "disk cs_CZ"}}));
  gt->SwitchLanguage("cs_CZ");
  EXPECT_EQ(gt->TranslateText("Active"), "disk cs_CZ");
}

TEST_F(GettextTest, CatalogsOpenAtTheFirstLookupAfterASwitchAndCloseAtTheNext) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")},
                  {"locale/cs/LC_MESSAGES/other.mo", BuildMo({{"Quit", "Konec"}})}});
  auto gt = Start();
  TFileLocator& locator = gt->Locator();
  gt->SwitchLanguage("cs");
  EXPECT_EQ(locator.OpenCount(), 0u);
  EXPECT_EQ(gt->TranslateText("Quit"), "Ukončit");
  EXPECT_EQ(locator.OpenCount(), 1u);
  EXPECT_EQ(gt->DomainTranslateText("other", "Quit"), "Konec");
  EXPECT_EQ(gt->Domain("other").language, "cs");
  EXPECT_EQ(locator.OpenCount(), 2u);
  gt->SwitchLanguage("en");
  EXPECT_EQ(locator.OpenCount(), 0u);
  EXPECT_EQ(gt->TranslateText("Quit"), "Quit");
  EXPECT_EQ(gt->DomainTranslateText("other", "Quit"), "Quit");
}

TEST_F(GettextTest, InstancesOverOneLocatorShareAMappingWhileEitherUsesIt) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")}});
  auto locator = program_.Locator();
  TGnuGettextInstance first(locator, Environment("cs"));
  TGnuGettextInstance second(locator, Environment("cs"));
  EXPECT_EQ(first.TranslateText("Show"), "Zobrazit");
  EXPECT_EQ(second.TranslateText("Hide"), "Skrýt");
  EXPECT_EQ(locator->OpenCount(), 1u);
  first.SwitchLanguage("en");
  EXPECT_EQ(locator->OpenCount(), 1u);  // still held by the second
  EXPECT_EQ(second.TranslateText("Show"), "Zobrazit");
  second.SwitchLanguage("en");
  EXPECT_EQ(locator->OpenCount(), 0u);
}

TEST_F(GettextTest, CarriageReturnsLeaveIdsAndLineFeedsComeBackAsCrLf) {
  program_.PutOnDisk("cs", BuildMo({{"Line one\nLine two", "Řádek jedna\nŘádek dva"},
                                    {"Already", "a\r\nb\n\nc"}}));
  auto gt = Start();
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Line one\r\nLine two"), "Řádek jedna\r\nŘádek dva");
  EXPECT_EQ(gt->TranslateText("Line one\nLine two"), "Řádek jedna\r\nŘádek dva");
  EXPECT_EQ(gt->TranslateText("Line \rone\nLine two"), "Řádek jedna\r\nŘádek dva");
  EXPECT_EQ(gt->TranslateText("Already"), "a\r\nb\r\n\r\nc");
  EXPECT_EQ(gt->TranslateText("\nNot there\n\r\n"), "\r\nNot there\r\n\r\n");
  EXPECT_EQ(gt->TranslateText("Bare\rCR"), "BareCR");
}

TEST_F(GettextTest, ACatalogWithoutUtf8TurnsTranslationsOffForTheDomainForGood) {
  program_.PutOnDisk(
      "cs", BuildMo({{"Active", "Aktivovat"}}, "Content-Type: text/plain; charset=ISO-8859-2\n"));
  program_.PutOnDisk("en", BuildMo({{"Active", "Active (en)"}}));
  auto gt = Start();
  gt->SwitchLanguage("cs_CZ");
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].kind, TLocalizationNotice::Kind::Charset);
  EXPECT_EQ(notices_[0].caption, "Localization problem");
  EXPECT_EQ(notices_[0].text, "The translation for the language code cs_CZ (in " +
                                  CatalogPath("cs") +
                                  ") does not have charset=utf-8 in its Content-Type. "
                                  "Translations are turned off.");
  EXPECT_FALSE(gt->Domain("default").enabled);
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  gt->SwitchLanguage("en");
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  EXPECT_EQ(notices_.size(), 1u);
  EXPECT_EQ(gt->Locator().OpenCount(), 0u);
}

TEST_F(GettextTest, TheCharsetIsAcceptedInAnyLetterCase) {
  program_.PutOnDisk(
      "cs", BuildMo({{"Active", "Aktivovat"}}, "Content-Type: text/plain; Charset=utf-8\n"));
  auto gt = Start("cs");
  EXPECT_EQ(gt->TranslateText("Active"), "Aktivovat");
  EXPECT_TRUE(notices_.empty());
}

TEST_F(GettextTest, ABrokenCatalogCountsAsMissingAndIsReportedOnce) {
  const std::string broken = program_.PutOnDisk("cs", "this is no catalog, just some bytes");
  auto gt = Start();
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  EXPECT_EQ(gt->TranslateText("Quit"), "Quit");
  EXPECT_TRUE(gt->Domain("default").failedBefore);
  EXPECT_TRUE(gt->Domain("default").enabled);
  ASSERT_EQ(notices_.size(), 1u);
  EXPECT_EQ(notices_[0].kind, TLocalizationNotice::Kind::UnreadableCatalog);
  EXPECT_EQ(notices_[0].text, "This file is not a valid GNU gettext mo file: " + broken);
  gt->SwitchLanguage("en");
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  EXPECT_EQ(notices_.size(), 1u);
  // Once repaired, the next switch finds it.
  program_.PutOnDisk("cs", BuildMo({{"Active", "Aktivovat"}}));
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Active"), "Aktivovat");
}

TEST_F(GettextTest, NoticesWaitForTheFirstHandler) {
  program_.PutOnDisk("cs", "broken");
  auto gt = std::make_shared<TGnuGettextInstance>(program_.Locator(), Environment("cs"));
  EXPECT_EQ(gt->TranslateText("Active"), "Active");
  std::vector<std::string> seen;
  gt->SetNoticeHandler([&](const TLocalizationNotice& n) { seen.push_back(n.text); });
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "This file is not a valid GNU gettext mo file: " + CatalogPath("cs"));
}

TEST_F(GettextTest, ListsDiskAndEmbeddedLanguagesOnce) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")},
                  {"locale/en/LC_MESSAGES/default.mo", ReadBuiltCatalog("en")},
                  {"locale/pt_br/LC_MESSAGES/default.mo", BuildMo({})},
                  {"locale/cs/LC_MESSAGES/other.mo", BuildMo({})},
                  {"elsewhere/fr/LC_MESSAGES/default.mo", BuildMo({})}});
  program_.PutOnDisk("de", BuildMo({{"Active", "Aktiv"}}));
  program_.PutOnDisk("Fr", BuildMo({}));
  program_.PutOnDisk("CS", BuildMo({}));
  program_.PutOnDisk("sk", BuildMo({}), "other");
  auto gt = Start();
  std::vector<std::string> list{"stale"};
  gt->ListLanguages("default", list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"cs", "de", "en", "fr", "pt_BR"}));
  gt->ListLanguages("other", list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"cs", "sk"}));
  // The new disk language is usable at once.
  gt->SwitchLanguage("de");
  EXPECT_EQ(gt->TranslateText("Active"), "Aktiv");
}

TEST_F(GettextTest, RuntimeTextsAreTranslatedOnTheCreatorThreadOnly) {
  program_.PutOnDisk("cs", BuildMo({{"Access denied", "Přístup odepřen"}}));
  auto gt = Start("cs");
  EXPECT_EQ(gt->TranslateRuntimeText("Access denied"), "Přístup odepřen");
  std::string onWorker;
  bool workerIsCreator = true;
  std::thread worker([&] {
    onWorker = gt->TranslateRuntimeText("Access denied");
    workerIsCreator = gt->IsCreatorThread();
  });
  worker.join();
  EXPECT_EQ(onWorker, "Access denied");
  EXPECT_FALSE(workerIsCreator);
}

TEST_F(GettextTest, TheProcessFunctionsUseTheInstalledInstance) {
  program_.Embed({{kCsRelative, ReadBuiltCatalog("cs")}});
  auto previous = InstallTextInstance(Start());
  SwitchLanguage("cs");
  EXPECT_EQ(&TextInstance(), instance_.get());
  EXPECT_EQ(TranslateText("Waiting..."), "Čekám...");
  EXPECT_EQ(TranslatePlural("Completed with %s error!", "Completed with %s errors!", 2),
            "Completed with %s errors!");
  std::vector<std::string> list;
  ListLanguages("default", list);
  EXPECT_EQ(list, std::vector<std::string>{"cs"});
  EXPECT_EQ(InstallTextInstance(previous), instance_);
  EXPECT_NE(&TextInstance(), instance_.get());
}

TEST_F(GettextTest, RegistersTheBuiltInIgnoreRules) {
  auto gt = Start();
  const std::string_view button[] = {"TButton", "TWinControl", "TControl", "TComponent"};
  const std::string_view columns[] = {"TDBGridColumns", "TCollection"};
  EXPECT_TRUE(gt->IgnoreRules().IsPropertyIgnored(button, "name"));
  EXPECT_FALSE(gt->IgnoreRules().IsPropertyIgnored(button, "Caption"));
  EXPECT_TRUE(gt->IgnoreRules().IsPropertyIgnored(columns, "PropName"));
  EXPECT_FALSE(gt->IgnoreRules().IsPropertyIgnored(columns, "Name"));
}

}  // namespace
}  // namespace lantervo

namespace lantervo::test {
namespace {

// An installed program cannot write beside itself: extra catalogs live in its data folder,
// below the same relative path, and the ones carried inside the program still win.
TEST(DataFolderCatalogsTest, ExtraCatalogsInTheDataFolderAreListedAndUsed) {
  FakeProgram program;
  program.Embed({{"locale/cs/LC_MESSAGES/default.mo", BuildMo({{"Active", "Aktivovat"}})}});
  TempDir data;
  const std::string sep = platform::PathSeparator();
  for (const char* code : {"de", "cs"})
    ASSERT_TRUE(platform::CreateFolders(data.File("locale" + sep + code + sep + "LC_MESSAGES")).ok);
  data.Write("locale" + sep + "de" + sep + "LC_MESSAGES" + sep + "default.mo",
             BuildMo({{"Active", "Aktiv"}}));
  data.Write("locale" + sep + "cs" + sep + "LC_MESSAGES" + sep + "default.mo",
             BuildMo({{"Active", "from the data folder"}}));
  auto locator = program.Locator();
  locator->SetDataDirectory(data.Path());
  auto gt = std::make_shared<TGnuGettextInstance>(locator, Environment("en"));

  std::vector<std::string> list;
  gt->ListLanguages("default", list);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"cs", "de"}));
  gt->SwitchLanguage("de");
  EXPECT_EQ(gt->TranslateText("Active"), "Aktiv");
  gt->SwitchLanguage("cs");
  EXPECT_EQ(gt->TranslateText("Active"), "Aktivovat");

  // Without the data folder the extra language is unknown.
  auto plain = std::make_shared<TGnuGettextInstance>(program.Locator(), Environment("de"));
  EXPECT_EQ(plain->TranslateText("Active"), "Active");
}

}  // namespace
}  // namespace lantervo::test
