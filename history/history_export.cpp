#include "history/history_export.h"

#include <unordered_map>

#include "history/utc_time.h"

namespace lantervo::history {

namespace {

const char* StatusName(ProbeStatus status) {
  switch (status) {
    case ProbeStatus::Up:
      return "up";
    case ProbeStatus::Down:
      return "down";
    case ProbeStatus::WrongResponse:
      return "wrong response";
    case ProbeStatus::Slow:
      return "slow";
  }
  return "";
}

}  // namespace

std::string CsvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

platform::WriteResult ExportChecksCsv(HistoryStore& store, std::int64_t from, std::int64_t to,
                                      const std::string& path) {
  std::unordered_map<std::int64_t, std::string> servers;  // id → "name,url,"
  for (const ServerRecord& s : store.Servers())
    servers[s.id] = CsvField(s.name) + "," + CsvField(s.url) + ",";
  bool headerWritten = false;
  std::int64_t next = from;
  return platform::WriteFileAtomically(path, [&](std::string& chunk) {
    if (!headerWritten) {
      chunk = "\xEF\xBB\xBFtime (UTC),server,url,status,load time (ms),result\r\n";
      headerWritten = true;
      return true;
    }
    // An hour of checks a chunk.
    while (chunk.empty() && next < to) {
      const std::int64_t end = std::min(to, next + kHourMs);
      store.ForEachProbe(next, end, [&](const ProbeRow& row) {
        chunk += IsoUtc(row.at);
        chunk += ',';
        auto server = servers.find(row.server);
        chunk += server != servers.end() ? server->second : std::string(",,");
        chunk += StatusName(row.status);
        chunk += ',';
        if (row.loadMs >= 0) chunk += std::to_string(row.loadMs);
        chunk += ',';
        chunk += CsvField(row.text);
        chunk += "\r\n";
      });
      next = end;
    }
    return !chunk.empty();
  });
}

}  // namespace lantervo::history
