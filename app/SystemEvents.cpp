// What the system tells the options window: its minimise and close commands,
// a medium removal, the shutdown query, power broadcasts and hot keys; and the
// disc warning, also run from a double-click on the window.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "app/DeviceBroadcast.h"
#include "app/FrmMain.h"
#include "drives/DriveTools.h"
#include "platform/AsciiCase.h"
#include "ui/VirtualKeys.h"

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr std::uint32_t kShutdownPauseMs = 200;
// A disc ejected at shutdown stays out this long before its door closes
// again, so that the user can take it.
constexpr std::uint32_t kShutdownEjectMs = 10000;
constexpr std::uint32_t kDoubleClickPauseMs = 200;
constexpr const char* kWarningCaption = "Orbelle";
// What Windows' shutdown screen lists for the program while its shutdown work
// outlasts the few seconds Windows waits for an answer.
constexpr const char* kShutdownBlockReason = "Closing CD/DVD drive doors";
// The disc warnings of a shutdown and of a sleep go by themselves after
// this long: nobody may be there to answer, and the computer must still
// switch off.
constexpr std::uint32_t kUnattendedWarningMs = 30000;

}  // namespace

bool TFrmMain::HandleSystemMessage(const Message& message) {
  switch (message.code) {
    case msg::kSysCommand: {
      // The low four bits of the command word are the system's own.
      const std::uint64_t command = message.wParam & 0xFFF0;
      if (command != msg::kScMinimize && command != msg::kScClose) return false;
      // The options window is never minimised to the taskbar nor closed:
      // the program lives in the tray. Either is a Cancel.
      CancelOptions();
      return true;
    }
    case kShowOptionsLater:
      if (!TrayBlocked()) ShowOptions();
      return true;
    case msg::kDeviceChange:
      OnDeviceRemoval(message);
      break;
    case msg::kQueryEndSession:
      OnQueryEndSession();
      break;
    case msg::kPowerBroadcast:
      OnPowerBroadcast(message.wParam);
      break;
    case msg::kHotKey:
      OnHotKey(message.wParam);
      break;
    default:
      break;
  }
  // The window's own handling answers the sender; for the shutdown query and
  // the power broadcasts that is consent: the program never refuses either.
  return false;
}

void TFrmMain::OnDeviceRemoval(const Message& message) {
  const auto removal = DecodeDeviceRemoval(message);
  if (!removal || DriveTable.empty()) return;
  const auto shortest = std::min_element(DriveTable.begin(), DriveTable.end(),
                                         [](const TDriveRecord& a, const TDriveRecord& b) {
                                           return a.AutocloseInterval < b.AutocloseInterval;
                                         });
  if (shortest->AutocloseInterval == std::numeric_limits<std::int32_t>::max()) return;
  // Any device may have gone (a USB stick too): the schedule starts before
  // the broadcast says which.
  DriveControl->StartAutoClose();
  if (!removal->volume) return;
  // The dialog waits for the user; the broadcast must not wait with it, or
  // the programs after us hear of the removal only when it is answered.
  if (!closeNowShowing_ && WantsCloseNowDialog(removal->letters)) {
    platform_.windows.ReplyToSender();
  }
  ShowCloseNowDialogs(removal->letters);
}

void TFrmMain::ShowCloseNowDialogs(const std::vector<char>& letters) {
  for (std::size_t i = 0; i < DriveTable.size(); ++i) {
    const TDriveRecord& drive = DriveTable[i];
    const int index = static_cast<int>(i);
    const bool named =
        std::find(letters.begin(), letters.end(), UpperLetter(drive.Letter)) != letters.end();
    if (!named || !drive.ShowDialogToCloseDriveImmediately) continue;
    if (closeNowShowing_ && State.CloseDialogDrive == index) continue;
    if (std::any_of(closeNowQueue_.begin(), closeNowQueue_.end(),
                    [&](const TQueuedDialog& queued) { return queued.index == index; })) {
      continue;
    }
    closeNowQueue_.push_back({index, DriveControl->DoorMark()});
  }
  // A removal during a showing arrives through the dialog's modal loop: one
  // dialog at a time, the call that shows the first one shows the rest.
  if (closeNowShowing_) return;
  closeNowShowing_ = true;
  while (!closeNowQueue_.empty()) {
    const TQueuedDialog queued = closeNowQueue_.front();
    closeNowQueue_.pop_front();
    const int index = queued.index;
    // A door shut while the drive waited (by the automatic close, a hot
    // key) needs no question any more.
    if (DriveControl->ClosedSince(DriveTable[static_cast<std::size_t>(index)], queued.mark)) {
      continue;
    }
    State.CloseDialogDrive = index;
    FrmCloseDrive->ShowForDrive(index);
    State.CloseDialogDrive = -1;
  }
  closeNowShowing_ = false;
}

bool TFrmMain::WantsCloseNowDialog(const std::vector<char>& letters) const {
  return std::any_of(DriveTable.begin(), DriveTable.end(), [&](const TDriveRecord& drive) {
    return drive.ShowDialogToCloseDriveImmediately &&
           std::find(letters.begin(), letters.end(), UpperLetter(drive.Letter)) != letters.end();
  });
}

// Not answered early: the answer lets Windows end the session, and the
// doors would stay as they are. The block reason keeps Windows from ending
// the program silently while the work takes longer than it waits.
void TFrmMain::OnQueryEndSession() {
  platform_.windows.BlockShutdown(Handle, kShutdownBlockReason);
  for (const TDriveRecord& drive : DriveTable) {
    if (drive.CloseOnShutdown) DriveControl->CloseDoor(drive.Letter);
  }
  platform_.sound.Sleep(kShutdownPauseMs);
  std::vector<char> letters;
  // Each test asks the drive afresh: the warning sees it after its ejection.
  for (TDriveRecord& drive : DriveTable) {
    if (drive.BeepWhenDriveIsNotEmpty && DriveControl->IsDiscPresent(drive.Letter)) {
      DriveControl->BeepWarning();
    }
    if (drive.EjectDiskWhenDriveIsNotEmpty && DriveControl->IsDiscPresent(drive.Letter)) {
      // Not the guarded OpenDrive: the close above left DoorOpen as it was,
      // and a drive the user had opened would keep its disc.
      DriveControl->OpenWithFollowUps(drive);
      if (drive.CloseOnShutdown) {
        platform_.sound.Sleep(kShutdownEjectMs);
        DriveControl->CloseDoor(drive.Letter);
      }
    }
    if (drive.WarnIfNotEmptyOnShutdown && DriveControl->IsDiscPresent(drive.Letter)) {
      letters.push_back(UpperLetter(drive.Letter));
    }
  }
  const std::string warning = DiscWarningText(letters);
  if (!warning.empty()) {
    // Windows covers the desktop with its list of the programs it waits
    // for, showing their block reasons and hiding the box: the list says
    // which drives hold a disc.
    platform_.windows.BlockShutdown(Handle, warning);
    ShowDiscWarning(warning, kUnattendedWarningMs);
  }
  platform_.windows.UnblockShutdown(Handle);
}

void TFrmMain::OnPowerBroadcast(std::uint64_t event) {
  switch (event) {
    case msg::kPbtApmQuerySuspend:
    case msg::kPbtApmSuspend:
      GoToSleep();
      break;
    case msg::kPbtApmResumeAutomatic:
    case msg::kPbtApmQuerySuspendFailed:  // another program vetoed the sleep
      Resume();
      break;
    case msg::kPbtApmResumeSuspend:
    case msg::kPbtApmResumeCritical:
      State.JustResumed = false;
      break;
    default:
      // Charger, battery, OEM and power-setting news is no sleep.
      break;
  }
}

// The state changes before any lock or box: a resume that arrives while the
// warning is up must find the program asleep.
void TFrmMain::GoToSleep() {
  if (State.Asleep) return;  // the query came first; the suspend follows it
  State.Asleep = true;
  State.JustResumed = false;
  for (TDriveRecord& drive : DriveTable) {
    if (drive.LockWhenGoingToSleepMode) DriveControl->LockDriveForSleep(drive);
  }
  WarnAboutDiscs(&TDriveRecord::WarnAboutDiscWhenGoingToSleepMode, kUnattendedWarningMs);
}

void TFrmMain::Resume() {
  if (State.Asleep) {
    State.Asleep = false;
    State.JustResumed = true;
  }
  for (TDriveRecord& drive : DriveTable) {
    if (State.UserLockedDrives.contains(AsciiLower(drive.Letter))) DriveControl->RelockDrive(drive);
  }
  for (TDriveRecord& drive : DriveTable) {
    if (drive.UnlockLockWhenExitingFromSleepMode) DriveControl->UnlockDrive(drive);
  }
}

void TFrmMain::OnHotKey(std::uint64_t id) {
  const auto target = FindHotKeyTarget(DriveTable, id);
  if (!target) return;
  TDriveRecord& drive = DriveTable[static_cast<std::size_t>(target->drive)];
  if (target->role == HotKeyRole::OpenClose) {
    DriveControl->ToggleDoor(drive);
  } else {
    DriveControl->ToggleLock(drive);
  }
}

void TFrmMain::OnOptionsDoubleClick() {
  platform_.sound.Sleep(kDoubleClickPauseMs);
  WarnAboutDiscs(&TDriveRecord::WarnIfNotEmptyOnShutdown);
}

void TFrmMain::WarnAboutDiscs(bool TDriveRecord::*option, std::uint32_t timeoutMs) {
  std::vector<char> letters;
  for (const TDriveRecord& drive : DriveTable) {
    if (drive.*option && DriveControl->IsDiscPresent(drive.Letter)) {
      letters.push_back(UpperLetter(drive.Letter));
    }
  }
  const std::string text = DiscWarningText(letters);
  if (!text.empty()) ShowDiscWarning(text, timeoutMs);
}

std::string TFrmMain::DiscWarningText(const std::vector<char>& letters) const {
  if (letters.empty()) return {};
  std::string text = Texts.MSG_DiskInDriveOnSystemShutdown + " (";
  for (std::size_t i = 0; i < letters.size(); ++i) {
    if (i > 0) text += ", ";
    text += letters[i];
  }
  return text + ")";
}

// With no owner so that it shows while every window of the program is
// hidden, and brought to the front: the program is in the background and the
// user is looking at the active window.
void TFrmMain::ShowDiscWarning(const std::string& text, std::uint32_t timeoutMs) {
  const std::uint32_t flags = mb::kOk | mb::kIconExclamation | mb::kSetForeground | mb::kTopmost;
  if (timeoutMs == 0) {
    platform_.windows.ShowMessageBox(WindowHandle{}, text, kWarningCaption, flags);
  } else {
    platform_.windows.ShowTimedMessageBox(WindowHandle{}, text, kWarningCaption, flags, timeoutMs);
  }
}

}  // namespace orbl
