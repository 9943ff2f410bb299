// The history store's reading half: hours, outages, runs and checks for the report and export.
#include <algorithm>
#include <map>

#include "history/history_store.h"
#include "history/sqlite.h"
#include "history/store_rows.h"

namespace lantervo::history {

using rows::StoredStatus;
using rows::Tally;

std::vector<HourRecord> HistoryStore::Hours(std::int64_t fromHour, std::int64_t toHour) {
  std::vector<HourRecord> hours;
  ForEachHour(fromHour, toHour, [&](const HourRecord& hour) { hours.push_back(hour); });
  return hours;
}

void HistoryStore::ForEachHour(std::int64_t fromHour, std::int64_t toHour,
                               const std::function<void(const HourRecord&)>& hour) {
  std::int64_t rolled = RolledUpTo();
  if (rolled < 0) rolled = fromHour;
  Statement stored(*db_,
                   "SELECT hour, server, checks, down, wrong, slow, loads FROM hourly "
                   "WHERE hour >= ? AND hour < ? ORDER BY hour, server");
  stored.Bind(1, fromHour).Bind(2, std::min(toHour, rolled));
  HourRecord record;
  while (stored.Step()) {
    record.hour = stored.Int(0);
    record.server = stored.Int(1);
    record.checks = static_cast<int>(stored.Int(2));
    record.down = static_cast<int>(stored.Int(3));
    record.wrong = static_cast<int>(stored.Int(4));
    record.slow = static_cast<int>(stored.Int(5));
    record.loads.clear();
    // A damaged list keeps what could be read; the counts still hold.
    DecodeLoads(stored.Blob(6), record.loads);
    hour(record);
  }
  // The hours not rolled up yet, from the checks themselves.
  const std::int64_t from = std::max(fromHour, rolled);
  if (from >= toHour) return;
  std::map<std::pair<std::int64_t, std::int64_t>, HourRecord> computed;
  Statement probes(*db_, "SELECT at, server, status, load FROM probe WHERE at >= ? AND at < ?");
  probes.Bind(1, from * kHourMs).Bind(2, toHour * kHourMs);
  while (probes.Step()) {
    const std::int64_t at = probes.Int(0) / kHourMs;
    HourRecord& computedHour = computed[{at, probes.Int(1)}];
    computedHour.hour = at;
    computedHour.server = probes.Int(1);
    Tally(computedHour, StoredStatus(probes.Int(2)));
    if (!probes.IsNull(3)) computedHour.loads.push_back(static_cast<std::int32_t>(probes.Int(3)));
  }
  for (auto& [key, computedHour] : computed) {
    std::sort(computedHour.loads.begin(), computedHour.loads.end());
    hour(computedHour);
  }
}

std::vector<OutageRecord> HistoryStore::Outages(std::int64_t from, std::int64_t to) {
  std::vector<OutageRecord> outages;
  Statement query(*db_,
                  "SELECT o.server, o.start, o.end, t.text FROM outage o "
                  "LEFT JOIN result_text t ON t.id = o.text "
                  "WHERE o.start < ? AND (o.end IS NULL OR o.end > ?) ORDER BY o.start, o.id");
  query.Bind(1, to).Bind(2, from);
  while (query.Step()) {
    OutageRecord outage;
    outage.server = query.Int(0);
    outage.start = query.Int(1);
    outage.end = query.IsNull(2) ? 0 : query.Int(2);
    outage.text = query.Text(3);
    outages.push_back(std::move(outage));
  }
  return outages;
}

std::vector<RunRow> HistoryStore::Runs(std::int64_t from, std::int64_t to) {
  std::vector<RunRow> runs;
  Statement query(*db_,
                  "SELECT start, end, state, errors FROM run WHERE start >= ? AND start < ? "
                  "ORDER BY start");
  query.Bind(1, from).Bind(2, to);
  while (query.Step())
    runs.push_back({query.Int(0), query.Int(1), static_cast<int>(query.Int(2)),
                    static_cast<int>(query.Int(3))});
  return runs;
}

void HistoryStore::ForEachProbe(std::int64_t from, std::int64_t to,
                                const std::function<void(const ProbeRow&)>& row) {
  Statement query(*db_,
                  "SELECT p.at, p.server, p.status, p.load, t.text FROM probe p "
                  "LEFT JOIN result_text t ON t.id = p.text WHERE p.at >= ? AND p.at < ? "
                  "ORDER BY p.at, p.server");
  query.Bind(1, from).Bind(2, to);
  ProbeRow probe;
  while (query.Step()) {
    probe.at = query.Int(0);
    probe.server = query.Int(1);
    probe.status = StoredStatus(query.Int(2));
    probe.loadMs = query.IsNull(3) ? -1 : static_cast<std::int32_t>(query.Int(3));
    probe.text = query.Text(4);
    row(probe);
  }
}

}  // namespace lantervo::history
