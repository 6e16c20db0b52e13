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
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door open D", "cd audio close D"}));
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
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door open E", "cd audio close E"}));
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
                   "[11.000] pause 300 ms", "[26.000] cd audio open E", "[26.000] door close E",
                   "[26.000] cd audio close E", "[26.000] pause 300 ms"}));
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
  const auto t0 = world.Now();
  world.Advance(1000);
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door close E", "cd audio close E",
                              "cd audio open F", "door close F", "cd audio close F"}));
  EXPECT_EQ(world.Now() - t0, 1600u);
  // D is due 20 s after the removal, whatever the closes before it took.
  world.Advance(18399);
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
  // 647 ms apart once clamped, 300 of them spent in E's close.
  EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), 347u);
  world.Advance(347);
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

// Each drive keeps its own pending close: a later open or removal never
// drops an earlier one, and each door shuts after its own interval. The
// cases run one after the other on one program; times count from each
// case's start.
TEST_F(AutoClose, EveryOpenedDriveIsClosedAfterItsOwnInterval) {
  using Action = std::function<void(TDriveControl&)>;
  struct Case {
    const char* what;
    std::int32_t intervalD, intervalE;
    Action first;
    std::uint64_t pause;
    Action then;
    Lines closes;
  };
  const std::vector<Case> cases = {
      {"open all",
       10,
       25,
       [](TDriveControl& c) { c.ToggleAllDoors(); },
       0,
       nullptr,
       {"10300 door close D", "25600 door close E"}},
      {"open D, then E 5 s later",
       15,
       15,
       [](TDriveControl& c) { c.MenuOpenDrive("D:"); },
       5000,
       [](TDriveControl& c) { c.ToggleDoor('E'); },
       {"15300 door close D", "20600 door close E"}},
      {"a removal, then E opened 5 s later",
       15,
       15,
       [](TDriveControl& c) { c.StartAutoClose(); },
       5000,
       [](TDriveControl& c) { c.ToggleDoor('E'); },
       {"15000 door close D", "20300 door close E"}},
      {"D and E opened, a removal restarts both",
       15,
       30,
       [](TDriveControl& c) { c.OpenAllDrives(); },
       4400,
       [](TDriveControl& c) { c.StartAutoClose(); },
       {"20000 door close D", "35000 door close E"}},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Drive('D').AutocloseInterval = c.intervalD;
    Drive('E').AutocloseInterval = c.intervalE;
    Forget();
    const auto t0 = world.Now();
    Do(c.first);
    world.Advance(c.pause);
    if (c.then) Do(c.then);
    world.Advance(60000);
    Lines closes;
    for (const std::string& line : Timeline()) {
      const auto at = line.find("] door close");
      if (at == std::string::npos) continue;
      const auto ms = static_cast<std::uint64_t>(std::stod(line.substr(1, at - 1)) * 1000 + 0.5);
      closes.push_back(std::to_string(ms - t0) + line.substr(at + 1));
    }
    EXPECT_EQ(closes, c.closes);
    EXPECT_FALSE(Drive('D').DoorOpen || Drive('E').DoorOpen);
    EXPECT_FALSE(frmMain->AutoCloseTimer.Enabled());
  }
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
