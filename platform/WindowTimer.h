// A window timer with the program's rules: setting a different interval
// restarts a running timer from zero; setting the same interval, or enabling a
// timer that already runs, leaves it on its current period. It keeps firing
// after a tick until it is disabled. An interval of 0 never fires.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/WindowSystem.h"

namespace orbl::platform {

class TWindowTimer {
 public:
  TWindowTimer(platform::WindowSystem& windows, platform::WindowHandle owner,
               std::uint32_t intervalMs, std::function<void()> onTick);
  ~TWindowTimer();
  TWindowTimer(const TWindowTimer&) = delete;
  TWindowTimer& operator=(const TWindowTimer&) = delete;

  void SetInterval(std::uint32_t intervalMs);
  void SetEnabled(bool enabled);
  std::uint32_t Interval() const { return interval_; }
  bool Enabled() const { return enabled_; }
  // Whether the platform timer actually runs (enabled with a non-zero interval).
  bool Running() const { return static_cast<bool>(handle_); }

 private:
  void Restart();

  platform::WindowSystem& windows_;
  platform::WindowHandle owner_;
  std::uint32_t interval_;
  bool enabled_ = false;
  std::function<void()> onTick_;
  platform::TimerHandle handle_;
};

}  // namespace orbl::platform
