// frmCloseDrive: after the door of a drive was ejected with a disc inside, it
// offers to close the door at once, with a Close button counting down the
// seconds until the automatic close and a Cancel button. One window, built
// hidden when the main window is built and reused for every showing.
#pragma once

#include <cstdint>
#include <string>

#include "drives/DriveControl.h"
#include "drives/ProgramState.h"
#include "language/IniFile.h"
#include "language/InterfaceTexts.h"
#include "platform/WindowSystem.h"
#include "platform/WindowTimer.h"
#include "settings/Orbl2Records.h"

namespace orbl {

class TFrmCloseDrive {
  // First of all members: the window is built before the timers it owns.
  platform::WindowSystem& windows_;

 public:
  TFrmCloseDrive(platform::WindowSystem& windows, TProgramState& state, TDriveTable& driveTable,
                 const TInterfaceTexts& texts, TDriveControl& driveControl);
  ~TFrmCloseDrive() = default;
  TFrmCloseDrive(const TFrmCloseDrive&) = delete;
  TFrmCloseDrive& operator=(const TFrmCloseDrive&) = delete;

  // Shows the dialog for the drive at this table position and returns once it
  // has been dismissed. One drive per showing: the removal handler keeps the
  // drives whose removal came while the dialog was up, and shows them after.
  void ShowForDrive(int index);
  bool Visible() const { return windows_.IsWindowVisible(Handle); }

  // The language step: the countdown word (built in "OK" when the file lacks
  // it, not the word of the language before), the cancel button, the question
  // and the title, each of these kept as it is when the file lacks its key.
  void ApplyLanguage(const TIniFile& file);

  // The word before the count on the Close button; the language step sets it.
  std::string CloseWord = "OK";
  // The count the Close button shows; never below 0.
  std::int32_t SecondsLeft = 0;
  // How the last showing ended: true only when the user pressed Close.
  bool CloseChosen = false;

  const platform::WindowHandle Handle;
  // The controls whose texts the language step replaces.
  const platform::ControlHandle Picture;
  const platform::ControlHandle MessageLabel;
  const platform::ControlHandle DriveLabel;
  const platform::ControlHandle Divider;
  const platform::ControlHandle CloseButton;
  const platform::ControlHandle CancelButton;

 private:
  platform::WindowHandle BuildWindow();
  platform::ControlHandle AddControl(const platform::ControlParams& params,
                                     platform::ControlEvents events = {});
  void ShowCount();
  void Tick();
  void Dismiss(bool closeChosen);

  TProgramState& state_;
  TDriveTable& driveTable_;
  const TInterfaceTexts& texts_;
  TDriveControl& driveControl_;
  platform::TWindowTimer tickTimer_;
  platform::TWindowTimer timeOutTimer_;
};

}  // namespace orbl
