#pragma once
// "Stats → Generate": the history as one self-contained HTML page (inline CSS and SVG, no
// script, nothing fetched) for the last 24 hours, 7 days and 30 days. The figures are worked
// out first (ReportFigures) and then written; both halves can be checked on their own.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "history/history_store.h"

namespace lantervo::history {

// A period ends with the hour now is in and holds that many hours: 24, 168 or 720.
struct PeriodFigures {
  int hours = 0;
  std::int64_t from = 0;  // the start of its first hour
  int checks = 0;         // of the whole list
  int failed = 0;         // down or wrong response
  struct Server {
    int checks = 0;
    int failed = 0;
    int outages = 0;            // outages overlapping the period
    std::int64_t outageMs = 0;  // their length within it (a going one until now)
    int timed = 0;              // checks with a load time
    double meanLoad = 0;
    std::int32_t p95Load = 0;
  };
  std::vector<Server> servers;  // as ReportFigures::servers
};

struct ChartPoint {
  std::int64_t hour = 0;
  std::int32_t median = 0;
  std::int32_t p95 = 0;
};

struct ReportFigures {
  std::int64_t now = 0;
  std::vector<ServerRecord> servers;   // by name
  std::vector<PeriodFigures> periods;  // 24 hours, 7 days, 30 days
  // The last 7 days' hours with load times, per server.
  std::vector<std::vector<ChartPoint>> charts;
  // The last 30 days' outages, per server, oldest first.
  std::vector<std::vector<OutageRecord>> outages;
};

// Uptime as a share of checks: those that were up or slow.
double Availability(int checks, int failed);

// A span as people read it: "42 s", "12 min", "3 h 05 min", "2 d 4 h".
std::string DurationText(std::int64_t ms);

ReportFigures ComputeReport(HistoryStore& store, std::int64_t now);

struct ReportStyle {
  // A UTC moment as the user reads a date and time.
  std::function<std::string(std::int64_t utcMs)> formatTime;
  char decimalSeparator = '.';
};

// The page, in the program's language (TranslateText).
std::string RenderReport(const ReportFigures& figures, const ReportStyle& style);

}  // namespace lantervo::history
