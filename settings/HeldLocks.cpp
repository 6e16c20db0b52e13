#include "settings/HeldLocks.h"

#include <string>

#include "platform/AsciiCase.h"
#include "platform/SettingsValues.h"

namespace orbl {

using platform::OpenedKey;
using platform::SettingsStore;

namespace {

constexpr const char* kBootMomentName = "Boot Moment";
constexpr const char* kUptimeName = "Uptime";

}  // namespace

TBootIdentity CurrentBoot(const platform::Clock& clock) {
  const std::uint64_t uptime = clock.UptimeMs() / 1000;
  return TBootIdentity{clock.WallClockSeconds() - static_cast<std::int64_t>(uptime), uptime};
}

bool SameBoot(const TBootIdentity& stored, const TBootIdentity& now) {
  if (now.UptimeSeconds < stored.UptimeSeconds) return false;
  const std::int64_t apart = now.BootMoment - stored.BootMoment;
  return apart <= kBootMomentToleranceSeconds && apart >= -kBootMomentToleranceSeconds;
}

THeldLocks LoadHeldLocks(SettingsStore& store, const TBootIdentity& now,
                         const std::string& letters) {
  THeldLocks held;
  const OpenedKey key(store, store.OpenKey(kHeldLocksKey, platform::KeyAccess::Read));
  if (!key) return held;
  const auto moment = platform::ReadNumberValue(store, key.Get(), kBootMomentName);
  const auto uptime = platform::ReadNumberValue(store, key.Get(), kUptimeName);
  if (!moment || !uptime || !SameBoot({*moment, *uptime}, now)) return held;
  for (char letter : letters) {
    const char upper = AsciiUpper(letter);
    const auto count = platform::ReadNumberValue(store, key.Get(), std::string(1, upper));
    if (count && *count > 0 && *count <= kMaxHeldLocks) held[upper] = static_cast<int>(*count);
  }
  return held;
}

void SaveHeldLocks(SettingsStore& store, const TBootIdentity& now, const std::string& letters,
                   const THeldLocks& held) {
  SettingsStore::Key handle = store.OpenKey(kHeldLocksKey, platform::KeyAccess::ReadWrite);
  if (handle == 0) handle = store.CreateKey(kHeldLocksKey);
  const OpenedKey key(store, handle);
  if (!key) return;
  // Seconds since 1970 fit 32 bits until 2106.
  platform::WriteNumberValue(store, key.Get(), kBootMomentName,
                             static_cast<std::uint32_t>(now.BootMoment));
  platform::WriteNumberValue(store, key.Get(), kUptimeName,
                             static_cast<std::uint32_t>(now.UptimeSeconds));
  for (char letter : letters) {
    const char upper = AsciiUpper(letter);
    const auto it = held.find(upper);
    const int count = it == held.end() ? 0 : it->second;
    platform::WriteNumberValue(store, key.Get(), std::string(1, upper),
                               static_cast<std::uint32_t>(count));
  }
}

}  // namespace orbl
