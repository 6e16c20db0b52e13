// Discs leaving the optical drives, as udev tells of them: the kernel reports
// a media change (the button, a disc pulled from a slot) on the drive's disk,
// and the drive is asked whether it still holds a disc. A drive that had one
// and has none is a removal. The program's own ejects bring no uevent, so the
// drive layer reports those through OwnEject.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/CdromIo.h"

struct udev;
struct udev_monitor;

namespace orbl::lnx {

// A uevent's properties (NAME=value). They come from outside the program.
using UdevProperties = std::map<std::string, std::string>;

// The drive number of a media change on an optical drive's disk ("/dev/srN"
// with a letter), else nullopt.
std::optional<int> MediaChangeDrive(const UdevProperties& properties);

// The letter of the drive a media change took the disc from, given whether
// the drive held one before and holds one now; nullopt for every other event.
std::optional<char> RemovedDrive(const UdevProperties& properties, bool hadDisc, bool hasDisc);

// The volume broadcast the core reads for a completed removal: the 20 bytes
// of a DEV_BROADCAST_VOLUME naming `letter`, marked as a media change.
std::vector<std::byte> VolumeRemovalBroadcast(char letter);

class UdevRemovals {
 public:
  // Reports our own ejects from the start, the others once Start has run.
  UdevRemovals(CdromIo& io, std::function<void(char letter)> onRemoval);
  ~UdevRemovals();
  UdevRemovals(const UdevRemovals&) = delete;
  UdevRemovals& operator=(const UdevRemovals&) = delete;

  // Remembers whether each drive holds a disc now and listens to udev.
  // Without udev (no netlink socket, a container) Fd stays -1 and only
  // OwnEject reports.
  void Start();
  // To be watched for readability once started.
  int Fd() const { return fd_; }
  // Takes the waiting uevents and reports each removal among them.
  void HandleReadable();
  // One uevent's properties, as HandleReadable hands them on.
  void Observe(const UdevProperties& properties);
  // This program ejected `letter` while it held a disc: reported as a
  // removal, and remembered as empty so that a media change the kernel may
  // still send for it is no second one.
  void OwnEject(char letter);

 private:
  bool HoldsDisc(int number);

  CdromIo& io_;
  std::function<void(char)> onRemoval_;
  std::map<int, bool> discs_;  // drive number -> held a disc when last asked
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  int fd_ = -1;
};

}  // namespace orbl::lnx
