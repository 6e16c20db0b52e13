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
#include "support/Computer.h"
#include "ui/VirtualKeys.h"

namespace orbl::test {
namespace {

using platform::ControlHandle;

constexpr const char* kLanguageFolder = "C:\\Program Files\\Orbelle\\Language\\";
// The Run value as this release writes it.
constexpr const char* kRunValue = "\"C:\\Program Files\\Orbelle\\orbl3.exe\"";
const std::string kAlreadyUsed = "This hot key is already used. Please, specify any other hot key.";
// The double-click list with drives D and E.
const std::vector<std::string> kDoubleList = {"None",
                                              "Open/Close drive D:",
                                              "Lock/Unlock drive D:",
                                              "Open/Close drive E:",
                                              "Lock/Unlock drive E:",
                                              "Open/Close all drives",
                                              "Lock/Unlock all drives",
                                              "Show options dialog"};

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
  void CommonPage() { program.SelectItem(W().DriveBar, 0); }
  static void AddLanguage(sim::SimWorld& world, const std::string& name,
                          const std::string& content) {
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
  // Changes one hot key of the page through the hot key dialog: the key
  // picked from its list, the modifiers as they were (Shift ticked if asked);
  // no key removes it.
  void SetHotKey(ControlHandle changeButton, const std::string& key = {}, bool tickShift = false) {
    Click(changeButton);
    TFrmHotKey& dialog = frmMain->FrmHotKey;
    if (key.empty()) {
      Click(dialog.RemoveButton);
      return;
    }
    const auto keys = program.Platform().windows.Items(dialog.KeyList);
    const auto entry = std::find(keys.begin(), keys.end(), key);
    ASSERT_NE(entry, keys.end()) << key;
    program.SelectItem(dialog.KeyList, static_cast<int>(entry - keys.begin()));
    if (tickShift) Click(dialog.ShiftBox);
    Click(dialog.OkButton);
  }
};

TEST_F(OptionsWindowTest, IsBuiltWithTheBarThePagesAndTheBuiltState) {
  Start();
  const auto& bar = C(W().DriveBar);
  EXPECT_EQ(bar.barButtons, (std::vector<std::string>{"Common options", "", "D:", "E:"}));
  EXPECT_EQ(bar.barSeparators, (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(bar.params.image, "FRMMAIN_IMAGELIST2");
  EXPECT_EQ(bar.params.rect.height, 46);
  EXPECT_EQ(Text(W().StartAutoCheck), " Start automatically");
  EXPECT_TRUE(Ticked(W().StartAutoCheck));
  EXPECT_TRUE(C(W().OkButton).params.defaultButton);
  EXPECT_TRUE(C(W().CancelButton).params.cancelButton);
  EXPECT_EQ(Text(W().SiteLink), kMakerSite);
  EXPECT_EQ(C(W().SiteLink).params.kind, platform::ControlKind::LinkLabel);
  EXPECT_EQ(C(W().DoubleClickList).items, kDoubleList);
  EXPECT_EQ(C(W().IntervalField).params.minimum, 10);
  EXPECT_EQ(C(W().IntervalField).params.maximum, 600);
  EXPECT_EQ(C(W().DiskLimitField).params.maximum, 300);
  EXPECT_TRUE(W().CommonPageVisible());
  for (ControlHandle never :
       {W().SpyCheck, W().TryEveryCheck, W().DiskLimitField, W().DiskLimitLabel, W().SecondsLabel,
        W().EjectingGroup, W().SingleClickList, W().SingleClickLabel}) {
    EXPECT_FALSE(C(never).visible) << C(never).text;
  }
  // Switching the bar's separator is nothing a user can do.
  Open();
  EXPECT_THROW(program.SelectItem(W().DriveBar, 1), std::logic_error);
  // Before anything was saved the list shows the default action, "None".
  EXPECT_EQ(C(W().DoubleClickList).selection, 0);
}

// Each box the drive page shows flips its own stored value and no other.
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

// A switch stores the page it leaves and shows the other drive's record;
// Cancel keeps what switches stored until the next showing reloads, OK
// stores the page shown before it saves.
TEST_F(OptionsWindowTest, CancelKeepsPagesStoredBySwitchesUntilTheNextShowing) {
  Start();
  SaveOnce();
  Open();
  Page('D');
  EXPECT_FALSE(Ticked(W().ShowDialogCheck));
  Click(W().ShowDialogCheck);
  Page('E');
  EXPECT_FALSE(Ticked(W().ShowDialogCheck));
  EXPECT_TRUE(Drive('D').ShowDialogToCloseDriveImmediately);
  Page('D');
  EXPECT_TRUE(Ticked(W().ShowDialogCheck));
  EXPECT_FALSE(Drive('E').ShowDialogToCloseDriveImmediately);
  Page('E');
  Click(W().BeepShutdownCheck);  // on the page still shown: never stored
  Click(W().CancelButton);
  EXPECT_FALSE(Shown());
  EXPECT_TRUE(Drive('D').ShowDialogToCloseDriveImmediately);
  EXPECT_FALSE(Drive('E').BeepWhenDriveIsNotEmpty);
  EXPECT_EQ(Stored("D ShowDialogToCloseDriveImmediately"), "0");
  Open();
  EXPECT_FALSE(Drive('D').ShowDialogToCloseDriveImmediately);
  // Nor does the showing store the drive page it hides over the fresh records.
  EXPECT_FALSE(Drive('E').BeepWhenDriveIsNotEmpty);

  Page('D');
  Click(W().ShowDialogCheck);
  program.PressArrow(W().IntervalField, 5);
  Click(W().OkButton);
  EXPECT_EQ(Stored("D ShowDialogToCloseDriveImmediately"), "1");
  EXPECT_EQ(Stored("D edtAutocloseInterval"), "20");
  // On the common page OK saves the records as the last switch left them.
  Open();
  Page('E');
  Click(W().EjectShutdownCheck);
  CommonPage();
  Click(W().OkButton);
  EXPECT_EQ(Stored("E EjectDiskWhenDriveIsNotEmpty"), "1");
}

// The arrows step from the value of the drive shown and stop at 10 and 600;
// a stored number outside their range is shown and stored back unchanged.
TEST_F(OptionsWindowTest, TheIntervalArrowsStopAtTenAndSixHundred) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"D edtDiskLimit", "-7"},
      {"E edtDiskLimit", "99999"},
      {"D edtAutocloseInterval", "2147483647"},
      {"E edtAutocloseInterval", "-2147483648"},
  };
  for (const auto& [name, text] : values) Store(name, text);
  Start();
  Open();
  Page('D');
  EXPECT_EQ(Text(W().IntervalField), "2147483647");
  Page('E');
  Click(W().OkButton);
  for (const auto& [name, text] : values) EXPECT_EQ(Stored(name), text) << name;

  Store("D edtAutocloseInterval", "5");
  Store("E edtAutocloseInterval", "40");
  Open();
  Page('E');
  program.PressArrow(W().IntervalField, 1);
  EXPECT_EQ(Text(W().IntervalField), "41");
  Page('D');
  EXPECT_EQ(Text(W().IntervalField), "5");
  program.PressArrow(W().IntervalField, -100);
  EXPECT_EQ(Text(W().IntervalField), "10");
  program.PressArrow(W().IntervalField, 1000);
  EXPECT_EQ(Text(W().IntervalField), "600");
  Click(W().OkButton);
  EXPECT_EQ(Stored("D edtAutocloseInterval"), "600");
  EXPECT_EQ(Stored("D edtDiskLimit"), "-7");
}

// Whatever way the last showing ended, the next opens on the common page;
// Cancel and the close box put the " Start automatically" box back.
TEST_F(OptionsWindowTest, EveryShowingOpensOnTheCommonPage) {
  Start();
  SaveOnce();
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
    EXPECT_TRUE(W().CommonPageVisible()) << name;
    EXPECT_FALSE(W().DrivePageVisible()) << name;
    EXPECT_EQ(State().SelectedDrive, -1) << name;
    EXPECT_TRUE(C(W().StartAutoCheck).visible) << name;
    EXPECT_FALSE(C(W().AutoCloseCheck).visible) << name;
    Click(W().CancelButton);
  }
}

// OK saves "Double - Item" from before it remembers the common page; what OK
// or a switch before Cancel remembers reaches the exit's save.
TEST_F(OptionsWindowTest, DoubleItemIsSavedFromBeforeOkAndTheNextShowingFindsThePair) {
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
  program.SelectItem(W().DoubleClickList, 6);
  Page('D');
  Click(W().CancelButton);
  program.Inject([&] { frmMain->SaveSettings(); });
  EXPECT_EQ(Stored("Double - Item"), "6");
}

TEST_F(OptionsWindowTest, RestoreCommonTrustsTheStoredPositionOnlyWhenItNamesThePair) {
  Start();
  Open();
  // The user's choice sets the pair {action, letter}.
  const int entries[] = {3, 2, 0, 7, 6};
  const std::pair<std::int32_t, char> pairs[] = {{1, 'E'}, {2, 'D'}, {0, 'D'}, {5, 'D'}, {4, 'D'}};
  for (int i = 0; i < 5; ++i) {
    program.SelectItem(W().DoubleClickList, entries[i]);
    EXPECT_EQ(frmMain->Options.DoubleAction, pairs[i].first) << entries[i];
    EXPECT_EQ(frmMain->Options.DoubleLetter, pairs[i].second) << entries[i];
  }
  struct Case {
    std::int32_t action;
    char letter;
    std::int32_t item;
    int selected;
  };
  const Case cases[] = {
      {3, 0, 5, 5},                    // the position names the pair
      {3, 0, 7, 5},                    // shifted list: not "Show options dialog"
      {1, 'E', 1, 3},                  // the drive letter decides
      {2, 'E', 4, 4}, {5, 0, 99, 7},   // beyond the list
      {0, 0, -1, 0},  {2, 'Q', 2, 0},  // no entry for Q: the list keeps what it shows
      {4, 0, 0, 6},
  };
  for (const Case& c : cases) {
    program.Inject([&] {
      frmMain->Options.DoubleAction = c.action;
      frmMain->Options.DoubleLetter = c.letter;
      frmMain->Options.DoubleItem = c.item;
      W().RestoreCommon();
    });
    EXPECT_EQ(C(W().DoubleClickList).selection, c.selected) << c.action << c.letter << c.item;
  }
}

TEST_F(OptionsWindowTest, TheLanguageListNamesEachFileAndTheChoiceWaitsForOk) {
  AddLanguage(world, "Blank.ini", "");
  AddLanguage(world, "German.ini",
              "[Main]\nLangNameEng=German\nLangNameNative=Deutsch\nTanslator=Hans\n"
              "Email=hans@example.de\n[Messages]\nMsg_Locked=Gesperrt!\n[Buttons]\nOK=Ja\n");
  Start();
  Open();
  EXPECT_EQ(C(W().LanguageList).items, (std::vector<std::string>{" ()", "German (Deutsch)"}));
  program.SelectItem(W().LanguageList, 1);
  EXPECT_EQ(Text(W().TranslatorName), "Hans");
  EXPECT_EQ(Text(W().TranslatorAddress), "hans@example.de");
  EXPECT_EQ(frmMain->Texts.Msg_Locked, "Locked!");
  program.SelectItem(W().LanguageList, 0);
  EXPECT_EQ(Text(W().TranslatorName), "UNKNOWN");
  program.SelectItem(W().LanguageList, 1);
  Click(W().OkButton);
  EXPECT_EQ(frmMain->Texts.Msg_Locked, "Gesperrt!");
  EXPECT_EQ(Text(W().OkButton), "Ja");
  EXPECT_EQ(Stored("Currently used language"), std::string(kLanguageFolder) + "German.ini");
  // A language stored in another case is still found in the list.
  Store("Currently used language", std::string(kLanguageFolder) + "GERMAN.INI");
  Open();
  EXPECT_EQ(C(W().LanguageList).selection, 1);
  EXPECT_EQ(Text(W().TranslatorName), "Hans");
  // Another entry chosen, remembered by a switch and left by Cancel: the
  // next showing selects the language in use again.
  program.SelectItem(W().LanguageList, 0);
  Page('D');
  Click(W().CancelButton);
  Open();
  EXPECT_EQ(C(W().LanguageList).selection, 1);
}

// A file changes the texts it names and nothing else; a text stays when the
// next file lacks its key.
TEST_F(OptionsWindowTest, AKeyNameStaysWhenTheNextFileLacksIt) {
  AddLanguage(world, "A.ini", "[Keys]\nCtrl_Key=Strg\n[Menu]\nMnuExit=Beenden\n");
  AddLanguage(world, "B.ini", "[Main]\nHelpFile=b.hlp\n");
  AddLanguage(world, "Locked.ini", "[Messages]\nMsg_Locked=Verrouill\xe9\n");
  Store("D HotKeyClose-Ctrl", "1");
  Store("D HotKeyClose-Key", "75");
  Start();
  const auto shown = [&] {
    std::vector<std::string> texts;
    for (const sim::SimControl* control : program.Controls(frmMain->Handle)) {
      if (control->handle != W().TranslatorName && control->handle != W().TranslatorAddress) {
        texts.push_back(control->text);
      }
    }
    program.TrayRightClick();
    for (const std::string& item : program.MenuTexts()) texts.push_back(item);
    program.ChooseMenuItem({});
    return texts;
  };
  const std::vector<std::string> before = shown();
  Open();
  program.SelectItem(W().LanguageList, 2);
  Click(W().OkButton);
  TInterfaceTexts expected;
  expected.Msg_Locked = "Verrouill\xe9";
  EXPECT_EQ(frmMain->Texts, expected);
  EXPECT_EQ(shown(), before);

  for (int file : {0, 1}) {
    Open();
    program.SelectItem(W().LanguageList, file);
    Click(W().OkButton);
  }
  EXPECT_EQ(frmMain->Texts.Ctrl_Key, "Strg");
  EXPECT_EQ(frmMain->Texts.HelpFile, "b.hlp");
  EXPECT_EQ(frmMain->Texts.Msg_Locked, "Verrouill\xe9");
  Open();
  Page('D');
  EXPECT_EQ(Text(W().HotKeyCloseText), HotKeyText(Drive('D').HotKeyClose, frmMain->Texts));
  EXPECT_NE(Text(W().HotKeyCloseText).find("Strg"), std::string::npos);
  Click(W().CancelButton);
  program.TrayRightClick();
  EXPECT_EQ(program.MenuTexts().back(), "Beenden");
  program.ChooseMenuItem({});
}

TEST_F(OptionsWindowTest, TheSecondKeyOfAControlWinsAndButtonsFallBackToTheirWords) {
  Start();
  // A language file edited while the program runs shows at the next showing.
  AddLanguage(world, "English.ini", "[Buttons]\nOK=Ja\n[Messages]\nAct_None=Nichts\n");
  Open();
  EXPECT_EQ(Text(W().OkButton), "Ja");
  EXPECT_EQ(C(W().DoubleClickList).items.front(), "Nichts");
  Click(W().CancelButton);
  struct Case {
    const char* file;
    const char* closingGroup;
    const char* shutdownGroup;
    const char* okButton;
  };
  // Each file is read over what the one before left.
  const Case cases[] = {
      {"", "Closing & locking CD/DVD device door", "Shutting Down", "OK"},
      {"[DeviceOptions]\nClosing=Y\nActionsOnShutdown=A\n[Buttons]\nOK=Ja\n", "Y", "A", "Ja"},
      {"[DeviceOptions]\nClosingLockingOpts=X\nClosing=Y\nShuttingDownOpts=S\n"
       "ActionsOnShutdown=A\n",
       "X", "S", "OK"},
      {"[DeviceOptions]\nClosingLockingOpts=\n", "", "S", "OK"},
  };
  for (const Case& c : cases) {
    program.Inject([&] { W().ApplyLanguage(TIniFile(c.file)); });
    EXPECT_EQ(Text(W().ClosingGroup), c.closingGroup) << c.file;
    EXPECT_EQ(Text(W().ShutdownGroup), c.shutdownGroup) << c.file;
    EXPECT_EQ(Text(W().OkButton), c.okButton) << c.file;
  }
  program.Inject([&] { W().ApplyLanguage(TIniFile("[DeviceOptions]\nInterval=Pause\n")); });
  EXPECT_EQ(Text(W().IntervalLabel), "Pause");
  EXPECT_EQ(Text(W().DiskLimitLabel), "Pause");
}

// The whole way a user changes a hot key: the page, the dialog above it,
// the page again with its ticks kept, and the store after OK.
TEST_F(OptionsWindowTest, TheHotKeyDialogChangesADrivesHotKeyUntilOkSavesIt) {
  Start();
  Open();
  Page('E');
  Click(W().ShowDialogCheck);
  Click(W().ChangeLockButton);
  TFrmHotKey& dialog = frmMain->FrmHotKey;
  ASSERT_TRUE(program.Window(dialog.Handle)->visible);
  EXPECT_FALSE(program.Window(frmMain->Handle)->enabled);
  const auto keys = program.Platform().windows.Items(dialog.KeyList);
  const auto f5 = std::find(keys.begin(), keys.end(), "F5");
  ASSERT_NE(f5, keys.end());
  program.SelectItem(dialog.KeyList, static_cast<int>(f5 - keys.begin()));
  program.ClickControl(dialog.CtrlBox);
  program.ClickControl(dialog.OkButton);
  EXPECT_FALSE(program.Window(dialog.Handle)->visible);
  EXPECT_TRUE(program.Window(frmMain->Handle)->enabled);
  EXPECT_EQ(Text(W().HotKeyLockText), "Ctrl + F5");
  EXPECT_EQ(Drive('E').HotKeyClose.Key, 0);
  EXPECT_TRUE(Ticked(W().ShowDialogCheck));
  EXPECT_TRUE(Drive('E').ShowDialogToCloseDriveImmediately);
  EXPECT_EQ(Stored("E HotKeyLock-Key"), std::nullopt);
  Click(W().OkButton);
  EXPECT_EQ(Stored("E HotKeyLock-Key"), "116");
  EXPECT_EQ(Stored("E HotKeyLock-Ctrl"), "1");
  EXPECT_EQ(Stored("E HotKeyClose-Key"), "0");
  EXPECT_EQ(Stored("D HotKeyLock-Key"), "0");
}

// OK registers again, under the drives' own identifiers, the hot keys whose
// combination changed, releasing each old one first; an unchanged one, even
// one the system refused at start-up, is not asked for again.
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
  for (const char key : {'E', 'N'}) {
    ASSERT_EQ(program.OpenBoxes().size(), 1u);
    EXPECT_EQ(program.OpenBoxes().front().text, kAlreadyUsed + "\r\nCtrl + Alt + " + key);
    program.AnswerBox();
  }
  const auto heldFor = [&](std::uint32_t key) -> int {
    const auto it = world.hotKeys.find({kCtrlAlt, key});
    if (it == world.hotKeys.end() || it->second.pid != program.Pid()) return 0;
    EXPECT_EQ(it->second.window, frmMain->Handle);
    return it->second.id;
  };

  Open();
  Page('D');
  SetHotKey(W().ChangeCloseButton, "K");
  SetHotKey(W().ChangeLockButton);  // none
  EXPECT_EQ(heldFor('K'), 0) << "nothing before OK";
  Click(W().OkButton);
  EXPECT_EQ(program.BoxHistory().size(), 2u) << "the refused keys are not asked for again";
  EXPECT_EQ(heldFor('K'), Drive('D').CloseHotKeyId);
  EXPECT_EQ(heldFor('D'), 0);
  EXPECT_EQ(heldFor('L'), 0);
  EXPECT_EQ(heldFor('M'), Drive('E').LockHotKeyId);
  EXPECT_EQ(world.hotKeys.size(), 4u) << "K and M, and the other program's two";
  EXPECT_FALSE(world.PressHotKey(kCtrlAlt, 'D'));
  EXPECT_FALSE(world.Drive('D').doorOpen);
  EXPECT_TRUE(world.PressHotKey(kCtrlAlt, 'K'));
  EXPECT_TRUE(world.Drive('D').doorOpen);

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
  EXPECT_TRUE(world.PressHotKey(kCtrlAlt, 'M'));
  EXPECT_FALSE(world.Drive('D').doorOpen);
  EXPECT_TRUE(world.PressHotKey(kCtrlAlt, 'K'));
  EXPECT_TRUE(Drive('E').Locked);

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
  EXPECT_EQ(box.text, kAlreadyUsed + "\r\nCtrl + Alt + E");
  EXPECT_EQ(box.caption, "Orbelle");
  EXPECT_EQ(box.flags,
            platform::mb::kIconHand | platform::mb::kSetForeground | platform::mb::kTopmost);
  EXPECT_EQ(box.owner, frmMain->Handle);
  program.AnswerBox();
  EXPECT_TRUE(program.OpenBoxes().empty());
  EXPECT_EQ(heldFor('M'), 0);
  ASSERT_TRUE(world.hotKeys.contains({kCtrlAlt | platform::mod::kShift, 'N'}));
  EXPECT_EQ(world.hotKeys.at({kCtrlAlt | platform::mod::kShift, 'N'}).id, Drive('F').LockHotKeyId);
  EXPECT_EQ(world.hotKeys.at({kCtrlAlt, 'E'}).pid, other.Pid());
  EXPECT_EQ(Stored("D HotKeyClose-Key"), "69");
}

TEST_F(OptionsWindowTest, TheLinksTurnBlueUnderTheMouseAndLaunch) {
  AddLanguage(world, "English.ini", "[Main]\nEmail=ann@example.com\n");
  Start();
  SaveOnce();
  Open();
  for (ControlHandle link : {W().SiteLink, W().TranslatorAddress}) {
    EXPECT_FALSE(C(link).highlighted);
    program.HoverControl(link, true);
    EXPECT_TRUE(C(link).highlighted);
    program.HoverControl(link, false);
    EXPECT_FALSE(C(link).highlighted);
  }
  Click(W().SiteLink);
  Click(W().TranslatorAddress);
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
  ASSERT_TRUE(frmMain->AutoCloseTimer.Enabled());
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
  EXPECT_TRUE(frmMain->PeriodicCloseTimer.Enabled());
  EXPECT_EQ(frmMain->PeriodicCloseTimer.Interval(), 20000u);
}

// --- whole runs of the program ------------------------------------------------------------

struct ProgramRun {
  Computer pc;
  sim::SimProcess* program = nullptr;
  void Start() { program = &pc.Start(); }
  platform::WindowHandle Options() { return program->WindowTitled("Orbelle 3")->handle; }
  const sim::SimControl* Find(const std::string& text) {
    return program->FindControl(Options(), text);
  }
  void OpenOptions() {
    program->TrayRightClick();
    program->ChooseMenuItem({"Options..."});
  }
};

TEST(OptionsWindowRun, TheFirstStartLeavesAutostartOnAndUntickingTurnsItOff) {
  ProgramRun run;
  run.Start();
  EXPECT_TRUE(run.Find(" Start automatically")->checked);
  EXPECT_FALSE(run.pc.world.Text(platform::kRunKey, platform::kAutostartValue));
  Computer::Close(*run.program);
  EXPECT_EQ(run.pc.world.Text(platform::kRunKey, platform::kAutostartValue), kRunValue);

  run.Start();
  run.OpenOptions();
  EXPECT_TRUE(run.Find(" Start automatically")->checked);
  run.program->ClickControl(run.Find(" Start automatically")->handle);
  run.program->ClickControl(run.Find("OK")->handle);
  EXPECT_FALSE(run.pc.world.Text(platform::kRunKey, platform::kAutostartValue));
  // The box now shows what is stored.
  run.OpenOptions();
  EXPECT_FALSE(run.Find(" Start automatically")->checked);
}

TEST(OptionsWindowRun, BrokenLanguageSetupsLeaveTheBuiltInTextsWithoutABox) {
  struct Case {
    const char* name;
    std::function<void(Computer&)> prepare;
    std::size_t entries;
  };
  const std::vector<Case> cases = {
      {"stored language names nothing",
       [](Computer& pc) { pc.Store("Currently used language", "C:\\nowhere\\Klingon.ini"); }, 0},
      {"no Language folder", [](Computer&) {}, 0},
      {"hundreds of files",
       [](Computer& pc) {
         for (int i = 0; i < 300; ++i) {
           pc.world.files[kLanguageFolder + std::to_string(i) + ".ini"] =
               "[Main]\nLangNameEng=L" + std::to_string(i) + "\n";
         }
       },
       300},
      {"a file of junk",
       [](Computer& pc) {
         pc.world.files[std::string(kLanguageFolder) + "English.ini"] =
             std::string(1, '\0') + "\xff[[=\n]]x=\n[Messages\nMsg_Locked";
       },
       1},
  };
  for (const Case& c : cases) {
    ProgramRun run;
    c.prepare(run.pc);
    run.Start();
    run.OpenOptions();
    ASSERT_TRUE(run.program->Running()) << c.name;
    EXPECT_TRUE(run.program->BoxHistory().empty()) << c.name;
    for (const char* text : {"OK", "Cancel", "Help", " Start automatically", "Interface language",
                             "Closing & locking CD/DVD device door"}) {
      EXPECT_NE(run.Find(text), nullptr) << c.name << ": " << text;
    }
    std::size_t entries = 0;
    for (const sim::SimControl* control : run.program->Controls(run.Options())) {
      if (control->params.kind == platform::ControlKind::List) entries = control->items.size();
    }
    EXPECT_EQ(entries, c.entries) << c.name;
    run.program->ClickControl(run.Find("OK")->handle);
    EXPECT_FALSE(run.program->WindowTitled("Orbelle 3")->visible) << c.name;
  }
}

}  // namespace
}  // namespace orbl::test
