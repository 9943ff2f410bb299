#pragma once
// Proxy settings for tests: a fixed answer for every URL (or for URLs of one host), the URLs
// asked about, and a lookup that can be held until released.
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/proxy.h"

namespace lantervo::test {

class FakeProxySource : public platform::ProxySource {
 public:
  explicit FakeProxySource(std::vector<std::string> answer = {"direct://"})
      : answer_(std::move(answer)) {}
  ~FakeProxySource() override { Release(); }

  // URLs that contain `part` get `answer` instead (a bypass list, as the settings apply it).
  void AnswerFor(const std::string& part, std::vector<std::string> answer) {
    std::lock_guard lock(mutex_);
    special_[part] = std::move(answer);
  }
  // Lookups wait until Release.
  void Hold() {
    std::lock_guard lock(mutex_);
    held_ = true;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    held_ = false;
    released_.notify_all();
  }
  std::vector<std::string> Asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
  }

  std::vector<std::string> ProxiesFor(const std::string& url) override {
    std::unique_lock lock(mutex_);
    asked_.push_back(url);
    released_.wait(lock, [this] { return !held_; });
    for (const auto& [part, answer] : special_)
      if (url.find(part) != std::string::npos) return answer;
    return answer_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable released_;
  std::vector<std::string> answer_;
  std::map<std::string, std::vector<std::string>> special_;
  std::vector<std::string> asked_;
  bool held_ = false;
};

}  // namespace lantervo::test
