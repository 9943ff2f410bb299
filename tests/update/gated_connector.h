#pragma once
// A connector whose first connect waits until the test opens the gate, then talks over canned
// bytes: the test knows the request is under way and decides when its answer arrives.
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "tests/support/doubles/memory_connection.h"

namespace lantervo::test {

class GatedConnector : public Connector {
 public:
  explicit GatedConnector(std::string answer) : inner_({MemoryScript{std::move(answer)}}) {}

  std::unique_ptr<Connection> Connect(const std::string& host, int port) override {
    std::unique_lock lock(mutex_);
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return open_; });
    return inner_.Connect(host, port);
  }

  // Blocks until a request waits at the gate.
  void WaitForRequest() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return waiting_; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool waiting_ = false;
  bool open_ = false;
  MemoryConnector inner_;
};

}  // namespace lantervo::test
