// The simulation is the ground every other test stands on: its clock, its
// nested loops and its process model must behave like the real system.
#include "platform/sim/SimProcess.h"

#include <gtest/gtest.h>

namespace orbl::sim {
namespace {

using platform::Platform;

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

TEST(SimProcess, AKilledProcessLosesItsLocksAndHotKeysButNotItsAtoms) {
  SimWorld world;
  SimProcess first(world);
  first.Start([&](Platform& p) {
    p.atoms.Add("ORBL");
    EXPECT_TRUE(p.instanceLock.TryAcquire("ORBL"));
    const auto window = p.windows.CreateTopWindow({}, {});
    EXPECT_TRUE(p.hotKeys.Register(window, 1, platform::mod::kControl, 'K'));
    p.windows.RunLoop();
  });
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

}  // namespace
}  // namespace orbl::sim
