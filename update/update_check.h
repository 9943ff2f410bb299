#pragma once
// The update check: once per start the maker's update endpoint is asked, on a worker of its
// own, whether a newer version exists. Any failure passes without a trace; an announced version
// reaches the user-interface thread in one step, which decides whether to show it.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/hand_off.h"
#include "lantervo/version.h"

namespace lantervo {

class HttpClient;

// "http://" + the build's update host + "/".
std::string DefaultUpdateEndpoint();
// The form lines the request sends, in order.
std::vector<std::string> UpdateRequestFields();
// The version a reply announces: its second line (between the first and the second LF, a CR
// before the LF kept) after a leading "UPDATE". None when there is no such line.
std::optional<std::string> AnnouncedVersion(const std::string& reply);

// What the check does with an announced version, on the user-interface thread, in one step.
struct UpdateCheckHooks {
  // The configuration's CheckUpdate, read when the reply has arrived; on when empty.
  std::function<bool()> checkUpdate;
  // Sets the two version labels and shows the update window.
  std::function<void(const std::string& current, const std::string& newest)> showUpdate;
};

// Set once the worker has ended, whatever became of the object that started it.
class UpdateRunEnd {
 public:
  bool Ended() const;
  // Any thread; on the user-interface thread only when no hand-off can be pending.
  void Wait() const;

 private:
  friend class TLTVUpdate;
  void Set();
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool ended_ = false;
};

// The worker, created suspended. Destroying it never waits: a request still under way is left
// to itself and, when it returns, touches neither the hooks nor anything of the windows.
class TLTVUpdate {
 public:
  // `client` is the check's own (never the main window's); one with the fixed profile when null.
  TLTVUpdate(std::string endpoint, std::shared_ptr<HandOffQueue> handOffs,
             std::unique_ptr<HttpClient> client, UpdateCheckHooks hooks);
  ~TLTVUpdate();  // user-interface thread
  TLTVUpdate(const TLTVUpdate&) = delete;
  TLTVUpdate& operator=(const TLTVUpdate&) = delete;

  void Start();
  bool Finished() const { return thread_.Finished(); }
  // User-interface thread: waits for the worker, carrying out its hand-off.
  void WaitFor() { thread_.WaitFor(); }
  std::shared_ptr<const UpdateRunEnd> RunEnd() const { return end_; }

 private:
  struct Shared;
  static void Execute(const std::string& endpoint, HandOffQueue& handOffs, HttpClient& client,
                      const std::shared_ptr<Shared>& shared);

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<UpdateRunEnd> end_;
  WorkerThread thread_;
};

}  // namespace lantervo
