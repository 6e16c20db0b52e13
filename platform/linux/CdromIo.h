// The few system calls the drive layer makes, behind a seam so that its
// decisions can be tried against a fake drive: the optical drives' names,
// opening a drive's node or a guard file, the CD-ROM requests, and flock.
// Results are the system's: a count or status (possibly positive for a
// refused request) on success, -errno on failure.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace orbl::lnx {

// The CD-ROM requests the drive layer sends.
enum class CdromRequest {
  Eject,         // CDROMEJECT
  CloseTray,     // CDROMCLOSETRAY
  Capabilities,  // CDROM_GET_CAPABILITY: the CDC_* mask
  DriveStatus,   // CDROM_DRIVE_STATUS of the current slot: a CDS_* value
  LockDoor,      // CDROM_LOCKDOOR with the argument 1 (lock) or 0 (unlock)
};

inline constexpr int kCapabilityCloseTray = 0x1;  // CDC_CLOSE_TRAY
inline constexpr int kStatusDiscOk = 4;           // CDS_DISC_OK

class CdromIo {
 public:
  virtual ~CdromIo() = default;
  // The optical drives' names ("sr0"): udev's, else those in /sys/class/block
  // that start with "sr". Drives added after start are not looked for.
  virtual std::vector<std::string> DriveNames() const = 0;
  // Opens the drive's node ("sr0": /dev/sr0) for requests only: read-only and
  // without waiting, since a blocking open closes an open tray.
  virtual int OpenDrive(const std::string& name) = 0;
  // Opens (making it if needed) a lock file, never through a link.
  virtual int OpenGuard(const std::string& path) = 0;
  virtual int Request(int fd, CdromRequest request, int argument) = 0;
  // An exclusive lock without waiting (true), or its release (false).
  virtual int Flock(int fd, bool lock) = 0;
  virtual void Close(int fd) = 0;
};

// The real calls. The folders are arguments so that a test can point them
// at files of its own.
class SystemCdromIo final : public CdromIo {
 public:
  explicit SystemCdromIo(std::string blockClassFolder = "/sys/class/block",
                         std::string deviceFolder = "/dev")
      : blockClassFolder_(std::move(blockClassFolder)), deviceFolder_(std::move(deviceFolder)) {}

  std::vector<std::string> DriveNames() const override;
  int OpenDrive(const std::string& name) override;
  int OpenGuard(const std::string& path) override;
  int Request(int fd, CdromRequest request, int argument) override;
  int Flock(int fd, bool lock) override;
  void Close(int fd) override;

 private:
  std::string blockClassFolder_;
  std::string deviceFolder_;
  // Listed once, when first asked: the list walks udev's database.
  mutable std::optional<std::vector<std::string>> names_;
};

}  // namespace orbl::lnx
