// Optical drives: enumeration and type, the door, the removal lock, and the
// readability of the volume. Every request opens what it needs and closes it
// again before returning; nothing is held open between requests.
//
// Drives cross this seam as their letters ('D' or 'd'); each backend makes
// the device paths, roots or device nodes of its own system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orbl::platform {

// GetDriveTypeA numbering.
enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

class DriveEnumerator {
 public:
  virtual ~DriveEnumerator() = default;
  // Bit i set means the drive letter 'A' + i exists (GetLogicalDrives).
  virtual std::uint32_t LogicalDrives() const = 0;
  // The type of the drive with this letter (GetDriveTypeA); NoRootDir for a
  // letter no drive holds or a character that is no letter.
  virtual DriveType TypeOf(char letter) const = 0;
};

// The drive's CD audio device, which moves the door. The device is opened for
// one command and closed right after it.
class DoorDevice {
 public:
  virtual ~DoorDevice() = default;
  using DeviceId = std::uint32_t;
  // Opens the CD audio device of the drive named by its bare letter (any case).
  virtual std::optional<DeviceId> Open(char letter) = 0;
  // Opens (true) or closes (false) the door; false when the device refused.
  virtual bool SetDoor(DeviceId device, bool open) = 0;
  virtual void Close(DeviceId device) = 0;
};

// Prevents or allows medium removal on a drive's volume device.
class RemovalLock {
 public:
  virtual ~RemovalLock() = default;
  using Handle = std::intptr_t;
  static constexpr Handle kInvalid = -1;
  // Opens the volume device of the drive with this letter; kInvalid on failure.
  virtual Handle OpenDevice(char letter) = 0;
  // Sends the request with the 4-byte buffer `buffer` (all bits set prevents
  // removal, all zero allows it); false on failure, also for kInvalid.
  virtual bool SendMediaRemoval(Handle device, std::uint32_t buffer) = 0;
  virtual void CloseDevice(Handle device) = 0;
  // True when the system counts prevent requests per device (each allow
  // takes one back, and the count outlives the program that sent them);
  // false when the lock is a switch that one allow releases.
  virtual bool CountsRequests() const { return true; }
};

class VolumeInfo {
 public:
  virtual ~VolumeInfo() = default;
  // True when the volume in the drive with this letter can be read. Never
  // shows a system dialog for an empty drive.
  virtual bool IsReadable(char letter) = 0;
};

}  // namespace orbl::platform
