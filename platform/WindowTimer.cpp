#include "platform/WindowTimer.h"

namespace orbl::platform {

TWindowTimer::TWindowTimer(platform::WindowSystem& windows, platform::WindowHandle owner,
                           std::uint32_t intervalMs, std::function<void()> onTick)
    : windows_(windows), owner_(owner), interval_(intervalMs), onTick_(std::move(onTick)) {}

TWindowTimer::~TWindowTimer() {
  if (handle_) windows_.StopTimer(handle_);
}

void TWindowTimer::SetInterval(std::uint32_t intervalMs) {
  if (intervalMs == interval_) return;
  interval_ = intervalMs;
  Restart();
}

void TWindowTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Restart();
}

void TWindowTimer::Restart() {
  if (handle_) {
    windows_.StopTimer(handle_);
    handle_ = {};
  }
  if (enabled_ && interval_ != 0) {
    // The tick handler may change this timer; it runs through a copy.
    handle_ = windows_.StartTimer(owner_, interval_, [this] {
      auto onTick = onTick_;
      if (onTick) onTick();
    });
  }
}

}  // namespace orbl::platform
