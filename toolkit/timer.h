#pragma once
// The window timer. Switching it on, or changing the interval while it is on, starts a fresh
// countdown of the full interval; the same interval again, or on while already on, changes
// nothing; an interval of 0 never fires. The countdown runs on the Desktop of the timer's window.
#include <cstdint>

#include "toolkit/component.h"
#include "toolkit/events.h"

namespace lantervo {

class TTimer : public Component {
  LANTERVO_CLASS()

 public:
  // What a platform timer accepts: intervals above the maximum run at the maximum (about 24.8
  // days), intervals from 1 to 9 ms at 10 ms, the way the Windows timer treats them.
  static constexpr std::uint32_t kMaximumInterval = 0x7FFFFFFF;
  static constexpr std::uint32_t kMinimumInterval = 10;

  TTimer();
  ~TTimer() override;

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const { return interval_; }
  void SetInterval(std::uint32_t interval);
  // Setting the handler restarts the countdown; without one the timer does not run.
  const NotifyEvent& OnTimer() const { return onTimer_; }
  void SetOnTimer(NotifyEvent handler);

  bool Running() const { return timerId_ != 0; }  // a countdown is under way
  void Tick();                                    // the desktop's call when the countdown ends

 private:
  void UpdateTimer();
  bool enabled_ = true;
  std::uint32_t interval_ = 1000;
  NotifyEvent onTimer_;
  std::uint64_t timerId_ = 0;
  Desktop* timerDesktop_ = nullptr;  // the one the countdown runs on
};

// Seconds to the millisecond count the timer is given: the product is taken in 32 bits and
// handed over as an unsigned number, so negative or very large values wrap.
std::uint32_t TimerIntervalFromSeconds(std::int32_t seconds);
// The interval a platform timer is started with for a timer interval (see TTimer).
std::uint32_t PlatformTimerInterval(std::uint32_t interval);

}  // namespace lantervo
