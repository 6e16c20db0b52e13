#include "platform/linux/LinuxSession.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/AsciiCase.h"
#include "platform/linux/LinuxFolders.h"

namespace orbl::lnx {

using platform::Atom;

namespace {

constexpr std::size_t kMaxAtomName = 255;

bool IsPlainName(const std::string& name) {
  if (name.empty() || name.front() == '.') return false;
  return std::ranges::all_of(name, [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
  });
}

}  // namespace

Atom LinuxAtoms::Find(const std::string& name) const {
  for (const auto& [atom, entry] : atoms_) {
    if (EqualsIgnoringAsciiCase(entry.name, name)) return atom;
  }
  return 0;
}

Atom LinuxAtoms::Add(const std::string& name) {
  if (name.empty() || name.size() > kMaxAtomName) return 0;
  if (const Atom existing = Find(name)) {
    ++atoms_[existing].count;
    return existing;
  }
  if (next_ == 0xFFFF) return 0;
  const Atom atom = next_++;
  atoms_[atom] = Entry{name, 1};
  return atom;
}

void LinuxAtoms::Delete(Atom atom) {
  const auto it = atoms_.find(atom);
  if (it != atoms_.end() && --it->second.count <= 0) atoms_.erase(it);
}

LinuxInstanceLock::~LinuxInstanceLock() {
  for (const auto& [name, fd] : held_) ::close(fd);
}

bool LinuxInstanceLock::TryAcquire(const std::string& name) {
  if (held_.contains(name)) return true;
  if (!IsPlainName(name)) return false;
  // Without a usable runtime folder no lock can guard: run rather than keep
  // the user out, as a failing mutex does on Windows.
  const std::optional<std::string> folder = PrivateRuntimeFolder(runtimeDir_);
  if (!folder) return true;
  const std::string path = *folder + "/" + name + ".lock";
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return true;
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result < 0 && errno == EINTR);
  if (result == 0) {
    held_[name] = fd;
    return true;
  }
  const bool taken = errno == EWOULDBLOCK;
  ::close(fd);
  return !taken;
}

}  // namespace orbl::lnx
