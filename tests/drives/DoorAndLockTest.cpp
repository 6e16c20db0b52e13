// The door, lock and disc primitives as a drive sees them.
#include <gtest/gtest.h>

#include "drives/DriveControl.h"
#include "drives/DriveFixture.h"

namespace orbl::test {
namespace {

using Door = DriveFixture;

TEST_F(Door, OpenAndCloseEachOpenTheDeviceSendOneCommandAndCloseItEvenWhenRefused) {
  Start();
  // The letter reaches the device in the case the caller passed.
  Do([](TDriveControl& c) { c.OpenDoor('d'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open d", "door open D", "cd audio close D"}));
  EXPECT_TRUE(world.Drive('D').doorOpen);
  // The same three steps on a door that is already open: the drive decides.
  Do([](TDriveControl& c) { c.OpenDoor('D'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door open D", "cd audio close D"}));
  Do([](TDriveControl& c) { c.CloseDoor('D'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D", "door close D", "cd audio close D"}));
  EXPECT_FALSE(world.Drive('D').doorOpen);
  EXPECT_TRUE(program.BoxHistory().empty());
  EXPECT_FALSE(Drive('D').DoorOpen);  // the primitives keep no belief
  // A failed open sends nothing more; a refused command still closes the device.
  world.Drive('D').noDoorDevice = true;
  Do([](TDriveControl& c) { c.OpenDoor('D'); });
  Do([](TDriveControl& c) { c.CloseDoor('D'); });
  Do([](TDriveControl& c) { c.ProbeDoorDevice('D'); });
  EXPECT_EQ(Devices(),
            (Lines{"cd audio open D failed", "cd audio open D failed", "cd audio open D failed"}));
  world.Drive('E').doorRefused = true;
  Do([](TDriveControl& c) { c.OpenDoor('E'); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open E", "door open E refused", "cd audio close E"}));
  EXPECT_TRUE(program.BoxHistory().empty() && world.beeps.empty());
}

TEST_F(Door, StartUpProbesEveryDriveLastAndMovesNoDoor) {
  world.Drive('E').doorOpen = true;
  world.Drive('D').noDoorDevice = true;
  Start();
  EXPECT_TRUE(world.Drive('E').doorOpen);
  Do([](TDriveControl& c) { c.ProbeDoorDevices(); });
  EXPECT_EQ(Devices(), (Lines{"cd audio open D failed", "cd audio open E", "cd audio close E"}));
  EXPECT_TRUE(world.Drive('E').doorOpen);
}

using Lock = DriveFixture;

TEST_F(Lock, TheGuardedLockSendsOnceAndTheMenuLockEveryTime) {
  Start();
  const auto t0 = world.Now();
  Do([](TDriveControl& c) { c.LockDrive('D'); });
  EXPECT_EQ(world.Now() - t0, 100u);  // the guarded lock's pause
  Do([](TDriveControl& c) { c.LockDrive('d'); });
  EXPECT_EQ(Devices(), (Lines{"open device D", "lock D", "close device D"}));
  const auto t1 = world.Now();
  Do([](TDriveControl& c) { c.MenuLockDrive("E:"); });
  EXPECT_EQ(world.Now() - t1, 200u);
  Do([](TDriveControl& c) { c.MenuLockDrive("E:"); });
  EXPECT_EQ(Devices(), (Lines{"open device E", "lock E", "close device E", "open device E",
                              "lock E", "close device E"}));
  EXPECT_TRUE(Drive('D').Locked && Drive('E').Locked);
  EXPECT_EQ(State().UserLockedDrives, (std::set<char>{'d', 'e'}));
}

TEST_F(Lock, TheGuardedUnlockActsOnlyOnADriveBelievedLocked) {
  Start();
  Do([](TDriveControl& c) { c.UnlockDrive('D'); });
  EXPECT_TRUE(Devices().empty());
  Do([](TDriveControl& c) { c.LockDrive('D'); });
  Forget();
  const auto t0 = world.Now();
  Do([](TDriveControl& c) { c.UnlockDrive('D'); });
  EXPECT_EQ(world.Now() - t0, 200u);
  Do([](TDriveControl& c) { c.UnlockDrive('D'); });
  EXPECT_EQ(Devices(), (Lines{"open device D", "unlock D", "close device D"}));
  EXPECT_FALSE(Drive('D').Locked);
  EXPECT_TRUE(State().UserLockedDrives.empty());
  // The menu unlock always sends, one allow at least.
  Do([](TDriveControl& c) { c.MenuUnlockDrive("D:"); });
  EXPECT_EQ(Devices(), (Lines{"open device D", "unlock D", "close device D"}));
}

// Every combination of the program-wide switch and the drive's option, for
// success and failure of both requests: which box, which tones.
TEST_F(Lock, BoxesNeedBothConditionsAndBeepsOnlyFollowSuccess) {
  Start();
  struct Case {
    bool showLockMessages, showOption, beepOption, refused, lock;
    std::string box;  // empty: none
    std::uint32_t icon;
    Tones tones;
  };
  const std::string cantLock =
      "Unfortunately, the device cannot be locked right now. Please, retry later.";
  const std::string cantUnlock =
      "Unfortunately, the device cannot be unlocked right now. Please, retry later.";
  const Case cases[] = {
      {true, true, true, false, true, "Locked!", platform::mb::kIconInformation, kLockedTones},
      {true, true, false, false, false, "Unlocked!", platform::mb::kIconInformation, {}},
      {true, true, true, true, true, cantLock, platform::mb::kIconHand, {}},
      {true, true, true, true, false, cantUnlock, platform::mb::kIconExclamation, {}},
      {false, true, true, false, true, "", 0, kLockedTones},
      {false, true, true, false, false, "", 0, kUnlockedTones},
      {true, false, true, false, true, "", 0, kLockedTones},
      {true, false, false, true, true, "", 0, {}},
      {false, true, false, true, false, "", 0, {}},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(++n);
    world.Drive('D').lockRefused = c.refused;
    Drive('D').ShowMessagesWhenLockingUnlocking = c.showOption;
    Drive('D').BeepWhenLockingUnlocking = c.beepOption;
    Drive('D').Locked = !c.lock;
    State().ShowLockMessages = c.showLockMessages;
    const std::size_t boxesBefore = program.BoxHistory().size();
    Forget();
    Do([&](TDriveControl& control) { c.lock ? control.LockDrive('D') : control.UnlockDrive('D'); });
    if (c.box.empty()) {
      EXPECT_TRUE(program.OpenBoxes().empty());
    } else {
      ASSERT_EQ(program.OpenBoxes().size(), 1u);
      const sim::SimBox box = program.OpenBoxes().back();
      EXPECT_EQ(box.text, c.box);
      EXPECT_EQ(box.caption, c.box);
      EXPECT_EQ(box.flags,
                platform::mb::kOk | c.icon | platform::mb::kSetForeground | platform::mb::kTopmost);
      EXPECT_FALSE(box.behind);
      EXPECT_FALSE(box.owner);
      // The flag already holds the outcome while the box waits.
      EXPECT_EQ(Drive('D').Locked, c.lock);
      program.AnswerBox();
    }
    EXPECT_EQ(program.BoxHistory().size(), boxesBefore + (c.box.empty() ? 0 : 1));
    EXPECT_EQ(world.beeps, c.tones);
    EXPECT_EQ(Drive('D').Locked, c.lock);  // also after a refused request
  }
}

TEST_F(Lock, AHotKeyPressedWhileLockedShowsUnlocks) {
  Start();
  Drive('D').ShowMessagesWhenLockingUnlocking = true;
  Do([](TDriveControl& c) { c.ToggleLock('D'); });
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  Forget();
  Do([](TDriveControl& c) { c.ToggleLock('D'); });  // inside the box's loop
  EXPECT_EQ(Devices(), (Lines{"open device D", "unlock D", "close device D"}));
  ASSERT_EQ(program.OpenBoxes().size(), 2u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Unlocked!");
  program.AnswerBox();
  program.AnswerBox();
  EXPECT_FALSE(Drive('D').Locked);
}

TEST_F(Lock, UserLocksAreRecordedOnlyWhileTracked) {
  Start();
  State().TrackUserLocks = false;
  Do([](TDriveControl& c) { c.LockDrive('D'); });
  EXPECT_TRUE(State().UserLockedDrives.empty());
  State().TrackUserLocks = true;
  Do([](TDriveControl& c) { c.MenuLockDrive("E:"); });
  EXPECT_EQ(State().UserLockedDrives, std::set<char>{'e'});
  // A refused unlock keeps the record: the drive may still be locked.
  world.Drive('E').lockRefused = true;
  Do([](TDriveControl& c) { c.UnlockDrive('E'); });
  EXPECT_EQ(State().UserLockedDrives, std::set<char>{'e'});
}

// Windows counts prevent requests per device: every lock we made needs its
// own allow, and no more than those, or another program's lock would go.
TEST_F(Lock, AnUnlockSendsOneAllowPerLockThisRunMade) {
  Start();
  Do([](TDriveControl& c) { c.MenuLockDrive("D:"); });
  Do([](TDriveControl& c) { c.MenuLockDrive("D:"); });
  EXPECT_EQ(frmMain->DriveControl.HeldLocks('d'), 2);
  Forget();
  Do([](TDriveControl& c) { c.MenuUnlockDrive("D:"); });
  EXPECT_EQ(Devices(), (Lines{"open device D", "unlock D", "unlock D", "close device D"}));
  EXPECT_EQ(frmMain->DriveControl.HeldLocks('D'), 0);
  // A refused lock is not counted.
  world.Drive('D').lockRefused = true;
  Do([](TDriveControl& c) { c.MenuLockDrive("D:"); });
  EXPECT_EQ(frmMain->DriveControl.HeldLocks('D'), 0);
}

TEST_F(Lock, TheDiscTestAsksTheVolume) {
  Start();
  world.Drive('D').discInside = true;
  Do([](TDriveControl& c) {
    EXPECT_TRUE(c.IsDiscPresent('D'));
    EXPECT_FALSE(c.IsDiscPresent('e'));
    EXPECT_FALSE(c.IsDiscPresent('X'));
  });
  EXPECT_TRUE(program.BoxHistory().empty());
}

TEST_F(Lock, LettersOutsideTheTableReachNoDevice) {
  Start();
  Do([](TDriveControl& c) {
    for (char letter : {'C', 'X', 'z', '#', '\0'}) {
      const std::string caption(1, letter);
      c.LockDrive(letter);
      c.UnlockDrive(letter);
      c.MenuLockDrive(caption);
      c.MenuUnlockDrive(caption);
      c.OpenDrive(letter);
      c.CloseDrive(letter);
      c.MenuOpenDrive(caption);
      c.MenuCloseDrive(caption);
      c.ToggleDoor(letter);
      c.ToggleLock(letter);
    }
    c.MenuLockDrive("");
    c.MenuOpenDrive("");
  });
  EXPECT_TRUE(Devices().empty());
  EXPECT_FALSE(program.NextTimerDue().has_value());
}

}  // namespace
}  // namespace orbl::test
