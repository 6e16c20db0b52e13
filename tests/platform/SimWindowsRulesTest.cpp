// The simulation under the window system's contract, and the rules it keeps
// beyond it: the ones of Windows the program has to live with (the foreground
// rule for boxes, the time given to answer the end of the session), and the
// process model every other test stands on (its clock, its strictness).
#include <gtest/gtest.h>

#include <deque>
#include <memory>

#include "platform/WindowTimer.h"
#include "platform/sim/SimProcess.h"
#include "tests/contract/WindowSystemContract.h"

namespace orbl::sim {
namespace {

using platform::Platform;
namespace mb = platform::mb;
namespace msg = platform::msg;

// The user acts from the test's side whenever the program is idle; the clock
// moves on to the next thing due only when no request can act.
class SimBackend final : public contract::Backend {
 public:
  void Run(const std::function<void(platform::WindowSystem&)>& program) override {
    bool done = false;
    process_.Start([&](Platform& p) {
      program(p.windows);
      done = true;
      p.windows.RunLoop();
    });
    while (!done) {
      if (!requests_.empty() && requests_.front()()) {
        requests_.pop_front();
        continue;
      }
      const auto due = process_.NextTimerDue();
      ASSERT_TRUE(due.has_value()) << "the program waits for input that never comes";
      world_.Advance(*due > world_.Now() ? *due - world_.Now() : 1);
    }
  }
  void AnswerBox(const std::string& caption, int answer) override {
    requests_.emplace_back([this, caption, answer] {
      const std::vector<SimBox> boxes = process_.OpenBoxes();
      if (boxes.empty() || boxes.back().caption != caption) return false;
      process_.AnswerBox(answer);
      return true;
    });
  }
  void Click(platform::ControlHandle control) override {
    requests_.emplace_back([this, control] { return process_.ClickControl(control), true; });
  }
  void CloseBox(platform::WindowHandle window) override {
    requests_.emplace_back([this, window] { return process_.CloseWindowByUser(window), true; });
  }
  void SendFromOutside(platform::WindowHandle window, std::uint32_t code) override {
    requests_.emplace_back([this, window, code] { return process_.Send(window, code, 0), true; });
  }

 private:
  SimWorld world_;
  SimProcess process_{world_};
  std::deque<std::function<bool()>> requests_;
};

std::unique_ptr<contract::Backend> MakeSimBackend() {
  return std::make_unique<SimBackend>();
}

using contract::WindowSystemContract;
INSTANTIATE_TEST_SUITE_P(Sim, WindowSystemContract, ::testing::Values(&MakeSimBackend),
                         [](const auto&) { return std::string("sim"); });

TEST(SimWindowsRules, ABoxOfABackgroundProgramComesToTheFrontOnlyWhenItMayOrAsks) {
  const std::uint32_t front = mb::kSetForeground | mb::kTopmost;
  const struct {
    bool owned, ownerVisible;
    std::uint32_t flags;
    bool behind;
  } cases[] = {{false, false, mb::kSetForeground, true},
               {false, false, mb::kTopmost, true},
               {false, false, front, false},
               {true, false, mb::kIconHand, true},
               {true, false, mb::kIconHand | front, false},
               {true, true, mb::kOk, false}};
  for (const auto& c : cases) {
    SimWorld world;
    SimProcess process(world);
    process.Start([&](Platform& p) {
      const auto window = p.windows.CreateTopWindow({}, {});
      if (c.ownerVisible) p.windows.ShowWindow(window, true);
      p.windows.ShowMessageBox(c.owned ? window : platform::WindowHandle{}, "t", "c", c.flags);
    });
    ASSERT_EQ(process.OpenBoxes().size(), 1u);
    EXPECT_EQ(process.OpenBoxes()[0].behind, c.behind) << c.flags << (c.owned ? " owned" : "");
  }
}

// A program that handles WM_QUERYENDSESSION by pausing and then showing a
// box, under a shutdown block reason when `block` is set.
TEST(SimWindowsRules, AProgramOverTheEndOfTheSessionForMoreThanFiveSecondsIsEnded) {
  const struct {
    std::uint32_t pauseMs;
    bool block;
    std::uint64_t userTakesMs;  // before the box is answered
    bool survives;
  } cases[] = {{5000, false, 0, true},
               {6000, false, 0, false},
               {1000, false, 4500, false},
               {15000, true, 0, true},
               {1000, true, 60000, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pauseMs + c.userTakesMs);
    SimWorld world;
    SimProcess process(world);
    platform::WindowHandle window;
    bool afterPause = false;
    process.Start([&](Platform& p) {
      platform::WindowEvents events;
      events.onMessage = [&](const platform::Message& m) {
        if (m.code != msg::kQueryEndSession) return false;
        if (c.block) {
          EXPECT_TRUE(p.windows.BlockShutdown(window, "Closing CD/DVD drive doors"));
        }
        p.sound.Sleep(c.pauseMs);
        afterPause = true;
        p.windows.ShowMessageBox({}, "Found disk", "Orbelle", mb::kOk);
        if (c.block) {
          EXPECT_TRUE(p.windows.UnblockShutdown(window));
        }
        return false;
      };
      window = p.windows.CreateTopWindow({}, events);
      EXPECT_FALSE(p.windows.BlockShutdown(platform::WindowHandle{0x77}, "not ours"));
      EXPECT_FALSE(p.windows.UnblockShutdown(window)) << "none registered";
      p.windows.RunLoop();
    });
    process.Send(window, msg::kQueryEndSession, 0);
    world.Advance(c.userTakesMs);
    ASSERT_EQ(process.Running(), c.survives);
    if (!c.survives) {
      EXPECT_EQ(afterPause, c.pauseMs < 5000) << "ended within the pause";
      continue;
    }
    EXPECT_TRUE(process.AwaitingReply());
    process.AnswerBox();
    EXPECT_FALSE(process.AwaitingReply());
    EXPECT_TRUE(process.ShutdownBlocks().empty());
    world.Advance(60000);  // once answered, time no longer counts against the program
    EXPECT_TRUE(process.Running());
  }
}

// Set to a new interval a running timer starts afresh; the same interval, or
// enabling it again, keeps its period. 0 never fires (the system would raise
// it to 10 ms). Each platform timer is stopped once: a second KillTimer fails.
TEST(SimWindowsRules, TheProgramsTimerRestartsOnlyOnAChangeAndZeroNeverFires) {
  SimWorld world;
  SimProcess process(world);
  std::unique_ptr<platform::TWindowTimer> timer;
  std::vector<std::uint64_t> ticks;
  process.Start([&](Platform& p) {
    platform::WindowParams params;
    params.title = "Owner";
    const auto window = p.windows.CreateTopWindow(params, {});
    timer = std::make_unique<platform::TWindowTimer>(p.windows, window, 1000,
                                                     [&] { ticks.push_back(world.Now()); });
    p.windows.StartTimer(window, 0, nullptr);
    p.windows.RunLoop();
  });
  const auto at = [&](std::function<void()> action) { process.Inject(std::move(action)); };
  world.Advance(500);
  at([&] { timer->SetEnabled(true); });
  world.Advance(600);  // 1100
  at([&] {
    timer->SetEnabled(true);
    timer->SetInterval(1000);
  });
  world.Advance(500);  // 1600: ticked at 1500
  at([&] { timer->SetInterval(300); });
  world.Advance(700);  // 2300: ticked at 1900, 2200
  at([&] { timer->SetInterval(0); });
  world.Advance(5000);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1500, 1900, 2200}));
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(timer->Running());
  at([&] { timer.reset(); });
  EXPECT_EQ(process.Calls(),
            (std::vector<std::string>{"timer 1 started on \"Owner\", 10 ms",
                                      "timer 2 started on \"Owner\", 1000 ms", "timer 2 stopped",
                                      "timer 3 started on \"Owner\", 300 ms", "timer 3 stopped"}));
}

TEST(SimWorld, AdvanceRunsTheTimersOfAllProcessesInTimeOrder) {
  SimWorld world;
  std::vector<std::string> ticks;
  SimProcess a(world), b(world);
  const auto program = [&](const char* name, std::uint32_t interval) {
    return [&, name, interval](Platform& p) {
      p.windows.StartTimer(p.windows.CreateTopWindow({}, {}), interval, [&, name] {
        ticks.push_back(std::string(name) + "@" + std::to_string(world.Now()));
        if (*name == 'a') p.sound.Sleep(300);  // a pause blocks only its caller
      });
      p.windows.RunLoop();
    };
  };
  a.Start(program("a", 1000));
  b.Start(program("b", 1500));
  world.Advance(4900);
  // At 3000 both are due: the earlier-started process first, and its pause
  // delays the other's tick, which counts its next interval from then.
  EXPECT_EQ(ticks, (std::vector<std::string>{"a@1000", "b@1500", "a@2000", "a@3000", "b@3300",
                                             "a@4000", "b@4800"}));
}

}  // namespace
}  // namespace orbl::sim
