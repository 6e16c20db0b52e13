#include "ui/FrmCloseDrive.h"

#include <utility>

#include "platform/AsciiCase.h"
#include "ui/ControlParams.h"

namespace orbl {

using namespace orbl::platform;
using namespace orbl::ui;

namespace {

constexpr std::uint32_t kTickMs = 1000;

}  // namespace

TFrmCloseDrive::TFrmCloseDrive(WindowSystem& windows, TProgramState& state, TDriveTable& driveTable,
                               const TInterfaceTexts& texts, TDriveControl& driveControl)
    : windows_(windows),
      Handle(BuildWindow()),
      Picture(AddControl(
          WithImage(Params(ControlKind::Picture, {8, 8, 32, 32}), "FRMCLOSEDRIVE_IMAGELIST1"))),
      MessageLabel(AddControl(Params(ControlKind::Label, {52, 8, 236, 30},
                                     "Close the door of the drive immediately?"))),
      DriveLabel(AddControl(Bold(Params(ControlKind::Label, {52, 42, 236, 16}, "Drive K:")))),
      Divider(AddControl(Params(ControlKind::Divider, {8, 68, 280, 2}))),
      CloseButton(AddControl(Params(ControlKind::Button, {60, 80, 100, 25}, "Close (15)"),
                             OnClick([this] { Dismiss(true); }))),
      // Not Close: Enter typed on into this window, meant for the one the
      // dialog came up over, must not shut a door.
      CancelButton(
          AddControl(AsCancel(AsDefault(Params(ControlKind::Button, {168, 80, 100, 25}, "Cancel"))),
                     OnClick([this] { Dismiss(false); }))),
      state_(state),
      driveTable_(driveTable),
      texts_(texts),
      driveControl_(driveControl),
      tickTimer_(windows, Handle, kTickMs, [this] { Tick(); }),
      timeOutTimer_(windows, Handle, kTickMs, [this] { Dismiss(false); }) {
  // The user leaves through the two buttons or the countdown, never through
  // a close command of the window.
  windows_.RemoveSystemMenuItems(Handle);
}

WindowHandle TFrmCloseDrive::BuildWindow() {
  WindowParams params;
  params.title = "Close Drive";
  params.clientWidth = 296;
  params.clientHeight = 113;
  params.centered = true;
  params.topmost = true;
  WindowEvents events;
  events.onVisibleChanged = [this](bool visible) {
    if (visible) ShowCount();
  };
  // A close request from elsewhere (WM_CLOSE sent by another program) is
  // ignored: the countdown or a button ends the showing.
  events.onCloseRequest = [] {};
  return windows_.CreateTopWindow(params, std::move(events));
}

ControlHandle TFrmCloseDrive::AddControl(const ControlParams& params, ControlEvents events) {
  return windows_.CreateControl(Handle, params, std::move(events));
}

void TFrmCloseDrive::ApplyLanguage(const TIniFile& file) {
  constexpr const char* kSection = "CloseImmediatelyWindow";
  CloseWord = file.ReadText(kSection, "Close_Message", "OK");
  const auto setText = [&](ControlHandle control, const char* key) {
    windows_.SetControlText(control, file.ReadText(kSection, key, windows_.ControlText(control)));
  };
  setText(CancelButton, "CancelCloseImmediately");
  setText(MessageLabel, "CloseImmediately");
  windows_.SetWindowTitle(Handle, file.ReadText(kSection, "Caption", windows_.WindowTitle(Handle)));
}

void TFrmCloseDrive::ShowForDrive(int index) {
  if (!Handle || index < 0 || index >= static_cast<int>(driveTable_.size())) return;
  const TDriveRecord& drive = driveTable_[static_cast<std::size_t>(index)];
  state_.CloseDialogDrive = index;
  // The count shows what the time-out timer will wait, which is never less
  // than a second and never more than a timer takes.
  const std::uint32_t timeOutMs = IntervalMs(drive.AutocloseInterval);
  SecondsLeft = static_cast<std::int32_t>(timeOutMs / 1000);
  timeOutTimer_.SetInterval(timeOutMs);
  tickTimer_.SetInterval(kTickMs);
  windows_.SetControlText(DriveLabel,
                          texts_.Msg_Drive + " " + std::string(1, AsciiUpper(drive.Letter)) + ":");
  timeOutTimer_.SetEnabled(true);
  tickTimer_.SetEnabled(true);
  windows_.ShowModal(Handle);
}

void TFrmCloseDrive::ShowCount() {
  windows_.SetControlText(CloseButton, CloseWord + " (" + std::to_string(SecondsLeft) + ")");
}

// The first tick shows the starting number a second time.
void TFrmCloseDrive::Tick() {
  ShowCount();
  if (SecondsLeft > 0) --SecondsLeft;
}

void TFrmCloseDrive::Dismiss(bool closeChosen) {
  // A click or tick already on its way when the showing ended.
  if (!Visible()) return;
  CloseChosen = closeChosen;
  tickTimer_.SetEnabled(false);
  timeOutTimer_.SetEnabled(false);
  windows_.ShowWindow(Handle, false);
  const int index = state_.CloseDialogDrive;
  if (CloseChosen && index >= 0 && index < static_cast<int>(driveTable_.size())) {
    driveControl_.CloseWithFollowUps(driveTable_[static_cast<std::size_t>(index)]);
  }
  state_.CloseDialogDrive = -1;
}

}  // namespace orbl
