// Drive actions and their timers, on virtual time.
#include <gtest/gtest.h>

#include "drives/DriveControl.h"
#include "drives/DriveFixture.h"

namespace orbl::test {
namespace {

TEST(IntervalMs, NeverBelowOneSecondNorAboveWhatATimerTakes) {
  const std::pair<std::int32_t, std::uint32_t> cases[] = {
      {15, 15000u},
      {1, 1000u},
      {0, 1000u},
      {-1, 1000u},
      {INT32_MIN, 1000u},
      {2147483, 2147483000u},
      {2147484, kMaxTimerMs},
      {INT32_MAX, kMaxTimerMs},
  };
  for (auto [seconds, ms] : cases) EXPECT_EQ(IntervalMs(seconds), ms) << seconds;
}

using Actions = DriveFixture;

TEST_F(Actions, OpeningFromTheMenuPausesThenOpensAndClosingClosesThenPauses) {
  Start();
  const auto t0 = world.Now();
  Do([](TDriveControl& c) { c.MenuOpenDrive("D:"); });
  EXPECT_EQ(world.Now() - t0, 300u);
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door open D", "cd audio close D"}));
  EXPECT_TRUE(Drive('D').DoorOpen);
  const auto t1 = world.Now();
  Do([](TDriveControl& c) { c.MenuCloseDrive("D:"); });
  EXPECT_EQ(world.Now() - t1, 300u);
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D"}));
  EXPECT_FALSE(Drive('D').DoorOpen);
  // The menu does not ask the belief; the guarded pair does.
  Do([](TDriveControl& c) { c.MenuCloseDrive("D:"); });
  EXPECT_EQ(Devices().size(), 3u);
  Do([](TDriveControl& c) { c.CloseDrive('D'); });
  EXPECT_TRUE(Devices().empty());
  Drive('D').DoorOpen = true;  // believed open while the door is shut
  Do([](TDriveControl& c) { c.OpenDrive('D'); });
  EXPECT_TRUE(Devices().empty());
}

TEST_F(Actions, ToggleDoorGoesByTheBeliefNotByTheDoor) {
  Start();
  world.Drive('D').doorOpen = true;  // opened by hand
  Do([](TDriveControl& c) { c.ToggleDoor('d'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open d", "door open D", "cd audio close D"}));
  Do([](TDriveControl& c) { c.ToggleDoor('D'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D"}));
  // A failed open still counts as open.
  world.Drive('D').noDoorDevice = true;
  Do([](TDriveControl& c) { c.ToggleDoor('D'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D failed"}));
  EXPECT_TRUE(Drive('D').DoorOpen);
  EXPECT_TRUE(program.BoxHistory().empty());
}

TEST_F(Actions, LockWithOpenCloseUnlocksBeforeOpeningAndLocksAfterClosing) {
  Start();
  Drive('D').LockWithOpenClose = true;
  Drive('D').ShowMessagesWhenLockingUnlocking = true;
  Drive('D').BeepWhenLockingUnlocking = true;
  Do([](TDriveControl& c) { c.MenuLockDrive("D:"); });
  program.AnswerBox();
  world.Advance(1000 - world.Now());
  Forget();
  Do([](TDriveControl& c) { c.ToggleDoor('D'); });
  EXPECT_EQ(Timeline(), (Lines{"[1.000] open device D", "[1.000] pause 200 ms", "[1.200] unlock D",
                               "[1.200] close device D", "[1.200] beep 1500 Hz, 70 ms",
                               "[1.270] beep 1000 Hz, 70 ms", "[1.340] beep 500 Hz, 70 ms",
                               "[1.410] beep 1000 Hz, 70 ms", "[1.480] beep 1500 Hz, 70 ms",
                               "[1.550] pause 300 ms", "[1.850] cd audio open D",
                               "[1.850] door open D", "[1.850] cd audio close D"}));
  world.Advance(2150);
  Forget();
  Do([](TDriveControl& c) { c.ToggleDoor('D'); });
  EXPECT_EQ(Timeline(),
            (Lines{"[4.000] cd audio open D", "[4.000] door close D", "[4.000] cd audio close D",
                   "[4.000] pause 300 ms", "[4.300] open device D", "[4.300] pause 100 ms",
                   "[4.400] lock D", "[4.400] close device D", "[4.400] beep 500 Hz, 70 ms",
                   "[4.470] beep 1000 Hz, 70 ms", "[4.540] beep 1500 Hz, 70 ms",
                   "[4.610] beep 1000 Hz, 70 ms", "[4.680] beep 500 Hz, 70 ms"}));
  EXPECT_EQ(program.BoxHistory().size(), 1u);  // only the menu lock's own box
  EXPECT_TRUE(State().ShowLockMessages);
  EXPECT_TRUE(Drive('D').Locked);
  EXPECT_EQ(world.Drive('D').lockCount, 1);
}

TEST_F(Actions, ToggleAllDoorsAndLocksAlternateByTheProgramsOwnFlag) {
  Start();
  Drive('E').DoorOpen = true;  // believed open already: not opened again
  Do([](TDriveControl& c) { c.ToggleAllDoors(); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door open D", "cd audio close D"}));
  EXPECT_TRUE(State().AllDoorsOpened);
  Do([](TDriveControl& c) { c.ToggleAllDoors(); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D",
                              "cd audio open E", "door close E", "cd audio close E"}));
  EXPECT_FALSE(State().AllDoorsOpened);
  EXPECT_FALSE(Drive('D').DoorOpen || Drive('E').DoorOpen);

  // The locks alternate likewise, whatever the drives say.
  Drive('D').Locked = true;
  Drive('E').ShowMessagesWhenLockingUnlocking = true;
  Do([](TDriveControl& c) { c.ToggleAllLocks(); });
  ASSERT_EQ(program.OpenBoxes().size(), 1u);  // E's own box, the walk waits
  program.AnswerBox();
  EXPECT_EQ(Devices(), (Lines{"open device E", "lock E", "close device E"}));
  EXPECT_TRUE(State().AllDrivesLocked);
  Drive('D').Locked = false;
  Do([](TDriveControl& c) { c.ToggleAllLocks(); });
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  program.AnswerBox();
  EXPECT_EQ(Devices(), (Lines{"open device E", "unlock E", "close device E"}));
  EXPECT_FALSE(State().AllDrivesLocked);
  EXPECT_EQ(BoxTexts(), (Lines{"Locked!", "Unlocked!"}));
}

TEST_F(Actions, RunDriveActionForEveryNumber) {
  Start();
  Do([](TDriveControl& c) { c.RunDriveAction('e', 1); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open e", "door open E", "cd audio close E"}));
  Do([](TDriveControl& c) { c.RunDriveAction('E', 2); });
  EXPECT_EQ(Devices(), (Lines{"open device E", "lock E", "close device E"}));
  Do([](TDriveControl& c) { c.RunDriveAction('X', 3); });  // the letter plays no part
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door open D", "cd audio close D"}));
  EXPECT_TRUE(State().AllDoorsOpened);
  Do([](TDriveControl& c) { c.RunDriveAction(0, 4); });
  EXPECT_EQ(Devices(), (Lines{"open device D", "lock D", "close device D"}));
  EXPECT_TRUE(State().AllDrivesLocked);
  for (std::int32_t number : {0, -1, 6, 99, INT32_MIN, INT32_MAX}) {
    Do([number](TDriveControl& c) { c.RunDriveAction('D', number); });
  }
  Do([](TDriveControl& c) {
    c.RunDriveAction('X', 1);
    c.RunDriveAction('#', 2);
  });
  EXPECT_TRUE(Devices().empty());
  EXPECT_FALSE(program.Window(frmMain->Handle)->visible);
  Do([](TDriveControl& c) { c.RunDriveAction('D', 5); });
  EXPECT_TRUE(program.Window(frmMain->Handle)->visible);
  EXPECT_TRUE(Devices().empty());
}

TEST_F(Actions, AnEmptyDriveTableTouchesNoDevice) {
  Start({});
  Do([](TDriveControl& c) {
    c.ToggleAllDoors();
    c.ToggleAllDoors();
    c.ToggleAllLocks();
    c.ToggleAllLocks();
    c.LockDrivesOnStart();
    c.StartAutoClose();
    c.AutoCloseTimerTick();
    c.PeriodicCloseTimerTick();
    for (std::int32_t action = -1; action <= 6; ++action)
      c.RunDriveAction('D', action == 5 ? 0 : action);
  });
  world.Advance(3600 * 1000);
  EXPECT_TRUE(Devices().empty());
  EXPECT_FALSE(program.NextTimerDue().has_value());
}

using AutoClose = DriveFixture;

TEST_F(AutoClose, ARemovalClosesTheDrivesInOrderOfTheirIntervals) {
  Start();
  Drive('D').AutocloseInterval = 10;
  Drive('E').AutocloseInterval = 25;
  world.Advance(1000 - world.Now());
  Forget();
  Do([](TDriveControl& c) { c.StartAutoClose(); });
  EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), 10000u);
  world.Advance(3600 * 1000);
  EXPECT_EQ(Timeline(),
            (Lines{"[11.000] cd audio open D", "[11.000] door close D", "[11.000] cd audio close D",
                   "[11.000] pause 300 ms", "[26.300] cd audio open E", "[26.300] door close E",
                   "[26.300] cd audio close E", "[26.300] pause 300 ms"}));
  EXPECT_FALSE(frmMain->AutoCloseTimer.Enabled());
}

TEST_F(AutoClose, EqualIntervalsCloseOneAfterTheOtherInTableOrder) {
  Start({'D', 'E', 'F', 'G'});
  Drive('D').AutocloseInterval = 20;
  Drive('E').AutocloseInterval = 0;   // counts as one second
  Drive('F').AutocloseInterval = -7;  // likewise, and after E in the table
  Drive('G').AutocloseInterval = 20;
  Drive('G').AutoCloseAfterInterval = false;  // its step passes without a command
  Do([](TDriveControl& c) { c.StartAutoClose(); });
  EXPECT_EQ(frmMain->DriveControl.AutoCloseSchedule(), (std::vector<int>{1, 2, 0, 3}));
  const auto t0 = world.Now();
  world.Advance(1000);
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door close E", "cd audio close E",
                              "cd audio open F", "door close F", "cd audio close F"}));
  EXPECT_EQ(world.Now() - t0, 1600u);
  world.Advance(18999);
  EXPECT_TRUE(Devices().empty());
  world.Advance(1);
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D"}));
  EXPECT_FALSE(frmMain->AutoCloseTimer.Enabled());
}

TEST_F(AutoClose, HugeIntervalsAreClampedAndNeverWrap) {
  Start();
  Drive('D').AutocloseInterval = INT32_MAX;
  Drive('E').AutocloseInterval = 2147483;
  Do([](TDriveControl& c) { c.StartAutoClose(); });
  EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), 2147483000u);
  world.Advance(2147483000u);
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door close E", "cd audio close E"}));
  // 647 ms apart once clamped: the timer still waits a whole second.
  EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), 1000u);
  world.Advance(1300);
  EXPECT_EQ(Devices().size(), 3u);
}

// A removal restarts the wait; a schedule that ran through runs again from
// its first step.
TEST_F(AutoClose, ASecondRemovalStartsTheWaitAfresh) {
  Start();
  Do([](TDriveControl& c) { c.StartAutoClose(); });
  world.Advance(13000);
  Do([](TDriveControl& c) { c.StartAutoClose(); });
  world.Advance(14999);
  EXPECT_TRUE(Devices().empty());
  world.Advance(1);
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D",
                              "cd audio open E", "door close E", "cd audio close E"}));
  Drive('D').AutocloseInterval = 10;
  Drive('E').AutocloseInterval = 20;
  for (int removal = 0; removal < 2; ++removal) {
    SCOPED_TRACE(removal);
    Do([](TDriveControl& c) { c.StartAutoClose(); });
    EXPECT_EQ(State().AutoClosePosition, 0);
    world.Advance(10000);
    EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D"}));
    world.Advance(10000);
    EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door close E", "cd audio close E"}));
  }
}

TEST_F(AutoClose, AnOpenActionClosesOnlyTheOpenedDriveAfterItsInterval) {
  Start();
  Drive('D').AutocloseInterval = 30;
  Drive('E').AutocloseInterval = 5;
  Do([](TDriveControl& c) { c.MenuOpenDrive("D:"); });
  Forget();
  world.Advance(29999);
  EXPECT_TRUE(Devices().empty());
  world.Advance(1);
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D"}));
  EXPECT_FALSE(Drive('D').DoorOpen);
  EXPECT_FALSE(frmMain->AutoCloseTimer.Enabled());
  // Opened again 10 s into its wait: the wait starts over.
  Do([](TDriveControl& c) { c.ToggleDoor('D'); });
  world.Advance(10000);
  Do([](TDriveControl& c) { c.MenuOpenDrive("D:"); });
  Forget();
  world.Advance(29999);
  EXPECT_TRUE(Devices().empty());
  world.Advance(1);
  EXPECT_EQ(Devices().size(), 3u);
  // Without the drive's auto-close option an open arms nothing.
  Drive('D').AutoCloseAfterInterval = false;
  Do([](TDriveControl& c) { c.MenuOpenDrive("D:"); });
  EXPECT_FALSE(program.NextTimerDue().has_value());
}

TEST_F(AutoClose, ThePeriodicCloseSendsTheCommandAndLeavesTheBeliefAlone) {
  Start();
  Drive('E').TryToCloseEverySomeSeconds = true;
  Drive('E').LockWithOpenClose = true;
  Do([](TDriveControl& c) { c.MenuOpenDrive("E:"); });
  Forget();
  const auto t0 = world.Now();
  Do([](TDriveControl& c) { c.PeriodicCloseTimerTick(); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door close E", "cd audio close E"}));
  EXPECT_EQ(world.Now(), t0);  // no pause, no lock
  EXPECT_TRUE(Drive('E').DoorOpen);
  // So the next toggle closes a door that is already shut.
  Do([](TDriveControl& c) { c.ToggleDoor('E'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door close E", "cd audio close E",
                              "open device E", "lock E", "close device E"}));
  // The timer ticks through the program, for each drive with the option.
  Drive('D').TryToCloseEverySomeSeconds = true;
  program.Inject([this] {
    frmMain->PeriodicCloseTimer.SetInterval(IntervalMs(0));
    frmMain->PeriodicCloseTimer.SetEnabled(true);
  });
  world.Advance(3000);
  EXPECT_EQ(Devices().size(), 18u);
}

}  // namespace
}  // namespace orbl::test
