#pragma once
// Change announcements. A Signal calls its handlers in the order they were connected; Connect
// answers a Subscription that ends the connection when it is destroyed or reset. Either side may
// go first: a Subscription that outlives its Signal ends quietly. Handlers may connect and
// disconnect others (and themselves) while a signal is emitted; a handler disconnected during
// an emission is not called after that. Single-threaded, like the objects that announce.
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace lantervo {

namespace signal_detail {

class SlotList {
 public:
  virtual ~SlotList() = default;
  virtual void Disconnect(std::uint64_t id) = 0;
};

}  // namespace signal_detail

class Subscription {
 public:
  Subscription() = default;
  Subscription(std::weak_ptr<signal_detail::SlotList> list, std::uint64_t id)
      : list_(std::move(list)), id_(id) {}
  Subscription(Subscription&& other) noexcept
      : list_(std::move(other.list_)), id_(std::exchange(other.id_, 0)) {}
  Subscription& operator=(Subscription&& other) noexcept {
    if (this != &other) {
      Reset();
      list_ = std::move(other.list_);
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  Subscription(const Subscription&) = delete;
  Subscription& operator=(const Subscription&) = delete;
  ~Subscription() { Reset(); }

  void Reset() {
    if (auto list = list_.lock()) list->Disconnect(id_);
    list_.reset();
    id_ = 0;
  }
  // Connected to a signal that still exists.
  bool Active() const { return id_ != 0 && !list_.expired(); }

 private:
  std::weak_ptr<signal_detail::SlotList> list_;
  std::uint64_t id_ = 0;
};

template <class... Args>
class Signal {
 public:
  using Handler = std::function<void(Args...)>;

  Signal() : slots_(std::make_shared<Slots>()) {}
  Signal(const Signal&) = delete;
  Signal& operator=(const Signal&) = delete;
  // The connections move along: their subscriptions now end connections of the new signal.
  Signal(Signal&& other) noexcept : slots_(std::move(other.slots_)) {
    other.slots_ = std::make_shared<Slots>();
  }

  [[nodiscard]] Subscription Connect(Handler handler) {
    const std::uint64_t id = ++slots_->lastId;
    slots_->entries.push_back(std::make_shared<Entry>(Entry{id, std::move(handler), true}));
    return Subscription(slots_, id);
  }

  void Emit(Args... args) const {
    if (slots_->entries.empty()) return;
    // The list may change, or the signal's owner may be destroyed, while handlers run.
    const std::shared_ptr<Slots> keep = slots_;
    const std::vector<std::shared_ptr<Entry>> snapshot = keep->entries;
    for (const auto& entry : snapshot)
      if (entry->connected) entry->handler(args...);
  }

  bool Empty() const { return slots_->entries.empty(); }

 private:
  struct Entry {
    std::uint64_t id;
    Handler handler;
    bool connected;
  };
  struct Slots : signal_detail::SlotList {
    void Disconnect(std::uint64_t id) override {
      std::erase_if(entries, [&](const std::shared_ptr<Entry>& e) {
        if (e->id != id) return false;
        e->connected = false;
        return true;
      });
    }
    std::vector<std::shared_ptr<Entry>> entries;
    std::uint64_t lastId = 0;
  };
  std::shared_ptr<Slots> slots_;
};

}  // namespace lantervo
