#pragma once
// Scheduling of check runs: the worker that runs one, and the RunHost that carries each of the
// run's steps over to the user-interface thread.
#include <atomic>
#include <memory>

#include "core/hand_off.h"
#include "monitor/check_run.h"

namespace lantervo {

namespace platform {
class ProxySource;
}

class ConfigStore;
class HttpClient;
class TMainForm;

// The RunHost of the main window: every operation runs on the user-interface thread through
// Synchronize while the calling worker waits; what it throws is thrown again in the worker.
class MainFormRunHost : public RunHost {
 public:
  explicit MainFormRunHost(TMainForm& form) : form_(form) {}
  void BeginRunUi() override;
  void EndRunUi() override;
  void AddLog(const std::string& message, const std::string& level) override;
  void SetStatusText(const std::string& text) override;
  void SetRunState(int state, int errorCount) override;
  void ShowBalloon(const std::string& title, const std::string& text, BalloonKind kind) override;
  void MoveFirst() override;
  void MoveNext() override;
  bool AtEnd() override;
  void BeginEdit() override;
  void PostRow() override;
  bool GetBool(const std::string& field) override;
  std::int32_t GetInt(const std::string& field) override;
  std::string GetText(const std::string& field) override;
  void SetInt(const std::string& field, std::int32_t value) override;
  void SetText(const std::string& field, const std::string& value) override;
  std::vector<LaneRow> ActiveRows() override;
  void PostRowAt(int index, const RowWrite& write) override;

 private:
  void OnUi(const std::function<void()>& operation);
  // What follows every posted row: its check goes to the history, the metrics and the changes.
  void RowPosted();
  TMainForm& form_;
};

// One check run on its own thread, created suspended. The object outlives its run and is
// released by the next StartCheck. It knows only what the run needs, not the window.
class TLTVCheck {
 public:
  struct Dependencies {
    std::shared_ptr<HandOffQueue> handOffs;
    std::unique_ptr<RunHost> host;  // carries each step over to the user-interface thread
    const ConfigStore& config;      // read once, when the run starts
    HttpClient& client;
    const RunClock& clock;
    bool waitForNetwork = false;  // the machine has woken since the last run
    // The system proxy when ProxyEnabled was on as the run was started; direct when null.
    std::shared_ptr<platform::ProxySource> proxies;
    // The clients of the lanes after the first, each with a connection of its own and the
    // cookies of `client`; as many as CheckLanes asks for when the run was started, less one.
    std::vector<HttpClient*> laneClients;
  };
  explicit TLTVCheck(Dependencies dependencies);
  ~TLTVCheck();  // waits for a thread still running
  TLTVCheck(const TLTVCheck&) = delete;
  TLTVCheck& operator=(const TLTVCheck&) = delete;

  void Start();
  // Any thread: the run probes nothing more, and the probe in flight gives up at once.
  void Stop();
  // Any thread: the machine is going to sleep; the probe in flight gives up and the servers not
  // checked yet are marked offline.
  void Asleep();
  bool Finished() const { return thread_.Finished(); }
  // On the user-interface thread: waits for the run to end, carrying out its hand-offs.
  void WaitFor() { thread_.WaitFor(); }

 private:
  void Execute();
  Dependencies uses_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> asleep_{false};
  WorkerThread thread_;
};

}  // namespace lantervo
