#include "platform/WindowTimer.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/sim/SimProcess.h"

namespace orbl {
namespace {

class WindowTimer : public ::testing::Test {
 protected:
  void SetUp() override {
    process.Start([this](platform::Platform& p) {
      platform::WindowParams params;
      params.title = "Owner";
      const auto window = p.windows.CreateTopWindow(params, {});
      timer = std::make_unique<platform::TWindowTimer>(p.windows, window, 1000,
                                                       [this] { ticks.push_back(world.Now()); });
      p.windows.RunLoop();
    });
  }
  void TearDown() override {
    process.Inject([this] { timer.reset(); });
  }

  sim::SimWorld world;
  sim::SimProcess process{world};
  std::unique_ptr<platform::TWindowTimer> timer;
  std::vector<std::uint64_t> ticks;
};

// Created stopped; a new interval alone starts nothing; enabled, it fires
// periodically until disabled.
TEST_F(WindowTimer, IsCreatedStoppedAndFiresPeriodicallyOnceEnabled) {
  process.Inject([this] { timer->SetInterval(2000); });
  world.Advance(5000);
  EXPECT_TRUE(ticks.empty());
  EXPECT_EQ(timer->Interval(), 2000u);
  process.Inject([this] { timer->SetEnabled(true); });
  world.Advance(6500);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{7000, 9000, 11000}));
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

// The platform raises an interval of 0 to its minimum and would fire every
// 10 ms; the program's rule is that 0 never fires.
TEST_F(WindowTimer, AnIntervalOfZeroNeverFiresAndStartsNoPlatformTimer) {
  process.Inject([this] {
    timer->SetInterval(0);
    timer->SetEnabled(true);
  });
  world.Advance(1000);
  EXPECT_TRUE(ticks.empty());
  EXPECT_TRUE(timer->Enabled());
  EXPECT_FALSE(timer->Running());
  EXPECT_FALSE(process.NextTimerDue().has_value());

  process.Inject([this] { timer->SetInterval(400); });
  world.Advance(1000);
  EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1400, 1800}));
  process.Inject([this] { timer->SetInterval(0); });
  world.Advance(1000);
  EXPECT_EQ(ticks.size(), 2u);
}

// Each platform timer is stopped exactly once: a second KillTimer on a handle
// fails on Windows, and a handle may be handed out again.
TEST_F(WindowTimer, StopsEachPlatformTimerOnceAcrossRestartsAndDestruction) {
  process.Inject([this] {
    timer->SetEnabled(true);
    timer->SetInterval(500);
    timer->SetEnabled(false);
    timer->SetEnabled(true);
    timer.reset();
  });
  EXPECT_EQ(process.Calls(),
            (std::vector<std::string>{"timer 1 started on \"Owner\", 1000 ms", "timer 1 stopped",
                                      "timer 2 started on \"Owner\", 500 ms", "timer 2 stopped",
                                      "timer 3 started on \"Owner\", 500 ms", "timer 3 stopped"}));
}

}  // namespace
}  // namespace orbl
