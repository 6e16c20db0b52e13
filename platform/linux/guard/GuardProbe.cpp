#include "platform/linux/guard/GuardProbe.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/linux/LinuxFolders.h"

namespace orbl::lnx {
namespace {

// The access list as the kernel stores it: a little-endian version word, then
// 8-byte entries of tag, permissions and id.
constexpr std::uint32_t kAclVersion = 2;
constexpr std::uint16_t kAclUserObj = 0x01;
constexpr std::uint16_t kAclUser = 0x02;
constexpr std::uint16_t kAclGroupObj = 0x04;
constexpr std::uint16_t kAclGroup = 0x08;
constexpr std::uint16_t kAclMask = 0x10;
constexpr std::uint16_t kAclOther = 0x20;
constexpr unsigned kRead = 4;

struct AclEntry {
  std::uint16_t tag = 0;
  std::uint16_t perm = 0;
  std::uint32_t id = 0;
};

std::uint32_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;)
    value = (value << 8u) | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

std::optional<std::vector<AclEntry>> ParseAcl(std::string_view bytes) {
  if (bytes.size() < 4 || (bytes.size() - 4) % 8 != 0) return std::nullopt;
  if (LittleEndian(bytes, 0, 4) != kAclVersion) return std::nullopt;
  std::vector<AclEntry> entries;
  for (std::size_t at = 4; at < bytes.size(); at += 8) {
    entries.push_back({static_cast<std::uint16_t>(LittleEndian(bytes, at, 2)),
                       static_cast<std::uint16_t>(LittleEndian(bytes, at + 2, 2)),
                       LittleEndian(bytes, at + 4, 4)});
  }
  return entries;
}

bool InGroups(gid_t group, std::span<const gid_t> groups) {
  return std::find(groups.begin(), groups.end(), group) != groups.end();
}

bool MayReadByAcl(const std::vector<AclEntry>& entries, const DeviceAccess& device, uid_t uid,
                  std::span<const gid_t> groups) {
  unsigned mask = 7;
  for (const AclEntry& entry : entries) {
    if (entry.tag == kAclMask) mask = entry.perm;
  }
  for (const AclEntry& entry : entries) {
    if (entry.tag == kAclUserObj && device.owner == uid) return (entry.perm & kRead) != 0;
  }
  for (const AclEntry& entry : entries) {
    if (entry.tag == kAclUser && entry.id == uid) return (entry.perm & mask & kRead) != 0;
  }
  // A matching group that cannot read does not fall through to the others.
  bool matched = false;
  for (const AclEntry& entry : entries) {
    const bool member = (entry.tag == kAclGroupObj && InGroups(device.group, groups)) ||
                        (entry.tag == kAclGroup && InGroups(entry.id, groups));
    if (!member) continue;
    if ((entry.perm & mask & kRead) != 0) return true;
    matched = true;
  }
  if (matched) return false;
  for (const AclEntry& entry : entries) {
    if (entry.tag == kAclOther) return (entry.perm & kRead) != 0;
  }
  return false;
}

// The user's groups, the primary one included; none for a user the system
// does not know.
std::vector<gid_t> GroupsOf(uid_t uid) {
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
    return {};
  }
  std::vector<gid_t> groups(64);
  int count = static_cast<int>(groups.size());
  if (::getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) {
    groups.resize(static_cast<std::size_t>(count));
    if (::getgrouplist(entry.pw_name, entry.pw_gid, groups.data(), &count) < 0) return {};
  }
  groups.resize(static_cast<std::size_t>(count));
  return groups;
}

// A user's own folder or file, opened without following a link: its
// descriptor when it belongs to `uid`, else -1.
int OpenOwned(int folder, const std::string& name, int flags, uid_t uid, struct stat& info) {
  const int fd = ::openat(folder, name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || info.st_uid != uid) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool HoldsGuard(int runRoot, const std::string& userFolder, uid_t uid, std::string_view drive) {
  struct stat info {};
  const FileDescriptor user(OpenOwned(runRoot, userFolder, O_RDONLY | O_DIRECTORY, uid, info));
  if (user.Get() < 0) return false;
  // The program makes its folder private; one that others may enter or write
  // to is not its own.
  const FileDescriptor own(OpenOwned(user.Get(), "orbelle", O_RDONLY | O_DIRECTORY, uid, info));
  if (own.Get() < 0 || (info.st_mode & 077u) != 0) return false;
  // Non-blocking, so that a pipe put in its place cannot stall udev.
  const FileDescriptor guard(
      OpenOwned(own.Get(), std::string(drive) + ".guard", O_RDONLY | O_NONBLOCK, uid, info));
  if (guard.Get() < 0 || !S_ISREG(info.st_mode)) return false;
  // Held exclusively by a living process exactly when a shared lock is refused;
  // a granted one goes again with the descriptor.
  return ::flock(guard.Get(), LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

// The uid a folder of /run/user is named after, or nullopt.
std::optional<uid_t> FolderUid(std::string_view name) {
  if (name.empty() || name.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value >= std::numeric_limits<uid_t>::max()) return std::nullopt;  // (uid_t)-1 is no one
  return static_cast<uid_t>(value);
}

}  // namespace

bool IsDriveName(std::string_view name) {
  if (name.size() < 3 || name.size() > 6 || !name.starts_with("sr")) return false;
  return std::all_of(name.begin() + 2, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool MayRead(const DeviceAccess& device, uid_t uid, std::span<const gid_t> groups) {
  if (uid == 0) return true;
  if (!device.acl.empty()) {
    const auto entries = ParseAcl(device.acl);
    return entries && MayReadByAcl(*entries, device, uid, groups);
  }
  if (device.owner == uid) return (device.mode & S_IRUSR) != 0;
  if (InGroups(device.group, groups)) return (device.mode & S_IRGRP) != 0;
  return (device.mode & S_IROTH) != 0;
}

bool IsGuarded(const std::string& runRoot, const std::string& devRoot, std::string_view name) {
  if (!IsDriveName(name)) return false;
  const std::string devicePath = devRoot + "/" + std::string(name);
  struct stat deviceInfo {};
  if (::lstat(devicePath.c_str(), &deviceInfo) != 0) return false;
  DeviceAccess device{deviceInfo.st_mode, deviceInfo.st_uid, deviceInfo.st_gid, {}};
  std::string acl(1024, '\0');
  const ssize_t aclSize =
      ::lgetxattr(devicePath.c_str(), "system.posix_acl_access", acl.data(), acl.size());
  if (aclSize < 0 && errno == ERANGE) return false;  // a list too long to be a seat's
  if (aclSize > 0) device.acl = acl.substr(0, static_cast<std::size_t>(aclSize));

  const FileDescriptor root(
      ::open(runRoot.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (root.Get() < 0) return false;
  const int listFd = ::dup(root.Get());
  if (listFd < 0) return false;
  const std::unique_ptr<DIR, int (*)(DIR*)> list(::fdopendir(listFd), ::closedir);
  if (!list) {
    ::close(listFd);
    return false;
  }
  while (const dirent* entry = ::readdir(list.get())) {
    const std::optional<uid_t> uid = FolderUid(entry->d_name);
    if (uid && HoldsGuard(root.Get(), entry->d_name, *uid, name) &&
        MayRead(device, *uid, GroupsOf(*uid))) {
      return true;
    }
  }
  return false;
}

}  // namespace orbl::lnx
