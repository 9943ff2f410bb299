// Lookups on a worker while the user-interface thread switches languages: every result is a
// whole text of one language, and no catalog goes away under a reader. Run under TSan too.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "i18n/gettext.h"
#include "tests/i18n/mo_builder.h"

namespace lantervo {
namespace {

TEST(TranslateConcurrencyTest, LookupsOnAWorkerSurviveLanguageSwitches) {
  test::FakeProgram program;
  program.Embed({{"locale/cs/LC_MESSAGES/default.mo", test::ReadBuiltCatalog("cs")},
                 {"locale/en/LC_MESSAGES/default.mo", test::ReadBuiltCatalog("en")},
                 {"locale/cs/LC_MESSAGES/second.mo", test::ReadBuiltCatalog("cs")}});
  TLocaleSource english;
  english.langVariable = [] { return std::string("en"); };
  auto gt = std::make_shared<TGnuGettextInstance>(program.Locator(), english);

  auto cs = TMoFile::Open(test::BuiltCatalogPath("cs"));
  std::vector<std::pair<std::string, std::string>> entries;
  for (std::uint32_t i = 1; i < cs->Count(); ++i)
    entries.emplace_back(std::string(cs->Id(i)), std::string(cs->Translation(i)));

  std::atomic<bool> started{false};
  std::atomic<bool> stop{false};
  std::atomic<long> lookups{0};
  std::atomic<long> wrong{0};
  std::thread worker([&] {
    started = true;
    while (!stop.load()) {
      for (const auto& [id, czech] : entries) {
        const std::string a = gt->TranslateText(id);
        const std::string b = gt->DomainTranslateText("second", id);
        if ((a != czech && a != id) || (b != czech && b != id)) ++wrong;
        const std::string p =
            gt->TranslatePlural("Completed with %s error!", "Completed with %s errors!", 3);
        if (p != "Completed with %s errors!") ++wrong;
        lookups += 3;
      }
    }
  });
  while (!started.load()) std::this_thread::yield();
  const char* languages[] = {"cs", "en", "cs_CZ", "de"};
  long mainLookups = 0;
  for (int i = 0; i < 1200; ++i) {
    gt->SwitchLanguage(languages[i % 4]);
    const std::string quit = gt->TranslateText("Quit");
    mainLookups += quit == (i % 4 == 0 || i % 4 == 2 ? "Ukončit" : "Quit") ? 1 : 0;
  }
  // The worker has to overlap with switching: wait until it has done a full round.
  const long before = lookups.load();
  while (lookups.load() < before + 3 * static_cast<long>(entries.size())) std::this_thread::yield();
  stop = true;
  worker.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(mainLookups, 1200);
  EXPECT_GT(lookups.load(), 0);
  gt->SwitchLanguage("en");
  EXPECT_EQ(gt->TranslateText("Quit"), "Quit");
  EXPECT_EQ(gt->DomainTranslateText("second", "Quit"), "Quit");
  EXPECT_EQ(gt->Locator().OpenCount(), 1u);  // only the English one
}

}  // namespace
}  // namespace lantervo
