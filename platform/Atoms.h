// The session-wide global atom table and the crash-proof single-instance lock.
#pragma once

#include <string>

#include "platform/Types.h"

namespace orbl::platform {

class GlobalAtoms {
 public:
  virtual ~GlobalAtoms() = default;
  // 0 when the name is not in the table (GlobalFindAtomA).
  virtual Atom Find(const std::string& name) const = 0;
  // Adds the name or raises its count; 0 on failure (GlobalAddAtomA).
  virtual Atom Add(const std::string& name) = 0;
  // Lowers the atom's count; the name leaves the table at 0 (GlobalDeleteAtom).
  virtual void Delete(Atom atom) = 0;
};

// A named lock that lives exactly as long as the process holding it: it is
// released by the system when the process ends, also when it was killed or
// crashed (a named mutex on Windows, a lock on a file in the runtime folder on
// Linux). The global atom alone would outlive a killed program and lock every
// later start out until the user logs off.
class InstanceLock {
 public:
  virtual ~InstanceLock() = default;
  // True when this process now holds the lock (or already held it); false when
  // another living process holds it.
  virtual bool TryAcquire(const std::string& name) = 0;
};

}  // namespace orbl::platform
