#include "monitor/check_run.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "core/text_format.h"
#include "i18n/gettext.h"
#include "platform/clock.h"

namespace lantervo {

RunClock RunClock::System() {
  return RunClock{[] { return platform::TickCount(); },
                  [](std::uint32_t ms) { platform::SleepMs(ms); },
                  [] { return platform::SuspendedMs(); }};
}

namespace {

constexpr std::uint32_t kPauseMs = 200;

// Ends a run that was told to stop; the outer handler takes it like any other end.
struct RunStopped {};
// Ends the checking of a run that the machine's sleep cut.
struct RunSlept {};

class Run {
 public:
  Run(const RunSettings& settings, RunHost& host, const ProbeGet& get, const RunClock& clock,
      const std::atomic<bool>* stop, const std::atomic<bool>* asleep, const ProbeReach& reach,
      const std::vector<ProbeGet>& laneGets)
      : settings_(settings),
        host_(host),
        get_(get),
        clock_(clock),
        stop_(stop),
        asleep_(asleep),
        reach_(reach),
        laneGets_(laneGets) {}

  void Execute() {
    try {
      Steps();
    } catch (...) {
      // An error from a host operation ends the run where it happened; nothing is logged.
    }
    try {
      host_.EndRunUi();
    } catch (...) {
      // The run lets no error escape its thread.
    }
  }

 private:
  void Steps() {
    host_.BeginRunUi();
    startTick_ = endTick_ = 0;
    host_.AddLog(TranslateText("Checking..."), "system");
    if (settings_.WaitForNetwork) WaitForNetwork();
    std::string body;
    if (settings_.VerifyEnabled) {
      host_.SetStatusText(TranslateText("Verifying connection..."));
      body = VerifyBody();
      StopPoint();
    }
    const int lanes = std::clamp<int>(settings_.Lanes, 1, 1 + static_cast<int>(laneGets_.size()));
    if (settings_.VerifyEnabled && body.empty())
      Offline();
    else if (lanes > 1)
      OnlineInLanes(lanes);
    else
      Online();
  }

  // Several lanes: the active rows are handed out in table order, and each lane checks its row
  // as the one-lane loop does, through steps that name the row. This thread is the first lane.
  void OnlineInLanes(int laneCount) {
    const std::vector<LaneRow> rows = host_.ActiveRows();
    const auto done = std::make_unique<std::atomic<bool>[]>(rows.size());
    std::atomic<std::size_t> next{0};
    std::atomic<int> errors{0};
    std::atomic<bool> allFine{true}, slept{false}, failed{false};
    std::mutex failureMutex;
    std::exception_ptr failure;
    const auto lane = [&](const ProbeGet& get) {
      try {
        for (;;) {
          if (failed || slept) return;
          StopPoint();
          if (Asleep()) throw RunSlept{};
          const std::size_t i = next++;
          if (i >= rows.size()) return;
          if (!CheckInLane(rows[i], get, errors)) allFine = false;
          done[i] = true;
        }
      } catch (const RunSlept&) {
        slept = true;
      } catch (const RunStopped&) {
        // every lane sees the stop at its next step
      } catch (...) {
        std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
        failed = true;
      }
    };
    std::vector<std::thread> others;
    for (int i = 1; i < laneCount; ++i) others.emplace_back(lane, std::cref(laneGets_[i - 1]));
    lane(get_);
    for (std::thread& other : others) other.join();
    errorCount_ = errors;
    if (failure) std::rethrow_exception(failure);
    StopPoint();
    if (slept) {
      host_.AddLog(
          TranslateText("Interrupted by sleep; the servers not checked are marked offline."),
          "system");
      for (std::size_t i = 0; i < rows.size(); ++i)
        if (!done[i])
          host_.PostRowAt(rows[i].index,
                          {"OFFLINE", TranslateText("Unable to check server."), std::nullopt});
      host_.SetRunState(rsOffline, 0);
      return;
    }
    Completed(allFine);
  }

  // A lane's check of its row, step for step as the one-lane loop checks the current row, with
  // the row's fields as the run began; false when the server failed.
  bool CheckInLane(const LaneRow& row, const ProbeGet& get, std::atomic<int>& errors) {
    host_.PostRowAt(row.index, {"CHECK", TranslateText("Checking..."), std::nullopt});
    host_.SetStatusText(FormatText(TranslateText("Processing %s..."), {row.name}));
    const std::uint64_t sleptBefore = SleptMs();
    std::string body, errorText;
    std::uint32_t start = 0, end = 0;
    ProbeInLane(get, row.url, body, errorText, start, end);
    const auto passes = [&] {
      return !body.empty() && !(row.responseEnabled && row.response != body) &&
             !(row.timeoutEnabled && row.timeout < static_cast<std::int32_t>(end - start));
    };
    int recoveredOn = 0;
    bool passed = settings_.RetryCount > 0 && passes();
    for (int retry = 1; retry <= settings_.RetryCount && !passed && !Asleep(); ++retry) {
      host_.SetStatusText(
          FormatText(TranslateText("Trying %s again (%s of %s)..."),
                     {row.name, std::to_string(retry), std::to_string(settings_.RetryCount)}));
      Pause(kRetryPauseMs);
      body.clear();
      errorText.clear();
      ProbeInLane(get, row.url, body, errorText, start, end);
      passed = passes();
      if (passed) recoveredOn = retry;
    }
    if (Asleep() || SleptMs() - sleptBefore >= kSleepGapMs) throw RunSlept{};
    clock_.Sleep(kPauseMs);
    RowWrite write;
    bool fine = false;
    if (body.empty()) {
      write.status = "ERR_LOAD";
      host_.AddLog(
          FormatText(TranslateText("Unable to load '%s'. Error: %s"), {row.name, errorText}),
          "error");
      write.result = TranslateText("Unable to load: ") + errorText;
      Balloon(0, TranslateText("Load error"),
              FormatText(TranslateText("Unable to load '%s'"), {row.name}));
    } else {
      const auto loadTime = static_cast<std::int32_t>(end - start);
      write.loadTime = loadTime;
      if (row.responseEnabled && row.response != body) {
        write.status = "ERR_RESP";
        write.result = TranslateText("Wrong response: ") + body;
        host_.AddLog(FormatText(TranslateText("Wrong response '%s': %s"), {row.name, body}),
                     "error");
        Balloon(1, TranslateText("Response error"),
                FormatText(TranslateText("Wrong response '%s': %s"), {row.name, body}));
      } else if (row.timeoutEnabled && row.timeout < loadTime) {
        write.status = "ERR_SLOW";
        write.result = TranslateText("Slow load");
        host_.AddLog(FormatText(TranslateText("Slow load '%s'. Load time %sms."),
                                {row.name, std::to_string(loadTime)}),
                     "error");
        Balloon(2, TranslateText("Slow load"),
                FormatText(TranslateText("Slow load '%s'"), {row.name}));
      } else {
        fine = true;
        write.status = "OK";
        write.result = "OK";
        if (recoveredOn > 0)
          host_.AddLog(FormatText(TranslateText("'%s' loaded on retry %s."),
                                  {row.name, std::to_string(recoveredOn)}),
                       "ok");
      }
    }
    if (!fine) ++errors;
    clock_.Sleep(kPauseMs);
    host_.PostRowAt(row.index, write);
    return fine;
  }

  void ProbeInLane(const ProbeGet& get, const std::string& url, std::string& body,
                   std::string& errorText, std::uint32_t& start, std::uint32_t& end) {
    TimedGet(
        get, [&url]() -> const std::string& { return url; }, body, errorText, start, end);
  }

  // One timed GET, the address taken once the clock runs; a failure leaves its text.
  template <class Address>
  void TimedGet(const ProbeGet& get, const Address& address, std::string& body,
                std::string& errorText, std::uint32_t& start, std::uint32_t& end) {
    try {
      start = clock_.TickCount();
      body = get(address());
      end = clock_.TickCount();
    } catch (const std::exception& e) {
      errorText = e.what();
    } catch (...) {
      errorText.clear();
    }
    // A probe cut short by Quit says nothing about the server.
    StopPoint();
  }

  // The run's last line and state.
  void Completed(bool allFine) {
    if (allFine) {
      host_.SetRunState(rsAllOk, errorCount_);
      host_.AddLog(TranslateText("Completed with no errors."), "ok");
    } else {
      host_.AddLog(TranslateText("Completed with problems detected."), "error");
      host_.SetRunState(rsProblems, errorCount_);
    }
  }

  void Online() {
    bool allFine = true;
    errorCount_ = 0;
    host_.MoveFirst();
    while (!host_.AtEnd()) {
      if (!host_.GetBool("Active")) {
        host_.MoveNext();
        continue;
      }
      StopPoint();
      if (Asleep()) return Slept();
      std::string errorText;
      host_.BeginEdit();
      host_.SetText("Status", "CHECK");
      host_.SetText("Result", TranslateText("Checking..."));
      host_.PostRow();
      try {
        if (!CheckServer(errorText)) allFine = false;
      } catch (const RunSlept&) {
        return Slept();
      } catch (...) {
        host_.MoveNext();  // the row in hand still moves on before the error ends the run
        throw;
      }
      host_.MoveNext();
    }
    Completed(allFine);
  }

  // Steps c to k for the current (active) row; false when the server failed.
  bool CheckServer(std::string& errorText) {
    std::string body;
    const std::string name = host_.GetText("Name");
    host_.SetStatusText(FormatText(TranslateText("Processing %s..."), {name}));
    std::string url;
    const std::uint64_t sleptBefore = SleptMs();
    Probe(url, body, errorText);
    // A failure may be a glitch: it counts once the retries fail too.
    int recoveredOn = 0;
    bool passed = settings_.RetryCount > 0 && Passes(body);
    for (int retry = 1; retry <= settings_.RetryCount && !passed && !Asleep(); ++retry) {
      host_.SetStatusText(
          FormatText(TranslateText("Trying %s again (%s of %s)..."),
                     {name, std::to_string(retry), std::to_string(settings_.RetryCount)}));
      Pause(kRetryPauseMs);
      body.clear();
      errorText.clear();
      Probe(url, body, errorText);
      passed = Passes(body);
      if (passed) recoveredOn = retry;
    }
    // What a sleep cut says nothing about the server.
    if (Asleep() || SleptMs() - sleptBefore >= kSleepGapMs) throw RunSlept{};
    clock_.Sleep(kPauseMs);
    host_.BeginEdit();
    bool fine = true;
    if (body.empty()) {
      fine = false;
      Failed();
      host_.SetText("Status", "ERR_LOAD");
      const std::string current = host_.GetText("Name");
      host_.AddLog(
          FormatText(TranslateText("Unable to load '%s'. Error: %s"), {current, errorText}),
          "error");
      host_.SetText("Result", TranslateText("Unable to load: ") + errorText);
      Balloon(0, TranslateText("Load error"),
              FormatText(TranslateText("Unable to load '%s'"), {current}));
    } else {
      // The tick counter wraps at 2^32; the difference is taken modulo 2^32.
      const auto loadTime = static_cast<std::int32_t>(endTick_ - startTick_);
      host_.SetInt("LoadTime", loadTime);
      if (host_.GetBool("ResponseEnabled") && host_.GetText("Response") != body) {
        fine = false;
        Failed();
        host_.SetText("Status", "ERR_RESP");
        host_.SetText("Result", TranslateText("Wrong response: ") + body);
        const std::string current = host_.GetText("Name");
        host_.AddLog(FormatText(TranslateText("Wrong response '%s': %s"), {current, body}),
                     "error");
        Balloon(1, TranslateText("Response error"),
                FormatText(TranslateText("Wrong response '%s': %s"), {current, body}));
      } else if (host_.GetBool("TimeoutEnabled") && host_.GetInt("Timeout") < loadTime) {
        fine = false;
        Failed();
        host_.SetText("Status", "ERR_SLOW");
        host_.SetText("Result", TranslateText("Slow load"));
        const std::string current = host_.GetText("Name");
        host_.AddLog(FormatText(TranslateText("Slow load '%s'. Load time %sms."),
                                {current, std::to_string(loadTime)}),
                     "error");
        Balloon(2, TranslateText("Slow load"),
                FormatText(TranslateText("Slow load '%s'"), {current}));
      } else {
        host_.SetText("Status", "OK");
        host_.SetText("Result", "OK");
        if (recoveredOn > 0)
          host_.AddLog(FormatText(TranslateText("'%s' loaded on retry %s."),
                                  {host_.GetText("Name"), std::to_string(recoveredOn)}),
                       "ok");
      }
    }
    clock_.Sleep(kPauseMs);
    host_.PostRow();
    return fine;
  }

  // One GET of the server; its load time is that of the last one. The first reads the URL
  // once the clock runs.
  void Probe(std::string& url, std::string& body, std::string& errorText) {
    const auto address = [&]() -> const std::string& {
      if (url.empty()) url = host_.GetText("Url");
      return url;
    };
    TimedGet(get_, address, body, errorText, startTick_, endTick_);
  }

  // Whether a probe's answer passes the row's checks (read only when a retry may follow).
  bool Passes(const std::string& body) {
    if (body.empty()) return false;
    if (host_.GetBool("ResponseEnabled") && host_.GetText("Response") != body) return false;
    const auto loadTime = static_cast<std::int32_t>(endTick_ - startTick_);
    return !(host_.GetBool("TimeoutEnabled") && host_.GetInt("Timeout") < loadTime);
  }

  // Waits in short steps, so that Quit ends the wait at once.
  void Pause(std::uint32_t ms) {
    constexpr std::uint32_t kStepMs = 100;
    for (std::uint32_t waited = 0; waited < ms; waited += kStepMs) {
      StopPoint();
      clock_.Sleep(std::min(kStepMs, ms - waited));
    }
    StopPoint();
  }

  // Per server, unless the window tells of changes instead.
  void Balloon(int level, const std::string& title, const std::string& text) {
    if (!settings_.NotifyOnChange && settings_.BalloonLevel > level)
      host_.ShowBalloon(title, text, BalloonKind::Error);
  }

  void Failed() { ++errorCount_; }

  bool Asleep() const { return asleep_ && asleep_->load(); }
  std::uint64_t SleptMs() const { return clock_.SleptMs ? clock_.SleptMs() : 0; }

  // The row in hand and the active rows after it were not checked: they are offline, as on
  // the offline path; the rows checked before keep what they showed.
  void Slept() {
    host_.AddLog(TranslateText("Interrupted by sleep; the servers not checked are marked offline."),
                 "system");
    MarkOffline(true);
    host_.SetRunState(rsOffline, 0);
  }

  // After a wake the network may take a while: the run asks until it answers, and goes on
  // anyway once the wait is over.
  void WaitForNetwork() {
    host_.SetStatusText(TranslateText("Waiting for the network..."));
    const std::uint32_t start = clock_.TickCount();
    while (!NetworkAnswers()) {
      StopPoint();
      if (clock_.TickCount() - start >= kNetworkWaitMs) return;
      Pause(kNetworkAskMs);
    }
  }

  bool NetworkAnswers() {
    if (settings_.VerifyEnabled) return !VerifyBody().empty();
    if (!reach_) return true;
    std::string url;
    for (host_.MoveFirst(); !host_.AtEnd() && url.empty(); host_.MoveNext())
      if (host_.GetBool("Active")) url = host_.GetText("Url");
    return url.empty() || reach_(url);
  }

  // The verification URL's body; empty when it fails.
  std::string VerifyBody() {
    try {
      return get_(settings_.VerifyURL);
    } catch (...) {
      // A failed verification only means "offline"; the error itself is not shown.
      return {};
    }
  }

  void StopPoint() const {
    if (stop_ && stop_->load()) throw RunStopped{};
  }

  void Offline() {
    host_.AddLog(TranslateText("Stopped! Probably offline."), "error");
    host_.SetRunState(rsOffline, 0);
    host_.MoveFirst();
    MarkOffline(false);
  }

  // Marks the rows from the one in hand to the end offline (the active ones only, or all).
  void MarkOffline(bool activeOnly) {
    while (!host_.AtEnd()) {
      try {
        if (!activeOnly || host_.GetBool("Active")) {
          host_.BeginEdit();
          host_.SetText("Status", "OFFLINE");
          host_.SetText("Result", TranslateText("Unable to check server."));
          host_.PostRow();
        }
      } catch (...) {
        host_.MoveNext();
        throw;
      }
      host_.MoveNext();
    }
  }

  const RunSettings& settings_;
  RunHost& host_;
  const ProbeGet& get_;
  const RunClock& clock_;
  int errorCount_ = 0;
  const std::atomic<bool>* stop_;
  const std::atomic<bool>* asleep_;
  const ProbeReach& reach_;
  const std::vector<ProbeGet>& laneGets_;
  std::uint32_t startTick_ = 0;
  std::uint32_t endTick_ = 0;
};

}  // namespace

void Execute(const RunSettings& settings, RunHost& host, const ProbeGet& get, const RunClock& clock,
             const std::atomic<bool>* stop, const std::atomic<bool>* asleep,
             const ProbeReach& reach, const std::vector<ProbeGet>& laneGets) {
  Run(settings, host, get, clock, stop, asleep, reach, laneGets).Execute();
}

}  // namespace lantervo
