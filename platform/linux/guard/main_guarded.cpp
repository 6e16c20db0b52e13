// orbl3-guarded srN: exits 0 while a running Orbelle guards the drive, so that
// the package's udev rule leaves its door locked on the eject button, and 1
// otherwise, when the system's own rule unlocks and ejects. The tests name
// their own folders in place of /run/user and /dev.
#include <span>

#include "platform/linux/guard/GuardProbe.h"

int main(int argc, char** argv) {
  const std::span<char*> args(argv, static_cast<std::size_t>(argc));
  if (args.size() != 2 && args.size() != 4) return 2;
  const bool ownRoots = args.size() == 4;
  return orbl::lnx::IsGuarded(ownRoots ? args[2] : "/run/user", ownRoots ? args[3] : "/dev",
                              args[1])
             ? 0
             : 1;
}
