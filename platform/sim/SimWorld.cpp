#include "platform/sim/SimWorld.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/AsciiCase.h"
#include "platform/sim/SimProcess.h"

namespace orbl::sim {

SimWorld::SimWorld() = default;

SimDrive& SimWorld::Drive(char letter) {
  const char upper = AsciiUpper(letter);
  if (upper < 'A' || upper > 'Z') throw std::out_of_range("no such drive letter");
  return drives_[static_cast<std::size_t>(upper - 'A')];
}

void SimWorld::Reboot(std::uint64_t offMs) {
  const std::int64_t wallNow = WallClockSeconds();
  Pass(offMs);
  bootedAt_ = Now();
  wallAtBoot = wallNow + static_cast<std::int64_t>(offMs / 1000);
  // What lives in the running system goes with it.
  for (SimDrive& drive : drives_) drive.lockCount = 0;
  atoms_.clear();
  namedLocks.clear();
  hotKeys.clear();
  Log("reboot");
}

void SimWorld::AddDrive(char letter, platform::DriveType type) {
  SimDrive& drive = Drive(letter);
  drive.present = true;
  drive.type = type;
}

bool SimWorld::PressEjectButton(char letter) {
  SimDrive& drive = Drive(letter);
  if (!drive.present || drive.type != platform::DriveType::CdRom) return false;
  const std::string name(1, AsciiUpper(letter));
  if (!drive.doorOpen && drive.lockCount > 0) {
    Log("eject button " + name + ": held by the lock");
    return false;
  }
  drive.doorOpen = !drive.doorOpen;
  Log("eject button " + name + ": door " + (drive.doorOpen ? "opens" : "closes"));
  return true;
}

bool SimWorld::InsertDisc(char letter) {
  SimDrive& drive = Drive(letter);
  if (!drive.present || !drive.doorOpen || drive.discInside) return false;
  drive.discInside = true;
  Log(std::string("disc put into ") + AsciiUpper(letter));
  return true;
}

bool SimWorld::RemoveDisc(char letter) {
  SimDrive& drive = Drive(letter);
  if (!drive.present || !drive.doorOpen || !drive.discInside) return false;
  drive.discInside = false;
  Log(std::string("disc taken out of ") + AsciiUpper(letter));
  return true;
}

SimRegistryKey* SimWorld::FindKey(const std::string& path) {
  auto it = registry_.find(AsciiLower(path));
  return it == registry_.end() ? nullptr : &it->second;
}

SimRegistryKey& SimWorld::MakeKey(const std::string& path) {
  return registry_[AsciiLower(path)];
}

std::optional<platform::StoredValue> SimWorld::Value(const std::string& path,
                                                     const std::string& name) {
  SimRegistryKey* key = FindKey(path);
  if (!key) return std::nullopt;
  for (auto& [stored, value] : key->values) {
    if (EqualsIgnoringAsciiCase(stored, name)) return value;
  }
  return std::nullopt;
}

std::optional<std::string> SimWorld::Text(const std::string& path, const std::string& name) {
  auto value = Value(path, name);
  if (!value || value->type != platform::ValueType::Text) return std::nullopt;
  std::string text;
  for (std::byte b : value->data) text.push_back(static_cast<char>(b));
  return text.substr(0, text.find('\0'));
}

void SimWorld::SetText(const std::string& path, const std::string& name, const std::string& text) {
  platform::StoredValue value{platform::ValueType::Text, {}};
  for (char c : text) value.data.push_back(static_cast<std::byte>(c));
  value.data.push_back(std::byte{0});
  SimRegistryKey& key = MakeKey(path);
  if (!key.values.contains(name)) key.order.push_back(name);
  key.values[name] = value;
}

void SimWorld::SetNumber(const std::string& path, const std::string& name, std::uint32_t number) {
  platform::StoredValue value{platform::ValueType::Number, std::vector<std::byte>(4)};
  std::memcpy(value.data.data(), &number, 4);
  SimRegistryKey& key = MakeKey(path);
  if (!key.values.contains(name)) key.order.push_back(name);
  key.values[name] = value;
}

platform::Atom SimWorld::FindAtom(const std::string& name) const {
  const std::string lower = AsciiLower(name);
  for (const auto& [atom, entry] : atoms_) {
    if (AsciiLower(entry.name) == lower) return atom;
  }
  return 0;
}

platform::Atom SimWorld::AddAtom(const std::string& name) {
  if (name.empty() || name.size() > 255) return 0;
  if (platform::Atom existing = FindAtom(name)) {
    ++atoms_[existing].count;
    return existing;
  }
  if (atomTableFull || nextAtom_ == 0xFFFF) return 0;
  const platform::Atom atom = nextAtom_++;
  atoms_[atom] = AtomEntry{name, 1};
  return atom;
}

void SimWorld::DeleteAtom(platform::Atom atom) {
  auto it = atoms_.find(atom);
  if (it == atoms_.end()) return;
  if (--it->second.count <= 0) atoms_.erase(it);
}

std::optional<std::string> SimWorld::AtomName(platform::Atom atom) const {
  auto it = atoms_.find(atom);
  if (it == atoms_.end()) return std::nullopt;
  return it->second.name;
}

void SimWorld::Log(const std::string& line) {
  log.push_back(line);
  const std::uint64_t now = Now();
  std::string millis = std::to_string(now % 1000);
  millis.insert(0, 3 - millis.size(), '0');
  timedLog.push_back("[" + std::to_string(now / 1000) + "." + millis + "] " + line);
  if (onLog) onLog(line);
}

bool SimWorld::PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
  auto it = hotKeys.find({modifiers, virtualKey});
  if (it == hotKeys.end()) return false;
  SimProcess* owner = Process(it->second.pid);
  if (!owner || !owner->Running()) return false;
  owner->Post(it->second.window, platform::msg::kHotKey, static_cast<std::uint64_t>(it->second.id));
  return true;
}

void SimWorld::MouseOverTray() {
  const std::size_t gone = tray.MouseOver();
  if (gone > 0) Log(std::to_string(gone) + " ghost tray icon(s) vanished under the mouse");
}

void SimWorld::RestartShell() {
  tray.Clear();
  tray.shellRunning = true;
  Log("the shell restarted");
  // A copy: a program may end while it handles the notice.
  const std::vector<SimProcess*> processes = scheduler_.Processes();
  for (SimProcess* process : processes) process->DeliverTaskbarCreated();
}

void SimWorld::RunDueWork() {
  bool ran = true;
  for (int round = 0; ran; ++round) {
    if (round > 10'000) throw std::logic_error("processes keep each other busy");
    ran = false;
    for (SimProcess* process : scheduler_.Processes()) {
      if (process->Running() && process->HasDueWork()) {
        process->RunUntilIdle();
        ran = true;
      }
    }
  }
}

bool SimWorld::IsAlive(int pid) const {
  SimProcess* process = Process(pid);
  return process != nullptr && process->Running();
}

}  // namespace orbl::sim
