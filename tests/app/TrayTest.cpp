// The tray icon and its menu as the user and the shell meet them.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/Computer.h"

namespace orbl::test {
namespace {

constexpr const char* kTip = "Orbelle - click with right mouse button to see menu";

// The calls a program made after the first `from` ones.
std::vector<std::string> CallsSince(const sim::SimProcess& program, std::size_t from) {
  const auto calls = program.Calls();
  return {calls.begin() + static_cast<std::ptrdiff_t>(std::min(from, calls.size())), calls.end()};
}

// Building the hidden windows and their controls takes most of start-up: the
// icon is asked for before them, with only the window it belongs to, so that
// the user sees at once that the program started.
TEST(Tray, TheIconGoesUpBeforeTheOtherWindowsAreBuilt) {
  Computer pc;
  auto& program = pc.Start();
  ASSERT_NE(program.TrayIcon(), nullptr);
  EXPECT_EQ(program.TrayIcon()->windowsWhenAdded, std::vector<std::string>{"Orbelle"});
  // The icon works once start-up is over.
  Computer::Choose(program, {"Exit"});
  EXPECT_EQ(program.ExitCode(), 0);
}

// A killed program's icon stays as a ghost until the mouse passes over it,
// and a new shell shows none; the live program adds its own icon again.
TEST(Tray, GhostIconsGoWithTheMouseOrTheShellAndTheProgramAddsItsOwnAgain) {
  Computer pc;
  auto& killed = pc.Start();
  killed.Kill();
  ASSERT_NE(killed.TrayIcon(), nullptr);
  EXPECT_TRUE(killed.TrayIcon()->ghost);
  EXPECT_EQ(killed.TrayIcon()->tip, kTip);

  // The next start shows its own icon beside the ghost.
  auto& next = pc.Start();
  ASSERT_NE(next.TrayIcon(), nullptr);
  EXPECT_FALSE(next.TrayIcon()->ghost);
  EXPECT_EQ(pc.world.tray.Icons().size(), 2u);
  pc.world.MouseOverTray();
  EXPECT_EQ(killed.TrayIcon(), nullptr);
  ASSERT_NE(next.TrayIcon(), nullptr);
  EXPECT_EQ(pc.world.tray.Icons().size(), 1u);

  next.Kill();  // another ghost, which the new shell does not show either
  auto& program = pc.Start();
  const auto before = program.Calls().size();
  pc.world.RestartShell();
  ASSERT_EQ(pc.world.tray.Icons().size(), 1u);
  ASSERT_NE(program.TrayIcon(), nullptr);
  EXPECT_FALSE(program.TrayIcon()->ghost);
  EXPECT_EQ(program.TrayIcon()->tip, kTip);
  EXPECT_EQ(program.TrayIcon()->owner, program.WindowTitled("Orbelle")->handle);
  // The old icon went with the old shell: removing it fails, as on Windows.
  EXPECT_EQ(CallsSince(program, before),
            (std::vector<std::string>{"tray icon delete failed: none shown", "tray icon added"}));

  // The new icon answers the mouse as the old one did.
  program.TrayRightClick();
  EXPECT_TRUE(program.MenuOpen());
  program.ChooseMenuItem({"Exit"});
  EXPECT_TRUE(pc.world.tray.Icons().empty());
}

std::size_t Count(const std::vector<std::string>& calls, const std::string& call) {
  return static_cast<std::size_t>(std::count(calls.begin(), calls.end(), call));
}

// At logon the shell may be up but not ready: it refuses the add and sends no
// "TaskbarCreated" afterwards. The program tries again every three seconds
// and stops as soon as the icon is there.
TEST(Tray, AnIconTheBusyShellRefusedIsTriedAgainUntilItIsThere) {
  Computer pc;
  pc.world.tray.refuseAdds = 3;
  auto& program = pc.Start();
  EXPECT_EQ(program.TrayIcon(), nullptr);
  pc.world.Advance(6000);
  EXPECT_EQ(program.TrayIcon(), nullptr);
  pc.world.Advance(3000);
  ASSERT_NE(program.TrayIcon(), nullptr);
  EXPECT_EQ(program.TrayIcon()->tip, kTip);
  pc.world.Advance(600000);
  const auto calls = program.Calls();
  EXPECT_EQ(Count(calls, "tray icon add failed: no shell"), 3u);
  EXPECT_EQ(Count(calls, "tray icon added"), 1u);
  // The icon works like one added at once.
  Computer::Choose(program, {"Exit"});
  EXPECT_TRUE(pc.world.tray.Icons().empty());
}

TEST(Tray, TheRetryGivesUpAfterThreeMinutesAndAShellRestartStillBringsTheIcon) {
  Computer pc;
  pc.world.tray.refuseAdds = 1000;
  auto& program = pc.Start();
  pc.world.Advance(600000);
  // The first add and sixty more, three seconds apart.
  EXPECT_EQ(Count(program.Calls(), "tray icon add failed: no shell"), 61u);
  EXPECT_EQ(program.TrayIcon(), nullptr);
  EXPECT_TRUE(program.Running());

  pc.world.tray.refuseAdds = 0;
  pc.world.RestartShell();
  ASSERT_NE(program.TrayIcon(), nullptr);
}

// Hot keys and system events work without an icon; a shell that comes up
// while the program retries brings the icon and ends the retry.
TEST(Tray, AShellThatComesUpDuringTheRetryEndsIt) {
  Computer pc;
  pc.world.tray.shellRunning = false;
  auto& program = pc.Start();
  EXPECT_TRUE(program.Running());
  EXPECT_EQ(program.TrayIcon(), nullptr);
  pc.world.Advance(3000);
  EXPECT_EQ(Count(program.Calls(), "tray icon add failed: no shell"), 2u);
  pc.world.RestartShell();
  ASSERT_NE(program.TrayIcon(), nullptr);
  const auto before = program.Calls().size();
  pc.world.Advance(600000);
  for (const std::string& call : CallsSince(program, before)) {
    EXPECT_EQ(call.rfind("tray icon", 0), std::string::npos) << call;
  }
  Computer::Close(program);
  EXPECT_EQ(program.ExitCode(), 0);
  EXPECT_TRUE(pc.world.tray.Icons().empty());
}

TEST(Tray, TheMenuOpensAndClosesWithOneOfOurWindowsInFront) {
  Computer pc;
  auto& program = pc.Start();
  auto from = program.Calls().size();
  program.TrayRightClick();
  ASSERT_TRUE(program.MenuOpen());
  program.ChooseMenuItem({});
  EXPECT_EQ(CallsSince(program, from),
            (std::vector<std::string>{"foreground \"Orbelle 3\"", "menu tracked by \"Orbelle 3\"",
                                      "menu closed", "foreground \"Orbelle 3\""}));
  // From the second menu on, the application window stands in front.
  from = program.Calls().size();
  Computer::Choose(program, {});
  EXPECT_EQ(CallsSince(program, from),
            (std::vector<std::string>{"foreground \"Orbelle\"", "menu tracked by \"Orbelle 3\"",
                                      "menu closed", "foreground \"Orbelle\""}));
}

// The double-click runs the stored pair; the options window, once up, keeps
// the icon's menu and its double-click away until it is closed again.
TEST(Tray, TheDoubleClickRunsTheStoredActionUnlessAWindowOfOursIsUp) {
  Computer pc;
  pc.Store("Double - Letter", "d");
  pc.Store("Double - Action", "1");  // open/close D
  auto& program = pc.Start();
  program.TrayDoubleClick();
  EXPECT_TRUE(pc.world.Drive('D').doorOpen);
  EXPECT_FALSE(pc.world.Drive('F').doorOpen);

  Computer::Choose(program, {"Options..."});
  const auto* options = program.WindowTitled("Orbelle 3");
  ASSERT_TRUE(options->visible);
  pc.world.deviceLog.clear();
  program.TrayDoubleClick();  // refused: the door stays open
  program.TrayRightClick();
  EXPECT_FALSE(program.MenuOpen());
  EXPECT_TRUE(pc.world.deviceLog.empty());
  EXPECT_TRUE(pc.world.Drive('D').doorOpen);

  program.CloseWindowByUser(options->handle);
  program.TrayDoubleClick();
  EXPECT_FALSE(pc.world.Drive('D').doorOpen);
}

TEST(Tray, TheDefaultDoubleClickDoesNothingAndActionFiveShowsTheOptionsWindow) {
  for (const char* action : {"", "5"}) {
    Computer pc;
    if (*action != '\0') pc.Store("Double - Action", action);
    auto& program = pc.Start();
    const auto before = pc.world.deviceLog.size();
    program.TrayDoubleClick();
    EXPECT_EQ(pc.world.deviceLog.size(), before) << action;
    EXPECT_EQ(program.WindowTitled("Orbelle 3")->visible, *action != '\0') << action;
  }
}

}  // namespace
}  // namespace orbl::test
