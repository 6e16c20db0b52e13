#include "app/WindowTimer.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/sim/SimProcess.h"

namespace orbl {
namespace {

class WindowTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    process.Start([this](platform::Platform& p) {
      const auto window = p.windows.CreateTopWindow({}, {});
      timer = std::make_unique<TWindowTimer>(p.windows, window, 1000,
                                             [this] { ticks.push_back(world.Now()); });
      p.windows.RunLoop();
    });
  }
  void TearDown() override {
    process.Inject([this] { timer.reset(); });
  }

  sim::SimWorld world;
  sim::SimProcess process{world};
  std::unique_ptr<TWindowTimer> timer;
  std::vector<std::uint64_t> ticks;
};

TEST_F(WindowTimer, IsCreatedStoppedAndFiresPeriodicallyOnceEnabled) {
  world.Advance(5000);
  EXPECT_TRUE(ticks.empty());
  process.Inject([this] { timer->SetEnabled(true); });
  world.Advance(3500);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{6000, 7000, 8000}));
  process.Inject([this] { timer->SetEnabled(false); });
  world.Advance(5000);
  EXPECT_EQ(ticks.size(), 3u);
}

TEST_F(WindowTimer, OnlyAChangedIntervalRestartsARunningTimer) {
  process.Inject([this] { timer->SetEnabled(true); });
  world.Advance(600);
  process.Inject([this] {
    timer->SetEnabled(true);   // already enabled: keeps its period
    timer->SetInterval(1000);  // the same interval: keeps its period
  });
  world.Advance(500);
  EXPECT_EQ(ticks, std::vector<std::uint64_t>{1000});
  process.Inject([this] { timer->SetInterval(300); });  // at 1100: restarts from zero
  world.Advance(700);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000, 1400, 1700}));
}

TEST_F(WindowTimer, ADisabledTimerTakesANewIntervalWithoutStarting) {
  process.Inject([this] { timer->SetInterval(20000); });
  world.Advance(60000);
  EXPECT_TRUE(ticks.empty());
  EXPECT_EQ(timer->Interval(), 20000u);
  process.Inject([this] { timer->SetEnabled(true); });
  world.Advance(20000);
  EXPECT_EQ(ticks, std::vector<std::uint64_t>{80000});
}

}  // namespace
}  // namespace orbl
