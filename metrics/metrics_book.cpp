#include "metrics/metrics_book.h"

#include "platform/utf.h"

namespace lantervo::metrics {

namespace {

constexpr const char* kStatusNames[4] = {"up", "down", "wrong_response", "slow"};

void Family(std::string& out, const char* name, const char* type, const char* help) {
  out += "# HELP ";
  out += name;
  out += ' ';
  out += help;
  out += "\n# TYPE ";
  out += name;
  out += ' ';
  out += type;
  out += '\n';
}

// name{server="…",url="…"
void ServerSample(std::string& out, const char* name, const std::string& labels) {
  out += name;
  out += labels;
}

}  // namespace

std::string EscapeLabelValue(std::string_view value) {
  const std::string utf8 = platform::Utf16ToUtf8(platform::Utf8ToUtf16(value));
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '"')
      out += "\\\"";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string SecondsText(std::int64_t ms) {
  const bool negative = ms < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(ms) : static_cast<std::uint64_t>(ms);
  std::string fraction = std::to_string(magnitude % 1000);
  fraction.insert(0, 3 - fraction.size(), '0');
  return (negative ? "-" : "") + std::to_string(magnitude / 1000) + "." + fraction;
}

MetricsBook::MetricsBook(std::string version) : version_(std::move(version)) {}

void MetricsBook::SetServers(const std::vector<ServerKey>& servers) {
  std::map<ServerKey, Server> kept;
  std::lock_guard lock(mutex_);
  for (const ServerKey& key : servers) {
    auto found = servers_.find(key);
    kept.emplace(key, found != servers_.end() ? found->second : Server{});
  }
  servers_.swap(kept);
}

void MetricsBook::RecordCheck(const ServerKey& server, CheckStatus status, std::int32_t loadMs,
                              std::int64_t atUtcMs) {
  std::lock_guard lock(mutex_);
  Server& s = servers_[server];
  s.checked = true;
  s.status = status;
  if (loadMs >= 0) s.loadMs = loadMs;
  s.lastCheckMs = atUtcMs;
  ++s.checks;
  ++s.byStatus[static_cast<int>(status) & 3];
}

void MetricsBook::RecordRun(RunState state, std::int64_t startUtcMs, std::int64_t endUtcMs) {
  std::lock_guard lock(mutex_);
  ++runs_;
  lastRun_ = state;
  lastRunMs_ = endUtcMs > startUtcMs ? endUtcMs - startUtcMs : 0;
  lastRunEndMs_ = endUtcMs;
}

std::string MetricsBook::Exposition() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> labels;
  labels.reserve(servers_.size());
  for (const auto& [key, server] : servers_)
    labels.push_back("{server=\"" + EscapeLabelValue(key.name) + "\",url=\"" +
                     EscapeLabelValue(key.url) + "\"");

  std::string out;
  out.reserve(2048 + servers_.size() * 1024);
  // A state set, as the text format writes one: a sample per state, 1 for the one that holds.
  Family(out, "lantervo_server_status", "gauge",
         "The outcome of the server's last check; every state is 0 before the first check.");
  std::size_t i = 0;
  for (const auto& [key, server] : servers_) {
    for (int state = 0; state < 4; ++state) {
      ServerSample(out, "lantervo_server_status", labels[i]);
      out += ",status=\"";
      out += kStatusNames[state];
      out += server.checked && static_cast<int>(server.status) == state ? "\"} 1\n" : "\"} 0\n";
    }
    ++i;
  }
  // One sample per server of a family without labels of its own; `value` is empty to leave a
  // server out.
  const auto perServer = [&](const char* name, const char* type, const char* help,
                             const auto& value) {
    Family(out, name, type, help);
    std::size_t at = 0;
    for (const auto& [key, server] : servers_) {
      const std::string text = value(server);
      if (!text.empty()) {
        ServerSample(out, name, labels[at]);
        out += "} " + text + "\n";
      }
      ++at;
    }
  };
  perServer("lantervo_server_load_time_seconds", "gauge",
            "How long the server's last successful load took.", [](const Server& server) {
              return server.loadMs >= 0 ? SecondsText(server.loadMs) : std::string();
            });
  perServer("lantervo_server_last_check_timestamp_seconds", "gauge",
            "When the server was last checked, in seconds since 1970 (UTC).",
            [](const Server& server) {
              return server.checked ? SecondsText(server.lastCheckMs) : std::string();
            });
  perServer("lantervo_server_checks_total", "counter",
            "Checks of the server since the program started.",
            [](const Server& server) { return std::to_string(server.checks); });
  Family(out, "lantervo_server_failures_total", "counter",
         "Checks of the server since the program started that did not load well, by kind.");
  i = 0;
  for (const auto& [key, server] : servers_) {
    for (int state = 1; state < 4; ++state) {
      ServerSample(out, "lantervo_server_failures_total", labels[i]);
      out += ",kind=\"";
      out += kStatusNames[state];
      out += "\"} " + std::to_string(server.byStatus[state]) + "\n";
    }
    ++i;
  }

  Family(out, "lantervo_runs_total", "counter", "Check runs since the program started.");
  out += "lantervo_runs_total " + std::to_string(runs_) + "\n";
  Family(out, "lantervo_last_run_state", "gauge",
         "The outcome of the last run; every state is 0 before the first run ends.");
  static constexpr const char* kRunNames[3] = {"offline", "all_ok", "problems"};
  for (int state = 1; state <= 3; ++state) {
    out += "lantervo_last_run_state{state=\"";
    out += kRunNames[state - 1];
    out += static_cast<int>(lastRun_) == state ? "\"} 1\n" : "\"} 0\n";
  }
  if (runs_ > 0) {
    Family(out, "lantervo_last_run_duration_seconds", "gauge", "How long the last run took.");
    out += "lantervo_last_run_duration_seconds " + SecondsText(lastRunMs_) + "\n";
    Family(out, "lantervo_last_run_timestamp_seconds", "gauge",
           "When the last run ended, in seconds since 1970 (UTC).");
    out += "lantervo_last_run_timestamp_seconds " + SecondsText(lastRunEndMs_) + "\n";
  }
  Family(out, "lantervo_build_info", "gauge", "The program's version, as a label.");
  out += "lantervo_build_info{version=\"" + EscapeLabelValue(version_) + "\"} 1\n";
  return out;
}

}  // namespace lantervo::metrics
