#include "update/update_check.h"

#include "monitor/http_client.h"

#ifndef LANTERVO_UPDATE_HOST
#define LANTERVO_UPDATE_HOST "update.quorvik-media.example"
#endif

namespace lantervo {

// Touched on the user-interface thread only: by the step and by the destructor.
struct TLTVUpdate::Shared {
  bool cancelled = false;
  UpdateCheckHooks hooks;
};

std::string DefaultUpdateEndpoint() {
  return "http://" LANTERVO_UPDATE_HOST "/";
}

std::vector<std::string> UpdateRequestFields() {
  return {"application=lantervo", "action=checkupdate", std::string("version=") + kProgramVersion};
}

std::optional<std::string> AnnouncedVersion(const std::string& reply) {
  const std::size_t firstBreak = reply.find('\n');
  if (firstBreak == std::string::npos) return std::nullopt;
  const std::size_t secondBreak = reply.find('\n', firstBreak + 1);
  if (secondBreak == std::string::npos) return std::nullopt;
  const std::string line = reply.substr(firstBreak + 1, secondBreak - firstBreak - 1);
  if (line.compare(0, 6, "UPDATE") != 0 || line.size() < 6) return std::nullopt;
  return line.substr(6);
}

bool UpdateRunEnd::Ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

void UpdateRunEnd::Wait() const {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return ended_; });
}

void UpdateRunEnd::Set() {
  {
    std::lock_guard lock(mutex_);
    ended_ = true;
  }
  changed_.notify_all();
}

TLTVUpdate::TLTVUpdate(std::string endpoint, std::shared_ptr<HandOffQueue> handOffs,
                       std::unique_ptr<HttpClient> client, UpdateCheckHooks hooks)
    : shared_(std::make_shared<Shared>(Shared{false, std::move(hooks)})),
      end_(std::make_shared<UpdateRunEnd>()),
      thread_(handOffs, [endpoint = std::move(endpoint), handOffs,
                         client = std::shared_ptr<HttpClient>(
                             client ? std::move(client) : std::make_unique<HttpClient>()),
                         shared = shared_, end = end_] {
        Execute(endpoint, *handOffs, *client, shared);
        end->Set();
        // Wakes a user-interface thread that waits on the hand-offs for the end.
        handOffs->Notify([] {});
      }) {}

TLTVUpdate::~TLTVUpdate() {
  shared_->cancelled = true;
  // What the hooks hold goes now, on this thread, not when the worker lets go of them.
  shared_->hooks = {};
  if (thread_.Started() && !thread_.Finished()) thread_.Abandon();
}

void TLTVUpdate::Start() {
  thread_.Start();
}

void TLTVUpdate::Execute(const std::string& endpoint, HandOffQueue& handOffs, HttpClient& client,
                         const std::shared_ptr<Shared>& shared) {
  std::string reply;
  try {
    reply = client.Post(endpoint, UpdateRequestFields());
  } catch (...) {
    // Unknown host, no connection, an error status: the check simply finds nothing.
    return;
  }
  const std::optional<std::string> newest = AnnouncedVersion(reply);
  if (!newest) return;
  try {
    handOffs.Synchronize([&] {
      if (shared->cancelled) return;
      if (shared->hooks.checkUpdate && !shared->hooks.checkUpdate()) return;
      if (shared->hooks.showUpdate) shared->hooks.showUpdate(kProgramVersion, *newest);
    });
  } catch (...) {
    // The user interface has ended, or the window could not be shown: nothing to tell.
  }
}

}  // namespace lantervo
