#include "platform/linux/LinuxDrives.h"

#include <cerrno>

#include "platform/AsciiCase.h"
#include "platform/linux/LinuxFolders.h"

namespace orbl::lnx {

using platform::DriveType;

namespace {

constexpr int kMaxDriveNumber = 'Z' - 'D';

char LetterOf(int number) {
  return static_cast<char>('D' + number);
}

std::optional<int> NumberOf(char letter) {
  const char upper = AsciiUpper(letter);
  if (upper < 'D' || upper > 'Z') return std::nullopt;
  return upper - 'D';
}

}  // namespace

std::optional<int> DriveNumber(std::string_view name) {
  if (!name.starts_with("sr")) return std::nullopt;
  const std::string_view digits = name.substr(2);
  // The kernel names them sr0, sr1, ...: no sign, no leading zero.
  if (digits.empty() || digits.size() > 2 || (digits.size() > 1 && digits.front() == '0')) {
    return std::nullopt;
  }
  int number = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + (c - '0');
  }
  if (number > kMaxDriveNumber) return std::nullopt;
  return number;
}

LinuxDrives::~LinuxDrives() {
  for (const auto& [fd, number] : openDrives_) io_.Close(fd);
  for (const auto& [number, fd] : guards_) io_.Close(fd);
}

std::uint32_t LinuxDrives::LogicalDrives() const {
  std::uint32_t drives = 0;
  for (const std::string& name : io_.DriveNames()) {
    if (const std::optional<int> number = DriveNumber(name)) {
      drives |= 1u << (LetterOf(*number) - 'A');
    }
  }
  return drives;
}

DriveType LinuxDrives::TypeOf(char letter) const {
  const std::optional<int> number = NumberOf(letter);
  if (!number || (LogicalDrives() & 1u << (LetterOf(*number) - 'A')) == 0) {
    return DriveType::NoRootDir;
  }
  return DriveType::CdRom;
}

int LinuxDrives::OpenNumbered(char letter, int& number) {
  const std::optional<int> found = NumberOf(letter);
  if (!found) return -1;
  const int fd = io_.OpenDrive("sr" + std::to_string(*found));
  if (fd < 0) return -1;
  number = *found;
  openDrives_[fd] = number;
  return fd;
}

std::optional<platform::DoorDevice::DeviceId> LinuxDrives::Open(char letter) {
  int number = 0;
  const int fd = OpenNumbered(letter, number);
  if (fd < 0) return std::nullopt;
  return static_cast<DeviceId>(fd);
}

// A refused command comes back as a positive SCSI status, so anything but 0
// is a failure.
bool LinuxDrives::SetDoor(DeviceId device, bool open) {
  const auto it = openDrives_.find(static_cast<int>(device));
  if (it == openDrives_.end()) return false;
  const int fd = it->first;
  if (open) {
    const bool hadDisc =
        onOwnEject_ && io_.Request(fd, CdromRequest::DriveStatus, 0) == kStatusDiscOk;
    if (io_.Request(fd, CdromRequest::Eject, 0) != 0) return false;
    if (hadDisc) onOwnEject_(LetterOf(it->second));
    return true;
  }
  // Slot-loading and laptop drives cannot pull a tray in: never ask them to.
  const int capabilities = io_.Request(fd, CdromRequest::Capabilities, 0);
  if (capabilities < 0 || (capabilities & kCapabilityCloseTray) == 0) return false;
  return io_.Request(fd, CdromRequest::CloseTray, 0) == 0;
}

void LinuxDrives::Close(DeviceId device) {
  CloseDevice(static_cast<Handle>(device));
}

platform::RemovalLock::Handle LinuxDrives::OpenDevice(char letter) {
  int number = 0;
  const int fd = OpenNumbered(letter, number);
  return fd < 0 ? kInvalid : fd;
}

bool LinuxDrives::SendMediaRemoval(Handle device, std::uint32_t buffer) {
  const auto it = openDrives_.find(static_cast<int>(device));
  if (device == kInvalid || it == openDrives_.end()) return false;
  const int fd = it->first;
  const int number = it->second;
  if (buffer != 0) {
    const bool alreadyGuarded = guards_.contains(number);
    if (!TakeGuard(number)) return false;
    if (io_.Request(fd, CdromRequest::LockDoor, 1) == 0) return true;
    // A lock sent before is still in force: its guard stays.
    if (!alreadyGuarded) ReleaseGuard(number);
    return false;
  }
  // EBUSY: another process has the drive open, so the kernel leaves the door
  // locked until the last close, but it has cleared the flag that kept it so.
  const int result = io_.Request(fd, CdromRequest::LockDoor, 0);
  if (result != 0 && result != -EBUSY) return false;
  ReleaseGuard(number);
  return true;
}

void LinuxDrives::CloseDevice(Handle device) {
  const auto it = openDrives_.find(static_cast<int>(device));
  if (device == kInvalid || it == openDrives_.end()) return;
  io_.Close(it->first);
  openDrives_.erase(it);
}

bool LinuxDrives::IsReadable(char letter) {
  int number = 0;
  const int fd = OpenNumbered(letter, number);
  if (fd < 0) return false;
  const bool disc = io_.Request(fd, CdromRequest::DriveStatus, 0) == kStatusDiscOk;
  CloseDevice(fd);
  return disc;
}

bool LinuxDrives::TakeGuard(int number) {
  if (guards_.contains(number)) return true;
  const std::optional<std::string> folder = PrivateRuntimeFolder(runtimeDir_);
  if (!folder) return false;
  const int fd = io_.OpenGuard(*folder + "/sr" + std::to_string(number) + ".guard");
  if (fd < 0) return false;
  if (io_.Flock(fd, true) != 0) {
    io_.Close(fd);
    return false;
  }
  guards_[number] = fd;
  return true;
}

void LinuxDrives::ReleaseGuard(int number) {
  const auto it = guards_.find(number);
  if (it == guards_.end()) return;
  io_.Flock(it->second, false);
  io_.Close(it->second);
  guards_.erase(it);
}

}  // namespace orbl::lnx
