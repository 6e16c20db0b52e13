// The shell's notification area, shared by every program of the session. It
// belongs to the shell, not to the programs: an icon whose program ended
// without removing it stays behind as a ghost until the mouse passes over it,
// and a shell that restarts comes up with no icons at all until each program
// adds its own again.
#pragma once

#include <string>
#include <vector>

#include "platform/Types.h"

namespace orbl::sim {

struct SimTrayIcon {
  int pid = 0;
  platform::WindowHandle owner;
  std::string icon;
  std::string tip;
  // Its program ended without taking it away.
  bool ghost = false;
  // The titles of its program's windows when it was added: how much of
  // start-up came before the icon.
  std::vector<std::string> windowsWhenAdded;
};

class SimNotificationArea {
 public:
  // False while there is no shell: every add fails.
  bool shellRunning = true;
  // A shell that is up but not ready, as at logon: this many adds from now
  // on fail, and it sends no "TaskbarCreated" once it is ready.
  int refuseAdds = 0;

  const std::vector<SimTrayIcon>& Icons() const { return icons_; }
  // The icon of process `pid`, a ghost included; null when it has none.
  const SimTrayIcon* IconOf(int pid) const;

  // Adds or replaces the icon of process `pid`; false without a shell.
  bool Add(const SimTrayIcon& icon);
  // False when the process has no icon there.
  bool Remove(int pid);
  // The process ended: its icon, if any, stays as a ghost. True if it had one.
  bool OwnerEnded(int pid);
  // The mouse passed over the area: the shell notices the dead owners.
  // Returns how many ghosts vanished.
  std::size_t MouseOver();
  // The shell restarted: no icon survives, ghosts neither.
  void Clear() { icons_.clear(); }

 private:
  std::vector<SimTrayIcon> icons_;  // in the order they were first added
};

}  // namespace orbl::sim
