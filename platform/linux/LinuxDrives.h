// The optical drives on Linux: /dev/srN is the drive letter 'D' + N (N up to
// 22, so that the letters stay those of a Windows system and the settings
// stored per letter keep working; other drives are ignored).
//
// The kernel's door lock is a switch that survives the program, and the
// system's udev rules unlock and eject on the button anyway. The package's
// rule leaves a drive locked only while some program holds an exclusive
// flock on <runtime>/orbelle/srN.guard, so the guard is held exactly while
// our lock is in force, and a crash hands the button back.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "platform/Drives.h"
#include "platform/linux/CdromIo.h"

namespace orbl::lnx {

// The drive number of an "srN" name that has a letter, else nullopt.
std::optional<int> DriveNumber(std::string_view name);

class LinuxDrives final : public platform::DriveEnumerator,
                          public platform::DoorDevice,
                          public platform::RemovalLock,
                          public platform::VolumeInfo {
 public:
  // `onOwnEject` hears of each eject this program made of a drive that held a
  // disc: the kernel reports no removal for those.
  LinuxDrives(CdromIo& io, std::string runtimeDir, std::function<void(char letter)> onOwnEject = {})
      : io_(io), runtimeDir_(std::move(runtimeDir)), onOwnEject_(std::move(onOwnEject)) {}
  ~LinuxDrives() override;
  LinuxDrives(const LinuxDrives&) = delete;
  LinuxDrives& operator=(const LinuxDrives&) = delete;

  std::uint32_t LogicalDrives() const override;
  platform::DriveType TypeOf(char letter) const override;

  std::optional<DeviceId> Open(char letter) override;
  bool SetDoor(DeviceId device, bool open) override;
  void Close(DeviceId device) override;

  Handle OpenDevice(char letter) override;
  bool SendMediaRemoval(Handle device, std::uint32_t buffer) override;
  void CloseDevice(Handle device) override;
  bool CountsRequests() const override { return false; }

  bool IsReadable(char letter) override;

 private:
  // The opened drive's descriptor, or -1, and its number.
  int OpenNumbered(char letter, int& number);
  bool TakeGuard(int number);
  void ReleaseGuard(int number);

  CdromIo& io_;
  std::string runtimeDir_;
  std::function<void(char)> onOwnEject_;
  std::map<int, int> openDrives_;  // descriptor -> drive number
  std::map<int, int> guards_;      // drive number -> guard descriptor
};

}  // namespace orbl::lnx
