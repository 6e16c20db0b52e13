// The primitives under every drive action: the door through the drive's CD
// audio device, the removal lock with its boxes and beeps, and the disc test.
#include <algorithm>
#include <utility>

#include "drives/DriveControl.h"
#include "drives/DriveTools.h"
#include "drives/ProgramState.h"
#include "platform/AsciiCase.h"

namespace orbl {

using namespace orbl::platform;

namespace {

// Closes the CD audio device however the command between open and close ends.
class OpenDoorDevice {
 public:
  OpenDoorDevice(DoorDevice& door, DoorDevice::DeviceId id) : door_(door), id_(id) {}
  ~OpenDoorDevice() { door_.Close(id_); }
  OpenDoorDevice(const OpenDoorDevice&) = delete;
  OpenDoorDevice& operator=(const OpenDoorDevice&) = delete;

 private:
  DoorDevice& door_;
  DoorDevice::DeviceId id_;
};

// Likewise for the volume device of a lock request.
class OpenVolumeDevice {
 public:
  OpenVolumeDevice(RemovalLock& lock, char letter)
      : lock_(lock), handle_(lock.OpenDevice(letter)) {}
  ~OpenVolumeDevice() { lock_.CloseDevice(handle_); }
  OpenVolumeDevice(const OpenVolumeDevice&) = delete;
  OpenVolumeDevice& operator=(const OpenVolumeDevice&) = delete;
  RemovalLock::Handle Get() const { return handle_; }

 private:
  RemovalLock& lock_;
  RemovalLock::Handle handle_;
};

}  // namespace

std::uint32_t IntervalMs(std::int32_t seconds) {
  if (seconds <= 0) return 1000;
  const std::int64_t ms = static_cast<std::int64_t>(seconds) * 1000;
  return static_cast<std::uint32_t>(std::min<std::int64_t>(ms, kMaxTimerMs));
}

TDriveControl::TDriveControl(Platform& platform, TProgramState& state, TDriveTable& driveTable,
                             const TInterfaceTexts& texts, platform::TWindowTimer& autoCloseTimer,
                             std::function<void()> showOptions)
    : platform_(platform),
      state_(state),
      driveTable_(driveTable),
      texts_(texts),
      autoCloseTimer_(autoCloseTimer),
      showOptions_(std::move(showOptions)) {}

// --- the door ----------------------------------------------------------------

void TDriveControl::OpenDoor(char letter) {
  SendDoor(letter, true);
}

void TDriveControl::CloseDoor(char letter) {
  SendDoor(letter, false);
}

// The letter goes to the device in the case the caller passed it.
void TDriveControl::SendDoor(char letter, bool open) {
  const auto device = platform_.door.Open(letter);
  if (!device) return;
  OpenDoorDevice opened(platform_.door, *device);
  if (platform_.door.SetDoor(*device, open)) {
    lastDoorCommand_[UpperLetter(letter)] = TDoorCommand{++doorCommands_, open};
  }
}

bool TDriveControl::ClosedSince(const TDriveRecord& drive, std::uint64_t mark) const {
  const auto it = lastDoorCommand_.find(UpperLetter(drive.Letter));
  return it != lastDoorCommand_.end() && it->second.serial > mark && !it->second.open;
}

void TDriveControl::ProbeDoorDevice(char letter) {
  if (const auto device = platform_.door.Open(letter)) platform_.door.Close(*device);
}

// --- the lock ------------------------------------------------------------------

TDriveRecord* TDriveControl::Find(char letter) {
  const int index = FindDriveIndex(driveTable_, letter);
  return index < 0 ? nullptr : &driveTable_[static_cast<std::size_t>(index)];
}

TDriveRecord* TDriveControl::FindCaption(const std::string& caption) {
  return caption.empty() ? nullptr : Find(caption.front());
}

void TDriveControl::LockDrive(char letter) {
  if (TDriveRecord* drive = Find(letter)) LockDrive(*drive);
}

void TDriveControl::LockDrive(TDriveRecord& drive) {
  if (!drive.Locked) SendLock(drive, kGuardedLockPauseMs);
}

void TDriveControl::UnlockDrive(char letter) {
  if (TDriveRecord* drive = Find(letter)) UnlockDrive(*drive);
}

void TDriveControl::UnlockDrive(TDriveRecord& drive) {
  if (drive.Locked) SendUnlock(drive);
}

void TDriveControl::LockDriveForSleep(TDriveRecord& drive) {
  if (!drive.Locked) SendLock(drive, kGuardedLockPauseMs, LockFor::Sleep);
}

void TDriveControl::RelockDrive(TDriveRecord& drive) {
  SendLock(drive, kGuardedLockPauseMs, LockFor::Resume);
}

void TDriveControl::MenuLockDrive(const std::string& caption) {
  if (TDriveRecord* drive = FindCaption(caption)) SendLock(*drive, kMenuLockPauseMs);
}

void TDriveControl::MenuUnlockDrive(const std::string& caption) {
  if (TDriveRecord* drive = FindCaption(caption)) SendUnlock(*drive);
}

int TDriveControl::HeldLocks(char letter) const {
  const auto it = heldLocks_.find(UpperLetter(letter));
  return it == heldLocks_.end() ? 0 : it->second;
}

void TDriveControl::SendLock(TDriveRecord& drive, std::uint32_t pauseMs, LockFor purpose) {
  const bool boxes = purpose != LockFor::Resume && state_.ShowLockMessages &&
                     drive.ShowMessagesWhenLockingUnlocking;
  bool ok = false;
  {
    OpenVolumeDevice device(platform_.removalLock, drive.Letter);
    platform_.sound.Sleep(pauseMs);
    ok = platform_.removalLock.SendMediaRemoval(device.Get(), kPreventRemoval);
  }
  // A failed lock counts as locked too, so that the next toggle unlocks. The
  // flag changes before any box: a box runs a message loop, and a hot key
  // pressed meanwhile must see the new state.
  drive.Locked = true;
  if (!ok) {
    refusals_ += drive.Letter;
    if (boxes) ShowLockBox(texts_.MSG_CantLock, mb::kIconHand);
    return;
  }
  ++heldLocks_[drive.Letter];
  StoreHeldLocks();
  if (purpose == LockFor::User && state_.TrackUserLocks) {
    state_.UserLockedDrives.insert(AsciiLower(drive.Letter));
  }
  if (drive.BeepWhenLockingUnlocking) BeepLocked();
  if (boxes) ShowLockBox(texts_.Msg_Locked, mb::kIconInformation);
}

void TDriveControl::SendUnlock(TDriveRecord& drive) {
  // The system keeps one count of prevent requests per device, shared by
  // every program: one allow per lock we made takes ours away and leaves
  // another program's lock in force.
  const int owed = HeldLocks(drive.Letter);
  const int allows = std::max(1, owed);
  int allowed = 0;
  {
    OpenVolumeDevice device(platform_.removalLock, drive.Letter);
    platform_.sound.Sleep(kUnlockPauseMs);
    while (allowed < allows &&
           platform_.removalLock.SendMediaRemoval(device.Get(), kAllowRemoval)) {
      ++allowed;
    }
  }
  // Only the allows that went through pay back a lock: the rest stay owed
  // for the next unlock.
  if (owed > 0) {
    const int left = std::max(0, owed - allowed);
    if (left > 0) {
      heldLocks_[drive.Letter] = left;
    } else {
      heldLocks_.erase(drive.Letter);
    }
    StoreHeldLocks();
  }
  drive.Locked = false;
  if (allowed < allows) {
    refusals_ += drive.Letter;
    if (state_.ShowLockMessages && drive.ShowMessagesWhenLockingUnlocking) {
      ShowLockBox(texts_.MSG_CantUnLock, mb::kIconExclamation);
    }
    return;
  }
  if (state_.TrackUserLocks) state_.UserLockedDrives.erase(AsciiLower(drive.Letter));
  if (drive.BeepWhenLockingUnlocking) BeepUnlocked();
  if (state_.ShowLockMessages && drive.ShowMessagesWhenLockingUnlocking) {
    ShowLockBox(texts_.Msg_Unlocked, mb::kIconInformation);
  }
}

void TDriveControl::TakeOverHeldLocks() {
  if (!platform_.removalLock.CountsRequests()) return;
  heldLocks_ = LoadHeldLocks(platform_.settings, CurrentBoot(platform_.clock), TableLetters());
  StoreHeldLocks();
}

std::string TDriveControl::TakeRefusals() {
  return std::exchange(refusals_, std::string());
}

// A lock that is a switch owes one allow whatever was sent: nothing to keep.
void TDriveControl::StoreHeldLocks() {
  if (!platform_.removalLock.CountsRequests()) return;
  SaveHeldLocks(platform_.settings, CurrentBoot(platform_.clock), TableLetters(), heldLocks_);
}

std::string TDriveControl::TableLetters() const {
  std::string letters;
  for (const TDriveRecord& drive : driveTable_) letters.push_back(drive.Letter);
  return letters;
}

// No owner: the box must show even while every window of ours is hidden; to
// the front, since a hot key or the sleep leaves the program in the background.
void TDriveControl::ShowLockBox(const std::string& text, std::uint32_t icon) {
  platform_.windows.ShowMessageBox(WindowHandle{}, text, text,
                                   mb::kOk | icon | mb::kSetForeground | mb::kTopmost);
}

bool TDriveControl::IsDiscPresent(char letter) {
  return platform_.volumes.IsReadable(letter);
}

void TDriveControl::Beeps(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> tones) {
  for (const auto& [frequency, duration] : tones) platform_.sound.Beep(frequency, duration);
}

void TDriveControl::BeepLocked() {
  Beeps({{500, 70}, {1000, 70}, {1500, 70}, {1000, 70}, {500, 70}});
}

void TDriveControl::BeepUnlocked() {
  Beeps({{1500, 70}, {1000, 70}, {500, 70}, {1000, 70}, {1500, 70}});
}

void TDriveControl::BeepWarning() {
  Beeps({{750, 450}});
}

}  // namespace orbl
