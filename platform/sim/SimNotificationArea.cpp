#include "platform/sim/SimNotificationArea.h"

#include <algorithm>

namespace orbl::sim {

const SimTrayIcon* SimNotificationArea::IconOf(int pid) const {
  for (const SimTrayIcon& icon : icons_) {
    if (icon.pid == pid) return &icon;
  }
  return nullptr;
}

bool SimNotificationArea::Add(const SimTrayIcon& icon) {
  if (!shellRunning) return false;
  if (refuseAdds > 0) {
    --refuseAdds;
    return false;
  }
  for (SimTrayIcon& existing : icons_) {
    if (existing.pid == icon.pid) {
      existing = icon;
      return true;
    }
  }
  icons_.push_back(icon);
  return true;
}

bool SimNotificationArea::Remove(int pid) {
  const auto before = icons_.size();
  std::erase_if(icons_, [&](const SimTrayIcon& icon) { return icon.pid == pid && !icon.ghost; });
  return icons_.size() != before;
}

bool SimNotificationArea::OwnerEnded(int pid) {
  bool had = false;
  for (SimTrayIcon& icon : icons_) {
    if (icon.pid == pid) icon.ghost = had = true;
  }
  return had;
}

std::size_t SimNotificationArea::MouseOver() {
  return std::erase_if(icons_, [](const SimTrayIcon& icon) { return icon.ghost; });
}

}  // namespace orbl::sim
