// The options window driven as the user drives it: the drive bar, the pages,
// OK, Cancel and the close box, the language list and the links.
#include "ui/OptionsWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "drives/DriveFixture.h"
#include "platform/RegistryAutostart.h"
#include "settings/RegistrySettings.h"

namespace orbl::test {
namespace {

using platform::ControlHandle;

constexpr const char* kLanguageFolder = "C:\\Program Files\\Orbelle\\Language\\";
constexpr const char* kRunValue = "\"C:\\Program Files\\Orbelle\\orbl3.exe\"";

class OptionsWindowTest : public DriveFixture {
 protected:
  TOptionsWindow& W() { return frmMain->OptionsWindow; }
  void Open() {
    program.TrayRightClick();
    program.ChooseMenuItem({"Options..."});
    ASSERT_TRUE(Shown());
  }
  bool Shown() { return program.Window(frmMain->Handle)->visible; }
  const sim::SimControl& C(ControlHandle handle) {
    for (const sim::SimControl* control : program.Controls(frmMain->Handle)) {
      if (control->handle == handle) return *control;
    }
    throw std::logic_error("no such control");
  }
  std::string Text(ControlHandle handle) { return C(handle).text; }
  bool Ticked(ControlHandle handle) { return C(handle).checked; }
  void Click(ControlHandle handle) { program.ClickControl(handle); }
  void Page(char letter) { program.SelectItem(W().DriveBar, 2 + (letter - 'D')); }
  void AddLanguage(const std::string& name, const std::string& content) {
    world.files[kLanguageFolder + name] = content;
  }
  std::optional<std::string> Stored(const std::string& name) {
    return world.Text(kSettingsKey, name);
  }
  void Store(const std::string& name, const std::string& text) {
    world.SetText(kSettingsKey, name, text);
  }
  // Saves once, so that later showings reload from the store.
  void SaveOnce() {
    Open();
    Click(W().OkButton);
  }
  // One hot key of the page through the hot key dialog: the key picked from
  // its list, Shift ticked if asked; no key removes it.
  void SetHotKey(ControlHandle changeButton, const std::string& key = {}, bool tickShift = false) {
    Click(changeButton);
    TFrmHotKey& dialog = frmMain->FrmHotKey;
    if (key.empty()) return Click(dialog.RemoveButton);
    const auto keys = program.Platform().windows.Items(dialog.KeyList);
    const auto entry = std::find(keys.begin(), keys.end(), key);
    ASSERT_NE(entry, keys.end()) << key;
    program.SelectItem(dialog.KeyList, static_cast<int>(entry - keys.begin()));
    if (tickShift) Click(dialog.ShiftBox);
    Click(dialog.OkButton);
  }
};

// Each box the drive page shows flips its own stored value and no other; a
// box on another page cannot be clicked there.
TEST_F(OptionsWindowTest, EachBoxOfTheDrivePageIsStoredUnderItsOwnName) {
  Start();
  SaveOnce();
  const std::pair<ControlHandle, const char*> boxes[] = {
      {W().AutoCloseCheck, "Automatically close the CD/DVD door after specified time interval"},
      {W().LockOnCloseCheck, "Lock-close-ORBL-open-etc"},
      {W().LockOnStartCheck, "Lock this drive on starting program"},
      {W().ShowMsgLockUnlockCheck, "ShowMessagesWhenLockingUnlocking"},
      {W().BeepLockUnlockCheck, "BeepWhenLockingUnlocking"},
      {W().ShowDialogCheck, "ShowDialogToCloseDriveImmediately"},
      {W().WarnSleepCheck, "WarnAboutDiscWhenGoingToSleepMode"},
      {W().SleepLockCheck, "LockWhenGoingToSleepMode"},
      {W().SleepUnlockCheck, "UnlockLockWhenExitingFromSleepMode"},
      {W().CloseActCheck, "Close CD/DVD door on system shutdown"},
      {W().WarnNotEmptyCheck, "Warn if CD/DVD drive is not empty on system shutdown"},
      {W().EjectShutdownCheck, "EjectDiskWhenDriveIsNotEmpty"},
      {W().BeepShutdownCheck, "BeepWhenDriveIsNotEmpty"},
  };
  for (const auto& [box, name] : boxes) {
    std::map<std::string, std::optional<std::string>> before;
    for (const std::string& key : world.FindKey(kSettingsKey)->order) before[key] = Stored(key);
    Open();
    Page('D');
    Click(box);
    Click(W().OkButton);
    std::vector<std::string> changed;
    for (const auto& [key, value] : before) {
      if (Stored(key) != value) changed.push_back(key);
    }
    EXPECT_EQ(changed, std::vector<std::string>{std::string("D ") + name});
  }
}

// A switch stores the page it leaves; Cancel keeps what switches stored
// until the next showing reloads, and every showing opens on the common page
// with the " Start automatically" box as Cancel or the close box left it.
TEST_F(OptionsWindowTest, CancelKeepsPagesStoredBySwitchesAndEveryShowingOpensOnTheCommonPage) {
  Start();
  EXPECT_EQ(C(W().DriveBar).barButtons,
            (std::vector<std::string>{"Common options", "", "D:", "E:"}));
  // The box is ticked before anything was saved, and the first save turns
  // autostart on.
  EXPECT_FALSE(world.Text(platform::kRunKey, platform::kAutostartValue));
  SaveOnce();
  EXPECT_EQ(world.Text(platform::kRunKey, platform::kAutostartValue), kRunValue);
  Open();
  EXPECT_THROW(program.SelectItem(W().DriveBar, 1), std::logic_error);  // the separator
  Page('D');
  Click(W().ShowDialogCheck);
  Page('E');
  EXPECT_FALSE(Ticked(W().ShowDialogCheck));
  EXPECT_TRUE(Drive('D').ShowDialogToCloseDriveImmediately);
  Click(W().BeepShutdownCheck);  // on the page still shown: never stored
  Click(W().CancelButton);
  EXPECT_TRUE(Drive('D').ShowDialogToCloseDriveImmediately);
  EXPECT_FALSE(Drive('E').BeepWhenDriveIsNotEmpty);
  EXPECT_EQ(Stored("D ShowDialogToCloseDriveImmediately"), "0");
  Open();
  EXPECT_FALSE(Drive('D').ShowDialogToCloseDriveImmediately);
  // On the common page OK saves the records as the last switch left them.
  Page('E');
  Click(W().EjectShutdownCheck);
  program.SelectItem(W().DriveBar, 0);
  Click(W().OkButton);
  EXPECT_EQ(Stored("E EjectDiskWhenDriveIsNotEmpty"), "1");

  const std::vector<std::pair<const char*, std::function<void()>>> exits = {
      {"Cancel", [&] { Click(W().CancelButton); }},
      {"close box", [&] { program.CloseWindowByUser(frmMain->Handle); }},
      {"OK", [&] { Click(W().OkButton); }},
  };
  for (const auto& [name, leave] : exits) {
    const bool ok = std::string(name) == "OK";
    Open();
    ASSERT_TRUE(Ticked(W().StartAutoCheck)) << name;
    Click(W().StartAutoCheck);
    Page('E');  // remembers the unticked box
    leave();
    ASSERT_FALSE(Shown()) << name;
    EXPECT_EQ(Ticked(W().StartAutoCheck), !ok) << name;
    EXPECT_EQ(world.Text(platform::kRunKey, platform::kAutostartValue) == kRunValue, !ok) << name;
    Open();
    EXPECT_TRUE(W().CommonPageVisible() && !W().DrivePageVisible()) << name;
    EXPECT_EQ(State().SelectedDrive, -1) << name;
    EXPECT_TRUE(C(W().StartAutoCheck).visible && !C(W().AutoCloseCheck).visible) << name;
    Click(W().CancelButton);
  }
}

// The arrows step from the value of the drive shown and stop at 10 and 600;
// a stored number outside their range is shown and stored back unchanged.
TEST_F(OptionsWindowTest, TheIntervalArrowsStopAtTenAndSixHundred) {
  Store("D edtDiskLimit", "-7");
  Store("D edtAutocloseInterval", "5");
  Store("E edtAutocloseInterval", "40");
  Start();
  Open();
  Page('E');
  program.PressArrow(W().IntervalField, 1);
  EXPECT_EQ(Text(W().IntervalField), "41");
  Page('D');
  EXPECT_EQ(Text(W().IntervalField), "5");
  program.PressArrow(W().IntervalField, -100);
  EXPECT_EQ(Text(W().IntervalField), "10");
  program.PressArrow(W().IntervalField, 1000);
  Click(W().OkButton);
  EXPECT_EQ(Stored("D edtAutocloseInterval"), "600");
  EXPECT_EQ(Stored("E edtAutocloseInterval"), "41");
  EXPECT_EQ(Stored("D edtDiskLimit"), "-7");
}

// OK saves "Double - Item" from before it remembers the common page; the
// stored position is trusted only while it names the stored pair.
TEST_F(OptionsWindowTest, DoubleItemIsSavedFromBeforeOkAndTrustedOnlyWhenItNamesThePair) {
  Start();
  Open();
  program.SelectItem(W().DoubleClickList, 5);  // "Open/Close all drives"
  Click(W().OkButton);
  EXPECT_EQ(Stored("Double - Action"), "3");
  EXPECT_EQ(Stored("Double - Item"), "0");
  program.Inject([&] { frmMain->SaveSettings(); });
  EXPECT_EQ(Stored("Double - Item"), "5");
  Open();
  EXPECT_EQ(C(W().DoubleClickList).selection, 5);
  // What a switch remembers before Cancel reaches the next save.
  program.SelectItem(W().DoubleClickList, 6);
  Page('D');
  Click(W().CancelButton);
  program.Inject([&] { frmMain->SaveSettings(); });
  EXPECT_EQ(Stored("Double - Item"), "6");
  Open();
  // The user's choice sets the pair {action, letter}.
  for (const auto& [entry, action, letter] : {std::tuple{3, 1, 'E'}, {2, 2, 'D'}, {0, 0, 'D'}}) {
    program.SelectItem(W().DoubleClickList, entry);
    EXPECT_EQ(std::pair(frmMain->Options.DoubleAction, frmMain->Options.DoubleLetter),
              std::pair(action, letter));
  }
  // {action, letter, stored position, the entry selected}
  for (const auto& [action, letter, item, selected] : {std::tuple{3, '\0', 5, 5},
                                                       {3, '\0', 7, 5},
                                                       {1, 'E', 1, 3},
                                                       {5, '\0', 99, 7},
                                                       {2, 'Q', 2, 7}}) {
    program.Inject([&, action, letter, item] {
      frmMain->Options.DoubleAction = action;
      frmMain->Options.DoubleLetter = letter;
      frmMain->Options.DoubleItem = item;
      W().RestoreCommon();
    });
    EXPECT_EQ(C(W().DoubleClickList).selection, selected) << action << letter << item;
  }
}

// The list names each file; the choice waits for OK. Each file is read over
// what the one before left: where two keys name one control the second wins,
// and the buttons fall back to their own words.
TEST_F(OptionsWindowTest, TheLanguageListTheChoiceAndTheCaptionsOfEachFile) {
  AddLanguage("Blank.ini", "");
  AddLanguage("German.ini",
              "[Main]\nLangNameEng=German\nLangNameNative=Deutsch\nTanslator=Hans\n"
              "[Messages]\nMsg_Locked=Gesperrt!\n[Buttons]\nOK=Ja\n");
  Start();
  Open();
  EXPECT_EQ(C(W().LanguageList).items, (std::vector<std::string>{" ()", "German (Deutsch)"}));
  program.SelectItem(W().LanguageList, 1);
  EXPECT_EQ(Text(W().TranslatorName), "Hans");
  EXPECT_EQ(frmMain->Texts.Msg_Locked, "Locked!");
  Click(W().OkButton);
  EXPECT_EQ(frmMain->Texts.Msg_Locked, "Gesperrt!");
  EXPECT_EQ(Text(W().OkButton), "Ja");
  EXPECT_EQ(Stored("Currently used language"), std::string(kLanguageFolder) + "German.ini");
  // Another entry chosen and left by Cancel: the next showing selects the
  // language in use again, found whatever its case.
  Store("Currently used language", std::string(kLanguageFolder) + "GERMAN.INI");
  Open();
  program.SelectItem(W().LanguageList, 0);
  Page('D');
  Click(W().CancelButton);
  Open();
  EXPECT_EQ(C(W().LanguageList).selection, 1);
  EXPECT_EQ(Text(W().TranslatorName), "Hans");

  // {file, closing group, shutdown group, OK button}
  for (const auto& [file, closing, shutdown, ok] : {
           std::tuple{"[DeviceOptions]\nClosing=Y\nActionsOnShutdown=A\n", "Y", "A", "OK"},
           {"[DeviceOptions]\nClosingLockingOpts=X\nClosing=Y\nShuttingDownOpts=S\n"
            "ActionsOnShutdown=A\n[Buttons]\nOK=Ja\n",
            "X", "S", "Ja"},
           {"[DeviceOptions]\nClosingLockingOpts=\n", "", "S", "OK"},
       }) {
    program.Inject([&] { W().ApplyLanguage(TIniFile(file)); });
    EXPECT_EQ(Text(W().ClosingGroup), closing) << file;
    EXPECT_EQ(Text(W().ShutdownGroup), shutdown) << file;
    EXPECT_EQ(Text(W().OkButton), ok) << file;
  }
}

// OK registers again, under the drives' own identifiers, the hot keys whose
// combination changed, releasing each old one first; an unchanged one, even
// one the system refused at start-up, is not asked for again. The page's
// ticks survive the dialog.
TEST_F(OptionsWindowTest, OkRegistersAgainExactlyTheHotKeysWhoseCombinationChanged) {
  using platform::mod::kAlt;
  using platform::mod::kControl;
  constexpr std::uint32_t kCtrlAlt = kControl | kAlt;
  sim::SimProcess other(world);
  other.Start([](platform::Platform& p) {
    const auto window = p.windows.CreateTopWindow({}, {});
    p.hotKeys.Register(window, 7, kCtrlAlt, 'E');
    p.hotKeys.Register(window, 8, kCtrlAlt, 'N');
    p.windows.RunLoop();
  });
  for (const auto& [name, key] : {std::pair{"D HotKeyClose", "68"},
                                  {"D HotKeyLock", "76"},
                                  {"E HotKeyClose", "69"},
                                  {"E HotKeyLock", "77"},
                                  {"F HotKeyLock", "78"}}) {
    Store(std::string(name) + "-Ctrl", "1");
    Store(std::string(name) + "-Alt", "1");
    Store(std::string(name) + "-Key", key);
  }
  Start({'D', 'E', 'F'});
  for (int box = 0; box < 2; ++box) program.AnswerBox();
  const auto heldFor = [&](std::uint32_t key) -> int {
    const auto it = world.hotKeys.find({kCtrlAlt, key});
    if (it == world.hotKeys.end() || it->second.pid != program.Pid()) return 0;
    EXPECT_EQ(it->second.window, frmMain->Handle);
    return it->second.id;
  };

  Open();
  Page('D');
  Click(W().ShowDialogCheck);
  SetHotKey(W().ChangeCloseButton, "K");
  EXPECT_EQ(Text(W().HotKeyCloseText), "Ctrl + Alt + K");
  EXPECT_TRUE(Ticked(W().ShowDialogCheck));
  SetHotKey(W().ChangeLockButton);  // none
  EXPECT_EQ(heldFor('K'), 0) << "nothing before OK";
  Click(W().OkButton);
  EXPECT_EQ(Stored("D HotKeyClose-Key"), "75");
  EXPECT_EQ(Stored("D ShowDialogToCloseDriveImmediately"), "1");
  EXPECT_EQ(program.BoxHistory().size(), 2u) << "the refused keys are not asked for again";
  EXPECT_EQ(heldFor('K'), Drive('D').CloseHotKeyId);
  EXPECT_EQ(heldFor('D') + heldFor('L'), 0);
  EXPECT_EQ(heldFor('M'), Drive('E').LockHotKeyId);
  EXPECT_EQ(world.hotKeys.size(), 4u) << "K and M, and the other program's two";

  // Two hot keys swap their combinations: every old one is let go before
  // either new one is asked for.
  Open();
  Page('D');
  SetHotKey(W().ChangeCloseButton, "M");
  Page('E');
  SetHotKey(W().ChangeLockButton, "K");
  Click(W().OkButton);
  EXPECT_EQ(program.BoxHistory().size(), 2u);
  EXPECT_EQ(heldFor('M'), Drive('D').CloseHotKeyId);
  EXPECT_EQ(heldFor('K'), Drive('E').LockHotKeyId);

  // A combination another program holds: the start-up's box at once, and
  // the drive's old combination is gone all the same. A refused one that
  // only gains a modifier is a new combination.
  Open();
  Page('D');
  SetHotKey(W().ChangeCloseButton, "E");
  Page('F');
  SetHotKey(W().ChangeLockButton, "N", true);
  Click(W().OkButton);
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  const sim::SimBox box = program.OpenBoxes().front();
  EXPECT_EQ(box.text, frmMain->Texts.Msg_CantHotkeyExists + "\r\nCtrl + Alt + E");
  EXPECT_EQ(box.owner, frmMain->Handle);
  program.AnswerBox();
  EXPECT_EQ(heldFor('M'), 0);
  EXPECT_EQ(world.hotKeys.at({kCtrlAlt | platform::mod::kShift, 'N'}).id, Drive('F').LockHotKeyId);
  EXPECT_EQ(world.hotKeys.at({kCtrlAlt, 'E'}).pid, other.Pid());
}

TEST_F(OptionsWindowTest, TheLinksTurnBlueUnderTheMouseAndLaunch) {
  AddLanguage("English.ini", "[Main]\nEmail=ann@example.com\n");
  Start();
  SaveOnce();
  Open();
  for (ControlHandle link : {W().SiteLink, W().TranslatorAddress}) {
    program.HoverControl(link, true);
    EXPECT_TRUE(C(link).highlighted);
    program.HoverControl(link, false);
    EXPECT_FALSE(C(link).highlighted);
    Click(link);
  }
  Click(W().HelpButton);
  EXPECT_EQ(world.launches,
            (std::vector<std::string>{std::string(kMakerSite), "mailto:ann@example.com",
                                      "C:\\Program Files\\Orbelle\\ORBL.hlp"}));
  EXPECT_TRUE(Shown());
}

TEST_F(OptionsWindowTest, HidingLeavesAPendingCloseAloneAndSetsUpThePeriodicClose) {
  Store("D Try to close CD/DVD door every some seconds", "1");
  Start();
  Do([](TDriveControl& drives) { drives.StartAutoClose(); });
  const auto interval = frmMain->AutoCloseTimer.Interval();
  Open();
  Page('D');
  Click(W().CancelButton);
  EXPECT_TRUE(frmMain->AutoCloseTimer.Enabled());
  EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), interval);
  EXPECT_TRUE(frmMain->PeriodicCloseTimer.Enabled());
  EXPECT_EQ(frmMain->PeriodicCloseTimer.Interval(), 15000u);
  // OK then gives the periodic timer the first drive's DiskLimit.
  Open();
  Page('D');
  Click(W().OkButton);
  EXPECT_EQ(frmMain->PeriodicCloseTimer.Interval(), 20000u);
}

}  // namespace
}  // namespace orbl::test
