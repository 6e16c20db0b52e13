// Folders and whole-file writes shared by the Linux pieces that keep state on
// disk: the settings file, the autostart entry and the runtime folder that
// holds the locks and the command socket.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orbl::lnx {

// An open file or socket, closed when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now, reporting the failure a delayed write error shows up as.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

// Makes `path` and every missing parent (new ones get mode 0700). True when
// `path` is a directory afterwards.
bool MakeFolders(const std::string& path);

// `<runtimeDir>/orbelle`, private to this user: made with mode 0700, and
// refused (nullopt) when it is a link, belongs to someone else or can be
// entered by others, since its locks and socket decide who speaks for us.
std::optional<std::string> PrivateRuntimeFolder(const std::string& runtimeDir);

// Replaces the file at `path` with `contents` as one step: a temporary file
// in the same folder, written, flushed to disk and renamed over the old one.
// False, with the old file untouched, when any step fails.
bool ReplaceFile(const std::string& path, std::string_view contents);

// The whole file, or nullopt when it cannot be read or is over `maxBytes`.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes);

}  // namespace orbl::lnx
