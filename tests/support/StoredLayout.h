// The stored settings layout written out by hand, as every existing user's
// store holds it. The program builds its names from one table for both the save
// and the load, so a round trip cannot notice a misspelt or reordered name;
// this list can.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace orbl::test {

struct StoredName {
  const char* name;
  const char* type;  // "REG_SZ" or "REG_DWORD"
};

// The program-wide values come first in every save.
inline constexpr std::size_t kProgramWideValueCount = 7;

// Everything one save writes when the optical drives are D and F, in order.
inline constexpr std::array<StoredName, 61> kLayoutOfDrivesDAndF = {{
    {"DriveCount", "REG_DWORD"},
    {"Currently used language", "REG_SZ"},
    {"Single - Letter", "REG_SZ"},
    {"Single - Action", "REG_SZ"},
    {"Double - Letter", "REG_SZ"},
    {"Double - Action", "REG_SZ"},
    {"Double - Item", "REG_SZ"},

    {"D Spy for ejecting CD/DVD door with disk", "REG_SZ"},
    {"D Automatically close the CD/DVD door after specified time interval", "REG_SZ"},
    {"D edtDiskLimit", "REG_SZ"},
    {"D Close CD/DVD door on system shutdown", "REG_SZ"},
    {"D Warn if CD/DVD drive is not empty on system shutdown", "REG_SZ"},
    {"D Try to close CD/DVD door every some seconds", "REG_SZ"},
    {"D edtAutocloseInterval", "REG_SZ"},
    {"D Lock this drive on starting program", "REG_SZ"},
    {"D Lock-close-ORBL-open-etc", "REG_SZ"},
    {"D WarnAboutDiscWhenGoingToSleepMode", "REG_SZ"},
    {"D EjectDiskWhenDriveIsNotEmpty", "REG_SZ"},
    {"D BeepWhenDriveIsNotEmpty", "REG_SZ"},
    {"D ShowMessagesWhenLockingUnlocking", "REG_SZ"},
    {"D BeepWhenLockingUnlocking", "REG_SZ"},
    {"D LockWhenGoingToSleepMode", "REG_SZ"},
    {"D UnlockLockWhenExitingFromSleepMode", "REG_SZ"},
    {"D ShowDialogToCloseDriveImmediately", "REG_SZ"},
    {"D HotKeyClose-Win", "REG_SZ"},
    {"D HotKeyClose-Ctrl", "REG_SZ"},
    {"D HotKeyClose-Alt", "REG_SZ"},
    {"D HotKeyClose-Shift", "REG_SZ"},
    {"D HotKeyClose-Key", "REG_SZ"},
    {"D HotKeyLock-Win", "REG_SZ"},
    {"D HotKeyLock-Ctrl", "REG_SZ"},
    {"D HotKeyLock-Alt", "REG_SZ"},
    {"D HotKeyLock-Shift", "REG_SZ"},
    {"D HotKeyLock-Key", "REG_SZ"},

    {"F Spy for ejecting CD/DVD door with disk", "REG_SZ"},
    {"F Automatically close the CD/DVD door after specified time interval", "REG_SZ"},
    {"F edtDiskLimit", "REG_SZ"},
    {"F Close CD/DVD door on system shutdown", "REG_SZ"},
    {"F Warn if CD/DVD drive is not empty on system shutdown", "REG_SZ"},
    {"F Try to close CD/DVD door every some seconds", "REG_SZ"},
    {"F edtAutocloseInterval", "REG_SZ"},
    {"F Lock this drive on starting program", "REG_SZ"},
    {"F Lock-close-ORBL-open-etc", "REG_SZ"},
    {"F WarnAboutDiscWhenGoingToSleepMode", "REG_SZ"},
    {"F EjectDiskWhenDriveIsNotEmpty", "REG_SZ"},
    {"F BeepWhenDriveIsNotEmpty", "REG_SZ"},
    {"F ShowMessagesWhenLockingUnlocking", "REG_SZ"},
    {"F BeepWhenLockingUnlocking", "REG_SZ"},
    {"F LockWhenGoingToSleepMode", "REG_SZ"},
    {"F UnlockLockWhenExitingFromSleepMode", "REG_SZ"},
    {"F ShowDialogToCloseDriveImmediately", "REG_SZ"},
    {"F HotKeyClose-Win", "REG_SZ"},
    {"F HotKeyClose-Ctrl", "REG_SZ"},
    {"F HotKeyClose-Alt", "REG_SZ"},
    {"F HotKeyClose-Shift", "REG_SZ"},
    {"F HotKeyClose-Key", "REG_SZ"},
    {"F HotKeyLock-Win", "REG_SZ"},
    {"F HotKeyLock-Ctrl", "REG_SZ"},
    {"F HotKeyLock-Alt", "REG_SZ"},
    {"F HotKeyLock-Shift", "REG_SZ"},
    {"F HotKeyLock-Key", "REG_SZ"},
}};

// The first `count` names of the list above: all of them for drives D and F,
// kProgramWideValueCount for a computer without optical drives.
inline std::vector<std::string> LayoutNames(std::size_t count = kLayoutOfDrivesDAndF.size()) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < count; ++i) names.emplace_back(kLayoutOfDrivesDAndF.at(i).name);
  return names;
}

}  // namespace orbl::test
