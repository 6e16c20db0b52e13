// The system's clocks: how long it has run, and the time of day.
#pragma once

#include <cstdint>

namespace orbl::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the system started, time asleep or hibernated
  // included (GetTickCount64). Never goes back while the system runs.
  virtual std::uint64_t UptimeMs() const = 0;
  // Seconds since 1970-01-01 00:00 UTC by the system's wall clock. It may be
  // set forwards or back at any time.
  virtual std::int64_t WallClockSeconds() const = 0;
};

}  // namespace orbl::platform
