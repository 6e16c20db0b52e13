// The option model: one record per optical drive, the program-wide options,
// and the actions a tray click can run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbl {

// A system-wide hot key. Key 0 means the drive has no such hot key, whatever
// the modifier flags say.
struct THotKeyDef {
  bool Win = false;
  bool Ctrl = false;
  bool Alt = false;
  bool Shift = false;
  std::int32_t Key = 0;  // virtual-key code
};

// One optical drive. Fields in their declared order; the first two and the
// last two are run-time state that is never stored.
struct TDriveRecord {
  bool DoorOpen = false;
  bool Locked = false;
  char Letter = 0;  // upper case
  bool SpyForEjecting = true;
  bool AutoCloseAfterInterval = true;
  std::int32_t AutocloseInterval = 15;  // seconds
  bool TryToCloseEverySomeSeconds = false;
  std::int32_t DiskLimit = 20;  // seconds
  bool CloseOnShutdown = true;
  bool WarnIfNotEmptyOnShutdown = true;
  bool LockOnStart = false;
  bool LockWithOpenClose = false;
  bool WarnAboutDiscWhenGoingToSleepMode = false;
  bool EjectDiskWhenDriveIsNotEmpty = false;
  bool BeepWhenDriveIsNotEmpty = false;
  bool ShowMessagesWhenLockingUnlocking = false;
  bool BeepWhenLockingUnlocking = false;
  bool LockWhenGoingToSleepMode = false;
  bool UnlockLockWhenExitingFromSleepMode = false;
  bool ShowDialogToCloseDriveImmediately = false;
  THotKeyDef HotKeyClose;
  THotKeyDef HotKeyLock;
  std::int32_t CloseHotKeyId = 0;  // a 16-bit global atom, zero-extended
  std::int32_t LockHotKeyId = 0;
};

// Numbers of the tray actions as they are stored. The fields that hold one are
// plain integers, since a hand-edited store may hold any number, and any other
// number does nothing.
enum class TDriveAction : std::int32_t {
  NoAction = 0,
  OpenCloseDrive = 1,
  LockUnlockDrive = 2,
  OpenCloseAllDrives = 3,
  LockUnlockAllDrives = 4,
  ShowOptions = 5,
};

struct TAppOptions {
  std::string Language;  // full path of the language file; empty until the language step
  std::vector<std::string> LanguageFiles;
  std::int32_t LanguageIndex = 0;
  char SingleLetter = 0;
  std::int32_t SingleAction = static_cast<std::int32_t>(TDriveAction::NoAction);
  char DoubleLetter = 0;
  std::int32_t DoubleAction = static_cast<std::int32_t>(TDriveAction::NoAction);
  std::int32_t DoubleItem = 0;
  bool AutoStart = false;
};

using TDriveTable = std::vector<TDriveRecord>;

}  // namespace orbl
