#include "history/history_store.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

#include "history/sqlite.h"
#include "history/store_rows.h"

namespace lantervo::history {

using rows::StoredState;
using rows::StoredStatus;
using rows::Tally;

namespace {

constexpr int kSchemaVersion = 1;
// Rows deleted in one prune transaction: a slice never holds the file for long.
constexpr int kPruneSlice = 20000;
constexpr std::size_t kTextCacheSize = 4096;

// Sized for many small rows: the checks and hourly figures are tables without row ids keyed
// by time, so the time order is the file order and ranges of time are ranges of pages.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value INTEGER) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS server(
  id INTEGER PRIMARY KEY, name TEXT NOT NULL, url TEXT NOT NULL,
  state INTEGER NOT NULL DEFAULT 0, since INTEGER, last_check INTEGER, slow_ms INTEGER);
CREATE TABLE IF NOT EXISTS result_text(id INTEGER PRIMARY KEY, text TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS run(
  id INTEGER PRIMARY KEY, start INTEGER NOT NULL, end INTEGER NOT NULL,
  state INTEGER NOT NULL, errors INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS probe(
  at INTEGER NOT NULL, server INTEGER NOT NULL, status INTEGER NOT NULL, load INTEGER,
  text INTEGER, PRIMARY KEY(at, server)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS hourly(
  hour INTEGER NOT NULL, server INTEGER NOT NULL, checks INTEGER NOT NULL,
  down INTEGER NOT NULL, wrong INTEGER NOT NULL, slow INTEGER NOT NULL,
  min_ms INTEGER, median_ms INTEGER, p95_ms INTEGER, max_ms INTEGER, loads BLOB,
  PRIMARY KEY(hour, server)) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS outage(
  id INTEGER PRIMARY KEY, server INTEGER NOT NULL, start INTEGER NOT NULL, end INTEGER,
  text INTEGER);
CREATE INDEX IF NOT EXISTS outage_by_server ON outage(server, start);
)sql";

}  // namespace

ServerState StateOf(ProbeStatus status) {
  switch (status) {
    case ProbeStatus::Up:
      return ServerState::Up;
    case ProbeStatus::Down:
      return ServerState::Down;
    case ProbeStatus::WrongResponse:
      return ServerState::WrongResponse;
    case ProbeStatus::Slow:
      return ServerState::Slow;
  }
  return ServerState::Unknown;
}

bool IsFailure(ServerState state) {
  return state == ServerState::Down || state == ServerState::WrongResponse;
}

// What recording needs at hand: the servers with their states, and the statements it runs for
// every check, prepared once.
struct HistoryStore::Cache {
  explicit Cache(Database& db)
      : addRun(db, "INSERT INTO run(start, end, state, errors) VALUES (?, ?, ?, ?)"),
        addProbe(db,
                 "INSERT OR REPLACE INTO probe(at, server, status, load, text) "
                 "VALUES (?, ?, ?, ?, ?)"),
        addServer(db, "INSERT INTO server(name, url, state) VALUES (?, ?, 0)"),
        renameServer(db, "UPDATE server SET name = ?, url = ? WHERE id = ?"),
        updateServer(db,
                     "UPDATE server SET state = ?, since = ?, last_check = ?, slow_ms = ? "
                     "WHERE id = ?"),
        openOutage(db, "INSERT INTO outage(server, start, end, text) VALUES (?, ?, NULL, ?)"),
        closeOutage(db, "UPDATE outage SET end = ? WHERE id = ?"),
        addText(db, "INSERT OR IGNORE INTO result_text(text) VALUES (?)"),
        findText(db, "SELECT id FROM result_text WHERE text = ?") {}

  static std::string Key(const std::string& name, const std::string& url) {
    return name + '\0' + url;
  }

  std::vector<ServerRecord> servers;
  std::unordered_map<std::string, std::size_t> byNameAndUrl;
  std::unordered_map<std::int64_t, std::int64_t> openOutages;  // server id → outage id
  std::unordered_map<std::string, std::int64_t> texts;
  Statement addRun, addProbe, addServer, renameServer, updateServer, openOutage, closeOutage,
      addText, findText;
};

HistoryStore::HistoryStore(const std::string& path, HistoryLimits limits)
    : db_(std::make_unique<Database>(path)), limits_(limits) {
  db_->SetBusyTimeout(1000);
  // Reading the header is where a file that is no database shows itself.
  const std::int64_t version = db_->QueryInt("PRAGMA user_version");
  if (version > kSchemaVersion)
    throw SqliteError(26 /* SQLITE_NOTADB */, "The history file was written by a newer version");
  db_->Execute("PRAGMA journal_mode=WAL");
  db_->Execute("PRAGMA synchronous=NORMAL");
  // Reading a month for the report maps the file instead of copying it a page at a time; the
  // mapping grows only as far as the file, and a 32-bit process keeps most of its address space.
  db_->QueryInt(sizeof(void*) >= 8 ? "PRAGMA mmap_size=1073741824" : "PRAGMA mmap_size=134217728");
  db_->Execute("PRAGMA cache_size=-16384");
  if (limits_.maxPages > 0)
    db_->QueryInt("PRAGMA max_page_count=" + std::to_string(limits_.maxPages));
  if (version == 0) {
    if (db_->QueryInt("SELECT count(*) FROM sqlite_schema") != 0)
      throw SqliteError(26, "The file holds a database that is not a history");
    Transaction create(*db_);
    db_->Execute(kSchema);
    db_->Execute("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    create.Commit();
  }
}

HistoryStore::~HistoryStore() = default;

void HistoryStore::LoadCache() {
  auto cache = std::make_unique<Cache>(*db_);
  Statement servers(*db_, "SELECT id, name, url, state, since, last_check, slow_ms FROM server");
  while (servers.Step()) {
    ServerRecord s;
    s.id = servers.Int(0);
    s.name = servers.Text(1);
    s.url = servers.Text(2);
    s.state = StoredState(servers.Int(3));
    s.since = servers.Int(4);
    s.lastCheck = servers.Int(5);
    s.slowMs = servers.IsNull(6) ? -1 : static_cast<std::int32_t>(servers.Int(6));
    cache->byNameAndUrl.emplace(Cache::Key(s.name, s.url), cache->servers.size());
    cache->servers.push_back(std::move(s));
  }
  Statement open(*db_, "SELECT server, max(id) FROM outage WHERE end IS NULL GROUP BY server");
  while (open.Step()) cache->openOutages[open.Int(0)] = open.Int(1);
  cache_ = std::move(cache);
}

std::size_t HistoryStore::ServerFor(const ProbeOutcome& probe, std::vector<bool>& seen) {
  auto& servers = cache_->servers;
  const auto take = [&](std::size_t i) {
    seen[i] = true;
    return i;
  };
  if (auto it = cache_->byNameAndUrl.find(Cache::Key(probe.name, probe.url));
      it != cache_->byNameAndUrl.end())
    return take(it->second);
  // A renamed server keeps its address, a moved one its name: the most recently checked of the
  // servers this run has not met yet.
  for (const bool byUrl : {true, false}) {
    std::size_t best = servers.size();
    for (std::size_t i = 0; i < servers.size(); ++i) {
      if (seen[i]) continue;
      if (byUrl ? servers[i].url != probe.url : servers[i].name != probe.name) continue;
      if (best == servers.size() || servers[i].lastCheck > servers[best].lastCheck) best = i;
    }
    if (best != servers.size()) {
      cache_->renameServer.Bind(1, probe.name).Bind(2, probe.url).Bind(3, servers[best].id).Run();
      cache_->byNameAndUrl.erase(Cache::Key(servers[best].name, servers[best].url));
      servers[best].name = probe.name;
      servers[best].url = probe.url;
      cache_->byNameAndUrl.emplace(Cache::Key(probe.name, probe.url), best);
      return take(best);
    }
  }
  cache_->addServer.Bind(1, probe.name).Bind(2, probe.url).Run();
  ServerRecord added;
  added.id = db_->LastInsertRowId();
  added.name = probe.name;
  added.url = probe.url;
  cache_->byNameAndUrl.emplace(Cache::Key(added.name, added.url), servers.size());
  servers.push_back(std::move(added));
  seen.push_back(false);
  return take(servers.size() - 1);
}

std::int64_t HistoryStore::TextId(const std::string& text) {
  auto& texts = cache_->texts;
  if (auto it = texts.find(text); it != texts.end()) return it->second;
  cache_->addText.Bind(1, text).Run();
  Statement& find = cache_->findText;
  find.Bind(1, text);
  if (!find.Step()) {
    find.Reset();
    throw SqliteError(1, "A result text went missing");
  }
  const std::int64_t id = find.Int(0);
  find.Reset();
  if (texts.size() >= kTextCacheSize) texts.clear();
  texts.emplace(text, id);
  return id;
}

void HistoryStore::ApplyState(std::size_t index, const ProbeOutcome& probe, std::int64_t textId) {
  ServerRecord& record = cache_->servers[index];
  const ServerState before = record.state;
  const ServerState after = StateOf(probe.status);
  if (after != before) {
    record.state = after;
    record.since = probe.at;
  }
  if (IsFailure(after) && !IsFailure(before)) {
    Statement& open = cache_->openOutage;
    open.Bind(1, record.id).Bind(2, probe.at);
    if (textId) open.Bind(3, textId);
    open.Run();
    cache_->openOutages[record.id] = db_->LastInsertRowId();
  } else if (!IsFailure(after) && IsFailure(before)) {
    if (auto open = cache_->openOutages.find(record.id); open != cache_->openOutages.end()) {
      cache_->closeOutage.Bind(1, probe.at).Bind(2, open->second).Run();
      cache_->openOutages.erase(open);
    }
  }
  record.lastCheck = probe.at;
  record.slowMs = probe.slowMs;
  Statement& update = cache_->updateServer;
  update.Bind(1, static_cast<std::int64_t>(record.state)).Bind(2, record.since).Bind(3, probe.at);
  if (probe.slowMs >= 0) update.Bind(4, static_cast<std::int64_t>(probe.slowMs));
  update.Bind(5, record.id).Run();
}

void HistoryStore::Record(const RunRecord& run) {
  if (!cache_) LoadCache();
  try {
    Transaction transaction(*db_);
    Statement& addRun = cache_->addRun;
    addRun.Bind(1, run.start).Bind(2, run.end).Bind(3, static_cast<std::int64_t>(run.state));
    addRun.Bind(4, static_cast<std::int64_t>(run.errorCount)).Run();
    Statement& addProbe = cache_->addProbe;
    std::vector<bool> seen(cache_->servers.size(), false);
    std::int64_t earliest = run.start;
    for (const ProbeOutcome& probe : run.probes) {
      const std::size_t index = ServerFor(probe, seen);
      const std::int64_t server = cache_->servers[index].id;
      const std::int64_t textId =
          probe.status == ProbeStatus::Up || probe.text.empty() ? 0 : TextId(probe.text);
      addProbe.Bind(1, probe.at).Bind(2, server).Bind(3, static_cast<std::int64_t>(probe.status));
      if (probe.loadMs >= 0) addProbe.Bind(4, static_cast<std::int64_t>(probe.loadMs));
      if (textId) addProbe.Bind(5, textId);
      addProbe.Run();
      ApplyState(index, probe, textId);
      earliest = std::min(earliest, probe.at);
    }
    // A check for an hour already rolled up (the clock went back) has that hour done again.
    Statement rewind(*db_, "UPDATE meta SET value = ? WHERE key = 'rolled_to' AND value > ?");
    rewind.Bind(1, earliest / kHourMs).Bind(2, earliest / kHourMs).Run();
    transaction.Commit();
  } catch (...) {
    cache_.reset();  // what it holds may be ahead of the file now
    throw;
  }
}

std::int64_t HistoryStore::RolledUpTo() {
  return db_->QueryInt("SELECT value FROM meta WHERE key = 'rolled_to'", -1);
}

void HistoryStore::RollUpHour(std::int64_t hour) {
  std::map<std::int64_t, HourRecord> byServer;
  Statement probes(*db_, "SELECT server, status, load FROM probe WHERE at >= ? AND at < ?");
  probes.Bind(1, hour * kHourMs).Bind(2, (hour + 1) * kHourMs);
  while (probes.Step()) {
    HourRecord& record = byServer[probes.Int(0)];
    Tally(record, StoredStatus(probes.Int(1)));
    if (!probes.IsNull(2)) record.loads.push_back(static_cast<std::int32_t>(probes.Int(2)));
  }
  Statement put(*db_,
                "INSERT OR REPLACE INTO hourly(hour, server, checks, down, wrong, slow, min_ms, "
                "median_ms, p95_ms, max_ms, loads) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  for (auto& [server, record] : byServer) {
    put.Bind(1, hour).Bind(2, server).Bind(3, static_cast<std::int64_t>(record.checks));
    put.Bind(4, static_cast<std::int64_t>(record.down));
    put.Bind(5, static_cast<std::int64_t>(record.wrong));
    put.Bind(6, static_cast<std::int64_t>(record.slow));
    if (!record.loads.empty()) {
      std::vector<std::int32_t> loads = record.loads;
      const LoadFigures figures = FiguresOf(loads);
      put.Bind(7, static_cast<std::int64_t>(figures.min));
      put.Bind(8, static_cast<std::int64_t>(figures.median));
      put.Bind(9, static_cast<std::int64_t>(figures.p95));
      put.Bind(10, static_cast<std::int64_t>(figures.max));
    }
    put.BindBlob(11, EncodeLoads(std::move(record.loads)));
    put.Run();
  }
}

void HistoryStore::RollUp(std::int64_t now, const std::function<bool()>& stop) {
  const std::int64_t current = now / kHourMs;
  std::int64_t from = RolledUpTo();
  if (from < 0) from = db_->QueryInt("SELECT min(at) FROM probe", now) / kHourMs;
  std::int64_t done = std::max(from, current);
  Transaction transaction(*db_);
  for (std::int64_t hour = from; hour < current;) {
    // Stopped: the hours rolled up so far are kept, the rest wait for the next upkeep.
    if (stop && stop()) {
      done = hour;
      break;
    }
    // Skip the hours without checks (the program was not running).
    Statement next(*db_, "SELECT min(at) FROM probe WHERE at >= ?");
    next.Bind(1, hour * kHourMs);
    if (!next.Step() || next.IsNull(0)) break;
    hour = next.Int(0) / kHourMs;
    if (hour >= current) break;
    RollUpHour(hour);
    ++hour;
  }
  Statement mark(*db_, "INSERT OR REPLACE INTO meta(key, value) VALUES ('rolled_to', ?)");
  mark.Bind(1, done).Run();
  transaction.Commit();
}

bool HistoryStore::Prune(std::int64_t now, const std::function<bool()>& stop) {
  const std::int64_t probesBefore = now - limits_.probeDays * kDayMs;
  const std::int64_t keptBefore = now - limits_.hourlyDays * kDayMs;
  const std::pair<const char*, std::int64_t> slices[] = {
      {"DELETE FROM probe WHERE at IN (SELECT at FROM probe WHERE at < ? LIMIT ?)", probesBefore},
      {"DELETE FROM hourly WHERE hour IN (SELECT hour FROM hourly WHERE hour < ? LIMIT ?)",
       keptBefore / kHourMs},
      {"DELETE FROM run WHERE id IN (SELECT id FROM run WHERE start < ? LIMIT ?)", keptBefore},
      {"DELETE FROM outage WHERE id IN (SELECT id FROM outage WHERE end IS NOT NULL AND end < ? "
       "LIMIT ?)",
       keptBefore},
  };
  for (const auto& [sql, before] : slices) {
    Statement slice(*db_, sql);
    for (;;) {
      if (stop && stop()) return false;
      Transaction transaction(*db_);
      slice.Bind(1, before).Bind(2, static_cast<std::int64_t>(kPruneSlice)).Run();
      const int deleted = db_->Changes();
      transaction.Commit();
      if (deleted == 0) break;
    }
  }
  if (stop && stop()) return false;
  // Servers that left the list and everything of theirs has aged out; texts nothing refers to.
  Transaction transaction(*db_);
  Statement servers(*db_,
                    "DELETE FROM server WHERE coalesce(last_check, 0) < ? "
                    "AND id NOT IN (SELECT server FROM outage) "
                    "AND id NOT IN (SELECT server FROM hourly)");
  servers.Bind(1, keptBefore).Run();
  db_->Execute(
      "DELETE FROM result_text WHERE id NOT IN (SELECT text FROM probe WHERE text IS NOT NULL) "
      "AND id NOT IN (SELECT text FROM outage WHERE text IS NOT NULL)");
  transaction.Commit();
  cache_.reset();
  return true;
}

std::string HistoryStore::IntegrityCheck() {
  Statement check(*db_, "PRAGMA integrity_check(1)");
  return check.Step() ? check.Text(0) : std::string("no answer");
}

std::vector<ServerRecord> HistoryStore::Servers() {
  if (!cache_) LoadCache();
  return cache_->servers;
}

}  // namespace lantervo::history
