// Opens arbitrary bytes as the history file, as a damaged or foreign file would be met on disk:
// the store either refuses it with an SqliteError or reads and records as usual; it never
// crashes, hangs or reads out of bounds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/plain_scheduling.h"
#include "history/history_store.h"
#include "history/sqlite.h"

namespace {

const std::string& Path() {
  static const std::string path = std::string(access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                  "/lantervo-history-fuzz-" + std::to_string(getpid()) + ".sqlite";
  return path;
}

void Remove() {
  for (const char* suffix : {"", "-wal", "-shm"}) std::remove((Path() + suffix).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace lantervo::history;
  Remove();
  if (std::FILE* file = std::fopen(Path().c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  try {
    HistoryStore store(Path());
    store.Servers();
    store.Hours(0, 500000);
    store.Outages(0, INT64_MAX);
    store.ForEachProbe(0, INT64_MAX, [](const ProbeRow&) {});
    RunRecord run;
    run.start = 1796860800000;
    run.end = run.start + 10;
    ProbeOutcome probe;
    probe.at = run.start + 1;
    probe.name = "a";
    probe.url = "http://127.0.0.1/";
    probe.status = ProbeStatus::Down;
    probe.text = "failed";
    run.probes.push_back(probe);
    store.Record(run);
    store.RollUp(run.start + 2 * kHourMs);
  } catch (const std::exception&) {
    // Refused or failed with a message: what a damaged file may do.
  }
  Remove();
  return 0;
}
