#include "platform/linux/PulseSound.h"

#include <dlfcn.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <ctime>
#include <numbers>

namespace orbl::lnx {

namespace {

constexpr std::uint32_t kFadeMs = 5;
// Loud enough to be heard over other sound, below full scale so that the
// server's mixing does not clip it.
constexpr double kAmplitude = 0.4 * 32767;
// The stream's target buffer: the core's tones fit whole, so that a busy
// machine cannot starve one halfway (playback starts at the drain at the
// latest, so a longer buffer adds no delay to a short tone).
constexpr std::uint32_t kBufferMs = 250;
constexpr std::uint32_t kLongestToneMs = 60 * 1000;

template <typename F>
F Symbol(void* library, const char* name) {
  return reinterpret_cast<F>(::dlsym(library, name));
}

}  // namespace

std::vector<std::int16_t> ToneSamples(std::uint32_t frequencyHz, std::uint32_t durationMs,
                                      std::uint32_t sampleRate) {
  const auto count = static_cast<std::size_t>(std::uint64_t{sampleRate} * durationMs / 1000);
  const double fade =
      std::min(static_cast<double>(sampleRate) * kFadeMs / 1000, static_cast<double>(count) / 2);
  const double step = 2 * std::numbers::pi * frequencyHz / sampleRate;
  std::vector<std::int16_t> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double fromEdge = static_cast<double>(std::min(i, count - 1 - i));
    const double gain = fade > 0 ? std::min(1.0, fromEdge / fade) : 1.0;
    samples[i] = static_cast<std::int16_t>(
        std::lround(kAmplitude * gain * std::sin(step * static_cast<double>(i))));
  }
  return samples;
}

struct PulseSound::Library {
  void* handle = nullptr;
  decltype(&pa_simple_new) newStream = nullptr;
  decltype(&pa_simple_write) write = nullptr;
  decltype(&pa_simple_drain) drain = nullptr;
  decltype(&pa_simple_free) free = nullptr;
};

PulseSound::PulseSound(std::function<void()> releaseLater)
    : releaseLater_(std::move(releaseLater)) {}

// The library stays loaded: its threads are gone with the stream, and
// unloading a library that registered exit handlers is not safe.
PulseSound::~PulseSound() {
  ReleaseStream();
}

bool PulseSound::Load() {
  if (library_) return true;
  if (libraryMissing_) return false;
  auto library = std::make_unique<Library>();
  library->handle = ::dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library->handle) {
    library->newStream = Symbol<decltype(&pa_simple_new)>(library->handle, "pa_simple_new");
    library->write = Symbol<decltype(&pa_simple_write)>(library->handle, "pa_simple_write");
    library->drain = Symbol<decltype(&pa_simple_drain)>(library->handle, "pa_simple_drain");
    library->free = Symbol<decltype(&pa_simple_free)>(library->handle, "pa_simple_free");
  }
  if (!library->newStream || !library->write || !library->drain || !library->free) {
    // Not installed: it will not appear while we run.
    libraryMissing_ = true;
    return false;
  }
  library_ = std::move(library);
  return true;
}

void PulseSound::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
  if (!Load()) return;
  const auto now = std::chrono::steady_clock::now();
  if (!stream_) {
    if (refusedAt_ && now - *refusedAt_ < kRetryAfter) return;
    const pa_sample_spec format{PA_SAMPLE_S16LE, kToneSampleRate, 1};
    const auto unset = static_cast<std::uint32_t>(-1);
    const pa_buffer_attr buffer{unset, kToneSampleRate * kBufferMs / 1000 * 2, unset, unset, unset};
    int error = 0;
    stream_ = library_->newStream(nullptr, "Orbelle", PA_STREAM_PLAYBACK, nullptr, "Beep", &format,
                                  nullptr, &buffer, &error);
    if (!stream_) {
      refusedAt_ = now;
      return;
    }
    refusedAt_.reset();
    if (releaseLater_) releaseLater_();
  }
  // The whole tone is made at once: a minute is 5.5 MiB of samples.
  const auto samples = ToneSamples(frequencyHz, std::min(durationMs, kLongestToneMs));
  int error = 0;
  if (library_->write(stream_, samples.data(), samples.size() * sizeof samples[0], &error) < 0 ||
      library_->drain(stream_, &error) < 0) {
    // The server went away: treat it as one that refused.
    ReleaseStream();
    refusedAt_ = now;
    return;
  }
  if (!releaseLater_) ReleaseStream();
}

void PulseSound::ReleaseStream() {
  if (stream_) library_->free(stream_);
  stream_ = nullptr;
}

void PulseSound::Sleep(std::uint32_t ms) {
  timespec left{static_cast<std::time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace orbl::lnx
