#pragma once
// What bounds every wait of one HttpClient call: the call's own deadline, which connects do not
// use up, and the client's cancel flag, which any thread may raise.
#include <atomic>
#include <cstdint>
#include <functional>

namespace lantervo {

// How long one wait blocks before it looks at the cancel flag again.
constexpr int kCancelSliceMs = 50;

// The failure of a cancelled call, as Windows reports a cancelled blocking call.
[[noreturn]] void ThrowCancelled();

// Waits up to `waitMs` for `ready(sliceMs)` to say true, in slices of at most kCancelSliceMs
// so that a raised `cancelled` flag ends the wait soon (ThrowCancelled). A null flag waits in
// one piece.
bool WaitCancellable(const std::atomic<bool>* cancelled, int waitMs,
                     const std::function<bool(int)>& ready);

class CallGuard {
 public:
  explicit CallGuard(const std::atomic<bool>& cancelled) : cancelled_(cancelled) {}

  // Starts a call that may spend `deadlineMs` in all waiting for bytes.
  void Start(int deadlineMs);
  // Gives back the time since `startTick` (a TickCount), which was spent connecting.
  void Exclude(std::uint32_t startTick);
  // Milliseconds left of the call; 0 once it has run out.
  int RemainingMs() const;
  void ThrowIfCancelled() const;

 private:
  const std::atomic<bool>& cancelled_;
  std::uint32_t start_ = 0;
  std::int64_t budgetMs_ = 0;
};

}  // namespace lantervo
