// The system's messages to the options window, on simulated drives and
// virtual time: removals, the shutdown query, sleep and resume, hot keys,
// the window's own commands, and the disc warning.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>
#include <span>
#include <vector>

#include "drives/DriveFixture.h"
#include "support/Computer.h"
#include "support/VolumeBroadcast.h"

namespace orbl::test {
namespace {

using namespace orbl::platform;

class SystemEvents : public DriveFixture {
 protected:
  void Send(std::uint32_t code, std::uint64_t wParam, std::vector<std::byte> data = {}) {
    program.Send(frmMain->Handle, code, wParam, std::move(data));
  }
  void Removal(std::vector<std::byte> data = {}) {
    Send(msg::kDeviceChange, msg::kDbtDeviceRemoveComplete, std::move(data));
  }
  // Runs the handler on the program's thread and returns its answer.
  bool Handle(const Message& message) {
    bool handled = false;
    program.Inject([&] { handled = frmMain->HandleSystemMessage(message); });
    return handled;
  }
  // Records every showing of the close-now dialog.
  void WatchCloseNowDialog() {
    frmMain->onCloseNowDialog = [this](int index) {
      shown.push_back(index);
      EXPECT_EQ(State().CloseDialogDrive, index);
    };
  }
  std::vector<int> shown;
};

// --- removals ---------------------------------------------------------------

TEST_F(SystemEvents, ARemovalWithoutAReadableVolumeNoticeArmsTheScheduleAndShowsNoDialog) {
  Start();
  Drive('D').AutocloseInterval = 20;
  Drive('E').AutocloseInterval = 12;
  for (TDriveRecord& drive : frmMain->DriveTable) drive.ShowDialogToCloseDriveImmediately = true;
  WatchCloseNowDialog();
  const std::uint32_t both = UnitBit('D') | UnitBit('E');
  struct Case {
    const char* what;
    std::vector<std::byte> data;
  };
  const Case cases[] = {
      {"a USB stick's device interface", VolumeBroadcast(20, 5, both)},
      {"no structure at all", {}},
      {"a bare header", VolumeBroadcast(8, 2, both, 8)},
      {"a declared size too small for the mask", VolumeBroadcast(12, 2, both)},
      {"a declared size beyond the bytes", VolumeBroadcast(20, 2, both, 14)},
  };
  for (const Case& c : cases) {
    program.Inject([this] { frmMain->AutoCloseTimer.SetEnabled(false); });
    Removal(c.data);
    EXPECT_TRUE(frmMain->AutoCloseTimer.Enabled()) << c.what;
    EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), 12000u) << c.what;
  }
  EXPECT_TRUE(shown.empty());
  // Another device event arms nothing.
  program.Inject([this] { frmMain->AutoCloseTimer.SetEnabled(false); });
  Send(msg::kDeviceChange, 0x8000 /* arrival */, VolumeBroadcast(20, 2, both));
  EXPECT_FALSE(frmMain->AutoCloseTimer.Enabled());
  EXPECT_TRUE(shown.empty());
}

// Bytes beyond the ones that arrived hold a perfect notice for D: a reader
// that strays past the end would show its dialog.
TEST_F(SystemEvents, TheNoticeIsNeverReadPastWhatArrived) {
  Start();
  Drive('D').ShowDialogToCloseDriveImmediately = true;
  WatchCloseNowDialog();
  const std::vector<std::byte> full = VolumeBroadcast(20, 2, UnitBit('D'));
  for (std::size_t length : {0u, 4u, 8u, 12u, 15u}) {
    Message message{msg::kDeviceChange, msg::kDbtDeviceRemoveComplete, 0x1000,
                    std::span<const std::byte>(full.data(), length)};
    EXPECT_FALSE(Handle(message));
  }
  // No lParam: whatever the backend copied is not to be trusted.
  EXPECT_FALSE(Handle(Message{msg::kDeviceChange, msg::kDbtDeviceRemoveComplete, 0, full}));
  EXPECT_TRUE(shown.empty());
  EXPECT_FALSE(Handle(Message{msg::kDeviceChange, msg::kDbtDeviceRemoveComplete, 0x1000, full}));
  EXPECT_EQ(shown, (std::vector<int>{0}));
}

TEST_F(SystemEvents, TheDialogShowsForEachDriveOfTheMaskWithTheOptionInTableOrder) {
  Start({'E', 'G', 'P', 'Z'});
  for (char letter : {'E', 'P', 'Z'}) Drive(letter).ShowDialogToCloseDriveImmediately = true;
  WatchCloseNowDialog();
  struct Case {
    std::uint32_t mask;
    std::vector<int> dialogs;
  };
  const Case cases[] = {
      {UnitBit('Z') | UnitBit('E') | UnitBit('G') | UnitBit('P'), {0, 2, 3}},
      {UnitBit('G'), {}},                 // G has no dialog
      {UnitBit('F') | UnitBit('Q'), {}},  // neighbours of table drives
      {0xFC000000u, {}},                  // bits above Z
      {UnitBit('P') | 0xFC000000u, {2}},
  };
  for (const Case& c : cases) {
    shown.clear();
    Removal(VolumeBroadcast(20, msg::kDbtDevTypVolume, c.mask));
    EXPECT_EQ(shown, c.dialogs) << std::hex << c.mask;
    EXPECT_EQ(State().CloseDialogDrive, -1);
  }
}

// The close-now dialog waits for the user; the removal broadcast goes on to
// the other programs at once, answered before the dialog opens. Without a
// dialog the handling is short and the sender hears when it is over.
TEST_F(SystemEvents, ARemovalThatOpensTheDialogAnswersTheBroadcastFirst) {
  Start();
  struct Case {
    const char* what;
    bool option;
    std::uint32_t mask;
    bool answeredEarly;
  };
  const Case cases[] = {
      {"D named, its dialog on", true, UnitBit('D'), true},
      {"D named, its dialog off", false, UnitBit('D'), false},
      {"another drive named", true, UnitBit('F'), false},
  };
  for (const Case& c : cases) {
    Drive('D').AutocloseInterval = 20;
    Drive('D').ShowDialogToCloseDriveImmediately = c.option;
    std::vector<bool> awaitingAtDialog;
    frmMain->onCloseNowDialog = [&](int) { awaitingAtDialog.push_back(program.AwaitingReply()); };
    const auto before = program.Calls().size();
    Removal(VolumeBroadcast(20, msg::kDbtDevTypVolume, c.mask));
    const auto calls = program.Calls();
    const bool replied = std::find(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end(),
                                   "reply to sender") != calls.end();
    EXPECT_EQ(replied, c.answeredEarly) << c.what;
    EXPECT_EQ(awaitingAtDialog,
              c.option && c.answeredEarly ? std::vector<bool>{false} : std::vector<bool>{})
        << c.what;
    EXPECT_FALSE(program.AwaitingReply()) << c.what;
    EXPECT_EQ(program.RefusedCalls(), std::vector<std::string>{}) << c.what;
  }
}

// The shortest interval decides; only when every drive waits "for ever"
// is there nothing to time.
TEST_F(SystemEvents, ARemovalWithNothingToTimeIsLeftAlone) {
  Start();
  for (TDriveRecord& drive : frmMain->DriveTable) drive.ShowDialogToCloseDriveImmediately = true;
  Drive('D').AutocloseInterval = std::numeric_limits<std::int32_t>::max();
  WatchCloseNowDialog();
  Removal(VolumeBroadcast(20, 2, UnitBit('D')));
  EXPECT_TRUE(frmMain->AutoCloseTimer.Enabled());
  EXPECT_EQ(frmMain->AutoCloseTimer.Interval(), 15000u);
  EXPECT_EQ(shown, (std::vector<int>{0}));
  program.Inject([this] { frmMain->AutoCloseTimer.SetEnabled(false); });
  Drive('E').AutocloseInterval = std::numeric_limits<std::int32_t>::max();
  shown.clear();
  Removal(VolumeBroadcast(20, 2, UnitBit('D')));
  EXPECT_FALSE(frmMain->AutoCloseTimer.Enabled());
  EXPECT_TRUE(shown.empty());
}

TEST_F(SystemEvents, WithoutDrivesARemovalArmsNoTimer) {
  Start({});
  Removal(VolumeBroadcast(20, 2, 0xFFFFFFFFu));
  EXPECT_FALSE(program.NextTimerDue().has_value());
}

// --- the shutdown query -------------------------------------------------------

TEST(SystemEventsAtShutdown, TheWarningNamesTheDrivesWithADiscAndTheShutdownGoesOn) {
  struct Case {
    std::vector<char> discs;
    const char* text;  // null: no box
  };
  const Case cases[] = {
      {{'C', 'D', 'E', 'G'}, "Found disk in drive (E, G)"},  // D does not warn
      {{'E'}, "Found disk in drive (E)"},
      {{}, nullptr},
  };
  for (const Case& c : cases) {
    Computer pc({{'C', DriveType::Fixed},
                 {'D', DriveType::CdRom},
                 {'E', DriveType::CdRom},
                 {'G', DriveType::CdRom}});
    for (char letter : c.discs) pc.world.Drive(letter).discInside = true;
    pc.Store("D Warn if CD/DVD drive is not empty on system shutdown", "0");
    pc.Store("E Close CD/DVD door on system shutdown", "0");
    auto& program = pc.Start();
    pc.world.deviceLog.clear();
    const platform::WindowHandle options = program.WindowTitled("Orbelle 3")->handle;
    program.Send(options, msg::kQueryEndSession, 0);
    const Lines closes = {"cd audio open D", "door close D", "cd audio close D",
                          "cd audio open G", "door close G", "cd audio close G"};
    ASSERT_GE(pc.world.deviceLog.size(), 6u);
    EXPECT_EQ(Lines(pc.world.deviceLog.begin(), pc.world.deviceLog.begin() + 6), closes);
    if (c.text == nullptr) {
      EXPECT_TRUE(program.BoxHistory().empty());
      EXPECT_TRUE(program.ShutdownBlocks().empty());
      continue;
    }
    ASSERT_EQ(program.OpenBoxes().size(), 1u) << c.text;
    const sim::SimBox box = program.OpenBoxes().back();
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(box.caption, "Orbelle");
    EXPECT_EQ(box.flags, mb::kOk | mb::kIconExclamation | mb::kSetForeground | mb::kTopmost);
    EXPECT_FALSE(box.behind);
    EXPECT_FALSE(box.owner);
    // Windows' full-screen list shows the reason, not the box.
    EXPECT_EQ(program.ShutdownBlocks().at(options), c.text);
    pc.world.Advance(29000);
    program.AnswerBox();
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(program.OpenBoxes().empty());
    EXPECT_FALSE(program.BoxHistory().back().closedItself);
    EXPECT_TRUE(program.ShutdownBlocks().empty());
    EXPECT_FALSE(program.AwaitingReply());
  }
}

TEST_F(SystemEvents, AtShutdownADiscIsBeepedAtEjectedAndClosedTenSecondsLater) {
  Start();
  for (TDriveRecord& drive : frmMain->DriveTable) {
    drive.BeepWhenDriveIsNotEmpty = true;
    drive.EjectDiskWhenDriveIsNotEmpty = true;
    world.Drive(drive.Letter).discInside = true;
  }
  Drive('D').DoorOpen = true;  // opened from the tray before; the close below leaves the belief
  Drive('E').CloseOnShutdown = false;
  world.Advance(1000 - world.Now());
  Forget();
  EXPECT_FALSE(Handle(Message{msg::kQueryEndSession, 0, 0, {}}));
  EXPECT_EQ(
      Timeline(),
      (Lines{"[1.000] shutdown blocked: \"Closing CD/DVD drive doors\"", "[1.000] cd audio open D",
             "[1.000] door close D", "[1.000] cd audio close D", "[1.000] pause 200 ms",
             // D: the beep, the eject, ten seconds, the close, still a disc
             "[1.200] volume D readable", "[1.200] beep 750 Hz, 450 ms",
             "[1.650] volume D readable", "[1.650] pause 300 ms", "[1.950] cd audio open D",
             "[1.950] door open D", "[1.950] cd audio close D", "[1.950] pause 10000 ms",
             "[11.950] cd audio open D", "[11.950] door close D", "[11.950] cd audio close D",
             "[11.950] volume D readable",
             // E stays open: nothing to warn about
             "[11.950] volume E readable", "[11.950] beep 750 Hz, 450 ms",
             "[12.400] volume E readable", "[12.400] pause 300 ms", "[12.700] cd audio open E",
             "[12.700] door open E", "[12.700] cd audio close E", "[12.700] volume E not readable",
             "[12.700] shutdown blocked: \"Found disk in drive (D)\"",
             "[12.700] message box \"Orbelle\" (closes itself after 30000 ms): Found disk in "
             "drive (D)"}));
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Found disk in drive (D)");
  program.AnswerBox();
}

// Windows ends a program that sits over WM_QUERYENDSESSION longer than about
// five seconds; an ejected disc alone takes ten. The block reason, held from
// before the first door command until the warning is gone, keeps the program
// alive, and the query is answered only when the work is done. Nobody
// answers the warning: it goes by itself after 30 s, and the shutdown with it.
TEST(SystemEventsAtShutdown, WorkLongerThanWindowsWaitsRunsToTheEndUnderABlockReason) {
  Computer pc({{'D', DriveType::CdRom}, {'E', DriveType::CdRom}});
  pc.world.Drive('D').discInside = true;
  pc.world.Drive('E').discInside = true;
  for (const char* drive : {"D", "E"}) {
    pc.Store(std::string(drive) + " EjectDiskWhenDriveIsNotEmpty", "1");
    pc.Store(std::string(drive) + " Warn if CD/DVD drive is not empty on system shutdown", "1");
  }
  auto& program = pc.Start();
  const platform::WindowHandle options = program.WindowTitled("Orbelle 3")->handle;
  pc.world.log.clear();
  program.Send(options, msg::kQueryEndSession, 0);

  ASSERT_TRUE(program.Running());
  ASSERT_EQ(program.OpenBoxes().size(), 1u);  // both discs went back in with their doors
  EXPECT_EQ(program.OpenBoxes().back().text, "Found disk in drive (D, E)");
  EXPECT_FALSE(program.OpenBoxes().back().behind);
  EXPECT_EQ(program.ShutdownBlocks().at(options), "Found disk in drive (D, E)");
  EXPECT_TRUE(program.AwaitingReply());
  const auto door = [&](const std::string& line) {
    return std::find(pc.world.log.begin(), pc.world.log.end(), line) - pc.world.log.begin();
  };
  EXPECT_EQ(door("shutdown blocked: \"Closing CD/DVD drive doors\""), 0);
  EXPECT_LT(door("door close E"), static_cast<std::ptrdiff_t>(pc.world.log.size()));

  // Windows waits, since the reason is shown; nobody answers. (The eject
  // armed D's automatic close, which already ran inside the box.)
  const std::uint64_t closesAt = program.OpenBoxes().back().closesAt.value_or(0);
  EXPECT_EQ(closesAt, 20800u + 30000u);
  pc.world.Advance(closesAt - 1 - pc.world.Now());
  ASSERT_TRUE(program.Running());
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_TRUE(program.AwaitingReply());
  pc.world.Advance(1);
  ASSERT_TRUE(program.Running());
  ASSERT_TRUE(program.OpenBoxes().empty());
  EXPECT_TRUE(program.BoxHistory().back().closedItself);
  EXPECT_TRUE(program.ShutdownBlocks().empty());
  EXPECT_FALSE(program.AwaitingReply());
  EXPECT_LT(
      door("shutdown blocked: \"Found disk in drive (D, E)\""),
      door("message box \"Orbelle\" (closes itself after 30000 ms): Found disk in drive (D, E)"));
  EXPECT_EQ(Lines(pc.world.log.end() - 2, pc.world.log.end()),
            (Lines{"message box \"Orbelle\" closed itself", "shutdown block removed"}));
}

// --- sleep and resume ---------------------------------------------------------

struct PowerCase {
  const char* what;
  std::vector<std::uint64_t> events;
  int sleepSteps;
  int resumeSteps;
  bool asleep;
  bool justResumed;
};

TEST_F(SystemEvents, PowerBroadcastsRunTheSleepAndResumeStepsAsTheStateSays) {
  const PowerCase cases[] = {
      {"query, suspend, automatic resume, resume", {0x0, 0x4, 0x12, 0x7}, 1, 1, false, false},
      {"suspend, automatic resume, resume", {0x4, 0x12, 0x7}, 1, 1, false, false},
      {"suspend, automatic resume", {0x4, 0x12}, 1, 1, false, true},
      {"a critical resume ends the resume", {0x4, 0x12, 0x6}, 1, 1, false, false},
      {"a vetoed sleep resumes", {0x0, 0x2}, 1, 1, false, true},
      {"asleep again after a wake with no one there", {0x4, 0x12, 0x4}, 2, 1, true, false},
      {"resumes while resumed", {0x4, 0x12, 0x12, 0x7}, 1, 2, false, false},
      {"an automatic resume while awake", {0x12}, 0, 1, false, false},
      {"a resume without sleep", {0x7, 0x6}, 0, 0, false, false},
      {"a resume while asleep is no automatic one", {0x4, 0x7}, 1, 0, true, false},
      {"charger, battery, OEM, settings",
       {0xA, 0x9, 0xB, 0x8013, 0x1, 0x3, 0x5},
       0,
       0,
       false,
       false},
      {"a status change while asleep", {0x4, 0xA, 0x12}, 1, 1, false, true},
  };
  Start({'D'});
  // The sleep steps warn about D's disc; the resume steps lock D again.
  Drive('D').WarnAboutDiscWhenGoingToSleepMode = true;
  world.Drive('D').discInside = true;
  Do([](TDriveControl& control) { control.MenuLockDrive("D:"); });
  program.boxAnswerer = [](const sim::SimBox&) { return mb::kIdOk; };
  for (const PowerCase& c : cases) {
    SCOPED_TRACE(c.what);
    State().Asleep = false;
    State().JustResumed = false;
    Forget();
    const std::size_t boxesBefore = program.BoxHistory().size();
    for (std::uint64_t event : c.events) {
      EXPECT_FALSE(Handle(Message{msg::kPowerBroadcast, event, 0, {}}));
    }
    const Lines devices = Devices();
    EXPECT_EQ(static_cast<int>(program.BoxHistory().size() - boxesBefore), c.sleepSteps);
    EXPECT_EQ(std::count(devices.begin(), devices.end(), "lock D"), c.resumeSteps);
    EXPECT_EQ(State().Asleep, c.asleep);
    EXPECT_EQ(State().JustResumed, c.justResumed);
  }
  program.boxAnswerer = nullptr;
}

TEST_F(SystemEvents, AResumeDuringTheSleepWarningFindsTheProgramAsleep) {
  Start({'D'});
  Drive('D').WarnAboutDiscWhenGoingToSleepMode = true;
  Drive('D').LockWhenGoingToSleepMode = true;
  Drive('D').ShowMessagesWhenLockingUnlocking = true;
  world.Drive('D').discInside = true;
  Send(msg::kPowerBroadcast, msg::kPbtApmSuspend);
  // Asleep already while the sleep lock's box, the first, is up.
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Locked!");
  EXPECT_TRUE(State().Asleep);
  program.AnswerBox();
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Found disk in drive (D)");
  EXPECT_TRUE(State().Asleep);
  Send(msg::kPowerBroadcast, msg::kPbtApmResumeAutomatic);
  EXPECT_FALSE(State().Asleep);
  EXPECT_TRUE(State().JustResumed);
  // Nobody is there: the warning goes by itself 30 s after it came.
  world.Advance(29999);
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  world.Advance(1);
  ASSERT_TRUE(program.OpenBoxes().empty());
  EXPECT_TRUE(program.BoxHistory().back().closedItself);
  EXPECT_FALSE(State().Asleep);
  EXPECT_TRUE(State().JustResumed);
  Send(msg::kPowerBroadcast, msg::kPbtApmResumeSuspend);
  EXPECT_FALSE(State().Asleep || State().JustResumed);
}

// The sleep lock of D shows its box; E locked by the user meanwhile is the
// user's lock all the same, D's is not, and the sleep lock that follows
// leaves E, believed locked, alone.
TEST_F(SystemEvents, SleepLocksAreNotTheUsersAndALockDuringTheirBoxIs) {
  Start();
  for (TDriveRecord& drive : frmMain->DriveTable) drive.LockWhenGoingToSleepMode = true;
  Drive('D').ShowMessagesWhenLockingUnlocking = true;
  Send(msg::kPowerBroadcast, msg::kPbtApmQuerySuspend);
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Locked!");
  Do([](TDriveControl& control) { control.LockDrive('E'); });
  program.AnswerBox();
  EXPECT_EQ(Devices(), (Lines{"open device D", "lock D", "close device D", "open device E",
                              "lock E", "close device E"}));
  EXPECT_TRUE(Drive('D').Locked && Drive('E').Locked);
  EXPECT_EQ(State().UserLockedDrives, (std::set<char>{'e'}));
  EXPECT_TRUE(State().ShowLockMessages && State().TrackUserLocks);
}

// The system may let go of a lock while asleep; the program believes D is
// still locked, so only a lock sent regardless holds the eject button again.
TEST_F(SystemEvents, OnResumeTheUsersLocksAreSentAgainSilentlyAndCounted) {
  Start();
  Drive('D').ShowMessagesWhenLockingUnlocking = true;
  Drive('E').UnlockLockWhenExitingFromSleepMode = true;
  Do([](TDriveControl& control) { control.MenuLockDrive("D:"); });
  program.AnswerBox();
  Do([](TDriveControl& control) { control.MenuLockDrive("E:"); });
  Send(msg::kPowerBroadcast, msg::kPbtApmSuspend);
  world.Drive('D').lockCount = 0;
  Forget();
  Send(msg::kPowerBroadcast, msg::kPbtApmResumeAutomatic);
  EXPECT_EQ(Devices(), (Lines{"open device D", "lock D", "close device D",  // D again
                              "open device E", "lock E", "close device E",  // E again
                              "open device E", "unlock E", "unlock E", "close device E"}));
  EXPECT_EQ(program.BoxHistory().size(), 1u);  // the menu's, before
  EXPECT_FALSE(world.PressEjectButton('D'));
  Do([](TDriveControl& control) { EXPECT_EQ(control.HeldLocks('D'), 2); });
  EXPECT_EQ(State().UserLockedDrives, (std::set<char>{'d'}));
}

// --- hot keys -------------------------------------------------------------------

TEST_F(SystemEvents, AHotKeyTogglesTheDoorOrLockOfTheDriveWhoseIdentifierMatches) {
  Start();
  Drive('D').HotKeyClose.Key = 'K';
  Drive('D').HotKeyLock.Key = 'L';
  const auto closeD = static_cast<std::uint64_t>(Drive('D').CloseHotKeyId);
  const auto lockD = static_cast<std::uint64_t>(Drive('D').LockHotKeyId);
  const auto closeE = static_cast<std::uint64_t>(Drive('E').CloseHotKeyId);
  const auto lockE = static_cast<std::uint64_t>(Drive('E').LockHotKeyId);
  ASSERT_TRUE(closeD != 0 && lockD != 0 && closeE != 0 && lockE != 0);
  const Lines openD = {"pause 300 ms", "cd audio open D", "door open D", "cd audio close D"};
  const Lines closeDoorD = {"cd audio open D", "door close D", "cd audio close D", "pause 300 ms"};
  const Lines lockDrive = {"open device D", "pause 100 ms", "lock D", "close device D"};
  struct Case {
    const char* what;
    std::uint64_t id;
    Lines drives;
  };
  const Case cases[] = {
      {"D's open/close key", closeD, openD},
      {"again", closeD, closeDoorD},
      {"D's lock key", lockD, lockDrive},
      {"E has no open/close key", closeE, {}},
      {"E has no lock key", lockE, {}},
      {"no identifier", 0, {}},
      {"an identifier of nobody", 0xBEEF, {}},
      {"D's identifier in the high half", closeD | (1ull << 32), {}},
  };
  for (const Case& c : cases) {
    Forget();
    EXPECT_FALSE(Handle(Message{msg::kHotKey, c.id, 0, {}})) << c.what;
    Lines drives;
    for (const std::string& line : Timeline()) drives.push_back(line.substr(line.find(' ') + 1));
    EXPECT_EQ(drives, c.drives) << c.what;
  }
  // An identifier of 0 means the atom could not be added: no key was
  // registered for it, so a message with 0 is nobody's.
  for (TDriveRecord& drive : frmMain->DriveTable) drive.CloseHotKeyId = drive.LockHotKeyId = 0;
  Forget();
  Send(msg::kHotKey, 0);
  EXPECT_TRUE(Devices().empty());
}

// --- the options window ---------------------------------------------------------

TEST_F(SystemEvents, MinimiseAndCloseHideTheOptionsWindowWhateverTheLowBits) {
  Start();
  const struct {
    std::uint64_t command;
    bool hides;
  } cases[] = {{0xF020, true}, {0xF022, true},  {0xF02F, true},  {0xF060, true}, {0xF062, true},
               {0xF06F, true}, {0xF010, false}, {0xF120, false}, {0xF030, false}};
  for (const auto& c : cases) {
    program.Inject([this] { program.Platform().windows.ShowWindow(frmMain->Handle, true); });
    EXPECT_EQ(Handle(Message{msg::kSysCommand, c.command, 0, {}}), c.hides)
        << std::hex << c.command;
    EXPECT_EQ(program.Window(frmMain->Handle)->visible, !c.hides) << std::hex << c.command;
  }
}

TEST_F(SystemEvents, ADoubleClickOnTheOptionsWindowWarnsAfterAPauseAndTouchesNoDoor) {
  Start();
  world.Drive('E').discInside = true;
  program.Inject([this] { program.Platform().windows.ShowWindow(frmMain->Handle, true); });
  world.Advance(1000 - world.Now());
  Forget();
  program.DoubleClickWindow(frmMain->Handle);
  EXPECT_EQ(Timeline(), (Lines{"[1.000] pause 200 ms", "[1.200] volume D not readable",
                               "[1.200] volume E readable",
                               "[1.200] message box \"Orbelle\": Found disk in drive (E)"}));
  // The user asked for it: it waits for the user.
  world.Advance(60000);
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().back().text, "Found disk in drive (E)");
  program.AnswerBox();
}

}  // namespace
}  // namespace orbl::test
