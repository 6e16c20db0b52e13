// The whole program on a simulated computer: what the drives see when the
// user works the tray menu, when the program starts, and when nothing happens.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/HeldLocks.h"
#include "support/Computer.h"

namespace orbl::test {
namespace {

using Lines = std::vector<std::string>;

TEST(DriveScenario, AnOpenFromTheMenuIsClosedAgainAfterTheDefaultInterval) {
  Computer pc({{'D', platform::DriveType::CdRom}});
  auto& program = pc.Start();
  Computer::Choose(program, {"Open Door", "D:"});
  pc.world.deviceLog.clear();
  pc.world.Advance(15000);
  EXPECT_EQ(pc.world.deviceLog, (Lines{"cd audio open D", "door close D", "cd audio close D"}));
  EXPECT_FALSE(pc.world.Drive('D').doorOpen);
  EXPECT_FALSE(program.NextTimerDue().has_value());
}

// Start-up waits in each box, so the later locks and the probes come after
// it. A refused lock shows its error box only with the drive's option, and
// no lock beeps without success.
TEST(DriveScenario, DrivesMarkedForItLockAtStartUpWithTheirBoxes) {
  Computer pc({{'D', platform::DriveType::CdRom},
               {'F', platform::DriveType::CdRom},
               {'G', platform::DriveType::CdRom}});
  for (const char* drive : {"D", "F", "G"}) {
    pc.Store(std::string(drive) + " Lock this drive on starting program", "1");
    pc.Store(std::string(drive) + " BeepWhenLockingUnlocking", *drive == 'D' ? "0" : "1");
    pc.Store(std::string(drive) + " ShowMessagesWhenLockingUnlocking", *drive == 'F' ? "0" : "1");
  }
  pc.world.Drive('F').lockRefused = true;
  pc.world.Drive('G').lockRefused = true;
  auto& program = pc.Start();
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Locked!");
  EXPECT_EQ(pc.world.deviceLog, (Lines{"open device D", "lock D", "close device D"}));
  program.AnswerBox();
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  const sim::SimBox box = program.OpenBoxes().back();
  EXPECT_EQ(box.caption,
            "Unfortunately, the device cannot be locked right now. Please, retry later.");
  EXPECT_EQ(box.text, box.caption);
  EXPECT_EQ(box.flags,
            platform::mb::kIconHand | platform::mb::kSetForeground | platform::mb::kTopmost);
  EXPECT_FALSE(box.behind);
  program.AnswerBox();
  EXPECT_EQ(pc.world.deviceLog,
            (Lines{"open device D", "lock D", "close device D", "open device F", "lock F refused",
                   "close device F", "open device G", "lock G refused", "close device G",
                   "cd audio open D", "cd audio close D", "cd audio open F", "cd audio close F",
                   "cd audio open G", "cd audio close G"}));
  EXPECT_EQ(program.BoxHistory().size(), 2u);
  EXPECT_TRUE(pc.world.beeps.empty());
  Computer::Close(program);
}

// The lines of the timed log from position `from` on that concern drives.
Lines DriveLines(const sim::SimWorld& world, std::size_t from) {
  Lines lines;
  for (std::size_t i = from; i < world.timedLog.size(); ++i) {
    const std::string& line = world.timedLog[i];
    for (const char* kind :
         {"] cd audio", "] door", "] pause", "] beep", "] message box", "] open device",
          "] close device", "] lock", "] unlock", "] eject button"}) {
      if (line.find(kind) != std::string::npos) {
        lines.push_back(line);
        break;
      }
    }
  }
  return lines;
}

TEST(DriveScenario, OpenCloseAndAFailedOpenAsTheDriveSeesThem) {
  Computer pc;
  auto& program = pc.Start();
  pc.world.Advance(1000 - pc.world.Now());
  const std::size_t from = pc.world.timedLog.size();
  Computer::Choose(program, {"Open Door", "D:"});
  pc.world.Advance(2000);
  Computer::Choose(program, {"Close Door", "D:"});
  pc.world.Drive('F').noDoorDevice = true;
  Computer::Choose(program, {"Open Door", "F:"});
  EXPECT_EQ(DriveLines(pc.world, from),
            (Lines{"[1.000] pause 300 ms", "[1.300] cd audio open D", "[1.300] door open D",
                   "[1.300] cd audio close D", "[3.300] cd audio open D", "[3.300] door close D",
                   "[3.300] cd audio close D", "[3.300] pause 300 ms", "[3.600] pause 300 ms",
                   "[3.900] cd audio open F failed"}));
}

// Two prevents from the tray menu need two allows, or the drive would stay
// locked against its own eject button after the user unlocked it. An unlock
// that fails pays back nothing: the next one still sends both.
TEST(DriveScenario, MenuLockTwiceThenUnlockFreesTheEjectButton) {
  Computer pc;
  auto& program = pc.Start();
  pc.world.deviceLog.clear();
  for (const char* item : {"Lock Device", "Lock Device"}) Computer::Choose(program, {item, "D:"});
  pc.world.Drive('D').deviceUnopenable = true;
  Computer::Choose(program, {"Unlock Device", "D:"});
  EXPECT_EQ(pc.world.Drive('D').lockCount, 2);
  EXPECT_FALSE(pc.world.PressEjectButton('D'));
  pc.world.Drive('D').deviceUnopenable = false;
  Computer::Choose(program, {"Unlock Device", "D:"});
  EXPECT_EQ(pc.world.deviceLog,
            (Lines{"open device D", "lock D", "close device D", "open device D", "lock D",
                   "close device D", "open device D failed", "unlock on an invalid handle failed",
                   "open device D", "unlock D", "unlock D", "close device D"}));
  EXPECT_TRUE(program.BoxHistory().empty());
  EXPECT_EQ(pc.world.Drive('D').lockCount, 0);
  EXPECT_TRUE(pc.world.PressEjectButton('D'));
  EXPECT_TRUE(pc.world.Drive('D').doorOpen);
}

// The device keeps its count after the program ends, until the computer
// restarts. A later run on the same boot owes the earlier run's allows too;
// after a restart, or from a stored count that makes no sense, it owes none.
TEST(DriveScenario, LocksOfAnEarlierRunAreOwedOnlyOnTheSameBoot) {
  Computer pc;
  pc.Store("D Lock this drive on starting program", "1");
  auto unlocks = [&pc](sim::SimProcess& program) {
    pc.world.deviceLog.clear();
    Computer::Choose(program, {"Unlock Device", "D:"});
    return std::count(pc.world.deviceLog.begin(), pc.world.deviceLog.end(), "unlock D");
  };
  Computer::Close(pc.Start());
  pc.world.Advance(3600 * 1000);
  auto& second = pc.Start();
  EXPECT_EQ(pc.world.Drive('D').lockCount, 2);
  EXPECT_EQ(unlocks(second), 2);
  EXPECT_TRUE(pc.world.PressEjectButton('D'));
  pc.world.PressEjectButton('D');
  Computer::Close(second);
  // Paid back in full: the next run owes only its own lock.
  auto& third = pc.Start();
  EXPECT_EQ(unlocks(third), 1);
  // Locked again, then the computer restarts.
  Computer::Choose(third, {"Lock Device", "D:"});
  Computer::Close(third);
  pc.world.Reboot();
  auto& fourth = pc.Start();
  EXPECT_EQ(unlocks(fourth), 1);
  Computer::Close(fourth);
  for (const platform::StoredValue& junk :
       {platform::StoredValue{platform::ValueType::Text, {std::byte{'3'}, std::byte{0}}},
        platform::StoredValue{platform::ValueType::Number,
                              {std::byte{0x88}, std::byte{0x13}, std::byte{0}, std::byte{0}}},
        platform::StoredValue{platform::ValueType::Number, {std::byte{2}}}}) {
    pc.world.MakeKey(kHeldLocksKey).values["D"] = junk;
    auto& next = pc.Start();
    EXPECT_EQ(unlocks(next), 1);
    Computer::Close(next);
  }
  EXPECT_EQ(pc.world.Drive('D').lockCount, 0);
  // A lock that is a switch owes nothing to a later run: nothing is kept.
  pc.world.removalLockCounts = false;
  pc.world.MakeKey(kHeldLocksKey).values.clear();
  auto& last = pc.Start();
  Computer::Choose(last, {"Lock Device", "D:"});
  EXPECT_TRUE(pc.world.FindKey(kHeldLocksKey)->values.empty());
}

TEST(DriveScenario, ALockHeldByAnotherProgramSurvivesOurUnlock) {
  Computer pc;
  sim::SimProcess other(pc.world);
  other.Start([](platform::Platform& p) {
    const auto device = p.removalLock.OpenDevice('D');
    p.removalLock.SendMediaRemoval(device, 0xFFFFFFFF);
    p.removalLock.CloseDevice(device);
    p.windows.RunLoop();
  });
  other.Kill();  // the count belongs to the drive, not to the process
  auto& program = pc.Start();
  for (const char* item : {"Lock Device", "Lock Device", "Unlock Device"}) {
    Computer::Choose(program, {item, "D:"});
  }
  EXPECT_EQ(pc.world.Drive('D').lockCount, 1);
  EXPECT_FALSE(pc.world.PressEjectButton('D'));
}

TEST(DriveScenario, TheIdleProgramArmsNoTimerAndTouchesNoDeviceForAnHour) {
  Computer pc;
  auto& program = pc.Start();
  const std::size_t logged = pc.world.log.size();
  EXPECT_FALSE(program.NextTimerDue().has_value());
  pc.world.Advance(3600 * 1000);
  EXPECT_EQ(pc.world.log.size(), logged);
  EXPECT_TRUE(program.Running());
}

}  // namespace
}  // namespace orbl::test
