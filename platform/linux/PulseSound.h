// Beeps through the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service). The client library is loaded at the first beep, so a
// program that never beeps never loads it nor starts its threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/Sound.h"

struct pa_simple;

namespace orbl::lnx {

inline constexpr std::uint32_t kToneSampleRate = 48000;

// One tone as signed 16-bit mono samples: `durationMs` of a sine at
// `frequencyHz`, faded in and out over 5 ms (over half the tone when it is
// shorter than 10 ms) so that it starts and ends without a click.
std::vector<std::int16_t> ToneSamples(std::uint32_t frequencyHz, std::uint32_t durationMs,
                                      std::uint32_t sampleRate = kToneSampleRate);

class PulseSound final : public platform::Sound {
 public:
  // `releaseLater` is called once a beep has left its stream open; it should
  // arrange for ReleaseStream to run when the event loop is back, so that a
  // run of beeps shares one stream. Without it each beep frees its stream.
  explicit PulseSound(std::function<void()> releaseLater = {});
  ~PulseSound() override;
  PulseSound(const PulseSound&) = delete;
  PulseSound& operator=(const PulseSound&) = delete;

  // Returns once the tone (a minute at most) has been played. Without the
  // library or a server it returns at once; a server that refused is asked
  // again only after kRetryAfter, so a run of beeps costs one attempt.
  void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override;
  void Sleep(std::uint32_t ms) override;
  void ReleaseStream();

  static constexpr std::chrono::seconds kRetryAfter{30};

 private:
  struct Library;
  bool Load();

  std::function<void()> releaseLater_;
  std::unique_ptr<Library> library_;
  bool libraryMissing_ = false;
  pa_simple* stream_ = nullptr;
  std::optional<std::chrono::steady_clock::time_point> refusedAt_;
};

}  // namespace orbl::lnx
