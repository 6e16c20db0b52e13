// Door, lock and disc operations on the drives of the drive table, and the
// actions built from them with their two timers.
//
// The operations a user or an event names by letter (or by a tray sub-item's
// caption) find the drive in the table; a letter that is not there does
// nothing and reaches no device. Callers that hold a drive's record pass the
// record itself. No operation returns an outcome: callers read DoorOpen and
// Locked.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "language/InterfaceTexts.h"
#include "platform/Platform.h"
#include "settings/HeldLocks.h"
#include "settings/Orbl2Records.h"

namespace orbl {

struct TProgramState;
namespace platform {
class TWindowTimer;
}

// Pause between a door command and the next device step of the same action:
// a drive that is still moving its tray refuses the next request.
inline constexpr std::uint32_t kDoorPauseMs = 300;
inline constexpr std::uint32_t kGuardedLockPauseMs = 100;
inline constexpr std::uint32_t kMenuLockPauseMs = 200;
inline constexpr std::uint32_t kUnlockPauseMs = 200;
// The 4-byte request buffer; its first byte is the prevent-removal boolean.
inline constexpr std::uint32_t kPreventRemoval = 0xFFFFFFFFu;
inline constexpr std::uint32_t kAllowRemoval = 0;
// The largest period a window timer accepts (USER_TIMER_MAXIMUM).
inline constexpr std::uint32_t kMaxTimerMs = 0x7FFFFFFFu;

// A stored interval in seconds as timer milliseconds: never below one second
// (0 or a negative value would make a timer fire without pause), never above
// what a timer accepts, and the multiplication cannot wrap.
std::uint32_t IntervalMs(std::int32_t seconds);

class TDriveControl {
 public:
  // `showOptions` shows the options window modally, for the tray action that
  // asks for it. Nothing is read from the arguments before the first call.
  TDriveControl(platform::Platform& platform, TProgramState& state, TDriveTable& driveTable,
                const TInterfaceTexts& texts, platform::TWindowTimer& autoCloseTimer,
                std::function<void()> showOptions);
  ~TDriveControl() = default;
  TDriveControl(const TDriveControl&) = delete;
  TDriveControl& operator=(const TDriveControl&) = delete;

  // --- the door: one CD audio device per command, failures silent ---------
  void OpenDoor(char letter);
  void CloseDoor(char letter);
  // Opens and closes the drive's CD audio device once; moves nothing.
  void ProbeDoorDevice(char letter);
  // A mark of the door commands so far. ClosedSince tells whether the latest
  // door command a drive accepted after the mark was a close: its door is
  // shut now as far as this program can know.
  std::uint64_t DoorMark() const { return doorCommands_; }
  bool ClosedSince(const TDriveRecord& drive, std::uint64_t mark) const;

  // --- the removal lock ----------------------------------------------------
  // Guarded: act only when Locked says the request would change something.
  void LockDrive(char letter);
  void LockDrive(TDriveRecord& drive);
  void UnlockDrive(char letter);
  void UnlockDrive(TDriveRecord& drive);
  // The lock of the sleep steps: guarded like LockDrive, boxes as the drive's
  // options say, but never recorded as the user's lock.
  void LockDriveForSleep(TDriveRecord& drive);
  // The lock again after a resume: sent whatever Locked says, since the
  // system may have let go of it while asleep; no box, beeps as usual.
  void RelockDrive(TDriveRecord& drive);
  // The tray sub-items ("D:"): always act.
  void MenuLockDrive(const std::string& caption);
  void MenuUnlockDrive(const std::string& caption);
  bool IsDiscPresent(char letter);
  void BeepLocked();
  void BeepUnlocked();
  void BeepWarning();
  // Prevent requests of ours on the drive that are still in force, this
  // run's and those taken over from an earlier run on the same boot.
  int HeldLocks(char letter) const;
  // Start-up, before any lock: takes over the counts an earlier run stored on
  // this boot, drops any other, and stores the result.
  void TakeOverHeldLocks();
  // The letters of the drives whose lock or unlock request failed since the
  // last call, in order; the list starts again empty.
  std::string TakeRefusals();

  // --- drive actions ---------------------------------------------------------
  void CloseWithFollowUps(TDriveRecord& drive);
  void OpenWithFollowUps(TDriveRecord& drive);
  void OpenDrive(char letter);  // only when the door is believed closed
  void OpenDrive(TDriveRecord& drive);
  void CloseDrive(char letter);  // only when the door is believed open
  void CloseDrive(TDriveRecord& drive);
  void MenuOpenDrive(const std::string& caption);
  void MenuCloseDrive(const std::string& caption);
  void ToggleDoor(char letter);
  void ToggleDoor(TDriveRecord& drive);
  void ToggleLock(char letter);
  void ToggleLock(TDriveRecord& drive);
  void OpenAllDrives();
  void CloseAllDrives();
  void LockAllDrives();
  void UnlockAllDrives();
  void ToggleAllDoors();
  void ToggleAllLocks();
  // A stored action number; numbers outside TDriveAction do nothing.
  void RunDriveAction(char letter, std::int32_t action);
  void LockDrivesOnStart();
  void ProbeDoorDevices();

  // --- the timers -------------------------------------------------------------
  // Each drive has at most one pending automatic close, due at an uptime.
  // After a removal every drive of the table is due after its interval; an
  // open action sets the opened drive's alone. One timer runs to the
  // earliest due time.
  void StartAutoClose();
  void AutoCloseTimerTick();
  void PeriodicCloseTimerTick();
  // How long until the drive's pending automatic close; nullopt for none.
  std::optional<std::uint64_t> AutoCloseDueIn(const TDriveRecord& drive) const;

 private:
  void SendDoor(char letter, bool open);
  // Whose lock a request is: the user's is recorded in UserLockedDrives
  // (while TrackUserLocks is on), the sleep steps' never, and a re-lock after
  // a resume shows no box.
  enum class LockFor { User, Sleep, Resume };
  void SendLock(TDriveRecord& drive, std::uint32_t pauseMs, LockFor purpose = LockFor::User);
  void SendUnlock(TDriveRecord& drive);
  void ShowLockBox(const std::string& text, std::uint32_t icon);
  // Sets the drive's due time to its interval from now, restarting a
  // pending one from zero; ArmAutoClose also sets the timer for it.
  void SetAutoCloseDue(const TDriveRecord& drive);
  void ArmAutoClose(const TDriveRecord& drive);
  void RunAutoCloseTimerToNextDue();
  void StoreHeldLocks();
  std::string TableLetters() const;
  void Beeps(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> tones);
  // The drive of this letter, or of a sub-item's caption; nullptr if none.
  TDriveRecord* Find(char letter);
  TDriveRecord* FindCaption(const std::string& caption);

  platform::Platform& platform_;
  TProgramState& state_;
  TDriveTable& driveTable_;
  const TInterfaceTexts& texts_;
  platform::TWindowTimer& autoCloseTimer_;
  std::function<void()> showOptions_;
  std::map<char, std::uint64_t> autoCloseDue_;  // upper-case letter -> uptime in ms
  THeldLocks heldLocks_;
  struct TDoorCommand {
    std::uint64_t serial = 0;
    bool open = false;
  };
  std::uint64_t doorCommands_ = 0;
  std::map<char, TDoorCommand> lastDoorCommand_;  // upper-case letter -> accepted
  std::string refusals_;
};

}  // namespace orbl
