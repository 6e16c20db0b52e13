// The program-wide state shared by the drive operations, the system events
// and the dialogs.
#pragma once

#include <cstdint>
#include <set>

#include "platform/Types.h"

namespace orbl {

// The program-wide flags and positions, with their start values. Every part
// of the program reads and changes them; they live as long as frmMain.
struct TProgramState {
  bool ShowLockMessages = true;
  bool TrackUserLocks = true;
  std::set<char> UserLockedDrives;  // lower-case letters
  std::int32_t CloseDialogDrive = -1;
  bool AllDoorsOpened = false;
  bool AllDrivesLocked = false;
  bool Asleep = false;
  bool JustResumed = false;
  std::int32_t SelectedDrive = -1;
  // The window brought to the front around the tray menu.
  platform::WindowHandle MenuForegroundWindow;
};

}  // namespace orbl
