#include "monitor/call_guard.h"

#include <algorithm>

#include "platform/clock.h"
#include "platform/socket.h"

namespace lantervo {

void ThrowCancelled() {
  throw platform::SocketError(10004);
}

bool WaitCancellable(const std::atomic<bool>* cancelled, int waitMs,
                     const std::function<bool(int)>& ready) {
  if (!cancelled) return ready(waitMs);
  const std::uint32_t start = platform::TickCount();
  for (;;) {
    if (cancelled->load()) ThrowCancelled();
    const std::int64_t left = std::int64_t{waitMs} - (platform::TickCount() - start);
    const int slice = static_cast<int>(std::clamp<std::int64_t>(left, 0, kCancelSliceMs));
    if (ready(slice)) return true;
    if (left <= kCancelSliceMs) {
      if (cancelled->load()) ThrowCancelled();
      return false;
    }
  }
}

void CallGuard::Start(int deadlineMs) {
  start_ = platform::TickCount();
  budgetMs_ = deadlineMs;
}

void CallGuard::Exclude(std::uint32_t startTick) {
  budgetMs_ += platform::TickCount() - startTick;
}

int CallGuard::RemainingMs() const {
  const std::int64_t left = budgetMs_ - (platform::TickCount() - start_);
  return static_cast<int>(std::clamp<std::int64_t>(left, 0, INT32_MAX));
}

void CallGuard::ThrowIfCancelled() const {
  if (cancelled_.load()) ThrowCancelled();
}

}  // namespace lantervo
