// The simulation is the ground every other test stands on: its clock, its
// nested loops and its process model must behave like the real system.
#include "platform/sim/SimProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <stdexcept>

namespace orbl::sim {
namespace {

using platform::Platform;

std::string ToHex(std::uintptr_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%jx", static_cast<std::uintmax_t>(value));
  return text;
}

TEST(SimProcess, AMessageBoxWaitsForTheTestWhileTimersAndMessagesGoOn) {
  SimWorld world;
  SimProcess process(world);
  std::vector<std::string> events;
  int answer = 0;
  platform::WindowHandle window;
  process.Start([&](Platform& p) {
    platform::WindowEvents windowEvents;
    windowEvents.onMessage = [&](const platform::Message& m) {
      events.push_back("message " + std::to_string(m.code));
      return true;
    };
    window = p.windows.CreateTopWindow({}, windowEvents);
    p.windows.StartTimer(window, 1000, [&] { events.push_back("tick"); });
    answer = p.windows.ShowMessageBox({}, "Locked!", "Locked!", platform::mb::kIconInformation);
    events.push_back("box closed");
    p.windows.RunLoop();
  });
  ASSERT_EQ(process.OpenBoxes().size(), 1u);
  EXPECT_EQ(process.OpenBoxes()[0].caption, "Locked!");
  world.Advance(2000);
  process.Post(window, platform::msg::kUser);
  EXPECT_EQ(events, (std::vector<std::string>{"tick", "tick", "message 1024"}));
  process.AnswerBox(platform::mb::kIdOk);
  EXPECT_EQ(answer, platform::mb::kIdOk);
  EXPECT_EQ(events.back(), "box closed");
  EXPECT_TRUE(process.OpenBoxes().empty());
}

// A box that closes itself does so on the virtual clock, unless the test
// answers it first; a box opened inside its loop keeps it waiting and is not
// closed with it, and a box shown after it has no time-out at all.
TEST(SimProcess, ATimedBoxClosesItselfOnTheClockAndOnlyItself) {
  SimWorld world;
  SimProcess process(world);
  std::vector<std::string> answers;
  platform::WindowHandle window;
  process.Start([&](Platform& p) {
    platform::WindowEvents windowEvents;
    windowEvents.onMessage = [&](const platform::Message&) {
      answers.push_back("inner " + std::to_string(p.windows.ShowMessageBox({}, "inner", "B", 1)));
      return true;
    };
    window = p.windows.CreateTopWindow({}, windowEvents);
    for (int i = 0; i < 2; ++i) {
      const int answer = p.windows.ShowTimedMessageBox({}, "timed", "A", 1, 1000);
      answers.push_back("timed " + std::to_string(answer));
    }
    answers.push_back("later " + std::to_string(p.windows.ShowMessageBox({}, "later", "C", 1)));
    p.windows.RunLoop();
  });
  world.Advance(999);
  ASSERT_EQ(process.OpenBoxes().size(), 1u);
  EXPECT_EQ(process.OpenBoxes()[0].closesAt, 1000u);
  process.Post(window, platform::msg::kUser);
  world.Advance(1);  // the timed box's time is up while the inner one is open
  ASSERT_EQ(process.OpenBoxes().size(), 2u);
  process.AnswerBox(platform::mb::kIdCancel);
  EXPECT_EQ(answers, (std::vector<std::string>{"inner 2", "timed 1"}));
  EXPECT_TRUE(process.BoxHistory().back().closedItself);
  EXPECT_FALSE(process.BoxHistory().front().closedItself);

  world.Advance(500);
  process.AnswerBox(platform::mb::kIdCancel);  // the second timed box, answered in time
  EXPECT_EQ(answers.back(), "timed 2");
  EXPECT_FALSE(process.BoxHistory().back().closedItself);
  world.Advance(60000);
  ASSERT_EQ(process.OpenBoxes().size(), 1u);
  EXPECT_EQ(process.OpenBoxes()[0].caption, "C");
  EXPECT_FALSE(process.OpenBoxes()[0].closesAt);
  process.AnswerBox(platform::mb::kIdOk);
  EXPECT_EQ(answers.back(), "later 1");
}

TEST(SimProcess, AKilledProcessLosesItsLocksAndHotKeysButNotItsAtoms) {
  SimWorld world;
  SimProcess first(world);
  first.Start([&](Platform& p) {
    p.atoms.Add("ORBL");
    EXPECT_TRUE(p.instanceLock.TryAcquire("ORBL"));
    const auto window = p.windows.CreateTopWindow({}, {});
    EXPECT_TRUE(p.hotKeys.Register(window, 1, platform::mod::kControl, 'K'));
    // As on Windows, the identifier's first combination stays beside the new one.
    EXPECT_TRUE(p.hotKeys.Register(window, 1, platform::mod::kControl, 'L'));
    p.windows.RunLoop();
  });
  EXPECT_EQ(world.hotKeys.size(), 2u);
  SimProcess second(world);
  second.Start([&](Platform& p) {
    EXPECT_FALSE(p.instanceLock.TryAcquire("ORBL"));
    p.files.ExitProcess(3);
  });
  EXPECT_EQ(second.ExitCode(), 3);

  first.Kill();
  EXPECT_FALSE(first.Running());
  EXPECT_EQ(first.ExitCode(), std::nullopt);
  EXPECT_NE(world.FindAtom("orbl"), 0);  // atom names ignore case
  EXPECT_TRUE(world.namedLocks.empty());
  EXPECT_TRUE(world.hotKeys.empty());
}

TEST(SimWorld, AdvanceRunsTheTimersOfAllProcessesInTimeOrder) {
  SimWorld world;
  std::vector<std::string> ticks;
  SimProcess a(world), b(world);
  auto program = [&](const char* name, std::uint32_t interval) {
    return [&, name, interval](Platform& p) {
      p.windows.StartTimer(p.windows.CreateTopWindow({}, {}), interval, [&, name] {
        ticks.push_back(std::string(name) + "@" + std::to_string(world.Now()));
        if (std::string(name) == "a") p.sound.Sleep(300);  // a pause blocks only its caller
      });
      p.windows.RunLoop();
    };
  };
  a.Start(program("a", 1000));
  b.Start(program("b", 1500));
  world.Advance(3000);
  // At 3000 both are due: the earlier-started process goes first, and its
  // pause delays the other one's tick.
  EXPECT_EQ(ticks, (std::vector<std::string>{"a@1000", "b@1500", "a@2000", "a@3000", "b@3300"}));
}

// A program that makes one window and waits; tests act on it through Inject.
struct WaitingProgram {
  SimWorld& world;
  SimProcess process{world};
  Platform* platform = nullptr;
  platform::WindowHandle window;

  explicit WaitingProgram(SimWorld& inWorld, const std::string& title = "Main") : world(inWorld) {
    process.Start([this, title](Platform& p) {
      platform = &p;
      platform::WindowParams params;
      params.title = title;
      window = p.windows.CreateTopWindow(params, {});
      p.windows.RunLoop();
    });
  }
};

TEST(SimProcess, ATimerOfZeroIsRaisedToTheTenMillisecondMinimumAsBySetTimer) {
  SimWorld world;
  WaitingProgram program(world);
  std::vector<std::uint64_t> ticks;
  program.process.Inject([&] {
    program.platform->windows.StartTimer(program.window, 0,
                                         [&] { ticks.push_back(program.world.Now()); });
  });
  program.world.Advance(35);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{10, 20, 30}));
  EXPECT_EQ(program.process.Calls().back(), "timer 1 started on \"Main\", 10 ms");
}

// Calls that fail on Windows fail here too and are recorded as refused, so a
// test can see a program that uses a handle it no longer, or never, had.
TEST(SimProcess, CallsOnHandlesTheProcessDoesNotHaveAreRefused) {
  platform::WindowHandle foreign;  // a window of another process
  struct Case {
    const char* name;
    std::function<void(Platform&, platform::WindowHandle own)> call;
    std::string refused;
  };
  const Case cases[] = {
      {"timer stopped twice",
       [](Platform& p, platform::WindowHandle own) {
         const auto timer = p.windows.StartTimer(own, 100, nullptr);
         p.windows.StopTimer(timer);
         p.windows.StopTimer(timer);
       },
       "timer 1 stop refused"},
      {"timer on a foreign window",
       [&](Platform& p, platform::WindowHandle) {
         EXPECT_FALSE(p.windows.StartTimer(foreign, 100, nullptr));
       },
       "timer on {foreign} refused"},
      {"post to a foreign window",
       [&](Platform& p, platform::WindowHandle) {
         EXPECT_FALSE(p.windows.Post(foreign, platform::msg::kUser, 0, 0));
       },
       "post 0x0400 to {foreign} refused"},
      {"show a foreign window",
       [&](Platform& p, platform::WindowHandle) { p.windows.ShowWindow(foreign, true); },
       "show {foreign} refused"},
      {"foreground of a foreign window",
       [&](Platform& p, platform::WindowHandle) { p.windows.SetForegroundWindow(foreign); },
       "foreground {foreign} refused"},
      {"menu never created",
       [](Platform& p, platform::WindowHandle own) {
         p.tray.TrackPopupMenu(platform::MenuHandle{0x4321}, {}, own);
       },
       "menu tracked by \"Main\" refused"},
      {"box owned by a foreign window",
       [&](Platform& p, platform::WindowHandle) {
         EXPECT_EQ(p.windows.ShowMessageBox(foreign, "text", "Caption", 0), 0);
       },
       "box \"Caption\" owned by {foreign} refused"},
  };
  for (const Case& c : cases) {
    SimWorld world;
    WaitingProgram other(world, "Other");
    WaitingProgram program(world);
    foreign = other.window;
    std::string refused = c.refused;
    if (auto at = refused.find("{foreign}"); at != std::string::npos) {
      refused.replace(at, 9, "unknown window 0x" + ToHex(foreign.value));
    }
    program.process.Inject([&] { c.call(*program.platform, program.window); });
    EXPECT_EQ(program.process.RefusedCalls(), std::vector<std::string>{refused}) << c.name;
    EXPECT_TRUE(program.process.Running()) << c.name;
    EXPECT_FALSE(other.process.Window(other.window)->visible) << c.name;
  }
}

TEST(SimProcess, ADestroyedWindowTakesItsTimersAlongAndRefusesPosts) {
  SimWorld world;
  WaitingProgram program(world);
  int ticks = 0;
  program.process.Inject(
      [&] { program.platform->windows.StartTimer(program.window, 100, [&] { ++ticks; }); });
  program.process.DestroyWindow(program.window);
  program.world.Advance(1000);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(program.process.Window(program.window), nullptr);
  program.process.Inject([&] {
    EXPECT_FALSE(program.platform->windows.Post(program.window, platform::msg::kUser, 0, 0));
  });
  EXPECT_EQ(program.process.RefusedCalls().size(), 1u);
}

// Input the user could not give is a mistake of the test, not a no-op that
// would let a test pass for the wrong reason.
TEST(SimProcess, InputThatNoUserCouldGiveThrows) {
  SimWorld world;
  WaitingProgram program(world);
  SimProcess& p = program.process;
  platform::ControlHandle hidden;
  p.Inject([&] {
    platform::ControlParams params;
    params.kind = platform::ControlKind::Button;
    params.text = "OK";
    hidden = program.platform->windows.CreateControl(program.window, params, {});
  });
  EXPECT_THROW(p.AnswerBox(), std::logic_error);
  EXPECT_THROW(p.ChooseMenuItem({}), std::logic_error);
  EXPECT_THROW(p.TrayRightClick(), std::logic_error);
  EXPECT_THROW(p.Post(platform::WindowHandle{0x99}, platform::msg::kClose), std::logic_error);
  EXPECT_THROW(p.ClickControl(hidden), std::logic_error);  // its window is hidden
  p.Inject([&] { program.platform->windows.ShowWindow(program.window, true); });
  EXPECT_NO_THROW(p.ClickControl(hidden));
  EXPECT_TRUE(p.Running());
}

TEST(SimWorld, AShellRestartLeavesNoIconBehindThatNoProgramAddedAgain) {
  SimWorld world;
  SimProcess quiet(world), attentive(world);
  auto program = [](bool addAgain) {
    return [addAgain](Platform& p) {
      const auto window = p.windows.CreateTopWindow({}, {});
      platform::TrayEvents events;
      if (addAgain) {
        events.onTaskbarCreated = [&p, window] { p.tray.AddIcon(window, "TRAY", "again", {}); };
      }
      p.tray.AddIcon(window, "TRAY", "first", events);
      p.windows.RunLoop();
    };
  };
  quiet.Start(program(false));
  attentive.Start(program(true));
  ASSERT_EQ(world.tray.Icons().size(), 2u);
  world.RestartShell();
  EXPECT_EQ(quiet.TrayIcon(), nullptr);
  ASSERT_NE(attentive.TrayIcon(), nullptr);
  EXPECT_EQ(attentive.TrayIcon()->tip, "again");
}

}  // namespace
}  // namespace orbl::sim
