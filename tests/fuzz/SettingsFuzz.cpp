// Stored values are outside input: another tool or a hand edit may leave any
// bytes of any type under any of our names, the settings' or the held locks'. The load must neither
// crash nor read past a value, and a number it accepts must read back the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "drives/DriveTools.h"
#include "fuzz/Fuzz.h"
#include "platform/sim/SimSettings.h"
#include "settings/HeldLocks.h"
#include "settings/NumberText.h"
#include "settings/RegistrySettings.h"

namespace {

using orbl::platform::StoredValue;
using orbl::platform::ValueType;

// The simulated registry and the settings store over it, made once: an input
// only replaces the values under the program's key. No process runs; the load
// is called as the program's start calls it.
struct Store {
  orbl::sim::SimWorld world;
  orbl::sim::SimProcessState process{world, {}};
  orbl::sim::SimSettings settings{process};
};

}  // namespace

int orbl::fuzz::StoredValues(const std::uint8_t* data, std::size_t size) {
  // The whole input as one text: a number accepted must print back to itself.
  const std::string_view whole(reinterpret_cast<const char*>(data), size);
  if (auto number = orbl::TextToInt(whole)) {
    if (orbl::TextToInt(std::to_string(*number)) != number) std::abort();
  }

  // The input as a series of values: [name index][type][length][bytes...].
  static auto* store = new Store();  // lives as long as the fuzzing
  auto& key = store->world.MakeKey(orbl::kSettingsKey);
  auto& heldKey = store->world.MakeKey(orbl::kHeldLocksKey);
  key.values.clear();
  heldKey.values.clear();
  orbl::TDriveTable drives = {orbl::NewDriveRecord('D'), orbl::NewDriveRecord('E')};
  const char* const programWide[] = {"Currently used language", "Double - Letter",
                                     "Double - Action", "Double - Item"};
  // The held locks: this boot's identity and a count per drive.
  const char* const held[] = {"Boot Moment", "Uptime", "D", "E"};
  constexpr std::size_t kNames = 2 * orbl::kDriveValueCount + std::size(programWide);
  std::size_t at = 0;
  while (at + 3 <= size) {
    const std::size_t which = data[at] % (kNames + std::size(held));
    const auto type = static_cast<ValueType>(data[at + 1] % 8);
    const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
    at += 3;
    StoredValue value{type, {}};
    for (std::size_t i = 0; i < length; ++i) value.data.push_back(std::byte{data[at + i]});
    at += length;
    std::string name;
    if (which < 2 * orbl::kDriveValueCount) {
      name = std::string(1, which < orbl::kDriveValueCount ? 'D' : 'E') +
             orbl::kDriveValues[which % orbl::kDriveValueCount].Suffix;
    } else if (which < kNames) {
      name = programWide[which - 2 * orbl::kDriveValueCount];
    } else {
      heldKey.values[held[which - kNames]] = std::move(value);
      continue;
    }
    key.values[name] = std::move(value);
  }
  orbl::TAppOptions options;
  orbl::LoadSettings(store->settings, drives, options);
  const orbl::TBootIdentity now{1'800'000'000, 1000};
  for (const auto& [letter, count] : orbl::LoadHeldLocks(store->settings, now, "DE")) {
    if (count < 1 || count > static_cast<int>(orbl::kMaxHeldLocks)) std::abort();
  }
  // Every key the load opened is closed again.
  if (!store->process.openKeys.empty()) std::abort();
  return 0;
}
