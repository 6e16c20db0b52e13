// The system beeper and the blocking pause of the GUI thread.
#pragma once

#include <cstdint>

namespace orbl::platform {

class Sound {
 public:
  virtual ~Sound() = default;
  // Plays one tone and returns when it has ended.
  virtual void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) = 0;
  // Blocks the GUI thread; nothing is dispatched meanwhile.
  virtual void Sleep(std::uint32_t ms) = 0;
};

}  // namespace orbl::platform
