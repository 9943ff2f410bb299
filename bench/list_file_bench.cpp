// Loading and saving the server list, side by side with libxml2 parsing the same document.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <random>

#include "bench/ratio_reporter.h"
#include "core/list_file.h"

namespace {

using namespace lantervo;

const platform::CodePage& Page() {
  static const platform::CodePage page = platform::CodePage::Open(1252);
  return page;
}
const platform::Collator& Collation() {
  static const platform::Collator collator = platform::Collator::ForLocale("en_US");
  return collator;
}

// 10,000 rows as a busy installation would have them after a run.
std::string RealisticDocument(int rows) {
  ServerTable table(Page(), Collation());
  table.CreateList();
  std::mt19937 random(42);
  const char* statuses[] = {"OK", "ERR_LOAD", "ERR_RESP", "ERR_SLOW", "OK", "OK"};
  for (int i = 0; i < rows; ++i) {
    const std::string host = "srv" + std::to_string(random() % 100000) + ".intranet.example";
    table.AppendRow();
    table.SetText("Name", "Server " + std::to_string(random() % 5000) + " - " + host);
    const char* status = statuses[random() % 6];
    table.SetText("Status", status);
    table.SetText("Result",
                  std::string(status) == "OK" ? "OK"
                  : std::string(status) == "ERR_LOAD"
                      ? "Unable to load: Socket Error # 10061\r\nConnection refused."
                      : "Wrong response: <html><body>Maintenance & upgrade</body></html>");
    table.SetText("Url", "http://" + host + "/health?check=1&format=text");
    table.SetBool("Active", random() % 5 != 0);
    table.SetInt("LoadTime", static_cast<int>(random() % 3000));
    table.SetInt("Timeout", 500);
    table.SetBool("TimeoutEnabled", true);
    table.SetText("Response", "OK");
    table.SetBool("ResponseEnabled", random() % 2 == 0);
    table.PostRow();
  }
  return WriteDataPacket(table);
}

// One row whose two 50,000-byte fields escape to six bytes per character.
std::string EscapeHeavyDocument() {
  ServerTable table(Page(), Collation());
  table.CreateList();
  table.AppendRow();
  table.SetText("Name", "quotes");
  table.SetText("Result", std::string(50000, '"'));
  table.SetText("Response", std::string(50000, '"'));
  table.PostRow();
  return WriteDataPacket(table);
}

const std::string& Realistic() {
  static const std::string doc = RealisticDocument(10000);
  return doc;
}
const std::string& EscapeHeavy() {
  static const std::string doc = EscapeHeavyDocument();
  return doc;
}

void Load(benchmark::State& state, const std::string& doc) {
  for (auto _ : state) {
    ServerTable table(Page(), Collation());
    ReadDataPacket(doc, table);
    benchmark::DoNotOptimize(table.RowCount());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void Libxml2Parse(benchmark::State& state, const std::string& doc) {
  for (auto _ : state) {
    xmlDocPtr parsed = xmlReadMemory(doc.data(), static_cast<int>(doc.size()), "LTV.xml",
                                     "windows-1252", XML_PARSE_NONET | XML_PARSE_HUGE);
    if (!parsed) state.SkipWithError("libxml2 rejected the document");
    xmlFreeDoc(parsed);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void Save(benchmark::State& state, const std::string& doc) {
  ServerTable table(Page(), Collation());
  ReadDataPacket(doc, table);
  for (auto _ : state) benchmark::DoNotOptimize(WriteDataPacket(table));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void BM_Load10kRows(benchmark::State& s) {
  Load(s, Realistic());
}
void BM_Libxml2Parse10kRows(benchmark::State& s) {
  Libxml2Parse(s, Realistic());
}
void BM_Save10kRows(benchmark::State& s) {
  Save(s, Realistic());
}
void BM_LoadEscapeHeavyRow(benchmark::State& s) {
  Load(s, EscapeHeavy());
}
void BM_Libxml2ParseEscapeHeavyRow(benchmark::State& s) {
  Libxml2Parse(s, EscapeHeavy());
}
void BM_SaveEscapeHeavyRow(benchmark::State& s) {
  Save(s, EscapeHeavy());
}

// Rows added one by one through the cursor, as the server dialog adds them.
void BM_InsertRows(benchmark::State& state) {
  std::vector<std::string> names;
  std::mt19937 random(7);
  for (int i = 0; i < state.range(0); ++i) names.push_back("Server " + std::to_string(random()));
  for (auto _ : state) {
    ServerTable table(Page(), Collation());
    table.CreateList();
    for (const std::string& name : names) {
      table.AppendRow();
      table.SetText("Name", name);
      table.PostRow();
    }
    benchmark::DoNotOptimize(table.RowCount());
  }
  state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_Load10kRows)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Libxml2Parse10kRows)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save10kRows)->Repetitions(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEscapeHeavyRow)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Libxml2ParseEscapeHeavyRow)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveEscapeHeavyRow)->Repetitions(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertRows)
    ->RangeMultiplier(2)
    ->Range(1024, 16384)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  lantervo::bench::RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("load 10k rows / libxml2 parse", "BM_Load10kRows", "BM_Libxml2Parse10kRows",
                      "<= 1.0");
  reporter.PrintRatio("save 10k rows / our load", "BM_Save10kRows", "BM_Load10kRows", "< 1.0");
  reporter.PrintRatio("load escape-heavy row / libxml2 parse", "BM_LoadEscapeHeavyRow",
                      "BM_Libxml2ParseEscapeHeavyRow", "<= 1.0");
  reporter.PrintRatio("save escape-heavy row / our load", "BM_SaveEscapeHeavyRow",
                      "BM_LoadEscapeHeavyRow", "< 1.0");
  reporter.PrintRatio("insert 16384 rows / 8192 rows (2 = linear)", "BM_InsertRows/16384",
                      "BM_InsertRows/8192", "about 2");
  benchmark::Shutdown();
  return 0;
}
