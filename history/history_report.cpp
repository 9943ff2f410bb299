#include "history/history_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "core/text_format.h"
#include "i18n/gettext.h"

namespace lantervo::history {

namespace {

constexpr int kPeriodHours[] = {24, 7 * 24, 30 * 24};
constexpr int kChartHours = 7 * 24;
constexpr std::size_t kListedOutages = 25;

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\r':
      case '\n':
      case '\t':
        out += ' ';
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Number(double value, int decimals, char separator) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out = text;
  if (separator != '.')
    if (auto dot = out.find('.'); dot != std::string::npos) out[dot] = separator;
  return out;
}

// A coordinate with one decimal, as "%.1f" would write it (charts have thousands of them).
void AppendTenths(std::string& out, double value) {
  long long tenths = std::llround(value * 10);
  if (tenths < 0) {
    out += '-';
    tenths = -tenths;
  }
  out += std::to_string(tenths / 10);
  out += '.';
  out += static_cast<char>('0' + tenths % 10);
}

// The length of [start, end) within [from, to).
std::int64_t Overlap(std::int64_t start, std::int64_t end, std::int64_t from, std::int64_t to) {
  return std::max<std::int64_t>(0, std::min(end, to) - std::max(start, from));
}

const char* kStyle = R"css(
body{font:14px/1.4 "Segoe UI",Tahoma,"DejaVu Sans",sans-serif;color:#222;margin:24px;max-width:1100px}
h1{font-size:22px;margin:0 0 4px}h2{font-size:18px;margin:28px 0 8px;border-bottom:1px solid #ccc}
h3{font-size:15px;margin:22px 0 6px}.muted{color:#666}
table{border-collapse:collapse;margin:6px 0 12px}th,td{padding:3px 10px;border-bottom:1px solid #e4e4e4;text-align:right}
th:first-child,td:first-child{text-align:left}th{background:#f2f2f2}
.whole{font-size:16px;margin:6px 0}.bad{color:#b00020}.good{color:#18794e}
svg{display:block;margin:4px 0 2px}.legend span{margin-right:16px}
.sw{display:inline-block;width:14px;height:3px;vertical-align:middle;margin-right:4px}
.server{page-break-inside:avoid}table.list th,table.list td{text-align:left}
.list td:nth-child(3){text-align:right;white-space:nowrap}
@media print{body{margin:0}h2{page-break-before:always}h2:first-of-type{page-break-before:auto}}
)css";

}  // namespace

double Availability(int checks, int failed) {
  return checks ? 100.0 * (checks - failed) / checks : 0;
}

ReportFigures ComputeReport(HistoryStore& store, std::int64_t now) {
  ReportFigures figures;
  figures.now = now;
  figures.servers = store.Servers();
  std::sort(figures.servers.begin(), figures.servers.end(),
            [](const ServerRecord& a, const ServerRecord& b) {
              return a.name != b.name ? a.name < b.name : a.id < b.id;
            });
  std::unordered_map<std::int64_t, std::size_t> index;
  for (std::size_t i = 0; i < figures.servers.size(); ++i) index[figures.servers[i].id] = i;
  const std::size_t count = figures.servers.size();
  const std::int64_t hourNow = now / kHourMs;

  // Each server's load times of the month in hour order: the shorter periods are its tail.
  struct Loads {
    std::vector<std::int32_t> values;
    std::size_t from[3] = {0, 0, 0};  // where each period's values begin
    double sum[3] = {0, 0, 0};
    bool started[3] = {false, false, false};
  };
  std::vector<Loads> loads(count);
  for (const int hours : kPeriodHours) {
    PeriodFigures period;
    period.hours = hours;
    period.from = (hourNow - hours + 1) * kHourMs;
    period.servers.resize(count);
    figures.periods.push_back(std::move(period));
  }
  figures.charts.resize(count);
  figures.outages.resize(count);

  const std::int64_t firstHour = hourNow - kPeriodHours[2] + 1;
  store.ForEachHour(firstHour, hourNow + 1, [&](const HourRecord& hour) {
    auto it = index.find(hour.server);
    if (it == index.end()) return;
    const std::size_t s = it->second;
    Loads& l = loads[s];
    double hourSum = 0;
    for (const std::int32_t load : hour.loads) hourSum += load;
    for (std::size_t p = 0; p < figures.periods.size(); ++p) {
      PeriodFigures& period = figures.periods[p];
      if (hour.hour < hourNow - period.hours + 1) continue;
      if (!l.started[p]) {
        l.started[p] = true;
        l.from[p] = l.values.size();
      }
      PeriodFigures::Server& server = period.servers[s];
      server.checks += hour.checks;
      server.failed += hour.down + hour.wrong;
      period.checks += hour.checks;
      period.failed += hour.down + hour.wrong;
      l.sum[p] += hourSum;
    }
    l.values.insert(l.values.end(), hour.loads.begin(), hour.loads.end());
    if (hour.hour > hourNow - kChartHours && !hour.loads.empty()) {
      // The hour's list is sorted: its percentiles are where their ranks are.
      const std::size_t n = hour.loads.size();
      figures.charts[s].push_back(
          {hour.hour, hour.loads[(n * 50 + 99) / 100 - 1], hour.loads[(n * 95 + 99) / 100 - 1]});
    }
  });
  for (std::size_t s = 0; s < count; ++s) {
    Loads& l = loads[s];
    // The shortest period first: a percentile reorders the values of its period, which moves
    // values in and out of every shorter one, but of no longer one.
    for (std::size_t p = 0; p < figures.periods.size(); ++p) {
      PeriodFigures::Server& server = figures.periods[p].servers[s];
      if (!l.started[p] || l.from[p] == l.values.size()) continue;
      const auto begin = l.values.begin() + static_cast<std::ptrdiff_t>(l.from[p]);
      server.timed = static_cast<int>(l.values.end() - begin);
      server.meanLoad = l.sum[p] / server.timed;
      server.p95Load = Percentile(begin, l.values.end(), 95);
    }
    l.values = {};
  }

  for (OutageRecord& outage : store.Outages(figures.periods[2].from, now + 1)) {
    auto it = index.find(outage.server);
    if (it == index.end()) continue;
    const std::int64_t end = outage.end ? outage.end : now;
    for (PeriodFigures& period : figures.periods) {
      if (outage.start >= now || end <= period.from) continue;
      PeriodFigures::Server& server = period.servers[it->second];
      ++server.outages;
      server.outageMs += Overlap(outage.start, end, period.from, now);
    }
    figures.outages[it->second].push_back(std::move(outage));
  }
  return figures;
}

namespace {

class Page {
 public:
  Page(const ReportFigures& figures, const ReportStyle& style) : f_(figures), style_(style) {}

  std::string Render() {
    out_ += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>";
    out_ += Escape(TranslateText("Lantervo report"));
    out_ += "</title><style>";
    out_ += kStyle;
    out_ += "</style></head><body>\n<h1>" + Escape(TranslateText("Lantervo report")) + "</h1>\n";
    out_ += "<p class=\"muted\">" +
            Escape(FormatText(TranslateText("Generated %s"), {Time(f_.now)})) + "</p>\n";
    const char* titles[] = {"Last 24 hours", "Last 7 days", "Last 30 days"};
    const char* keys[] = {"24h", "7d", "30d"};
    for (std::size_t p = 0; p < f_.periods.size(); ++p) Period(f_.periods[p], titles[p], keys[p]);
    out_ += "<h2>" + Escape(TranslateText("Servers")) + "</h2>\n";
    for (std::size_t s = 0; s < f_.servers.size(); ++s) Server(s);
    out_ += "<p class=\"muted\">" +
            Escape(TranslateText("Uptime counts the checks that loaded, slow ones included; an "
                                 "outage lasts from the first failed check to the next one that "
                                 "loaded. Load times are those of the checks that had one.")) +
            "</p>\n</body></html>\n";
    return std::move(out_);
  }

 private:
  std::string Time(std::int64_t ms) const { return style_.formatTime ? style_.formatTime(ms) : ""; }
  std::string Percent(double value) const {
    return Number(value, 2, style_.decimalSeparator) + " %";
  }

  void Period(const PeriodFigures& period, const char* title, const char* key) {
    out_ += "<h2>" + Escape(TranslateText(title)) + "</h2>\n";
    out_ += "<p class=\"whole\" data-period=\"" + std::string(key) + "\" data-v=\"" +
            (period.checks ? Number(Availability(period.checks, period.failed), 4, '.') : "") +
            "\">";
    out_ += Escape(FormatText(TranslateText("Availability of the whole list: %s"),
                              {period.checks ? Percent(Availability(period.checks, period.failed))
                                             : TranslateText("no checks")}));
    out_ += "</p>\n<table><tr><th>" + Escape(TranslateText("Server")) + "</th><th>" +
            Escape(TranslateText("Uptime")) + "</th><th>" + Escape(TranslateText("Outages")) +
            "</th><th>" + Escape(TranslateText("Outage time")) + "</th><th>" +
            Escape(TranslateText("Average load time")) + "</th><th>" +
            Escape(TranslateText("95th percentile load time")) + "</th></tr>\n";
    for (std::size_t s = 0; s < f_.servers.size(); ++s) {
      const PeriodFigures::Server& server = period.servers[s];
      if (server.checks == 0 && server.outages == 0) continue;
      out_ += "<tr data-period=\"" + std::string(key) + "\" data-server=\"" +
              Escape(f_.servers[s].name) + "\"><td>" + Escape(f_.servers[s].name) + "</td>";
      if (server.checks) {
        const double uptime = Availability(server.checks, server.failed);
        out_ += "<td data-v=\"" + Number(uptime, 4, '.') + "\"" +
                (server.failed ? " class=\"bad\"" : "") + ">" + Percent(uptime) + "</td>";
      } else {
        out_ += "<td data-v=\"\">" + Escape(TranslateText("no checks")) + "</td>";
      }
      out_ += "<td data-v=\"" + std::to_string(server.outages) + "\">" +
              std::to_string(server.outages) + "</td>";
      out_ += "<td data-v=\"" + std::to_string(server.outageMs) + "\">" +
              (server.outages ? DurationText(server.outageMs) : "") + "</td>";
      if (server.timed) {
        out_ += "<td data-v=\"" + Number(server.meanLoad, 3, '.') + "\">" +
                Number(server.meanLoad, 0, style_.decimalSeparator) + " ms</td>";
        out_ += "<td data-v=\"" + std::to_string(server.p95Load) + "\">" +
                std::to_string(server.p95Load) + " ms</td>";
      } else {
        out_ += "<td data-v=\"\"></td><td data-v=\"\"></td>";
      }
      out_ += "</tr>\n";
    }
    out_ += "</table>\n";
  }

  void Server(std::size_t s) {
    const ServerRecord& server = f_.servers[s];
    out_ += "<div class=\"server\"><h3>" + Escape(server.name) + " <span class=\"muted\">" +
            Escape(server.url) + "</span></h3>\n";
    Chart(s);
    const auto& outages = f_.outages[s];
    out_ += "<p>" + Escape(TranslateText("Outages in the last 30 days")) + "</p>\n";
    if (outages.empty()) {
      out_ += "<p class=\"muted\">" + Escape(TranslateText("No outages.")) + "</p>\n";
    } else {
      out_ += "<table class=\"list\"><tr><th>" + Escape(TranslateText("Start")) + "</th><th>" +
              Escape(TranslateText("End")) + "</th><th>" + Escape(TranslateText("Duration")) +
              "</th><th>" + Escape(TranslateText("First failure")) + "</th></tr>\n";
      // The latest ones: a server that flapped all month would fill pages with them.
      const std::size_t shown = std::min(outages.size(), kListedOutages);
      for (std::size_t i = outages.size() - shown; i < outages.size(); ++i) {
        const OutageRecord& outage = outages[i];
        const std::int64_t end = outage.end ? outage.end : f_.now;
        out_ += "<tr data-outage=\"" + Escape(server.name) + "\" data-start=\"" +
                std::to_string(outage.start) + "\" data-end=\"" + std::to_string(outage.end) +
                "\"><td>" + Escape(Time(outage.start)) + "</td><td>" +
                Escape(outage.end ? Time(outage.end) : TranslateText("going on")) + "</td><td>" +
                DurationText(end - outage.start) + "</td><td>" +
                Escape(outage.text.substr(0, 300)) + "</td></tr>\n";
      }
      out_ += "</table>\n";
      if (shown < outages.size())
        out_ += "<p class=\"muted\">" +
                Escape(FormatText(TranslateText("%s earlier outages are left out here."),
                                  {std::to_string(outages.size() - shown)})) +
                "</p>\n";
    }
    out_ += "</div>\n";
  }

  void Chart(std::size_t s) {
    constexpr int kWidth = 840, kHeight = 180, kLeft = 56, kBottom = 22, kTop = 8;
    const int plotWidth = kWidth - kLeft - 8, plotHeight = kHeight - kTop - kBottom;
    const std::vector<ChartPoint>& points = f_.charts[s];
    const std::int32_t threshold = f_.servers[s].slowMs;
    std::int32_t top = std::max<std::int32_t>(threshold, 1);
    for (const ChartPoint& p : points) top = std::max(top, p.p95);
    // A round upper bound: 1, 2 or 5 times a power of ten.
    double scale = 1;
    while (scale * 10 < top) scale *= 10;
    for (const double step : {1.0, 2.0, 5.0, 10.0})
      if (scale * step >= top) {
        scale *= step;
        break;
      }
    const std::int64_t firstHour = f_.now / kHourMs - kChartHours + 1;
    const auto x = [&](double hour) {
      return kLeft + plotWidth * (hour - static_cast<double>(firstHour)) / kChartHours;
    };
    const auto y = [&](double ms) { return kTop + plotHeight * (1 - ms / scale); };
    char buf[160];
    out_ += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kWidth) +
            "\" height=\"" + std::to_string(kHeight) + "\" viewBox=\"0 0 " +
            std::to_string(kWidth) + " " + std::to_string(kHeight) + "\" role=\"img\">";
    out_ += "<rect x=\"" + std::to_string(kLeft) + "\" y=\"" + std::to_string(kTop) +
            "\" width=\"" + std::to_string(plotWidth) + "\" height=\"" +
            std::to_string(plotHeight) + "\" fill=\"#fafafa\" stroke=\"#ccc\"/>";
    // Outages as red bands.
    const double chartFrom = static_cast<double>(firstHour * kHourMs);
    // Bands closer than a pixel are drawn as one.
    double bandStart = -1, bandEnd = -1;
    const auto band = [&] {
      if (bandStart < 0) return;
      std::snprintf(buf, sizeof buf,
                    "<rect class=\"outage\" x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" "
                    "fill=\"#e53935\" fill-opacity=\"0.3\"/>",
                    bandStart, kTop, bandEnd - bandStart, plotHeight);
      out_ += buf;
    };
    for (const OutageRecord& outage : f_.outages[s]) {
      const double start = std::max<double>(static_cast<double>(outage.start), chartFrom);
      const double end = static_cast<double>(outage.end ? outage.end : f_.now);
      if (end <= chartFrom) continue;
      const double x0 = x(start / kHourMs), x1 = std::max(x(end / kHourMs), x0 + 1.5);
      if (bandStart >= 0 && x0 <= bandEnd + 1) {
        bandEnd = std::max(bandEnd, x1);
        continue;
      }
      band();
      bandStart = x0;
      bandEnd = x1;
    }
    band();
    // Grid lines and their load times.
    for (int i = 0; i <= 4; ++i) {
      const double ms = scale * i / 4;
      std::snprintf(buf, sizeof buf,
                    "<line x1=\"%d\" x2=\"%d\" y1=\"%.1f\" y2=\"%.1f\" stroke=\"#e0e0e0\"/>"
                    "<text x=\"%d\" y=\"%.1f\" font-size=\"10\" text-anchor=\"end\">%s ms</text>",
                    kLeft, kLeft + plotWidth, y(ms), y(ms), kLeft - 4, y(ms) + 3,
                    Number(ms, 0, '.').c_str());
      out_ += buf;
    }
    // A tick a day.
    for (int day = 0; day <= 7; ++day) {
      const double hour = static_cast<double>(firstHour + day * 24);
      std::snprintf(buf, sizeof buf,
                    "<line x1=\"%.1f\" x2=\"%.1f\" y1=\"%d\" y2=\"%d\" stroke=\"#bbb\"/>", x(hour),
                    x(hour), kTop + plotHeight, kTop + plotHeight + 4);
      out_ += buf;
    }
    if (threshold > 0) {
      std::snprintf(buf, sizeof buf,
                    "<line class=\"threshold\" x1=\"%d\" x2=\"%d\" y1=\"%.1f\" y2=\"%.1f\" "
                    "stroke=\"#f57c00\" stroke-dasharray=\"5,3\"/>",
                    kLeft, kLeft + plotWidth, y(threshold), y(threshold));
      out_ += buf;
    }
    for (const bool p95 : {true, false}) {
      std::string line = std::string("<polyline class=\"") + (p95 ? "p95" : "median") +
                         "\" fill=\"none\" stroke=\"" + (p95 ? "#90caf9" : "#1565c0") +
                         "\" stroke-width=\"1.5\" points=\"";
      for (const ChartPoint& point : points) {
        AppendTenths(line, x(static_cast<double>(point.hour) + 0.5));
        line += ',';
        AppendTenths(line, y(p95 ? point.p95 : point.median));
        line += ' ';
      }
      out_ += line + "\"/>";
    }
    out_ +=
        "</svg>\n<p class=\"legend muted\"><span><i class=\"sw\" style=\"background:#1565c0\">"
        "</i>" +
        Escape(TranslateText("hourly median")) +
        "</span><span><i class=\"sw\" "
        "style=\"background:#90caf9\"></i>" +
        Escape(TranslateText("hourly 95th percentile")) +
        "</span><span><i class=\"sw\" style=\"background:#e53935\"></i>" +
        Escape(TranslateText("outage")) + "</span>";
    if (threshold > 0)
      out_ += "<span><i class=\"sw\" style=\"background:#f57c00\"></i>" +
              Escape(FormatText(TranslateText("slow above %s ms"), {std::to_string(threshold)})) +
              "</span>";
    out_ += "</p>\n";
  }

  const ReportFigures& f_;
  const ReportStyle& style_;
  std::string out_;
};

}  // namespace

std::string RenderReport(const ReportFigures& figures, const ReportStyle& style) {
  return Page(figures, style).Render();
}

std::string DurationText(std::int64_t ms) {
  const std::int64_t seconds = ms / 1000;
  char text[64];
  if (seconds >= 86400)
    std::snprintf(text, sizeof text, "%lld d %lld h", static_cast<long long>(seconds / 86400),
                  static_cast<long long>(seconds % 86400 / 3600));
  else if (seconds >= 3600)
    std::snprintf(text, sizeof text, "%lld h %02lld min", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds % 3600 / 60));
  else if (seconds >= 60)
    std::snprintf(text, sizeof text, "%lld min", static_cast<long long>(seconds / 60));
  else
    std::snprintf(text, sizeof text, "%lld s", static_cast<long long>(seconds));
  return text;
}

}  // namespace lantervo::history
