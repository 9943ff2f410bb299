// TranslateText over every id of the Czech catalog, side by side with glibc's dgettext over the
// same .mo file, and the cost of opening a catalog after a language switch.
#include <benchmark/benchmark.h>
#include <libintl.h>
#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "i18n/gettext.h"
#include "platform/file.h"
#include "platform/paths.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace lantervo;

struct Setup {
  test::TempDir dir;
  std::vector<std::string> ids;
  std::shared_ptr<TGnuGettextInstance> ours;
  bool ok = false;
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// The build tree's compiled catalog, or one compiled here from locale/cs.po.
bool PlaceCatalog(const std::string& target) {
  const fs::path built = fs::path(platform::ExecutableFolder()) / ".." / "locale" / "cs" /
                         "LC_MESSAGES" / "default.mo";
  std::error_code ec;
  if (fs::copy_file(built, target, fs::copy_options::overwrite_existing, ec)) return true;
  const fs::path po = fs::path(__FILE__).parent_path().parent_path() / "locale" / "cs.po";
  const std::string command = "msgfmt -o '" + target + "' '" + po.string() + "'";
  return std::system(command.c_str()) == 0;
}

bool Prepare() {
  Setup& s = TheSetup();
  const std::string folder = s.dir.Path() + "/locale/cs/LC_MESSAGES";
  platform::CreateFolders(folder);
  const std::string mo = folder + "/default.mo";
  if (!PlaceCatalog(mo)) {
    std::fprintf(stderr, "no Czech catalog to measure\n");
    return false;
  }
  auto catalog = TMoFile::Open(mo);
  for (std::uint32_t i = 0; i < catalog->Count(); ++i)
    if (!catalog->Id(i).empty()) s.ids.emplace_back(catalog->Id(i));

  TLocaleSource english;
  english.langVariable = [] { return std::string("en"); };
  s.ours = std::make_shared<TGnuGettextInstance>(
      std::make_shared<TFileLocator>(s.dir.Path() + "/bench", std::vector<TEmbeddedFile>{}),
      english);
  InstallTextInstance(s.ours);
  SwitchLanguage("cs");

  // glibc reads the same file: LANGUAGE picks the catalog, a non-"C" locale lets it do so.
  setenv("LANGUAGE", "cs", 1);
  if (!setlocale(LC_ALL, "C.UTF-8")) setlocale(LC_ALL, "cs_CZ.UTF-8");
  bindtextdomain("default", (s.dir.Path() + "/locale").c_str());
  bind_textdomain_codeset("default", "UTF-8");
  const std::string theirs = dgettext("default", "Active");
  const std::string mine = TranslateText("Active");
  if (theirs != "Aktivovat" || mine != "Aktivovat") {
    std::fprintf(stderr, "catalog not in use: glibc '%s', ours '%s'\n", theirs.c_str(),
                 mine.c_str());
    return false;
  }
  s.ok = true;
  return true;
}

void BM_TranslateText(benchmark::State& state) {
  const auto& ids = TheSetup().ids;
  for (auto _ : state)
    for (const std::string& id : ids) benchmark::DoNotOptimize(TranslateText(id));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * ids.size()));
}
BENCHMARK(BM_TranslateText);

void BM_GlibcDgettext(benchmark::State& state) {
  const auto& ids = TheSetup().ids;
  for (auto _ : state)
    for (const std::string& id : ids) benchmark::DoNotOptimize(dgettext("default", id.c_str()));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * ids.size()));
}
BENCHMARK(BM_GlibcDgettext);

// A switch closes the catalog; the next lookup maps it again.
void BM_SwitchAndOpenCatalog(benchmark::State& state) {
  for (auto _ : state) {
    SwitchLanguage("cs");
    benchmark::DoNotOptimize(TranslateText("Active"));
  }
}
BENCHMARK(BM_SwitchAndOpenCatalog);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration) times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!Prepare()) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ours = reporter.times["BM_TranslateText"];
  const double theirs = reporter.times["BM_GlibcDgettext"];
  if (ours > 0 && theirs > 0)
    std::printf(
        "TranslateText over %zu ids / glibc dgettext (CPU time): %.2fx (goal: at most 2.0x)\n",
        TheSetup().ids.size(), ours / theirs);
  InstallTextInstance(nullptr);
  benchmark::Shutdown();
  return 0;
}
