// Writes the report of a made-up week of three servers to the file named on the command line:
// the page scripts/test renders in a real browser, and the one the README's screenshot shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "history/history_report.h"
#include "history/history_store.h"
#include "platform/file.h"

int Write(const std::string& out);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s report.html\n", argv[0]);
    return 2;
  }
  try {
    return Write(argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
    return 1;
  }
}

int Write(const std::string& out) {
  using namespace lantervo::history;
  const std::string db = out + ".sqlite";
  for (const char* suffix : {"", "-wal", "-shm"}) lantervo::platform::RemoveFile(db + suffix);
  const std::int64_t now = 1796905800000;  // 2026-12-10 12:30 UTC
  {
    HistoryStore store(db);
    std::mt19937 random(2026);
    const char* names[] = {"Company web", "Intranet wiki", "Shop"};
    const char* urls[] = {"https://www.example.com/", "http://wiki.example.lan/",
                          "https://shop.example.com/status"};
    for (std::int64_t at = now - 8 * kDayMs; at < now; at += 5 * 60 * 1000) {
      RunRecord run;
      run.start = at;
      run.end = at + 2000;
      for (int s = 0; s < 3; ++s) {
        ProbeOutcome p;
        p.at = at + s * 400;
        p.name = names[s];
        p.url = urls[s];
        p.slowMs = s == 2 ? 800 : -1;
        const double hourOfDay = static_cast<double>((at / kHourMs) % 24);
        const double busy = 1 + 0.6 * std::max(0.0, std::sin((hourOfDay - 6) / 24 * 6.283));
        int load = static_cast<int>((120 + 180 * s) * busy + random() % 90);
        p.status = ProbeStatus::Up;
        const std::int64_t hour = at / kHourMs;
        if (s == 1 && hour % 53 == 7) p.status = ProbeStatus::Down;
        if (s == 2 && hour % 71 == 3) p.status = ProbeStatus::WrongResponse;
        if (s == 2 && load > 800) p.status = ProbeStatus::Slow;
        p.loadMs = p.status == ProbeStatus::Down ? -1 : load;
        if (p.status == ProbeStatus::Down)
          p.text = "Unable to load: Socket Error # 10060\r\nConnection timed out.";
        if (p.status == ProbeStatus::WrongResponse)
          p.text = "Wrong response: <h1>Down for maintenance</h1>";
        if (p.status != ProbeStatus::Up && p.status != ProbeStatus::Slow) ++run.errorCount;
        run.probes.push_back(p);
      }
      run.state = run.errorCount ? rrProblems : rrAllOk;
      store.Record(run);
      if (at % (6 * kHourMs) == 0) store.RollUp(at);
    }
    store.RollUp(now);
    ReportStyle style;
    style.formatTime = [](std::int64_t ms) {
      const std::int64_t minutes = ms / 60000;
      char text[32];
      std::snprintf(text, sizeof text, "12/%02lld/2026 %02lld:%02lld",
                    static_cast<long long>(10 + (minutes / 1440 - now / 60000 / 1440)),
                    static_cast<long long>(minutes / 60 % 24),
                    static_cast<long long>(minutes % 60));
      return std::string(text);
    };
    const auto written = lantervo::platform::WriteFileAtomically(
        out, RenderReport(ComputeReport(store, now), style));
    if (!written.ok) {
      std::fprintf(stderr, "%s: %s\n", out.c_str(), written.message.c_str());
      return 1;
    }
  }
  for (const char* suffix : {"", "-wal", "-shm"}) lantervo::platform::RemoveFile(db + suffix);
  return 0;
}
