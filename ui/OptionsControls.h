// The options window's controls, one row each, in the order they are made
// (which is also their tab order): where each sits, what it says before any
// language file is read, the key a language file gives its text under, the
// page it belongs to and, for the drive page's boxes, the record field it
// shows. The window, its pages, its captions and its box-to-field map are
// all made from this table.
#pragma once

#include <array>
#include <cstdint>

#include "settings/Launches.h"
#include "ui/OptionsWindow.h"

namespace orbl {

// Where a control shows: around both pages, on one of them, or never (three
// controls carry their fields through unchanged without being shown).
enum class TOptionsPage : std::uint8_t { Frame, Common, Drive, Never };

struct TOptionsControl {
  platform::ControlHandle TOptionsWindow::*Member = nullptr;
  platform::ControlKind Kind = platform::ControlKind::Label;
  platform::Rect Rect;
  TOptionsPage Page = TOptionsPage::Frame;
  const char* BuiltIn = "";
  // The language file's key for the text, if it has one. A second key is read
  // after the first, over the text it left, so it wins where both are given.
  const char* Section = nullptr;
  const char* Key = nullptr;
  const char* SecondKey = nullptr;
  // A file lacking the key puts the built-in text back instead of keeping
  // the text the previous language left.
  bool BuiltInWhenMissing = false;
  // Check boxes: the built tick, and the drive record's field the box shows.
  bool Ticked = false;
  bool TDriveRecord::*Field = nullptr;
  // Number fields: the arrows' range and the built value they step from.
  int Minimum = 0;
  int Maximum = 0;
  int Built = 0;
  bool Bold = false;
  bool DefaultButton = false;
  bool CancelButton = false;
  const char* Image = "";
};

namespace options_layout {

constexpr int kPageLeft = 8;
constexpr int kPageWidth = 536;
constexpr int kCheckLeft = 20;
constexpr int kCheckWidth = 512;
constexpr int kRowHeight = 20;

constexpr platform::Rect GroupRect(int y, int height) {
  return {kPageLeft, y, kPageWidth, height};
}

constexpr platform::Rect CheckRect(int y) {
  return {kCheckLeft, y, kCheckWidth, kRowHeight};
}

}  // namespace options_layout

// clang-format off
inline constexpr auto kOptionsControls = [] {
  using W = TOptionsWindow;
  using enum platform::ControlKind;
  using enum TOptionsPage;
  using namespace options_layout;
  using R = TDriveRecord;
  constexpr const char* kCommon = "CommonOptions";
  constexpr const char* kDevice = "DeviceOptions";
  return std::to_array<TOptionsControl>({
    {.Member = &W::DriveBar, .Kind = ButtonBar, .Rect = {0, 0, 552, 46}, .Image = "FRMMAIN_IMAGELIST2"},
    {.Member = &W::Rule, .Kind = Divider, .Rect = {0, 47, 552, 2}},

    {.Member = &W::IntegrationGroup, .Kind = Group, .Rect = GroupRect(56, 56), .Page = Common,
     .BuiltIn = "Integration Options", .Section = kCommon, .Key = "Intergr"},
    {.Member = &W::StartAutoCheck, .Kind = CheckBox, .Rect = CheckRect(80), .Page = Common,
     .BuiltIn = " Start automatically", .Section = kCommon, .Key = "StartAuto", .Ticked = true},
    {.Member = &W::LanguageGroup, .Kind = Group, .Rect = GroupRect(120, 226), .Page = Common,
     .BuiltIn = "Language Options", .Section = kCommon, .Key = "LangOpts"},
    {.Member = &W::LanguageLabel, .Rect = {kCheckLeft, 140, 300, 16}, .Page = Common,
     .BuiltIn = "Interface language", .Section = kCommon, .Key = "Lng"},
    {.Member = &W::LanguageList, .Kind = List, .Rect = {kCheckLeft, 158, 320, 104}, .Page = Common},
    {.Member = &W::InformLabel, .Rect = {kCheckLeft, 270, 300, 16}, .Page = Common,
     .BuiltIn = "Translation information:", .Section = kCommon, .Key = "Inform"},
    {.Member = &W::AuthorLabel, .Rect = {kCheckLeft, 294, 70, 16}, .Page = Common,
     .BuiltIn = "Author:", .Section = kCommon, .Key = "Author"},
    {.Member = &W::TranslatorName, .Rect = {96, 294, 436, 16}, .Page = Common},
    {.Member = &W::EmailLabel, .Rect = {kCheckLeft, 318, 70, 16}, .Page = Common,
     .BuiltIn = "E-mail:", .Section = kCommon, .Key = "EMail"},
    {.Member = &W::TranslatorAddress, .Kind = LinkLabel, .Rect = {96, 318, 436, 16}, .Page = Common},
    {.Member = &W::TrayGroup, .Kind = Group, .Rect = GroupRect(354, 84), .Page = Common,
     .BuiltIn = "Tray Icon Behavior", .Section = kCommon, .Key = "TrayIconBehavior"},
    {.Member = &W::DoubleClickLabel, .Rect = {kCheckLeft, 374, 300, 16}, .Page = Common,
     .BuiltIn = "Double-click on tray icon", .Section = kCommon, .Key = "TrayIconAct"},
    {.Member = &W::DoubleClickList, .Kind = DropDownList, .Rect = {kCheckLeft, 394, 320, 200},
     .Page = Common},
    {.Member = &W::SingleClickLabel, .Rect = {kCheckLeft, 446, 300, 16}, .Page = Never,
     .BuiltIn = "Single click on tray icon"},
    {.Member = &W::SingleClickList, .Kind = DropDownList, .Rect = {kCheckLeft, 466, 320, 200},
     .Page = Never},

    {.Member = &W::ClosingGroup, .Kind = Group, .Rect = GroupRect(56, 198), .Page = Drive,
     .BuiltIn = "Closing & locking CD/DVD device door", .Section = kDevice, .Key = "Closing",
     .SecondKey = "ClosingLockingOpts"},
    {.Member = &W::AutoCloseCheck, .Kind = CheckBox, .Rect = CheckRect(74), .Page = Drive,
     .BuiltIn = "Close this drive's door after ejecting it with disk inside after specified time "
                "interval",
     .Section = kDevice, .Key = "AutoClose", .Ticked = true, .Field = &R::AutoCloseAfterInterval},
    {.Member = &W::IntervalLabel, .Rect = {36, 102, 120, 16}, .Page = Drive,
     .BuiltIn = "Interval (seconds):", .Section = kDevice, .Key = "Interval"},
    {.Member = &W::IntervalField, .Kind = NumberField, .Rect = {160, 99, 60, 22}, .Page = Drive,
     .Minimum = 10, .Maximum = 600, .Built = 15},
    {.Member = &W::LockOnCloseCheck, .Kind = CheckBox, .Rect = CheckRect(128), .Page = Drive,
     .BuiltIn = " Lock/unlock this drive automatically when open/close it with Orbelle",
     .Section = kDevice, .Key = "LockOnClose", .Field = &R::LockWithOpenClose},
    {.Member = &W::LockOnStartCheck, .Kind = CheckBox, .Rect = CheckRect(150), .Page = Drive,
     .BuiltIn = " Lock this drive when Orbelle starts", .Section = kDevice, .Key = "LockOnStart",
     .Field = &R::LockOnStart},
    {.Member = &W::ShowMsgLockUnlockCheck, .Kind = CheckBox, .Rect = CheckRect(172), .Page = Drive,
     .BuiltIn = "Show message when lock/unlock this drive", .Section = kDevice,
     .Key = "ShowMsgLockUnlock", .Field = &R::ShowMessagesWhenLockingUnlocking},
    {.Member = &W::BeepLockUnlockCheck, .Kind = CheckBox, .Rect = CheckRect(194), .Page = Drive,
     .BuiltIn = "Beep when lock/unlock this drive", .Section = kDevice, .Key = "BeepLockUnlock",
     .Field = &R::BeepWhenLockingUnlocking},
    {.Member = &W::ShowDialogCheck, .Kind = CheckBox, .Rect = CheckRect(216), .Page = Drive,
     .BuiltIn = "Show dialog asking to close the drive immediately", .Section = kDevice,
     .Key = "ShowDialogAskingToCloseTheDrive", .Field = &R::ShowDialogToCloseDriveImmediately},
    {.Member = &W::SleepGroup, .Kind = Group, .Rect = GroupRect(260, 88), .Page = Drive,
     .BuiltIn = "Sleep Mode", .Section = kDevice, .Key = "SleepModeOpts"},
    {.Member = &W::WarnSleepCheck, .Kind = CheckBox, .Rect = CheckRect(278), .Page = Drive,
     .BuiltIn = "Warn if this drive is not empty when computer goes to sleep mode",
     .Section = kDevice, .Key = "WarnSleepDVDNotEmpty",
     .Field = &R::WarnAboutDiscWhenGoingToSleepMode},
    {.Member = &W::SleepLockCheck, .Kind = CheckBox, .Rect = CheckRect(300), .Page = Drive,
     .BuiltIn = "Lock this drive when computer goes to sleep mode", .Section = kDevice,
     .Key = "SleepModeLock", .Field = &R::LockWhenGoingToSleepMode},
    {.Member = &W::SleepUnlockCheck, .Kind = CheckBox, .Rect = CheckRect(322), .Page = Drive,
     .BuiltIn = "Unlock this drive when computer exits from sleep mode", .Section = kDevice,
     .Key = "SleepModeUnlockExit", .Field = &R::UnlockLockWhenExitingFromSleepMode},
    {.Member = &W::ShutdownGroup, .Kind = Group, .Rect = GroupRect(354, 110), .Page = Drive,
     .BuiltIn = "Shutting Down", .Section = kDevice, .Key = "ActionsOnShutdown",
     .SecondKey = "ShuttingDownOpts"},
    {.Member = &W::CloseActCheck, .Kind = CheckBox, .Rect = CheckRect(372), .Page = Drive,
     .BuiltIn = " Close CD/DVD when the system shuts down", .Section = kDevice, .Key = "CloseAct",
     .Ticked = true, .Field = &R::CloseOnShutdown},
    {.Member = &W::WarnNotEmptyCheck, .Kind = CheckBox, .Rect = CheckRect(394), .Page = Drive,
     .BuiltIn = " Warn if this drive is not empty when the system shuts down", .Section = kDevice,
     .Key = "WarnNotEmpty", .Ticked = true, .Field = &R::WarnIfNotEmptyOnShutdown},
    {.Member = &W::EjectShutdownCheck, .Kind = CheckBox, .Rect = CheckRect(416), .Page = Drive,
     .BuiltIn = "Eject disk if this drive is not empty when the system shuts down",
     .Section = kDevice, .Key = "EjectShuttingDown", .Field = &R::EjectDiskWhenDriveIsNotEmpty},
    {.Member = &W::BeepShutdownCheck, .Kind = CheckBox, .Rect = CheckRect(438), .Page = Drive,
     .BuiltIn = "Beep if this drive is not empty when the system shuts down", .Section = kDevice,
     .Key = "BeepShuttingDown", .Field = &R::BeepWhenDriveIsNotEmpty},
    {.Member = &W::HotKeyGroup, .Kind = Group, .Rect = GroupRect(470, 80), .Page = Drive,
     .BuiltIn = "Hot Keys", .Section = kDevice, .Key = "HotKeyOpts"},
    {.Member = &W::HotKeyOpenCloseLabel, .Rect = {kCheckLeft, 492, 230, 16}, .Page = Drive,
     .BuiltIn = "Hot key to open/close this drive", .Section = kDevice, .Key = "HotKeyOpenClose"},
    // Two lines high: a hot key with every modifier and a long key name
    // wraps in some languages.
    {.Member = &W::HotKeyCloseText, .Rect = {256, 492, 180, 26}, .Page = Drive, .Bold = true},
    {.Member = &W::ChangeCloseButton, .Kind = Button, .Rect = {444, 488, 90, 24}, .Page = Drive,
     .BuiltIn = "Change...", .Section = kDevice, .Key = "ChangeHotKeyButtonCaption"},
    {.Member = &W::HotKeyLockUnlockLabel, .Rect = {kCheckLeft, 520, 230, 16}, .Page = Drive,
     .BuiltIn = "Hot key to lock/unlock this drive", .Section = kDevice, .Key = "HotKeyLockUnlock"},
    {.Member = &W::HotKeyLockText, .Rect = {256, 520, 180, 26}, .Page = Drive, .Bold = true},
    {.Member = &W::ChangeLockButton, .Kind = Button, .Rect = {444, 516, 90, 24}, .Page = Drive,
     .BuiltIn = "Change...", .Section = kDevice, .Key = "ChangeHotKeyButtonCaption"},
    {.Member = &W::EjectingGroup, .Kind = Group, .Rect = GroupRect(56, 90), .Page = Never,
     .BuiltIn = "Ejecting CD/DVD device's door with a disk inside", .Section = kDevice,
     .Key = "Ejectiong"},
    {.Member = &W::SpyCheck, .Kind = CheckBox, .Rect = CheckRect(74), .Page = Never,
     .BuiltIn = " Watch ejecting CD/DVD door with a disk", .Section = kDevice, .Key = "SpyChk",
     .Ticked = true, .Field = &R::SpyForEjecting},
    {.Member = &W::TryEveryCheck, .Kind = CheckBox, .Rect = CheckRect(96), .Page = Never,
     .BuiltIn = " Try to close CD/DVD door every some seconds", .Section = kDevice,
     .Key = "TryEvery", .Field = &R::TryToCloseEverySomeSeconds},
    {.Member = &W::DiskLimitLabel, .Rect = {36, 122, 60, 16}, .Page = Never, .BuiltIn = "Interval:",
     .Section = kDevice, .Key = "Interval"},
    {.Member = &W::DiskLimitField, .Kind = NumberField, .Rect = {100, 119, 60, 22}, .Page = Never,
     .Minimum = 10, .Maximum = 300, .Built = 20},
    {.Member = &W::SecondsLabel, .Rect = {166, 122, 60, 16}, .Page = Never, .BuiltIn = "seconds",
     .Section = kDevice, .Key = "Seconds"},

    {.Member = &W::SiteLink, .Kind = LinkLabel, .Rect = {kPageLeft, 566, 260, 16},
     .BuiltIn = kMakerSite.data()},
    {.Member = &W::OkButton, .Kind = Button, .Rect = {292, 562, 80, 25}, .BuiltIn = "OK",
     .Section = "Buttons", .Key = "OK", .BuiltInWhenMissing = true, .DefaultButton = true},
    {.Member = &W::CancelButton, .Kind = Button, .Rect = {378, 562, 80, 25}, .BuiltIn = "Cancel",
     .Section = "Buttons", .Key = "Cancel", .BuiltInWhenMissing = true, .CancelButton = true},
    {.Member = &W::HelpButton, .Kind = Button, .Rect = {464, 562, 80, 25}, .BuiltIn = "Help",
     .Section = "Buttons", .Key = "Help", .BuiltInWhenMissing = true},
  });
}();
// clang-format on

}  // namespace orbl
