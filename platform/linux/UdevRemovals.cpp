#include "platform/linux/UdevRemovals.h"

#include <fcntl.h>
#include <libudev.h>

#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/AsciiCase.h"
#include "platform/Types.h"
#include "platform/linux/LinuxDrives.h"

namespace orbl::lnx {

namespace {

constexpr std::string_view kDeviceFolder = "/dev/";
constexpr std::uint32_t kBroadcastSize = 20;
constexpr std::uint32_t kFlagMedia = 1;  // DBTF_MEDIA: the medium left, not the drive

// The property's value, or "" when the event has none.
std::string_view Property(const UdevProperties& properties, const std::string& name) {
  const auto it = properties.find(name);
  return it == properties.end() ? std::string_view{} : std::string_view{it->second};
}

void PutDword(std::vector<std::byte>& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
  }
}

char LetterOf(int number) {
  return static_cast<char>('D' + number);
}

}  // namespace

std::optional<int> MediaChangeDrive(const UdevProperties& properties) {
  if (Property(properties, "SUBSYSTEM") != "block" || Property(properties, "DEVTYPE") != "disk" ||
      Property(properties, "DISK_MEDIA_CHANGE") != "1") {
    return std::nullopt;
  }
  const std::string_view node = Property(properties, "DEVNAME");
  if (!node.starts_with(kDeviceFolder)) return std::nullopt;
  return DriveNumber(node.substr(kDeviceFolder.size()));
}

std::optional<char> RemovedDrive(const UdevProperties& properties, bool hadDisc, bool hasDisc) {
  const std::optional<int> number = MediaChangeDrive(properties);
  if (!number || !hadDisc || hasDisc) return std::nullopt;
  return LetterOf(*number);
}

std::vector<std::byte> VolumeRemovalBroadcast(char letter) {
  std::vector<std::byte> bytes(kBroadcastSize);
  PutDword(bytes, 0, kBroadcastSize);
  PutDword(bytes, 4, platform::msg::kDbtDevTypVolume);
  const char upper = AsciiUpper(letter);
  const bool isLetter = upper >= 'A' && upper <= 'Z';
  PutDword(bytes, 12, isLetter ? 1u << (upper - 'A') : 0u);
  PutDword(bytes, 16, kFlagMedia);
  return bytes;
}

UdevRemovals::UdevRemovals(CdromIo& io, std::function<void(char letter)> onRemoval)
    : io_(io), onRemoval_(std::move(onRemoval)) {}

void UdevRemovals::Start() {
  if (udev_) return;
  udev_ = ::udev_new();
  for (const std::string& name : io_.DriveNames()) {
    if (const std::optional<int> number = DriveNumber(name)) discs_[*number] = HoldsDisc(*number);
  }
  if (!udev_) return;
  monitor_ = ::udev_monitor_new_from_netlink(udev_, "udev");
  if (!monitor_ ||
      ::udev_monitor_filter_add_match_subsystem_devtype(monitor_, "block", "disk") < 0 ||
      ::udev_monitor_enable_receiving(monitor_) < 0) {
    return;
  }
  const int fd = ::udev_monitor_get_fd(monitor_);
  if (fd < 0) return;
  // A spurious wake must not block the event loop in the receive.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0) fd_ = fd;
}

UdevRemovals::~UdevRemovals() {
  if (monitor_) ::udev_monitor_unref(monitor_);
  if (udev_) ::udev_unref(udev_);
}

void UdevRemovals::HandleReadable() {
  if (fd_ < 0) return;
  while (udev_device* device = ::udev_monitor_receive_device(monitor_)) {
    UdevProperties properties;
    for (udev_list_entry* entry = ::udev_device_get_properties_list_entry(device); entry;
         entry = ::udev_list_entry_get_next(entry)) {
      const char* name = ::udev_list_entry_get_name(entry);
      const char* value = ::udev_list_entry_get_value(entry);
      if (name && value) properties[name] = value;
    }
    ::udev_device_unref(device);
    Observe(properties);
  }
}

void UdevRemovals::Observe(const UdevProperties& properties) {
  const std::optional<int> number = MediaChangeDrive(properties);
  if (!number) return;
  const bool hasDisc = HoldsDisc(*number);
  const bool hadDisc = std::exchange(discs_[*number], hasDisc);
  if (const std::optional<char> letter = RemovedDrive(properties, hadDisc, hasDisc)) {
    onRemoval_(*letter);
  }
}

void UdevRemovals::OwnEject(char letter) {
  const char upper = AsciiUpper(letter);
  if (upper < 'D' || upper > 'Z') return;
  discs_[upper - 'D'] = false;
  onRemoval_(upper);
}

// A drive that cannot be asked (gone, or taken by another seat's user)
// counts as empty, as it does for the core.
bool UdevRemovals::HoldsDisc(int number) {
  const int fd = io_.OpenDrive("sr" + std::to_string(number));
  if (fd < 0) return false;
  const bool disc = io_.Request(fd, CdromRequest::DriveStatus, 0) == kStatusDiscOk;
  io_.Close(fd);
  return disc;
}

}  // namespace orbl::lnx
