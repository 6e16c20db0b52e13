// A preloaded library that gives the real program drives without hardware:
// /sys/class/block lists the files of $ORBL_FAKE_CDROM/block, /dev/srN opens
// $ORBL_FAKE_CDROM/srN, and the CD-ROM requests on such a descriptor act on
// that file, one "key value" line per fact:
//
//   tray closed      (or open)
//   disc 1           (0: none)
//
// Each request is appended to $ORBL_FAKE_CDROM/log ("sr0 eject", "sr0 lock 1").
// Like the kernel, an unlock while another descriptor holds the drive open
// answers EBUSY.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
// <linux/cdrom.h> uses INT_MAX without including what defines it.
#include <linux/cdrom.h>

namespace {

std::mutex guard;
std::map<int, std::string> drives;  // descriptor -> "srN"

const char* Root() {
  return std::getenv("ORBL_FAKE_CDROM");
}

template <typename Function>
Function Next(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

std::map<std::string, std::string> ReadState(const std::string& name) {
  std::map<std::string, std::string> state{{"tray", "closed"}, {"disc", "0"}};
  std::ifstream file(std::string(Root()) + "/" + name);
  std::string key, value;
  while (file >> key >> value) state[key] = value;
  return state;
}

void WriteState(const std::string& name, const std::map<std::string, std::string>& state) {
  std::ofstream file(std::string(Root()) + "/" + name, std::ios::trunc);
  for (const auto& [key, value] : state) file << key << ' ' << value << '\n';
}

void Log(const std::string& line) {
  std::ofstream(std::string(Root()) + "/log", std::ios::app) << line << '\n';
}

// The drive a /dev path names, or "".
std::string DriveOf(const char* path) {
  if (Root() == nullptr) return {};
  const std::string text = path;
  if (!text.starts_with("/dev/sr")) return {};
  return text.substr(5);
}

int OpenDrive(const std::string& name, int flags) {
  using OpenFunction = int (*)(const char*, int, ...);
  static const auto realOpen = Next<OpenFunction>("open");
  const int fd =
      realOpen((std::string(Root()) + "/" + name).c_str(), (flags & O_CLOEXEC) | O_RDONLY);
  if (fd >= 0) {
    const std::lock_guard<std::mutex> lock(guard);
    drives[fd] = name;
  }
  return fd;
}

int OpenCount(const std::string& name) {
  int count = 0;
  for (const auto& [fd, drive] : drives) count += drive == name ? 1 : 0;
  return count;
}

}  // namespace

extern "C" {

int open(const char* path, int flags, ...) {
  const std::string drive = DriveOf(path);
  if (!drive.empty()) return OpenDrive(drive, flags);
  va_list args;
  va_start(args, flags);
  const mode_t mode = va_arg(args, mode_t);
  va_end(args);
  using OpenFunction = int (*)(const char*, int, ...);
  static const auto realOpen = Next<OpenFunction>("open");
  return realOpen(path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  const mode_t mode = va_arg(args, mode_t);
  va_end(args);
  return open(path, flags, mode);
}

int close(int fd) {
  {
    const std::lock_guard<std::mutex> lock(guard);
    drives.erase(fd);
  }
  using CloseFunction = int (*)(int);
  static const auto realClose = Next<CloseFunction>("close");
  return realClose(fd);
}

DIR* opendir(const char* path) {
  using OpendirFunction = DIR* (*)(const char*);
  static const auto realOpendir = Next<OpendirFunction>("opendir");
  if (Root() != nullptr && std::string(path) == "/sys/class/block") {
    return realOpendir((std::string(Root()) + "/block").c_str());
  }
  return realOpendir(path);
}

int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  const unsigned long argument = va_arg(args, unsigned long);
  va_end(args);
  std::string name;
  int holders = 0;
  {
    const std::lock_guard<std::mutex> lock(guard);
    const auto found = drives.find(fd);
    if (found != drives.end()) {
      name = found->second;
      holders = OpenCount(name);
    }
  }
  if (name.empty()) {
    using IoctlFunction = int (*)(int, unsigned long, ...);
    static const auto realIoctl = Next<IoctlFunction>("ioctl");
    return realIoctl(fd, request, argument);
  }
  auto state = ReadState(name);
  switch (request) {
    case CDROMEJECT:
      Log(name + " eject");
      state["tray"] = "open";
      WriteState(name, state);
      return 0;
    case CDROMCLOSETRAY:
      Log(name + " close");
      state["tray"] = "closed";
      WriteState(name, state);
      return 0;
    case CDROM_GET_CAPABILITY:
      return CDC_LOCK | CDC_OPEN_TRAY | CDC_CLOSE_TRAY;
    case CDROM_DRIVE_STATUS:
      if (state["tray"] == "open") return CDS_TRAY_OPEN;
      return state["disc"] == "1" ? CDS_DISC_OK : CDS_NO_DISC;
    case CDROM_LOCKDOOR:
      Log(name + " lock " + std::to_string(argument));
      if (argument == 0 && holders > 1) {
        errno = EBUSY;
        return -1;
      }
      return 0;
    default:
      errno = ENOTTY;
      return -1;
  }
}

}  // extern "C"
