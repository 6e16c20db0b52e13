// The state frmMain holds after start-up, read from inside the program.
#include "app/FrmMain.h"

#include <gtest/gtest.h>

#include "drives/DriveFixture.h"

namespace orbl {
namespace {

// The program started on the simulated computer, its frmMain at hand.
using FrmMainAfterStartUp = test::DriveFixture;

TEST_F(FrmMainAfterStartUp, HoldsOneRecordPerOpticalDriveWithItsHotKeyAtoms) {
  Start({'D', 'F'});
  ASSERT_EQ(frmMain->DriveTable.size(), 2u);
  EXPECT_EQ(frmMain->DriveTable[0].Letter, 'D');
  EXPECT_EQ(frmMain->DriveTable[1].Letter, 'F');
  const std::string handle = std::to_string(frmMain->Handle.value);
  for (const TDriveRecord& drive : frmMain->DriveTable) {
    const std::string letter(1, drive.Letter);
    EXPECT_EQ(world.AtomName(static_cast<platform::Atom>(drive.CloseHotKeyId)),
              "Orbelle drive " + letter + " close" + handle);
    EXPECT_EQ(world.AtomName(static_cast<platform::Atom>(drive.LockHotKeyId)),
              "Orbelle drive " + letter + " lock" + handle);
  }
  EXPECT_EQ(frmMain->ActionLists.Double,
            (std::vector<std::string>{
                "None", "Open/Close drive D:", "Lock/Unlock drive D:", "Open/Close drive F:",
                "Lock/Unlock drive F:", "Open/Close all drives", "Lock/Unlock all drives",
                "Show options dialog"}));
  EXPECT_EQ(frmMain->ActionLists.Single,
            std::vector<std::string>(frmMain->ActionLists.Double.begin(),
                                     frmMain->ActionLists.Double.end() - 1));
}

TEST_F(FrmMainAfterStartUp, StartsWithTheDocumentedStateAndNoTimerRunning) {
  Start({});
  const TFrmMain& m = *frmMain;
  EXPECT_TRUE(m.DriveTable.empty());
  EXPECT_EQ(m.ActionLists.Double,
            (std::vector<std::string>{"None", "Open/Close all drives", "Lock/Unlock all drives",
                                      "Show options dialog"}));
  EXPECT_TRUE(m.State.ShowLockMessages);
  EXPECT_TRUE(m.State.TrackUserLocks);
  EXPECT_TRUE(m.State.UserLockedDrives.empty());
  EXPECT_EQ(m.State.CloseDialogDrive, -1);
  EXPECT_FALSE(m.State.AllDoorsOpened || m.State.AllDrivesLocked || m.State.Asleep ||
               m.State.JustResumed);
  EXPECT_EQ(m.State.MenuForegroundWindow, m.Handle);
  // The hide step at start-up takes the drive page's built DiskLimit of 20 s.
  EXPECT_EQ(m.AutoCloseTimer.Interval(), 20000u);
  EXPECT_EQ(m.PeriodicCloseTimer.Interval(), 1000u);
  EXPECT_FALSE(m.AutoCloseTimer.Enabled() || m.PeriodicCloseTimer.Enabled());
  EXPECT_FALSE(program.NextTimerDue().has_value());
  EXPECT_EQ(m.DefaultLanguageFile(), "C:\\Program Files\\Orbelle\\Language\\English.ini");
}

TEST_F(FrmMainAfterStartUp, ReadsTheAutostartEntryRegardlessOfCase) {
  world.SetText("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Orbelle",
                "c:\\program files\\ORBELLE\\ORBL3.EXE");
  Start({});
  EXPECT_TRUE(frmMain->Options.AutoStart);
}

// The form this release writes (the test above reads an older release's
// bare path); the shell and many installers quote paths with blanks too.
TEST_F(FrmMainAfterStartUp, AQuotedAutostartPathIsThisProgramToo) {
  world.SetText("Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Orbelle",
                "\"C:\\Program Files\\Orbelle\\orbl3.exe\"");
  Start({});
  EXPECT_TRUE(frmMain->Options.AutoStart);
}

}  // namespace
}  // namespace orbl
