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

void TDriveControl::CloseWithFollowUps(TDriveRecord& drive) {
  CloseDoor(drive.Letter);
  platform_.sound.Sleep(kDoorPauseMs);
  drive.DoorOpen = false;
  if (drive.LockWithOpenClose) Silently(state_, [&] { LockDrive(drive); });
}

void TDriveControl::OpenWithFollowUps(TDriveRecord& drive) {
  if (drive.LockWithOpenClose) Silently(state_, [&] { UnlockDrive(drive); });
  platform_.sound.Sleep(kDoorPauseMs);
  OpenDoor(drive.Letter);
  // Only the opened drive is closed again, after its own interval; another
  // drive's door is no business of this action.
  if (drive.AutoCloseAfterInterval) ArmAutoClose(drive);
  drive.DoorOpen = true;
}

void TDriveControl::OpenDrive(char letter) {
  if (TDriveRecord* drive = Find(letter)) OpenDrive(*drive);
}

void TDriveControl::OpenDrive(TDriveRecord& drive) {
  if (!drive.DoorOpen) OpenWithFollowUps(drive);
}

void TDriveControl::CloseDrive(char letter) {
  if (TDriveRecord* drive = Find(letter)) CloseDrive(*drive);
}

void TDriveControl::CloseDrive(TDriveRecord& drive) {
  if (drive.DoorOpen) CloseWithFollowUps(drive);
}

void TDriveControl::MenuOpenDrive(const std::string& caption) {
  if (TDriveRecord* drive = FindCaption(caption)) OpenWithFollowUps(*drive);
}

void TDriveControl::MenuCloseDrive(const std::string& caption) {
  if (TDriveRecord* drive = FindCaption(caption)) CloseWithFollowUps(*drive);
}

void TDriveControl::ToggleDoor(char letter) {
  if (TDriveRecord* drive = Find(letter)) ToggleDoor(*drive);
}

void TDriveControl::ToggleDoor(TDriveRecord& drive) {
  if (drive.DoorOpen) {
    CloseDrive(drive);
  } else {
    OpenDrive(drive);
  }
}

void TDriveControl::ToggleLock(char letter) {
  if (TDriveRecord* drive = Find(letter)) ToggleLock(*drive);
}

void TDriveControl::ToggleLock(TDriveRecord& drive) {
  if (drive.Locked) {
    UnlockDrive(drive);
  } else {
    LockDrive(drive);
  }
}

// A failure on one drive never stops a walk; the table is never resized, so a
// box's message loop running another action meanwhile cannot spoil it.
void TDriveControl::OpenAllDrives() {
  for (TDriveRecord& drive : driveTable_) OpenDrive(drive);
}

void TDriveControl::CloseAllDrives() {
  for (TDriveRecord& drive : driveTable_) CloseDrive(drive);
}

void TDriveControl::LockAllDrives() {
  for (TDriveRecord& drive : driveTable_) LockDrive(drive);
}

void TDriveControl::UnlockAllDrives() {
  for (TDriveRecord& drive : driveTable_) UnlockDrive(drive);
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
      for (TDriveRecord& drive : driveTable_) {
        if (AsciiUpper(drive.Letter) != AsciiUpper(letter)) continue;
        if (static_cast<TDriveAction>(action) == TDriveAction::OpenCloseDrive) {
          ToggleDoor(drive);
        } else {
          ToggleLock(drive);
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
  for (TDriveRecord& drive : driveTable_) {
    if (drive.LockOnStart) LockDrive(drive);
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
  std::vector<TDriveRecord*> due;
  for (TDriveRecord& drive : driveTable_) {
    const auto it = autoCloseDue_.find(UpperLetter(drive.Letter));
    if (it == autoCloseDue_.end() || it->second > now) continue;
    autoCloseDue_.erase(it);
    due.push_back(&drive);
  }
  for (TDriveRecord* drive : due) {
    // Sent even when the door is believed closed: the user may have opened
    // it by hand.
    if (drive->AutoCloseAfterInterval) CloseWithFollowUps(*drive);
  }
  RunAutoCloseTimerToNextDue();
}

std::optional<std::uint64_t> TDriveControl::AutoCloseDueIn(const TDriveRecord& drive) const {
  const auto it = autoCloseDue_.find(UpperLetter(drive.Letter));
  if (!drive.AutoCloseAfterInterval || it == autoCloseDue_.end()) return std::nullopt;
  const std::uint64_t now = platform_.clock.UptimeMs();
  return it->second > now ? it->second - now : 0;
}

// Retries the close of every drive that asks for it; DoorOpen stays as it is.
void TDriveControl::PeriodicCloseTimerTick() {
  for (const TDriveRecord& drive : driveTable_) {
    if (drive.TryToCloseEverySomeSeconds) CloseDoor(drive.Letter);
  }
}

}  // namespace orbl
