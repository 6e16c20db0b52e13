// The stored settings layout written out by hand, as every existing user's
// store holds it. The program builds its names from one table for both the save
// and the load, so a round trip cannot notice a misspelt or reordered name;
// this list can.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbl::test {

// The program-wide values come first in every save; all are texts but the count.
inline constexpr std::array<const char*, 7> kProgramWideNames = {
    "DriveCount",      "Currently used language", "Single - Letter", "Single - Action",
    "Double - Letter", "Double - Action",         "Double - Item"};

// Each drive's values in their stored order, all texts: the name after the
// letter, the record field it holds, the field's default for a new drive and a
// value unlike it. The four numbers differ from each other, so two number rows
// that traded fields show as well as two flags that did.
struct PerDriveName {
  const char* suffix;
  const char* field;
  std::int32_t byDefault;
  std::int32_t planted;
};
inline constexpr PerDriveName kPerDriveNames[] = {
    {" Spy for ejecting CD/DVD door with disk", "SpyForEjecting", 1, 0},
    {" Automatically close the CD/DVD door after specified time interval", "AutoCloseAfterInterval",
     1, 0},
    {" edtDiskLimit", "DiskLimit", 20, 41},
    {" Close CD/DVD door on system shutdown", "CloseOnShutdown", 1, 0},
    {" Warn if CD/DVD drive is not empty on system shutdown", "WarnIfNotEmptyOnShutdown", 1, 0},
    {" Try to close CD/DVD door every some seconds", "TryToCloseEverySomeSeconds", 0, 1},
    {" edtAutocloseInterval", "AutocloseInterval", 15, 42},
    {" Lock this drive on starting program", "LockOnStart", 0, 1},
    {" Lock-close-ORBL-open-etc", "LockWithOpenClose", 0, 1},
    {" WarnAboutDiscWhenGoingToSleepMode", "WarnAboutDiscWhenGoingToSleepMode", 0, 1},
    {" EjectDiskWhenDriveIsNotEmpty", "EjectDiskWhenDriveIsNotEmpty", 0, 1},
    {" BeepWhenDriveIsNotEmpty", "BeepWhenDriveIsNotEmpty", 0, 1},
    {" ShowMessagesWhenLockingUnlocking", "ShowMessagesWhenLockingUnlocking", 0, 1},
    {" BeepWhenLockingUnlocking", "BeepWhenLockingUnlocking", 0, 1},
    {" LockWhenGoingToSleepMode", "LockWhenGoingToSleepMode", 0, 1},
    {" UnlockLockWhenExitingFromSleepMode", "UnlockLockWhenExitingFromSleepMode", 0, 1},
    {" ShowDialogToCloseDriveImmediately", "ShowDialogToCloseDriveImmediately", 0, 1},
    {" HotKeyClose-Win", "HotKeyClose.Win", 0, 1},
    {" HotKeyClose-Ctrl", "HotKeyClose.Ctrl", 0, 1},
    {" HotKeyClose-Alt", "HotKeyClose.Alt", 0, 1},
    {" HotKeyClose-Shift", "HotKeyClose.Shift", 0, 1},
    {" HotKeyClose-Key", "HotKeyClose.Key", 0, 43},
    {" HotKeyLock-Win", "HotKeyLock.Win", 0, 1},
    {" HotKeyLock-Ctrl", "HotKeyLock.Ctrl", 0, 1},
    {" HotKeyLock-Alt", "HotKeyLock.Alt", 0, 1},
    {" HotKeyLock-Shift", "HotKeyLock.Shift", 0, 1},
    {" HotKeyLock-Key", "HotKeyLock.Key", 0, 44},
};

// Everything one save writes for the given optical drives, in order; a
// computer without them stores the program-wide values alone.
inline std::vector<std::string> LayoutNames(const std::string& letters = "DF") {
  std::vector<std::string> names(kProgramWideNames.begin(), kProgramWideNames.end());
  for (char letter : letters) {
    for (const PerDriveName& row : kPerDriveNames)
      names.push_back(letter + std::string(row.suffix));
  }
  return names;
}

}  // namespace orbl::test
