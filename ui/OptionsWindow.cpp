// The options window's controls and where they sit; what the pages do with
// them is in OptionsPages.cpp.
#include "ui/OptionsWindow.h"

#include <memory>
#include <utility>

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr int kPageLeft = 8;
constexpr int kPageWidth = 536;
constexpr int kCheckLeft = 20;
constexpr int kCheckWidth = 512;
constexpr int kRowHeight = 20;

ControlParams Params(ControlKind kind, Rect rect, std::string text = {}) {
  ControlParams params;
  params.kind = kind;
  params.rect = rect;
  params.text = std::move(text);
  return params;
}

// A control of a page other than the one shown first, or one never shown.
ControlParams Hidden(ControlParams params) {
  params.visible = false;
  return params;
}

ControlParams Bold(ControlParams params) {
  params.bold = true;
  return params;
}

ControlParams Arrows(ControlParams params, int minimum, int maximum, int built) {
  params.minimum = minimum;
  params.maximum = maximum;
  params.step = 1;
  params.text = std::to_string(built);
  return params;
}

ControlParams AsDefault(ControlParams params) {
  params.defaultButton = true;
  return params;
}

ControlParams AsCancel(ControlParams params) {
  params.cancelButton = true;
  return params;
}

ControlEvents OnClick(std::function<void()> onClick) {
  ControlEvents events;
  events.onClick = std::move(onClick);
  return events;
}

ControlEvents OnSelect(std::function<void(int)> onSelect) {
  ControlEvents events;
  events.onSelect = std::move(onSelect);
  return events;
}

Rect Group(int y, int height) {
  return {kPageLeft, y, kPageWidth, height};
}

}  // namespace

TOptionsWindow::TOptionsWindow(Platform& platform, WindowHandle window, TProgramState& state,
                               TDriveTable& driveTable, TAppOptions& options,
                               const TInterfaceTexts& texts, TOptionsEvents events)
    : windows_(platform.windows),
      window_(window),
      DriveBar(Add(
          [] {
            ControlParams params = Params(ControlKind::ButtonBar, {0, 0, 552, 46});
            params.image = "FRMMAIN_IMAGELIST2";
            return params;
          }(),
          OnSelect([this](int index) {
            if (index == 0) SelectCommonPage();
            if (index >= 2) SelectDrivePage(index);
          }))),
      Rule(Add(Params(ControlKind::Divider, {0, 47, 552, 2}))),
      // --- common page ---
      IntegrationGroup(Add(Params(ControlKind::Group, Group(56, 56), "Integration Options"))),
      StartAutoCheck([this] {
        const ControlHandle box =
            Add(Params(ControlKind::CheckBox, {kCheckLeft, 80, kCheckWidth, kRowHeight},
                       " Start automatically"));
        windows_.SetChecked(box, true);
        return box;
      }()),
      LanguageGroup(Add(Params(ControlKind::Group, Group(120, 226), "Language Options"))),
      LanguageLabel(
          Add(Params(ControlKind::Label, {kCheckLeft, 140, 300, 16}, "Interface language"))),
      LanguageList(
          Add(Params(ControlKind::List, {kCheckLeft, 158, 320, 104}), OnSelect([this](int index) {
                if (index >= 0 && index < static_cast<int>(options_.LanguageFiles.size())) {
                  ShowTranslatorInfo(options_.LanguageFiles[static_cast<std::size_t>(index)]);
                }
              }))),
      InformLabel(
          Add(Params(ControlKind::Label, {kCheckLeft, 270, 300, 16}, "Translation information:"))),
      AuthorLabel(Add(Params(ControlKind::Label, {kCheckLeft, 294, 70, 16}, "Author:"))),
      TranslatorName(Add(Params(ControlKind::Label, {96, 294, 436, 16}))),
      EmailLabel(Add(Params(ControlKind::Label, {kCheckLeft, 318, 70, 16}, "E-mail:"))),
      TranslatorAddress(AddLink({96, 318, 436, 16}, {},
                                [this] {
                                  if (events_.onMailTranslator) {
                                    events_.onMailTranslator(
                                        windows_.ControlText(TranslatorAddress));
                                  }
                                })),
      TrayGroup(Add(Params(ControlKind::Group, Group(354, 84), "Tray Icon Behavior"))),
      DoubleClickLabel(
          Add(Params(ControlKind::Label, {kCheckLeft, 374, 300, 16}, "Double-click on tray icon"))),
      DoubleClickList(Add(Params(ControlKind::DropDownList, {kCheckLeft, 394, 320, 200}),
                          OnSelect([this](int /*index*/) { DoubleClickChanged(); }))),
      SingleClickLabel(Add(Hidden(
          Params(ControlKind::Label, {kCheckLeft, 446, 300, 16}, "Single click on tray icon")))),
      SingleClickList(Add(Hidden(Params(ControlKind::DropDownList, {kCheckLeft, 466, 320, 200})))),
      // --- drive page ---
      ClosingGroup(Add(Hidden(
          Params(ControlKind::Group, Group(56, 198), "Closing & locking CD/DVD device door")))),
      AutoCloseCheck(AddCheck(74,
                              "Close this drive's door after ejecting it with disk inside after "
                              "specified time interval",
                              true)),
      IntervalLabel(
          Add(Hidden(Params(ControlKind::Label, {36, 102, 120, 16}, "Interval (seconds):")))),
      IntervalField(
          Add(Hidden(Arrows(Params(ControlKind::NumberField, {160, 99, 60, 22}), 10, 600, 15)),
              [this] {
                ControlEvents params;
                params.onArrow = [this](int value) {
                  windows_.SetControlText(IntervalField, std::to_string(value));
                };
                return params;
              }())),
      LockOnCloseCheck(
          AddCheck(128, " Lock/unlock this drive automatically when open/close it with Orbelle")),
      LockOnStartCheck(AddCheck(150, " Lock this drive when Orbelle starts")),
      ShowMsgLockUnlockCheck(AddCheck(172, "Show message when lock/unlock this drive")),
      BeepLockUnlockCheck(AddCheck(194, "Beep when lock/unlock this drive")),
      ShowDialogCheck(AddCheck(216, "Show dialog asking to close the drive immediately")),
      SleepGroup(Add(Hidden(Params(ControlKind::Group, Group(260, 88), "Sleep Mode")))),
      WarnSleepCheck(
          AddCheck(278, "Warn if this drive is not empty when computer goes to sleep mode")),
      SleepLockCheck(AddCheck(300, "Lock this drive when computer goes to sleep mode")),
      SleepUnlockCheck(AddCheck(322, "Unlock this drive when computer exits from sleep mode")),
      ShutdownGroup(Add(Hidden(Params(ControlKind::Group, Group(354, 110), "Shutting Down")))),
      CloseActCheck(AddCheck(372, " Close CD/DVD when the system shuts down", true)),
      WarnNotEmptyCheck(
          AddCheck(394, " Warn if this drive is not empty when the system shuts down", true)),
      EjectShutdownCheck(
          AddCheck(416, "Eject disk if this drive is not empty when the system shuts down")),
      BeepShutdownCheck(
          AddCheck(438, "Beep if this drive is not empty when the system shuts down")),
      HotKeyGroup(Add(Hidden(Params(ControlKind::Group, Group(470, 80), "Hot Keys")))),
      HotKeyOpenCloseLabel(Add(Hidden(Params(ControlKind::Label, {kCheckLeft, 492, 230, 16},
                                             "Hot key to open/close this drive")))),
      // Two lines high: a hot key with every modifier and a long key name
      // wraps in some languages.
      HotKeyCloseText(Add(Hidden(Bold(Params(ControlKind::Label, {256, 492, 180, 26}))))),
      ChangeCloseButton(Add(Hidden(Params(ControlKind::Button, {444, 488, 90, 24}, "Change...")),
                            OnClick([this] { ChangeHotKey(&TDriveRecord::HotKeyClose); }))),
      HotKeyLockUnlockLabel(Add(Hidden(Params(ControlKind::Label, {kCheckLeft, 520, 230, 16},
                                              "Hot key to lock/unlock this drive")))),
      HotKeyLockText(Add(Hidden(Bold(Params(ControlKind::Label, {256, 520, 180, 26}))))),
      ChangeLockButton(Add(Hidden(Params(ControlKind::Button, {444, 516, 90, 24}, "Change...")),
                           OnClick([this] { ChangeHotKey(&TDriveRecord::HotKeyLock); }))),
      EjectingGroup(Add(Hidden(Params(ControlKind::Group, Group(56, 90),
                                      "Ejecting CD/DVD device's door with a disk inside")))),
      SpyCheck(AddCheck(74, " Watch ejecting CD/DVD door with a disk", true)),
      TryEveryCheck(AddCheck(96, " Try to close CD/DVD door every some seconds")),
      DiskLimitLabel(Add(Hidden(Params(ControlKind::Label, {36, 122, 60, 16}, "Interval:")))),
      DiskLimitField(
          Add(Hidden(Arrows(Params(ControlKind::NumberField, {100, 119, 60, 22}), 10, 300, 20)),
              [this] {
                ControlEvents params;
                params.onArrow = [this](int value) {
                  windows_.SetControlText(DiskLimitField, std::to_string(value));
                };
                return params;
              }())),
      SecondsLabel(Add(Hidden(Params(ControlKind::Label, {166, 122, 60, 16}, "seconds")))),
      // --- under the pages ---
      SiteLink(AddLink({kPageLeft, 566, 260, 16}, std::string(kMakerSite),
                       [this] {
                         if (events_.onMakerSite) events_.onMakerSite();
                       })),
      OkButton(
          Add(AsDefault(Params(ControlKind::Button, {292, 562, 80, 25}, "OK")), OnClick([this] {
                if (events_.onOk) events_.onOk();
              }))),
      CancelButton(
          Add(AsCancel(Params(ControlKind::Button, {378, 562, 80, 25}, "Cancel")), OnClick([this] {
                if (events_.onCancel) events_.onCancel();
              }))),
      HelpButton(Add(Params(ControlKind::Button, {464, 562, 80, 25}, "Help"), OnClick([this] {
                       if (events_.onHelp) events_.onHelp();
                     }))),
      platform_(platform),
      state_(state),
      driveTable_(driveTable),
      options_(options),
      texts_(texts),
      events_(std::move(events)) {
  // The number fields start where their built value is: the arrows step from there.
  windows_.SetArrowPosition(IntervalField, 15);
  windows_.SetArrowPosition(DiskLimitField, 20);
}

ControlHandle TOptionsWindow::Add(const ControlParams& params, ControlEvents events) {
  return windows_.CreateControl(window_, params, std::move(events));
}

// A check box of the drive page, which is hidden until a drive is chosen.
ControlHandle TOptionsWindow::AddCheck(int y, const std::string& text, bool ticked) {
  const ControlHandle box =
      Add(Hidden(Params(ControlKind::CheckBox, {kCheckLeft, y, kCheckWidth, kRowHeight}, text)));
  windows_.SetChecked(box, ticked);
  return box;
}

ControlHandle TOptionsWindow::AddLink(Rect rect, const std::string& text,
                                      std::function<void()> onClick) {
  ControlEvents events;
  events.onClick = std::move(onClick);
  // The backend underlines the text and shows the hand; the colour under the
  // mouse is ours to keep, and the handle is only known once it is made.
  auto handle = std::make_shared<ControlHandle>();
  events.onMouseHover = [this, handle](bool inside) {
    windows_.SetLinkHighlighted(*handle, inside);
  };
  *handle = Add(Params(ControlKind::LinkLabel, rect, text), std::move(events));
  return *handle;
}

std::vector<ControlHandle> TOptionsWindow::CommonPage() const {
  return {IntegrationGroup, StartAutoCheck,   LanguageGroup,  LanguageLabel, LanguageList,
          InformLabel,      AuthorLabel,      TranslatorName, EmailLabel,    TranslatorAddress,
          TrayGroup,        DoubleClickLabel, DoubleClickList};
}

std::vector<ControlHandle> TOptionsWindow::DrivePage() const {
  return {ClosingGroup,
          AutoCloseCheck,
          IntervalLabel,
          IntervalField,
          LockOnCloseCheck,
          LockOnStartCheck,
          ShowMsgLockUnlockCheck,
          BeepLockUnlockCheck,
          ShowDialogCheck,
          SleepGroup,
          WarnSleepCheck,
          SleepLockCheck,
          SleepUnlockCheck,
          ShutdownGroup,
          CloseActCheck,
          WarnNotEmptyCheck,
          EjectShutdownCheck,
          BeepShutdownCheck,
          HotKeyGroup,
          HotKeyOpenCloseLabel,
          HotKeyCloseText,
          ChangeCloseButton,
          HotKeyLockUnlockLabel,
          HotKeyLockText,
          ChangeLockButton};
}

void TOptionsWindow::ShowCommonPage(bool visible) {
  for (ControlHandle control : CommonPage()) windows_.SetControlVisible(control, visible);
  commonVisible_ = visible;
}

void TOptionsWindow::ShowDrivePage(bool visible) {
  for (ControlHandle control : DrivePage()) windows_.SetControlVisible(control, visible);
  driveVisible_ = visible;
}

std::vector<std::pair<ControlHandle, bool TDriveRecord::*>> TOptionsWindow::CheckBoxFields() const {
  return {
      {SpyCheck, &TDriveRecord::SpyForEjecting},
      {AutoCloseCheck, &TDriveRecord::AutoCloseAfterInterval},
      {TryEveryCheck, &TDriveRecord::TryToCloseEverySomeSeconds},
      {CloseActCheck, &TDriveRecord::CloseOnShutdown},
      {WarnNotEmptyCheck, &TDriveRecord::WarnIfNotEmptyOnShutdown},
      {LockOnStartCheck, &TDriveRecord::LockOnStart},
      {LockOnCloseCheck, &TDriveRecord::LockWithOpenClose},
      {WarnSleepCheck, &TDriveRecord::WarnAboutDiscWhenGoingToSleepMode},
      {EjectShutdownCheck, &TDriveRecord::EjectDiskWhenDriveIsNotEmpty},
      {BeepShutdownCheck, &TDriveRecord::BeepWhenDriveIsNotEmpty},
      {ShowMsgLockUnlockCheck, &TDriveRecord::ShowMessagesWhenLockingUnlocking},
      {BeepLockUnlockCheck, &TDriveRecord::BeepWhenLockingUnlocking},
      {SleepLockCheck, &TDriveRecord::LockWhenGoingToSleepMode},
      {SleepUnlockCheck, &TDriveRecord::UnlockLockWhenExitingFromSleepMode},
      {ShowDialogCheck, &TDriveRecord::ShowDialogToCloseDriveImmediately},
  };
}

// --- the drive bar -------------------------------------------------------------

void TOptionsWindow::BuildDriveBar() {
  windows_.AddBarButton(DriveBar, texts_.Common_Options, 0);
  windows_.AddBarSeparator(DriveBar);
}

void TOptionsWindow::AddDriveButton(char letter) {
  windows_.AddBarButton(DriveBar, std::string(1, letter) + ":", 1);
}

// --- language -------------------------------------------------------------------

void TOptionsWindow::ApplyLanguage(const TIniFile& file) {
  const auto read = [&](const char* section, const char* key, ControlHandle control) {
    windows_.SetControlText(control, file.ReadText(section, key, windows_.ControlText(control)));
  };
  windows_.SetControlText(OkButton, file.ReadText("Buttons", "OK", "OK"));
  windows_.SetControlText(CancelButton, file.ReadText("Buttons", "Cancel", "Cancel"));
  windows_.SetControlText(HelpButton, file.ReadText("Buttons", "Help", "Help"));

  const auto common = [&](const char* key, ControlHandle control) {
    read("CommonOptions", key, control);
  };
  common("Intergr", IntegrationGroup);
  common("StartAuto", StartAutoCheck);
  common("Lng", LanguageLabel);
  common("Inform", InformLabel);
  common("Author", AuthorLabel);
  common("EMail", EmailLabel);
  common("TrayIconAct", DoubleClickLabel);
  common("LangOpts", LanguageGroup);
  common("TrayIconBehavior", TrayGroup);

  // Two keys set one group, and Interval two labels: each read takes the text
  // the one before left, so the second key wins where both are present.
  const auto device = [&](const char* key, ControlHandle control) {
    read("DeviceOptions", key, control);
  };
  device("Ejectiong", EjectingGroup);
  device("SpyChk", SpyCheck);
  device("Closing", ClosingGroup);
  device("AutoClose", AutoCloseCheck);
  device("Interval", IntervalLabel);
  device("Interval", DiskLimitLabel);
  device("Seconds", SecondsLabel);
  device("TryEvery", TryEveryCheck);
  device("ActionsOnShutdown", ShutdownGroup);
  device("CloseAct", CloseActCheck);
  device("WarnNotEmpty", WarnNotEmptyCheck);
  device("LockOnStart", LockOnStartCheck);
  device("LockOnClose", LockOnCloseCheck);
  device("ShowMsgLockUnlock", ShowMsgLockUnlockCheck);
  device("BeepLockUnlock", BeepLockUnlockCheck);
  device("ClosingLockingOpts", ClosingGroup);
  device("WarnSleepDVDNotEmpty", WarnSleepCheck);
  device("SleepModeLock", SleepLockCheck);
  device("SleepModeUnlockExit", SleepUnlockCheck);
  device("SleepModeOpts", SleepGroup);
  device("EjectShuttingDown", EjectShutdownCheck);
  device("BeepShuttingDown", BeepShutdownCheck);
  device("ShuttingDownOpts", ShutdownGroup);
  device("HotKeyOpenClose", HotKeyOpenCloseLabel);
  device("HotKeyLockUnlock", HotKeyLockUnlockLabel);
  device("ChangeHotKeyButtonCaption", ChangeCloseButton);
  device("ChangeHotKeyButtonCaption", ChangeLockButton);
  device("HotKeyOpts", HotKeyGroup);
  device("ShowDialogAskingToCloseTheDrive", ShowDialogCheck);

  windows_.SetBarButtonCaption(DriveBar, 0, texts_.Common_Options);
}

}  // namespace orbl
