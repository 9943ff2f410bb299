#include "history/history_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <regex>

#include "tests/support/temp_dir.h"

namespace lantervo::history {
namespace {

constexpr std::int64_t kDay0 = 1796860800000;  // 2026-12-10 00:00 UTC
constexpr std::int64_t kMinute = 60 * 1000;

struct Expected {
  int checks = 0, failed = 0, outages = 0;
  std::int64_t outageMs = 0;
  std::vector<std::int32_t> loads;
};

// 35 days of checks every 10 minutes for three servers, with failures in runs, recorded and
// also kept here to work the figures out from.
class HistoryReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HistoryStore store(dir.File("h.sqlite"));
    std::mt19937 random(11);
    const char* names[] = {"alpha", "bravo", "charlie & <co>"};
    const std::int64_t start = kDay0 - 35 * kDayMs;
    for (std::int64_t at = start; at < now; at += 10 * kMinute) {
      RunRecord run;
      run.start = at;
      run.end = at + 3;
      for (int s = 0; s < 3; ++s) {
        ProbeOutcome p;
        p.at = at + s;
        p.name = names[s];
        p.url = "http://127.0.0.1/" + std::to_string(s);
        p.slowMs = s == 1 ? 300 : -1;
        const unsigned roll = random() % 1000;
        // Failures come in spells: bravo is down for a while now and then, charlie answers wrong.
        const bool spell = (at / kHourMs) % (s == 0 ? 97 : s == 1 ? 41 : 59) == 0;
        if (s > 0 && spell)
          p.status = s == 1 ? ProbeStatus::Down : ProbeStatus::WrongResponse;
        else if (s == 1 && roll < 30)
          p.status = ProbeStatus::Slow;
        else
          p.status = ProbeStatus::Up;
        p.loadMs = p.status == ProbeStatus::Down ? -1 : static_cast<std::int32_t>(20 + roll % 400);
        p.text = p.status == ProbeStatus::Up ? "" : "failed at " + std::to_string(at);
        run.probes.push_back(p);
        probes.push_back(p);
      }
      store.Record(run);
      if (at % (6 * kHourMs) == 0) store.RollUp(at);
    }
    store.RollUp(now - 3 * kHourMs);  // the last hours come from the checks themselves
  }

  Expected Figures(const std::string& name, int hours) const {
    Expected e;
    const std::int64_t from = (now / kHourMs - hours + 1) * kHourMs;
    bool failing = false;
    std::int64_t outageStart = 0;
    const auto addOutage = [&](std::int64_t begin, std::int64_t end) {
      if (end <= from) return;
      ++e.outages;
      e.outageMs += std::min(end, now) - std::max(begin, from);
    };
    for (const ProbeOutcome& p : probes) {
      if (p.name != name) continue;
      const bool fails = p.status == ProbeStatus::Down || p.status == ProbeStatus::WrongResponse;
      if (fails && !failing) outageStart = p.at;
      if (!fails && failing) addOutage(outageStart, p.at);
      failing = fails;
      if (p.at < from) continue;
      ++e.checks;
      e.failed += fails;
      if (p.loadMs >= 0) e.loads.push_back(p.loadMs);
    }
    if (failing) addOutage(outageStart, now);
    return e;
  }

  test::TempDir dir;
  const std::int64_t now = kDay0 + 10 * kHourMs + 17 * kMinute;
  std::vector<ProbeOutcome> probes;
};

int CountOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::string Unescape(std::string text) {
  for (const auto& [from, to] : {std::pair<std::string, std::string>{"&lt;", "<"},
                                 {"&gt;", ">"},
                                 {"&quot;", "\""},
                                 {"&amp;", "&"}}) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      text.replace(at, from.size(), to);
  }
  return text;
}

TEST_F(HistoryReportTest, TheFiguresOnThePageAreThoseOfTheRecordedChecks) {
  HistoryStore store(dir.File("h.sqlite"));
  const ReportFigures figures = ComputeReport(store, now);
  ReportStyle style;
  style.formatTime = [](std::int64_t ms) { return "T" + std::to_string(ms); };
  style.decimalSeparator = ',';
  const std::string page = RenderReport(figures, style);

  // Every row of every period's table, by its machine-readable values.
  const std::regex row(
      "<tr data-period=\"([0-9a-z]+)\" data-server=\"([^\"]*)\"><td>[^<]*</td>"
      "<td data-v=\"([0-9.]*)\"[^>]*>[^<]*</td><td data-v=\"([0-9]*)\">[^<]*</td>"
      "<td data-v=\"([0-9]*)\">[^<]*</td><td data-v=\"([0-9.]*)\">[^<]*</td>"
      "<td data-v=\"([0-9]*)\">");
  std::map<std::pair<std::string, std::string>, std::smatch> rows;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), row); it != std::sregex_iterator();
       ++it)
    rows[{(*it)[1].str(), Unescape((*it)[2].str())}] = *it;
  ASSERT_EQ(rows.size(), 9u) << "three servers in three periods";

  const std::pair<const char*, int> periods[] = {{"24h", 24}, {"7d", 168}, {"30d", 720}};
  for (const auto& [key, hours] : periods) {
    int listChecks = 0, listFailed = 0;
    for (const char* name : {"alpha", "bravo", "charlie & <co>"}) {
      Expected e = Figures(name, hours);
      listChecks += e.checks;
      listFailed += e.failed;
      const auto found = rows.find({key, name});
      ASSERT_NE(found, rows.end()) << key << " " << name;
      const std::smatch& m = found->second;
      SCOPED_TRACE(std::string(key) + " " + name);
      EXPECT_NEAR(std::stod(m[3].str()), 100.0 * (e.checks - e.failed) / e.checks, 1e-4);
      EXPECT_EQ(std::stoi(m[4].str()), e.outages);
      EXPECT_EQ(std::stoll(m[5].str()), e.outageMs);
      double sum = 0;
      for (const std::int32_t load : e.loads) sum += load;
      EXPECT_NEAR(std::stod(m[6].str()), sum / e.loads.size(), 1e-3);
      std::sort(e.loads.begin(), e.loads.end());
      const std::size_t rank = (e.loads.size() * 95 + 99) / 100;
      EXPECT_EQ(std::stoi(m[7].str()), e.loads[rank - 1]);
    }
    const std::regex whole(std::string("<p class=\"whole\" data-period=\"") + key +
                           "\" data-v=\"([0-9.]+)\">");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(page, m, whole)) << key;
    EXPECT_NEAR(std::stod(m[1].str()), 100.0 * (listChecks - listFailed) / listChecks, 1e-4);
  }
  // The bravo outages of the last 30 days, listed with their start and end.
  const std::regex outage(
      "<tr data-outage=\"bravo\" data-start=\"([0-9]+)\" data-end=\"([0-9]+)\">");
  int listed = 0;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), outage);
       it != std::sregex_iterator(); ++it)
    ++listed;
  EXPECT_EQ(listed, Figures("bravo", 720).outages);
  // One chart a server, with a threshold line only where a time-out is set.
  EXPECT_EQ(CountOf(page, "<svg "), 3);
  EXPECT_EQ(CountOf(page, "class=\"threshold\""), 1);
}

TEST_F(HistoryReportTest, ThePageStandsAloneAndEscapesWhatTheUserTyped) {
  HistoryStore store(dir.File("h.sqlite"));
  const std::string page = RenderReport(ComputeReport(store, now), ReportStyle{});
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("http://www.w3.org/2000/svg\" width"),
            page.find("http://www.w3.org/2000/svg"));
  // No outside resource: the only addresses are the servers' own, shown as text.
  EXPECT_EQ(page.find(" src="), std::string::npos);
  EXPECT_EQ(page.find(" href="), std::string::npos);
  EXPECT_EQ(page.find("url("), std::string::npos);
  EXPECT_EQ(page.find("charlie & <co>"), std::string::npos);
  EXPECT_NE(page.find("charlie &amp; &lt;co&gt;"), std::string::npos);
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
}

}  // namespace
}  // namespace lantervo::history
