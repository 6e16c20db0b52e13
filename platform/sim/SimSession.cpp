#include "platform/sim/SimSession.h"

namespace orbl::sim {

using namespace orbl::platform;

bool SimInstanceLock::TryAcquire(const std::string& name) {
  auto it = w_.namedLocks.find(name);
  if (it != w_.namedLocks.end() && it->second != pid_ && w_.IsAlive(it->second)) return false;
  w_.namedLocks[name] = pid_;
  return true;
}

bool SimHotKeys::Register(WindowHandle window, int id, std::uint32_t modifiers,
                          std::uint32_t virtualKey) {
  if (virtualKey == 0) return false;
  // As on Windows, a combination registered before under the same window and
  // identifier stays in force beside the new one until it is unregistered.
  auto [it, added] = w_.hotKeys.try_emplace({modifiers, virtualKey}, SimHotKey{pid_, window, id});
  w_.Log(std::string("hot key ") + (added ? "registered" : "refused") + ": modifiers " +
         std::to_string(modifiers) + ", key " + std::to_string(virtualKey));
  return added;
}

// Takes back one combination of the identifier, as UnregisterHotKey frees
// one hot key per call.
bool SimHotKeys::Unregister(WindowHandle window, int id) {
  for (auto it = w_.hotKeys.begin(); it != w_.hotKeys.end(); ++it) {
    if (it->second.pid == pid_ && it->second.window == window && it->second.id == id) {
      w_.hotKeys.erase(it);
      return true;
    }
  }
  return false;
}

}  // namespace orbl::sim
