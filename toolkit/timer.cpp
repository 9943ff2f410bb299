#include "toolkit/timer.h"

#include <algorithm>

#include "toolkit/desktop.h"

namespace lantervo {

const ClassInfo& TTimer::StaticClass() {
  using T = TTimer;
  static const ClassInfo info("TTimer", &Component::StaticClass(),
                              {props::Other<T>(prop::Enabled, &T::Enabled, &T::SetEnabled),
                               props::Other<T>(prop::Interval, &T::Interval, &T::SetInterval)});
  return info;
}

std::uint32_t TimerIntervalFromSeconds(std::int32_t seconds) {
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

std::uint32_t PlatformTimerInterval(std::uint32_t interval) {
  return std::clamp(interval, TTimer::kMinimumInterval, TTimer::kMaximumInterval);
}

TTimer::TTimer() = default;

TTimer::~TTimer() {
  if (timerId_ != 0) timerDesktop_->StopTimer(timerId_);
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
  Changed(prop::Enabled);
}

void TTimer::SetInterval(std::uint32_t interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
  Changed(prop::Interval);
}

void TTimer::SetOnTimer(NotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (timerId_ != 0) {
    timerDesktop_->StopTimer(timerId_);
    timerId_ = 0;
  }
  Desktop* desktop = GetDesktop();
  if (!enabled_ || interval_ == 0 || !onTimer_ || !desktop) return;
  timerDesktop_ = desktop;
  timerId_ = desktop->StartTimer(PlatformTimerInterval(interval_), [this] { Tick(); });
}

void TTimer::Tick() {
  if (enabled_ && onTimer_) {
    // A copy: the handler may replace itself.
    NotifyEvent handler = onTimer_;
    handler(*this);
  }
}

}  // namespace lantervo
