// The simulated world shared by simulated processes: virtual clock, global
// atoms, registry, logical drives with their doors, locks and discs, files,
// named locks, hot key registrations, the shell's notification area, an
// ordered log of everything the programs did to the outside world, and an
// ordered record of their calls to the window system and the tray.
//
// Only one simulated process (or the test) runs at any moment; see SimScheduler.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Drives.h"
#include "platform/SettingsStore.h"
#include "platform/Types.h"
#include "platform/sim/SimNotificationArea.h"
#include "platform/sim/SimScheduler.h"

namespace orbl::sim {

class SimProcess;

struct SimDrive {
  bool present = false;
  platform::DriveType type = platform::DriveType::Unknown;
  bool doorOpen = false;
  // Prevent requests in force, from every program: as on Windows the count
  // belongs to the device, outlives the handle and the process that sent
  // them, and holds the eject button while it is above zero.
  int lockCount = 0;
  bool discInside = false;
  bool discReadable = true;
  // Fault injection.
  bool noDoorDevice = false;      // the CD audio device cannot be opened
  bool doorRefused = false;       // the door command is refused
  bool deviceUnopenable = false;  // the volume device cannot be opened for locking
  bool lockRefused = false;       // the removal request is refused
};

struct SimRegistryKey {
  std::map<std::string, platform::StoredValue> values;  // name as written
  std::vector<std::string> order;                       // names in order of first write
  bool unopenable = false;                              // every open fails
  bool readOnly = false;                                // opens for reading only
};

// One call of a program to the window system or the tray, as a test wants to
// see them in order ("foreground \"Orbelle 3\"", "menu tracked", ...). A call
// that Windows would fail ends in " refused".
struct SimCall {
  int pid = 0;
  std::string text;
};

struct SimHotKey {
  int pid = 0;
  platform::WindowHandle window;
  int id = 0;
};

class SimWorld {
 public:
  SimWorld();
  ~SimWorld() = default;
  SimWorld(const SimWorld&) = delete;
  SimWorld& operator=(const SimWorld&) = delete;

  // --- the virtual clock (see SimScheduler) ----------------------------------
  std::uint64_t Now() const { return scheduler_.Now(); }
  void Advance(std::uint64_t ms) { scheduler_.Advance(ms); }
  void Pass(std::uint64_t ms) { scheduler_.Pass(ms); }
  SimScheduler& Scheduler() { return scheduler_; }
  // The system's clocks as a program reads them: the uptime counts from the
  // last boot, the wall clock runs with the virtual clock from `wallAtBoot`.
  std::uint64_t UptimeMs() const { return Now() - bootedAt_; }
  std::int64_t WallClockSeconds() const {
    return wallAtBoot + static_cast<std::int64_t>(UptimeMs() / 1000);
  }
  std::int64_t wallAtBoot = 1'800'000'000;
  // The computer starts again, `offMs` after this moment: the devices forget
  // every prevent request, the uptime starts from zero. The registry and the
  // files stay. Every simulated process must have ended.
  void Reboot(std::uint64_t offMs = 60'000);

  // --- drives --------------------------------------------------------------
  SimDrive& Drive(char letter);  // 'A'..'Z', any case
  void AddDrive(char letter, platform::DriveType type);
  // The user at the drive. The eject button opens a closed door unless a lock
  // holds it, and closes an open one; a disc goes in or out of an open tray
  // only. Each returns whether anything happened.
  bool PressEjectButton(char letter);
  bool InsertDisc(char letter);
  bool RemoveDisc(char letter);
  // What the removal lock tells the program about itself: a count (as on
  // Windows) or a switch. The simulated devices count either way.
  bool removalLockCounts = true;

  // --- registry (current user) ---------------------------------------------
  // Key paths compare without regard to case, as in the registry.
  SimRegistryKey* FindKey(const std::string& path);
  SimRegistryKey& MakeKey(const std::string& path);
  std::optional<platform::StoredValue> Value(const std::string& path, const std::string& name);
  // Convenience for tests: the text of a REG_SZ value up to its first NUL.
  std::optional<std::string> Text(const std::string& path, const std::string& name);
  void SetText(const std::string& path, const std::string& name, const std::string& text);
  void SetNumber(const std::string& path, const std::string& name, std::uint32_t number);

  // --- global atoms (case-insensitive names, counted) ----------------------
  platform::Atom FindAtom(const std::string& name) const;
  platform::Atom AddAtom(const std::string& name);
  void DeleteAtom(platform::Atom atom);
  std::size_t AtomCount() const { return atoms_.size(); }
  std::optional<std::string> AtomName(platform::Atom atom) const;
  // Makes every later add fail, as when the table is full.
  bool atomTableFull = false;

  // --- files ---------------------------------------------------------------
  std::map<std::string, std::string> files;  // full path -> content

  // --- the log -------------------------------------------------------------
  // One line per thing a program did outside itself: device requests, boxes,
  // beeps, stored values, launches. Tests read it; the start command prints it.
  std::vector<std::string> log;
  // The same lines, each after the virtual time it happened at in seconds:
  // "[10.300] door close D".
  std::vector<std::string> timedLog;
  std::function<void(const std::string&)> onLog;
  void Log(const std::string& line);
  // Only the device requests, in order ("open D", "door open D", ...).
  std::vector<std::string> deviceLog;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> beeps;
  std::vector<std::string> launches;
  // Every drive-type query, with the letter as asked.
  std::vector<char> driveTypeQueries;

  // --- calls to the window system and the tray ---------------------------------
  // Kept apart from the log, which the start command prints for people.
  std::vector<SimCall> calls;
  void Call(int pid, const std::string& text) { calls.push_back(SimCall{pid, text}); }

  // --- the shell -----------------------------------------------------------------
  SimNotificationArea tray;
  // The mouse passes over the notification area: ghost icons vanish.
  void MouseOverTray();
  // The shell restarts: every icon is gone, then every program that has
  // asked for an icon hears "TaskbarCreated" and runs until idle.
  void RestartShell();

  // --- hot keys (session-wide) -----------------------------------------------
  std::map<std::pair<std::uint32_t, std::uint32_t>, SimHotKey> hotKeys;
  // Presses a registered combination: the owner gets WM_HOTKEY and runs.
  bool PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey);

  // --- processes -----------------------------------------------------------
  std::map<std::string, int> namedLocks;  // name -> pid of the holder
  int commandListener = 0;                // pid of the program that takes commands
  // Runs every process that has work due now until none has: a command
  // passed from one process to another and its reply.
  void RunDueWork();
  platform::WindowHandle NewWindowHandle() {
    return platform::WindowHandle{nextWindowHandle_ += 0x1A};
  }
  SimProcess* Process(int pid) const { return scheduler_.Process(pid); }
  bool IsAlive(int pid) const;

 private:
  SimScheduler scheduler_;
  std::uint64_t bootedAt_ = 0;
  std::array<SimDrive, 26> drives_{};
  std::map<std::string, SimRegistryKey> registry_;  // lower-case path -> key
  struct AtomEntry {
    std::string name;
    int count = 0;
  };
  std::map<platform::Atom, AtomEntry> atoms_;
  platform::Atom nextAtom_ = 0xC000;
  std::uintptr_t nextWindowHandle_ = 0x10000;
};

}  // namespace orbl::sim
