#pragma once
// A main window on the headless desktop with everything it uses injected: configuration, an
// event log in a temporary folder with a fixed time stamp, a fast HTTP client and a run clock
// whose pauses take no time and whose tick counter moves 100 ms per reading.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <ostream>
#include <string>

#include "core/config_store.h"
#include "core/event_log.h"
#include "monitor/http_client.h"
#include "platform/code_page.h"
#include "tests/support/quick_http_options.h"
#include "tests/support/temp_dir.h"
#include "toolkit/headless_desktop.h"
#include "ui/check_scheduler.h"
#include "ui/main_form.h"

namespace lantervo::test {

struct ServerRow {
  std::string name;
  std::string url;
  bool active = true;
  std::string response;  // expected text, empty: not checked
  int timeout = -1;      // slow-load threshold, -1: not checked
};

class MainFormTest : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kTickStep = 100;
  static constexpr const char* kStamp = "9.12.2026 10:00:00";

  MainFormTest() {
    config.Set(&AppConfig::BalloonLevel, 4);
    config.Set(&AppConfig::LogEnabled, true);
    config.Set(&AppConfig::CheckInterval, 300);
  }

  void SetUp() override { MakeForm(); }

  void MakeForm() {
    MainFormContext context{desktop, config, &log};
    context.makeHttpClient = [] { return std::make_unique<HttpClient>(QuickHttpOptions()); };
    context.clock = RunClock{[this] { return tick.fetch_add(kTickStep); },
                             [this](std::uint32_t ms) { pauses.fetch_add(1); }};
    context.utcNow = [this] { return utcNow.load(); };
    context.proxies = proxies;
    form = std::make_unique<TMainForm>(std::move(context));
    form->setServer.CreateList();
  }

  void AddServer(const ServerRow& row) {
    ServerTable& table = form->setServer;
    table.AppendRow();
    table.SetText("Name", row.name);
    table.SetText("Url", row.url);
    table.SetBool("Active", row.active);
    table.SetText("Status", "");
    table.SetText("Result", "Waiting...");
    table.SetInt("LoadTime", -1);
    table.SetBool("ResponseEnabled", !row.response.empty());
    if (!row.response.empty()) table.SetText("Response", row.response);
    table.SetBool("TimeoutEnabled", row.timeout >= 0);
    if (row.timeout >= 0) table.SetInt("Timeout", row.timeout);
    table.PostRow();
  }

  // What start-up does with the timer.
  void StartTimer() {
    form->timerCheck->SetInterval(TimerIntervalFromSeconds(config.Snapshot().CheckInterval));
    form->timerCheck->SetEnabled(true);
  }

  // Lets the timer fire and waits for the run it starts, carrying out its hand-offs.
  void RunOnce() {
    StartTimer();
    desktop.Advance(form->timerCheck->Interval());
    ASSERT_NE(form->CurrentCheck(), nullptr);
    form->CurrentCheck()->WaitFor();
  }

  struct RowValues {
    std::string name, status, result;
    int loadTime;
    bool operator==(const RowValues&) const = default;
    friend void PrintTo(const RowValues& row, std::ostream* out) {
      *out << "{" << row.name << ", " << row.status << ", \"" << row.result << "\", "
           << row.loadTime << "}";
    }
  };
  std::vector<RowValues> Rows() {
    std::vector<RowValues> rows;
    ServerTable& table = form->setServer;
    for (table.MoveFirst(); !table.AtEnd(); table.MoveNext())
      rows.push_back({table.GetText("Name"), table.GetText("Status"), table.GetText("Result"),
                      table.GetInt("LoadTime")});
    return rows;
  }

  std::string LogLine(const std::string& level, const std::string& message) const {
    return std::string(kStamp) + " " + level + " " + message + "\r\n";
  }

  std::vector<Balloon> Balloons() const {
    std::vector<Balloon> balloons;
    for (const auto& record : desktop.TrayRecords())
      if (record.kind == HeadlessDesktop::TrayRecord::ShowBalloon)
        balloons.push_back(record.balloon);
    return balloons;
  }

  HeadlessDesktop desktop;
  // The proxy settings runs use while ProxyEnabled is on.
  std::shared_ptr<platform::ProxySource> proxies;
  ConfigStore config;
  TempDir dir;
  platform::CodePage codePage = platform::CodePage::Open(1252);
  EventLog log{dir.File("LTV.log"), [] { return true; },
               EventLog::Options{[] { return platform::LocalDateTime{}; },
                                 [](const platform::LocalDateTime&) { return std::string(kStamp); },
                                 &codePage}};
  std::atomic<std::uint32_t> tick{1000};
  std::atomic<int> pauses{0};
  // The UTC clock the window stamps checks with (ms since 1970).
  std::atomic<std::int64_t> utcNow{1'796'000'000'000};
  std::unique_ptr<TMainForm> form;
};

}  // namespace lantervo::test
