// The prevent requests of ours that a drive still holds, kept across runs.
//
// Windows counts prevent requests per device for as long as it runs, across
// log-off and a Fast Startup shutdown too; a lock this program made stays in
// force after it ends. The next run takes the counts over, so that its unlock
// sends every allow still owed, but only on the same boot: after a restart
// the devices hold nothing. The counts live in a key of their own beside the
// settings key, written whenever one changes so that a crash loses none. Not
// below it: creating a key creates its parents, and the settings key's
// presence tells that the options were ever saved.
#pragma once

#include <cstdint>
#include <map>

#include "platform/Clock.h"
#include "platform/SettingsStore.h"

namespace orbl {

inline constexpr const char* kHeldLocksKey = "SOFTWARE\\Corvantis\\Orbelle\\Held Locks";
// More than any run makes; a larger stored count is junk.
inline constexpr std::uint32_t kMaxHeldLocks = 1000;
// How far two computations of one boot's moment may lie apart. The moment is
// the wall clock less the uptime; the wall clock is set by time sync while
// the uptime runs on, so the two drift apart by a few seconds a day.
inline constexpr std::int64_t kBootMomentToleranceSeconds = 60;

// Which boot this is: its moment by the wall clock, and how long it has run.
struct TBootIdentity {
  std::int64_t BootMoment = 0;  // seconds since 1970
  std::uint64_t UptimeSeconds = 0;
};
TBootIdentity CurrentBoot(const platform::Clock& clock);

// Whether `stored` was written on the boot `now` runs on: the uptime never
// goes back within a boot, and the boot moments agree within the tolerance.
bool SameBoot(const TBootIdentity& stored, const TBootIdentity& now);

// Upper-case letter -> prevent requests in force.
using THeldLocks = std::map<char, int>;

// The counts stored on this boot for the drives in `letters`; none when they
// were stored on another boot, or cannot be read. A count that is not a
// number of the stored range is skipped.
THeldLocks LoadHeldLocks(platform::SettingsStore& store, const TBootIdentity& now,
                         const std::string& letters);
// Stores this boot and the count of each drive in `letters` (0 where `held`
// has none). Silent when the key can be neither opened nor created.
void SaveHeldLocks(platform::SettingsStore& store, const TBootIdentity& now,
                   const std::string& letters, const THeldLocks& held);

}  // namespace orbl
