#include "platform/linux/LinuxFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace orbl::lnx {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool MakeFolders(const std::string& path) {
  if (path.empty()) return false;
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  const std::string parent = ParentOf(path);
  if (parent != path && !MakeFolders(parent)) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

std::optional<std::string> PrivateRuntimeFolder(const std::string& runtimeDir) {
  if (runtimeDir.empty() || runtimeDir.front() != '/') return std::nullopt;
  std::string folder = runtimeDir + "/orbelle";
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  struct stat info {};
  if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
      (info.st_mode & 077) != 0) {
    return std::nullopt;
  }
  return folder;
}

bool ReplaceFile(const std::string& path, std::string_view contents) {
  const std::string folder = ParentOf(path);
  std::string temporary = path + ".XXXXXX";
  std::vector<char> name(temporary.begin(), temporary.end());
  name.push_back('\0');
  FileDescriptor file(::mkostemp(name.data(), O_CLOEXEC));
  if (file.Get() < 0) return false;
  temporary.assign(name.data());
  if (!WriteAll(file.Get(), contents) || ::fsync(file.Get()) != 0 || !file.Close() ||
      ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk only with its folder.
  FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() >= 0) ::fsync(dir.Get());
  return true;
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes) {
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) return std::nullopt;
  std::string contents;
  std::array<char, 65536> buffer{};
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return contents;
    if (contents.size() + static_cast<std::size_t>(n) > maxBytes) return std::nullopt;
    contents.append(buffer.data(), static_cast<std::size_t>(n));
  }
}

}  // namespace orbl::lnx
