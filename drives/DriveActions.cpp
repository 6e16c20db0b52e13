// The actions a user, an event or a timer asks for, built from the door and
// lock primitives. Every toggle decides by the remembered DoorOpen and Locked
// alone: the program never asks a drive what state it is in.
#include <algorithm>

#include "app/ProgramState.h"
#include "app/WindowTimer.h"
#include "drives/DriveControl.h"
#include "drives/DriveTools.h"
#include "platform/AsciiCase.h"

namespace orbl {

namespace {

// Clears ShowLockMessages around the inner lock or unlock of a composite
// action: its beep follows the drive's option, its box never shows.
template <typename Step>
void Silently(TProgramState& state, Step&& step) {
  state.ShowLockMessages = false;
  step();
  state.ShowLockMessages = true;
}

}  // namespace

void TDriveControl::CloseWithFollowUps(int index, char letter) {
  if (index < 0 || index >= static_cast<int>(driveTable_.size())) return;
  CloseDoor(letter);
  platform_.sound.Sleep(kDoorPauseMs);
  TDriveRecord& drive = driveTable_[static_cast<std::size_t>(index)];
  drive.DoorOpen = false;
  if (drive.LockWithOpenClose) Silently(state_, [&] { LockDrive(drive.Letter); });
}

void TDriveControl::OpenWithFollowUps(int index, char letter) {
  if (index < 0 || index >= static_cast<int>(driveTable_.size())) return;
  TDriveRecord& drive = driveTable_[static_cast<std::size_t>(index)];
  if (drive.LockWithOpenClose) Silently(state_, [&] { UnlockDrive(drive.Letter); });
  platform_.sound.Sleep(kDoorPauseMs);
  OpenDoor(letter);
  // Only the opened drive is closed again, after its own interval; another
  // drive's door is no business of this action.
  if (drive.AutoCloseAfterInterval) ArmAutoClose({index});
  drive.DoorOpen = true;
}

void TDriveControl::OpenDrive(char letter) {
  const int index = FindDriveIndex(driveTable_, letter);
  if (index >= 0 && !driveTable_[static_cast<std::size_t>(index)].DoorOpen) {
    OpenWithFollowUps(index, letter);
  }
}

void TDriveControl::CloseDrive(char letter) {
  const int index = FindDriveIndex(driveTable_, letter);
  if (index >= 0 && driveTable_[static_cast<std::size_t>(index)].DoorOpen) {
    CloseWithFollowUps(index, letter);
  }
}

void TDriveControl::MenuOpenDrive(const std::string& caption) {
  const int index = IndexOfCaption(caption);
  if (index >= 0) OpenWithFollowUps(index, caption.front());
}

void TDriveControl::MenuCloseDrive(const std::string& caption) {
  const int index = IndexOfCaption(caption);
  if (index >= 0) CloseWithFollowUps(index, caption.front());
}

void TDriveControl::ToggleDoor(char letter) {
  const int index = FindDriveIndex(driveTable_, letter);
  if (index < 0) return;
  if (driveTable_[static_cast<std::size_t>(index)].DoorOpen) {
    CloseDrive(letter);
  } else {
    OpenDrive(letter);
  }
}

void TDriveControl::ToggleLock(char letter) {
  const int index = FindDriveIndex(driveTable_, letter);
  if (index < 0) return;
  if (driveTable_[static_cast<std::size_t>(index)].Locked) {
    UnlockDrive(letter);
  } else {
    LockDrive(letter);
  }
}

// A failure on one drive never stops a walk; the table is never resized, so a
// box's message loop running another action meanwhile cannot spoil it.
void TDriveControl::OpenAllDrives() {
  for (const TDriveRecord& drive : driveTable_) OpenDrive(drive.Letter);
}

void TDriveControl::CloseAllDrives() {
  for (const TDriveRecord& drive : driveTable_) CloseDrive(drive.Letter);
}

void TDriveControl::LockAllDrives() {
  for (const TDriveRecord& drive : driveTable_) LockDrive(drive.Letter);
}

void TDriveControl::UnlockAllDrives() {
  for (const TDriveRecord& drive : driveTable_) UnlockDrive(drive.Letter);
}

// The alternation flags only alternate; per-drive actions leave them alone.
void TDriveControl::ToggleAllDoors() {
  if (state_.AllDoorsOpened) {
    CloseAllDrives();
  } else {
    OpenAllDrives();
  }
  state_.AllDoorsOpened = !state_.AllDoorsOpened;
}

void TDriveControl::ToggleAllLocks() {
  if (state_.AllDrivesLocked) {
    UnlockAllDrives();
  } else {
    LockAllDrives();
  }
  state_.AllDrivesLocked = !state_.AllDrivesLocked;
}

void TDriveControl::RunDriveAction(char letter, std::int32_t action) {
  switch (static_cast<TDriveAction>(action)) {
    case TDriveAction::OpenCloseDrive:
    case TDriveAction::LockUnlockDrive:
      for (const TDriveRecord& drive : driveTable_) {
        if (AsciiUpper(drive.Letter) != AsciiUpper(letter)) continue;
        if (static_cast<TDriveAction>(action) == TDriveAction::OpenCloseDrive) {
          ToggleDoor(letter);
        } else {
          ToggleLock(letter);
        }
      }
      break;
    case TDriveAction::OpenCloseAllDrives:
      ToggleAllDoors();
      break;
    case TDriveAction::LockUnlockAllDrives:
      ToggleAllLocks();
      break;
    case TDriveAction::ShowOptions:
      if (showOptions_) showOptions_();
      break;
    case TDriveAction::NoAction:
    default:
      break;
  }
}

void TDriveControl::LockDrivesOnStart() {
  for (const TDriveRecord& drive : driveTable_) {
    if (drive.LockOnStart) LockDrive(drive.Letter);
  }
}

void TDriveControl::ProbeDoorDevices() {
  for (const TDriveRecord& drive : driveTable_) ProbeDoorDevice(drive.Letter);
}

// --- the timers ----------------------------------------------------------------

void TDriveControl::StartAutoClose() {
  if (driveTable_.empty()) return;
  std::vector<int> schedule(driveTable_.size());
  for (std::size_t i = 0; i < schedule.size(); ++i) schedule[i] = static_cast<int>(i);
  // Ordered by the intervals as the timer will run them, so that 0 and -5
  // (both one second) count as equal and keep their table order.
  std::stable_sort(schedule.begin(), schedule.end(), [&](int a, int b) {
    return IntervalMs(driveTable_[static_cast<std::size_t>(a)].AutocloseInterval) <
           IntervalMs(driveTable_[static_cast<std::size_t>(b)].AutocloseInterval);
  });
  ArmAutoClose(std::move(schedule));
}

// Starts the schedule from its first step, and the timer from zero even when
// its interval stays the same: a second eject 13 s after the first must get
// its full interval, not the 2 s the first one had left.
void TDriveControl::ArmAutoClose(std::vector<int> schedule) {
  schedule_ = std::move(schedule);
  state_.AutoClosePosition = 0;
  const auto first = static_cast<std::size_t>(schedule_.front());
  autoCloseTimer_.SetEnabled(false);
  autoCloseTimer_.SetInterval(IntervalMs(driveTable_[first].AutocloseInterval));
  autoCloseTimer_.SetEnabled(true);
}

void TDriveControl::AutoCloseTimerTick() {
  for (;;) {
    const int step = state_.AutoClosePosition;
    const int steps = static_cast<int>(schedule_.size());
    if (driveTable_.empty() || step < 0 || step >= steps) {
      autoCloseTimer_.SetEnabled(false);
      return;
    }
    const int index = schedule_[static_cast<std::size_t>(step)];
    const TDriveRecord& drive = driveTable_[static_cast<std::size_t>(index)];
    // Sent even when the door is believed closed: the user may have opened
    // it by hand.
    if (drive.AutoCloseAfterInterval) CloseWithFollowUps(index, drive.Letter);
    if (step >= steps - 1) {
      autoCloseTimer_.SetEnabled(false);
      return;
    }
    state_.AutoClosePosition = step + 1;
    const auto next = static_cast<std::size_t>(schedule_[static_cast<std::size_t>(step) + 1]);
    const std::uint32_t wait =
        IntervalMs(driveTable_[next].AutocloseInterval) - IntervalMs(drive.AutocloseInterval);
    // Drives with the same interval close one right after the other. Two
    // clamped huge intervals may differ by less than the shortest wait.
    if (wait == 0) continue;
    autoCloseTimer_.SetInterval(std::max<std::uint32_t>(wait, 1000));
    autoCloseTimer_.SetEnabled(true);
    return;
  }
}

// Retries the close of every drive that asks for it; DoorOpen stays as it is.
void TDriveControl::PeriodicCloseTimerTick() {
  for (const TDriveRecord& drive : driveTable_) {
    if (drive.TryToCloseEverySomeSeconds) CloseDoor(drive.Letter);
  }
}

}  // namespace orbl
