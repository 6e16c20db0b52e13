// The atom table and the single-instance lock on Linux. There is no
// session-wide atom table: the program's atoms only name its own hot keys
// and instance, so a table of this process serves, and the instance lock
// (which dies with the process) is what other copies find.
#pragma once

#include <map>
#include <string>

#include "platform/Atoms.h"

namespace orbl::lnx {

class LinuxAtoms final : public platform::GlobalAtoms {
 public:
  platform::Atom Find(const std::string& name) const override;
  platform::Atom Add(const std::string& name) override;
  void Delete(platform::Atom atom) override;

 private:
  struct Entry {
    std::string name;
    int count = 0;
  };
  std::map<platform::Atom, Entry> atoms_;
  platform::Atom next_ = 0xC000;  // where string atoms start on Windows
};

// An exclusive flock on <runtime>/orbelle/<name>.lock, kept until the process
// ends.
class LinuxInstanceLock final : public platform::InstanceLock {
 public:
  explicit LinuxInstanceLock(std::string runtimeDir) : runtimeDir_(std::move(runtimeDir)) {}
  ~LinuxInstanceLock() override;
  LinuxInstanceLock(const LinuxInstanceLock&) = delete;
  LinuxInstanceLock& operator=(const LinuxInstanceLock&) = delete;

  bool TryAcquire(const std::string& name) override;

 private:
  std::string runtimeDir_;
  std::map<std::string, int> held_;  // name -> descriptor holding the lock
};

}  // namespace orbl::lnx
