#include "platform/linux/CdromIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
// <linux/cdrom.h> uses INT_MAX without including what defines it.
#include <linux/cdrom.h>
#include <climits>
#include <string_view>

namespace orbl::lnx {

static_assert(kCapabilityCloseTray == CDC_CLOSE_TRAY);
static_assert(kStatusDiscOk == CDS_DISC_OK);

namespace {

int ResultOrError(int result) {
  return result < 0 ? -errno : result;
}

constexpr const char* kSystemBlockClass = "/sys/class/block";

// The block devices udev marks as optical drives (its cdrom rules set
// ID_CDROM=1 on the sr disks); empty without udev or its database.
std::vector<std::string> UdevCdromNames() {
  std::vector<std::string> names;
  udev* context = ::udev_new();
  if (!context) return names;
  udev_enumerate* enumerate = ::udev_enumerate_new(context);
  // Matching the name first spares reading every loop device's properties.
  if (enumerate && ::udev_enumerate_add_match_subsystem(enumerate, "block") >= 0 &&
      ::udev_enumerate_add_match_sysname(enumerate, "sr*") >= 0 &&
      ::udev_enumerate_add_match_property(enumerate, "ID_CDROM", "1") >= 0 &&
      ::udev_enumerate_scan_devices(enumerate) >= 0) {
    for (udev_list_entry* entry = ::udev_enumerate_get_list_entry(enumerate); entry;
         entry = ::udev_list_entry_get_next(entry)) {
      udev_device* device =
          ::udev_device_new_from_syspath(context, ::udev_list_entry_get_name(entry));
      if (!device) continue;
      const char* name = ::udev_device_get_sysname(device);
      if (name != nullptr && std::string_view(name).starts_with("sr")) names.emplace_back(name);
      ::udev_device_unref(device);
    }
  }
  if (enumerate) ::udev_enumerate_unref(enumerate);
  ::udev_unref(context);
  return names;
}

}  // namespace

std::vector<std::string> SystemCdromIo::DriveNames() const {
  if (names_) return *names_;
  // A folder of a test's own is listed as it is.
  if (blockClassFolder_ == kSystemBlockClass) names_ = UdevCdromNames();
  if (!names_ || names_->empty()) {
    names_.emplace();
    if (DIR* folder = ::opendir(blockClassFolder_.c_str())) {
      while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.starts_with("sr")) names_->push_back(name);
      }
      ::closedir(folder);
    }
  }
  return *names_;
}

int SystemCdromIo::OpenDrive(const std::string& name) {
  const std::string path = deviceFolder_ + "/" + name;
  return ResultOrError(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

int SystemCdromIo::OpenGuard(const std::string& path) {
  return ResultOrError(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
}

int SystemCdromIo::Request(int fd, CdromRequest request, int argument) {
  switch (request) {
    case CdromRequest::Eject:
      return ResultOrError(::ioctl(fd, CDROMEJECT, 0));
    case CdromRequest::CloseTray:
      return ResultOrError(::ioctl(fd, CDROMCLOSETRAY, 0));
    case CdromRequest::Capabilities:
      return ResultOrError(::ioctl(fd, CDROM_GET_CAPABILITY, 0));
    case CdromRequest::DriveStatus:
      return ResultOrError(::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT));
    case CdromRequest::LockDoor:
      return ResultOrError(::ioctl(fd, CDROM_LOCKDOOR, argument));
  }
  return -EINVAL;
}

int SystemCdromIo::Flock(int fd, bool lock) {
  int result = 0;
  do {
    result = ::flock(fd, lock ? LOCK_EX | LOCK_NB : LOCK_UN);
  } while (result < 0 && errno == EINTR);
  return ResultOrError(result);
}

void SystemCdromIo::Close(int fd) {
  ::close(fd);
}

}  // namespace orbl::lnx
