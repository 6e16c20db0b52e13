// The close-now dialog on the simulated computer: its countdown on the
// virtual clock, the three ways out, the drives whose removals queue behind
// it, and the tray kept shut while it shows.
#include "ui/FrmCloseDrive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drives/DriveFixture.h"
#include "support/VolumeBroadcast.h"

namespace orbl::test {
namespace {

class FrmCloseDriveTest : public DriveFixture {
 protected:
  TFrmCloseDrive& Dialog() { return frmMain->FrmCloseDrive; }
  // Runs the show operation on the program's thread, as the removal handler
  // would; returns once the program waits, normally inside the dialog.
  void ShowFor(char letter) {
    const int index = FindDriveIndex(frmMain->DriveTable, letter);
    program.Inject([this, index] { Dialog().ShowForDrive(index); });
  }
  bool Up() { return program.Window(Dialog().Handle)->visible; }
  std::string Text(platform::ControlHandle control) {
    return program.Platform().windows.ControlText(control);
  }
  std::string CloseText() { return Text(Dialog().CloseButton); }
  std::string DriveText() { return Text(Dialog().DriveLabel); }
  void Click(platform::ControlHandle button) { program.ClickControl(button); }
  void Eject(char letter) { ASSERT_TRUE(world.PressEjectButton(letter)); }
  // The system's notice that the media of the drives in `unitMask` went.
  void Removal(std::uint32_t unitMask) {
    program.Send(frmMain->Handle, platform::msg::kDeviceChange,
                 platform::msg::kDbtDeviceRemoveComplete,
                 VolumeBroadcast(20, platform::msg::kDbtDevTypVolume, unitMask));
  }
};

TEST_F(FrmCloseDriveTest, CloseShutsTheDoorAtOnceAndLocksOnlyWhenAskedWithoutABox) {
  Start();
  // D closes only; E locks after its close, with every box and beep it has.
  for (const char letter : {'D', 'E'}) {
    program.Inject([&, letter] {
      TDriveRecord& drive = Drive(letter);
      drive.LockWithOpenClose = letter == 'E';
      drive.ShowMessagesWhenLockingUnlocking = true;
      drive.BeepWhenLockingUnlocking = true;
    });
  }
  for (const char letter : {'D', 'E'}) {
    SCOPED_TRACE(letter);
    const bool locks = letter == 'E';
    Eject(letter);
    Forget();
    ShowFor(letter);
    world.Advance(3000);
    EXPECT_EQ(CloseText(), "OK (13)");
    Click(Dialog().CloseButton);
    EXPECT_FALSE(Up());
    EXPECT_TRUE(Dialog().CloseChosen);
    EXPECT_FALSE(world.Drive(letter).doorOpen);
    EXPECT_FALSE(Drive(letter).DoorOpen);
    // At once, the 300 ms pause, then the lock with its beeps.
    const Lines expected = locks ? Lines{"[6.300] cd audio open E",
                                         "[6.300] door close E",
                                         "[6.300] cd audio close E",
                                         "[6.300] pause 300 ms",
                                         "[6.600] open device E",
                                         "[6.600] pause 100 ms",
                                         "[6.700] lock E",
                                         "[6.700] close device E",
                                         "[6.700] beep 500 Hz, 70 ms",
                                         "[6.770] beep 1000 Hz, 70 ms",
                                         "[6.840] beep 1500 Hz, 70 ms",
                                         "[6.910] beep 1000 Hz, 70 ms",
                                         "[6.980] beep 500 Hz, 70 ms"}
                                 : Lines{"[3.000] cd audio open D", "[3.000] door close D",
                                         "[3.000] cd audio close D", "[3.000] pause 300 ms"};
    EXPECT_EQ(Timeline(), expected);
    EXPECT_EQ(Drive(letter).Locked, locks);
    EXPECT_EQ(world.Drive(letter).lockCount, locks ? 1 : 0);
    EXPECT_EQ(BoxTexts(), Lines{}) << "no Locked! box";
    EXPECT_TRUE(State().ShowLockMessages);
    EXPECT_EQ(State().CloseDialogDrive, -1);
  }
}

TEST_F(FrmCloseDriveTest, CancelLeavesTheDoorToTheAutomaticClose) {
  Start();
  Eject('D');
  // What a removal does before it shows the dialog.
  Do([](TDriveControl& c) { c.StartAutoClose(); });
  Forget();
  ShowFor('D');
  world.Advance(2000);
  Click(Dialog().CancelButton);
  EXPECT_FALSE(Up());
  EXPECT_FALSE(Dialog().CloseChosen);
  EXPECT_EQ(State().CloseDialogDrive, -1);
  world.Advance(12900);
  EXPECT_TRUE(world.Drive('D').doorOpen);
  EXPECT_EQ(Devices(), Lines{});
  world.Advance(100);
  EXPECT_FALSE(world.Drive('D').doorOpen) << "closed by the automatic close at 15 s";
}

// Built with the main window (FrmAboutTest lists every window built before
// start-up); Enter typed on into the dialog must not shut a door, and Esc is
// Cancel too.
TEST_F(FrmCloseDriveTest, TheWindowIsBuiltHiddenBeforeStartUpAndOffersNoWayOutButItsButtons) {
  Start();
  const sim::SimWindow& window = *program.Window(Dialog().Handle);
  EXPECT_FALSE(window.visible);
  EXPECT_TRUE(window.params.topmost);
  EXPECT_TRUE(window.params.centered);
  EXPECT_FALSE(window.params.minimizeBox || window.params.maximizeBox);
  EXPECT_TRUE(window.systemMenuTrimmed);
  std::vector<std::string> controls;
  for (const sim::SimControl* c : program.Controls(Dialog().Handle)) {
    const platform::ControlParams& p = c->params;
    controls.push_back(
        c->text + (p.kind == platform::ControlKind::Picture ? "picture " + p.image : "") +
        (p.kind == platform::ControlKind::Divider ? "divider" : "") + (p.bold ? " [bold]" : "") +
        (p.defaultButton ? " [default]" : "") + (p.cancelButton ? " [cancel]" : ""));
  }
  EXPECT_EQ(controls,
            (Lines{"picture FRMCLOSEDRIVE_IMAGELIST1", "Close the door of the drive immediately?",
                   "Drive K: [bold]", "divider", "Close (15)", "Cancel [default] [cancel]"}));

  Eject('D');
  ShowFor('D');
  program.CloseWindowByUser(Dialog().Handle);
  EXPECT_TRUE(Up()) << "a close request does not end the showing";
  Click(Dialog().CancelButton);
  EXPECT_FALSE(Up());
}

// The countdown shows its start twice and ends without touching the door; its
// words come from the language, its count from the timer.
TEST_F(FrmCloseDriveTest, TheWordsComeFromTheLanguageAndTheCountFromTheTimer) {
  Start();
  Eject('D');
  Forget();
  ShowFor('D');
  ASSERT_TRUE(Up());
  EXPECT_EQ(State().CloseDialogDrive, 0);
  EXPECT_EQ(DriveText(), "Drive D:");
  std::vector<std::string> seen = {CloseText()};
  for (int second = 1; second <= 14; ++second) {
    world.Advance(1000);
    seen.push_back(CloseText());
  }
  EXPECT_EQ(seen, (Lines{"OK (15)", "OK (15)", "OK (14)", "OK (13)", "OK (12)", "OK (11)",
                         "OK (10)", "OK (9)", "OK (8)", "OK (7)", "OK (6)", "OK (5)", "OK (4)",
                         "OK (3)", "OK (2)"}));
  ASSERT_TRUE(Up());
  world.Advance(1000);
  EXPECT_FALSE(Up());
  // The time-out, started first, comes before the tick due at the same time.
  EXPECT_EQ(CloseText(), "OK (2)");
  EXPECT_FALSE(Dialog().CloseChosen);
  EXPECT_EQ(State().CloseDialogDrive, -1);
  EXPECT_TRUE(world.Drive('D').doorOpen);
  EXPECT_EQ(Devices(), Lines{});
  // Both timers went with the dialog.
  EXPECT_FALSE(program.NextTimerDue().has_value());

  struct Case {
    std::int32_t interval;
    std::string word;
    std::string shown;
    std::uint64_t timeOutMs;
  };
  const std::vector<Case> cases = {
      {15, "Close", "Close (15)", 15000},
      {20, "OK", "OK (20)", 20000},
      // A stored 0 or less waits the one second the timer is given.
      {0, "OK", "OK (1)", 1000},
      {-5, "OK", "OK (1)", 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    program.Inject([&] {
      Drive('E').AutocloseInterval = c.interval;
      Dialog().CloseWord = c.word;
      frmMain->Texts.Msg_Drive = "Laufwerk";
    });
    ShowFor('E');
    EXPECT_EQ(DriveText(), "Laufwerk E:");
    EXPECT_EQ(CloseText(), c.shown);
    world.Advance(c.timeOutMs - 1);
    EXPECT_TRUE(Up());
    world.Advance(1);
    EXPECT_FALSE(Up());
  }
}

// The removal handler shows the dialog for one drive at a time. A removal
// that comes while it is up queues its drives behind the ones waiting, each
// once and never the one shown; their dialogs follow one after the other.
TEST_F(FrmCloseDriveTest, DrivesRemovedDuringTheDialogGetTheirOwnDialogsAfterwardsEachOnce) {
  Start({'D', 'E', 'F'});
  program.Inject([&] {
    for (TDriveRecord& drive : frmMain->DriveTable) drive.ShowDialogToCloseDriveImmediately = true;
    Drive('E').AutocloseInterval = 20;
  });
  for (const char letter : {'D', 'E', 'F'}) Eject(letter);
  Removal(UnitBit('D'));
  ASSERT_TRUE(Up());
  // Each of these returns at once; the dialog stays with D.
  Removal(UnitBit('E'));
  Removal(UnitBit('F') | UnitBit('E') | UnitBit('D'));
  EXPECT_EQ(DriveText(), "Drive D:");
  EXPECT_EQ(State().CloseDialogDrive, 0);
  world.Advance(3000);
  EXPECT_EQ(CloseText(), "OK (13)");

  Click(Dialog().CancelButton);
  ASSERT_TRUE(Up()) << "E's dialog follows";
  EXPECT_EQ(DriveText(), "Drive E:");
  EXPECT_EQ(CloseText(), "OK (20)");
  EXPECT_EQ(State().CloseDialogDrive, 1);
  Click(Dialog().CloseButton);
  ASSERT_TRUE(Up()) << "then F's";
  EXPECT_EQ(DriveText(), "Drive F:");
  Click(Dialog().CancelButton);
  EXPECT_FALSE(Up()) << "each drive once";
  EXPECT_FALSE(world.Drive('E').doorOpen);
  EXPECT_TRUE(world.Drive('D').doorOpen);
  EXPECT_EQ(State().CloseDialogDrive, -1);

  // The queue went with its showing; one removal naming two drives shows
  // them in table order.
  Removal(UnitBit('F') | UnitBit('D'));
  EXPECT_EQ(DriveText(), "Drive D:");
  Click(Dialog().CloseButton);
  ASSERT_TRUE(Up());
  EXPECT_EQ(DriveText(), "Drive F:");
  Click(Dialog().CloseButton);
  EXPECT_FALSE(Up());
  EXPECT_FALSE(world.Drive('D').doorOpen);
  EXPECT_FALSE(world.Drive('F').doorOpen);
}

TEST_F(FrmCloseDriveTest, AQueuedDriveWhoseDoorWasShutMeanwhileIsDropped) {
  // E's removal comes while D's dialog counts down; the automatic close shuts
  // E after 5 s. Its dialog follows only when its door is open after all.
  struct Case {
    const char* name;
    bool closeRefused;
    bool openedAgain;
    bool dialogFollows;
  };
  const std::vector<Case> cases = {
      {"shut", false, false, false},
      {"the device refused the close", true, false, true},
      {"opened again after the close", false, true, true},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    program.Inject([&] {
      for (TDriveRecord& drive : frmMain->DriveTable) {
        drive.ShowDialogToCloseDriveImmediately = true;
      }
      Drive('E').AutocloseInterval = 5;
      Drive('D').AutoCloseAfterInterval = false;
    });
    world.Drive('E').doorRefused = c.closeRefused;
    if (!world.Drive('D').doorOpen) Eject('D');
    if (!world.Drive('E').doorOpen) Eject('E');
    Removal(UnitBit('D'));
    ASSERT_TRUE(Up());
    Removal(UnitBit('E'));
    world.Advance(6000);
    EXPECT_EQ(world.Drive('E').doorOpen, c.closeRefused);
    if (c.openedAgain) Do([](TDriveControl& control) { control.OpenDrive('E'); });
    EXPECT_EQ(DriveText(), "Drive D:");
    Click(Dialog().CancelButton);
    EXPECT_EQ(Up(), c.dialogFollows);
    if (Up()) {
      EXPECT_EQ(DriveText(), "Drive E:");
      Click(Dialog().CancelButton);
    }
    EXPECT_FALSE(Up());
  }
}

TEST_F(FrmCloseDriveTest, TheTrayIconOffersNothingWhileTheDialogShows) {
  Start();
  program.Inject([&] {
    frmMain->Options.DoubleLetter = 'e';
    frmMain->Options.DoubleAction = static_cast<std::int32_t>(TDriveAction::OpenCloseDrive);
  });
  Eject('D');
  ShowFor('D');
  Forget();
  const auto calls = program.Calls().size();
  program.TrayRightClick();
  EXPECT_FALSE(program.MenuOpen());
  program.TrayDoubleClick();
  EXPECT_EQ(Devices(), Lines{}) << "E's door stays shut";
  EXPECT_EQ(program.Calls().size(), calls) << "nothing comes to the front either";

  Click(Dialog().CancelButton);
  program.TrayRightClick();
  EXPECT_TRUE(program.MenuOpen());
  program.ChooseMenuItem({});
  program.TrayDoubleClick();
  EXPECT_TRUE(world.Drive('E').doorOpen);
}

}  // namespace
}  // namespace orbl::test
