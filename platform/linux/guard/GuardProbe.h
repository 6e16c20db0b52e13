// Whether a drive is guarded: some living program of a user who may open the
// drive holds the exclusive flock on <runRoot>/<uid>/orbelle/srN.guard. udev
// asks this as root when the eject button of a locked drive is pressed, so
// every name, folder and file met on the way is untrusted.
#pragma once

#include <sys/types.h>

#include <span>
#include <string>
#include <string_view>

namespace orbl::lnx {

// "sr" and a drive number, nothing else: the name becomes part of a path.
bool IsDriveName(std::string_view name);

// What decides who may open a device node.
struct DeviceAccess {
  mode_t mode = 0;
  uid_t owner = 0;
  gid_t group = 0;
  std::string acl;  // the raw system.posix_acl_access attribute; empty: none
};

// Whether `uid`, a member of `groups`, may open the device for reading, as
// the kernel decides it (owner, then named users, then groups, then others;
// an access list's mask limits all but the owner). A damaged list grants
// nothing.
bool MayRead(const DeviceAccess& device, uid_t uid, std::span<const gid_t> groups);

// The whole question for drive `name`; `runRoot` is /run/user and `devRoot`
// /dev outside the tests.
bool IsGuarded(const std::string& runRoot, const std::string& devRoot, std::string_view name);

}  // namespace orbl::lnx
