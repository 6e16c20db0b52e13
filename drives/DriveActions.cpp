// The actions a user, an event or a timer asks for, built from the door and
// lock primitives. Every toggle decides by the remembered DoorOpen and Locked
// alone: the program never asks a drive what state it is in.
#include <algorithm>

#include "drives/DriveControl.h"
#include "drives/DriveTools.h"
#include "drives/ProgramState.h"
#include "platform/AsciiCase.h"
#include "platform/WindowTimer.h"

namespace orbl {

namespace {

// Clears ShowLockMessages around the inner lock or unlock of a composite
// action: its beep follows the drive's option, its box never shows. The flag
// gets back the value it had, however the step ends.
class TSilentLocks {
 public:
  explicit TSilentLocks(TProgramState& state) : state_(state), was_(state.ShowLockMessages) {
    state_.ShowLockMessages = false;
  }
  ~TSilentLocks() { state_.ShowLockMessages = was_; }
  TSilentLocks(const TSilentLocks&) = delete;
  TSilentLocks& operator=(const TSilentLocks&) = delete;

 private:
  TProgramState& state_;
  bool was_;
};

template <typename Step>
void Silently(TProgramState& state, Step&& step) {
  const TSilentLocks silent(state);
  step();
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
  if (drive.AutoCloseAfterInterval) ArmAutoClose(drive);
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
  for (const TDriveRecord& drive : driveTable_) SetAutoCloseDue(drive);
  RunAutoCloseTimerToNextDue();
}

void TDriveControl::ArmAutoClose(const TDriveRecord& drive) {
  SetAutoCloseDue(drive);
  RunAutoCloseTimerToNextDue();
}

// A second eject 13 s after the first must get its full interval, not the
// 2 s the first one had left.
void TDriveControl::SetAutoCloseDue(const TDriveRecord& drive) {
  autoCloseDue_[UpperLetter(drive.Letter)] =
      platform_.clock.UptimeMs() + IntervalMs(drive.AutocloseInterval);
}

void TDriveControl::RunAutoCloseTimerToNextDue() {
  autoCloseTimer_.SetEnabled(false);
  if (autoCloseDue_.empty()) return;
  std::uint64_t next = UINT64_MAX;
  for (const auto& [letter, due] : autoCloseDue_) next = std::min(next, due);
  const std::uint64_t now = platform_.clock.UptimeMs();
  // A timer may fire a little early by the uptime's measure; the tick then
  // finds nothing due and waits the rest.
  const std::uint64_t wait = next > now ? next - now : 1;
  autoCloseTimer_.SetInterval(
      static_cast<std::uint32_t>(std::min<std::uint64_t>(wait, kMaxTimerMs)));
  autoCloseTimer_.SetEnabled(true);
}

void TDriveControl::AutoCloseTimerTick() {
  // Every drive due by now, in table order; drives due at the same moment
  // close one right after the other. The due times go before the first
  // close, whose pauses let the clock run on.
  const std::uint64_t now = platform_.clock.UptimeMs();
  std::vector<int> due;
  for (std::size_t i = 0; i < driveTable_.size(); ++i) {
    const auto it = autoCloseDue_.find(UpperLetter(driveTable_[i].Letter));
    if (it == autoCloseDue_.end() || it->second > now) continue;
    autoCloseDue_.erase(it);
    due.push_back(static_cast<int>(i));
  }
  for (int index : due) {
    const TDriveRecord& drive = driveTable_[static_cast<std::size_t>(index)];
    // Sent even when the door is believed closed: the user may have opened
    // it by hand.
    if (drive.AutoCloseAfterInterval) CloseWithFollowUps(index, drive.Letter);
  }
  RunAutoCloseTimerToNextDue();
}

// Retries the close of every drive that asks for it; DoorOpen stays as it is.
void TDriveControl::PeriodicCloseTimerTick() {
  for (const TDriveRecord& drive : driveTable_) {
    if (drive.TryToCloseEverySomeSeconds) CloseDoor(drive.Letter);
  }
}

}  // namespace orbl
