// The session-wide objects a process reaches through the world: global atoms,
// the named single-instance lock, and system-wide hot keys.
#pragma once

#include "platform/Atoms.h"
#include "platform/HotKeys.h"
#include "platform/sim/SimWorld.h"

namespace orbl::sim {

class SimAtoms final : public platform::GlobalAtoms {
 public:
  explicit SimAtoms(SimWorld& world) : w_(world) {}
  platform::Atom Find(const std::string& name) const override { return w_.FindAtom(name); }
  platform::Atom Add(const std::string& name) override { return w_.AddAtom(name); }
  void Delete(platform::Atom atom) override { w_.DeleteAtom(atom); }

 private:
  SimWorld& w_;
};

class SimInstanceLock final : public platform::InstanceLock {
 public:
  SimInstanceLock(SimWorld& world, int pid) : w_(world), pid_(pid) {}
  bool TryAcquire(const std::string& name) override;

 private:
  SimWorld& w_;
  int pid_;
};

class SimHotKeys final : public platform::HotKeys {
 public:
  SimHotKeys(SimWorld& world, int pid) : w_(world), pid_(pid) {}
  bool Register(platform::WindowHandle window, int id, std::uint32_t modifiers,
                std::uint32_t virtualKey) override;
  bool Unregister(platform::WindowHandle window, int id) override;

 private:
  SimWorld& w_;
  int pid_;
};

}  // namespace orbl::sim
