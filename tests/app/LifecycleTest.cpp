// The whole program from start to exit on a simulated computer.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "support/Computer.h"
#include "support/StoredLayout.h"

namespace orbl::test {
namespace {

using platform::DriveType;

TEST(Lifecycle, FirstStartKeepsTheDefaultsAndTheExitStoresEverythingAndFreesEveryAtom) {
  Computer pc;  // C: fixed, D: and F: optical
  auto& program = pc.Start();
  EXPECT_TRUE(program.Running());
  ASSERT_NE(program.TrayIcon(), nullptr);
  EXPECT_EQ(program.TrayIcon()->tip, "Orbelle - click with right mouse button to see menu");
  EXPECT_EQ(program.TrayIcon()->icon, "TRAY");
  EXPECT_TRUE(pc.StoredNames().empty());  // nothing is written before the exit
  // The program's windows exist and stay hidden.
  ASSERT_NE(program.WindowTitled("Orbelle"), nullptr);
  ASSERT_NE(program.WindowTitled("Orbelle 3"), nullptr);
  EXPECT_FALSE(program.WindowTitled("Orbelle")->visible);
  EXPECT_FALSE(program.WindowTitled("Orbelle 3")->visible);
  // The CD audio devices are probed at the end of start-up; no door moved.
  EXPECT_EQ(pc.world.deviceLog, (std::vector<std::string>{"cd audio open D", "cd audio close D",
                                                          "cd audio open F", "cd audio close F"}));
  // "ORBL" and two per optical drive, named after the drive and the options window.
  EXPECT_EQ(pc.world.AtomCount(), 5u);
  const auto handle = program.WindowTitled("Orbelle 3")->handle.value;
  EXPECT_NE(pc.world.FindAtom("Orbelle drive D close" + std::to_string(handle)), 0);
  EXPECT_NE(pc.world.FindAtom("Orbelle drive F lock" + std::to_string(handle)), 0);

  Computer::Close(program);
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(program.TrayIcon(), nullptr);
  EXPECT_EQ(pc.world.AtomCount(), 0u);

  EXPECT_EQ(pc.StoredNames(), LayoutNames());
  EXPECT_EQ(pc.world.Value(kSettingsKey, "DriveCount")->data,
            (std::vector<std::byte>{std::byte{2}, std::byte{0}, std::byte{0}, std::byte{0}}));
  EXPECT_EQ(pc.Stored("D edtAutocloseInterval"), "15");
  EXPECT_EQ(pc.Stored("F edtDiskLimit"), "20");
  EXPECT_EQ(pc.Stored("F Automatically close the CD/DVD door after specified time interval"), "1");
  EXPECT_EQ(pc.Stored("F HotKeyLock-Key"), "0");
  EXPECT_EQ(pc.Stored("Double - Action"), "0");
  // No stray value for the fixed drive.
  EXPECT_EQ(pc.Stored("C edtAutocloseInterval"), std::nullopt);
}

// D is new and has no stored options, E has good ones, F junk: a missing or
// bad value costs only its own field, and the next save repairs it.
TEST(Lifecycle, StoredOptionsSurviveRestartsBesideNewDrivesAndJunk) {
  Computer pc({{'D', DriveType::CdRom}, {'E', DriveType::CdRom}, {'F', DriveType::CdRom}});
  pc.Store("E edtAutocloseInterval", "30");
  pc.Store("E Lock this drive on starting program", "256");
  pc.Store("E ShowDialogToCloseDriveImmediately", "1");
  pc.world.SetNumber(kSettingsKey, "F edtAutocloseInterval", 45);  // a number, not a text
  pc.Store("F edtDiskLimit", "twenty");
  pc.Store("F Lock-close-ORBL-open-etc", "1");
  pc.Store("Double - Letter", "E");
  pc.Store("Double - Action", "9999999999");
  pc.Store("Double - Item", "4");
  Computer::Close(pc.Start());
  const std::pair<const char*, const char*> stored[] = {
      {"D edtAutocloseInterval", "15"},
      {"E edtAutocloseInterval", "30"},
      {"E Lock this drive on starting program", "0"},  // 256 loaded as false
      {"E ShowDialogToCloseDriveImmediately", "1"},
      {"F edtAutocloseInterval", "15"},
      {"F edtDiskLimit", "20"},
      {"F Lock-close-ORBL-open-etc", "1"},
      {"Double - Letter", "E"},
      {"Double - Action", "0"},
      {"Double - Item", "4"},
  };
  for (auto [name, text] : stored) EXPECT_EQ(pc.Stored(name), text) << name;

  // A stored action of the list's range comes back as it was.
  pc.Store("Double - Action", "1");
  Computer::Close(pc.Start());
  for (auto [name, text] : stored) {
    EXPECT_EQ(pc.Stored(name), std::string(name) == "Double - Action" ? "1" : text) << name;
  }
}

TEST(Lifecycle, ASecondStartEndsAtOnceAndLeavesTheFirstAlone) {
  Computer pc;
  pc.world.Drive('D').discInside = true;
  auto& first = pc.Start();
  const auto atomsBefore = pc.world.AtomCount();
  const auto logBefore = static_cast<std::ptrdiff_t>(pc.world.log.size());

  auto& second = pc.Start();
  EXPECT_EQ(second.ExitCode(), 0);
  EXPECT_EQ(second.BoxHistory().size(), 0u);
  // Nothing of the outside world changed: no icon, no settings, no atoms.
  EXPECT_EQ(std::vector<std::string>(pc.world.log.begin() + logBefore, pc.world.log.end()),
            std::vector<std::string>{"process ended with exit code 0"});
  EXPECT_EQ(pc.world.AtomCount(), atomsBefore);
  EXPECT_TRUE(pc.StoredNames().empty());

  EXPECT_TRUE(first.Running());
  ASSERT_NE(first.TrayIcon(), nullptr);
  EXPECT_NE(pc.world.FindAtom("ORBL"), 0);
  Computer::Close(first);
  EXPECT_EQ(first.ExitCode(), 0);
}

TEST(Lifecycle, AKilledInstanceDoesNotLockLaterStartsOut) {
  Computer pc;
  auto& crashed = pc.Start();
  crashed.Kill();
  ASSERT_NE(pc.world.FindAtom("ORBL"), 0);  // left behind

  auto& next = pc.Start();
  ASSERT_TRUE(next.Running());
  EXPECT_NE(next.TrayIcon(), nullptr);
  Computer::Close(next);
  EXPECT_EQ(next.ExitCode(), 0);
  // The adopted atom is gone with the orderly exit, and a start after that is a first start.
  EXPECT_EQ(pc.world.FindAtom("ORBL"), 0);
  EXPECT_TRUE(pc.Start().Running());
}

TEST(Lifecycle, AComputerWithoutOpticalDrives) {
  Computer pc({{'C', DriveType::Fixed}});
  auto& program = pc.Start();
  ASSERT_TRUE(program.Running());
  program.TrayRightClick();
  ASSERT_TRUE(program.MenuOpen());
  EXPECT_TRUE(program.MenuTexts({"Lock Device"}).empty());
  EXPECT_TRUE(program.MenuTexts({"Open Door"}).empty());
  program.ChooseMenuItem({"Exit"});
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_EQ(pc.world.Value(kSettingsKey, "DriveCount")->data,
            (std::vector<std::byte>(4, std::byte{0})));
  EXPECT_EQ(pc.StoredNames(), LayoutNames(""));
}

TEST(Lifecycle, TheTrayMenuListsEveryOpticalDriveUnderEachDriveItemWithItsPictures) {
  Computer pc({{'D', DriveType::CdRom}, {'E', DriveType::CdRom}, {'F', DriveType::CdRom}});
  auto& program = pc.Start();
  program.TrayRightClick();
  EXPECT_EQ(
      program.MenuTexts(),
      (std::vector<std::string>{"Unlock Device", "Lock Device", "-", "Close Door", "Open Door", "-",
                                "Options...", "-", "Help!", "-", "About Orbelle", "-", "Exit"}));
  // Position by position: separators, About and Exit carry none.
  EXPECT_EQ(program.MenuImages(),
            (std::vector<std::string>{"FRMMAIN_N16_BMP_BITMAP", "FRMMAIN_N17_BMP_BITMAP", "",
                                      "FRMMAIN_N19_BMP_BITMAP", "FRMMAIN_N20_BMP_BITMAP", "",
                                      "FRMMAIN_N22_BMP_BITMAP", "", "FRMMAIN_N24_BMP_BITMAP", "",
                                      "", "", ""}));
  for (const char* item : {"Unlock Device", "Lock Device", "Close Door", "Open Door"}) {
    EXPECT_EQ(program.MenuTexts({item}), (std::vector<std::string>{"D:", "E:", "F:"})) << item;
    // The drive letters in the sub-menus stand alone.
    EXPECT_EQ(program.MenuImages({item}), std::vector<std::string>(3)) << item;
  }
  // An item that opens a sub-menu, or none at all, cannot be chosen.
  EXPECT_THROW(program.ChooseMenuItem({"Open Door"}), std::logic_error);
  EXPECT_THROW(program.ChooseMenuItem({"Exti"}), std::logic_error);
  EXPECT_TRUE(program.MenuOpen());
  program.ChooseMenuItem({});  // dismissed
  EXPECT_TRUE(program.Running());
}

TEST(Lifecycle, ExitEndsWithZeroEvenWhenTheSettingsCannotBeWritten) {
  Computer pc;
  pc.world.MakeKey(kSettingsKey).unopenable = true;
  auto& program = pc.Start();
  Computer::Close(program);
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_TRUE(pc.StoredNames().empty());
  EXPECT_EQ(pc.world.FindAtom("ORBL"), 0);
  EXPECT_EQ(program.TrayIcon(), nullptr);
}

TEST(Lifecycle, TheArgumentOptionsOpensTheOptionsWindowDuringStartUp) {
  Computer pc;
  auto& program = pc.Start({"options"});
  const auto* options = program.WindowTitled("Orbelle 3");
  ASSERT_TRUE(options->visible);
  // The tray's menu stays shut meanwhile, and nothing comes to the front.
  const auto from = program.Calls().size();
  program.TrayRightClick();
  EXPECT_FALSE(program.MenuOpen());
  EXPECT_EQ(program.Calls().size(), from);
  // Start-up waits for the window; its close box only hides it.
  program.CloseWindowByUser(options->handle);
  EXPECT_FALSE(program.WindowTitled("Orbelle 3")->visible);
  EXPECT_TRUE(program.Running());

  for (const char* other : {"Options", "/options", "-options", "option"}) {
    Computer again;
    EXPECT_FALSE(again.Start({other}).WindowTitled("Orbelle 3")->visible) << other;
  }
}

// Windows leaves an icon its program did not remove in the notification
// area until the mouse passes over it, so every way out must remove it. A
// log-off may come while start-up still waits for the options window.
TEST(Lifecycle, EveryWayOutStoresTheSettingsAndTakesTheIconAndTheAtomsAlong) {
  struct Way {
    const char* name;
    std::vector<std::string> arguments;
    std::function<void(sim::SimProcess&)> leave;
  };
  const Way ways[] = {
      {"close request", {}, [](sim::SimProcess& p) { Computer::Close(p); }},
      {"close request during start-up",
       {"options"},
       [](sim::SimProcess& p) { Computer::Close(p); }},
      {"menu Exit", {}, [](sim::SimProcess& p) { Computer::Choose(p, {"Exit"}); }},
      {"options window destroyed",
       {},
       [](sim::SimProcess& p) { p.DestroyWindow(p.WindowTitled("Orbelle 3")->handle); }},
  };
  for (const Way& way : ways) {
    Computer pc;
    auto& program = pc.Start(way.arguments);
    ASSERT_EQ(program.WindowTitled("Orbelle 3")->visible, !way.arguments.empty()) << way.name;
    way.leave(program);
    EXPECT_EQ(program.ExitCode(), 0) << way.name;
    EXPECT_EQ(pc.StoredNames(), LayoutNames()) << way.name;
    EXPECT_EQ(pc.world.AtomCount(), 0u) << way.name;
    EXPECT_EQ(program.TrayIcon(), nullptr) << way.name;
    EXPECT_TRUE(pc.world.tray.Icons().empty()) << way.name;
    EXPECT_EQ(program.RefusedCalls(), std::vector<std::string>{}) << way.name;
  }
}

}  // namespace
}  // namespace orbl::test
