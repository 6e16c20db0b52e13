// Rules of Windows that the simulation enforces because the program has to
// live with them: the foreground rule for boxes, the time Windows gives a
// program to answer the end of the session, and answering a sent message
// before its handling is over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "platform/sim/SimProcess.h"

namespace orbl::sim {
namespace {

using platform::Platform;
namespace mb = platform::mb;
namespace msg = platform::msg;

TEST(SimWindowsRules, ABoxOfABackgroundProgramComesToTheFrontOnlyWhenItMayOrAsks) {
  struct Case {
    const char* what;
    bool owned;
    bool ownerVisible;
    std::uint32_t flags;
    bool behind;
  };
  const std::uint32_t front = mb::kSetForeground | mb::kTopmost;
  const Case cases[] = {
      {"no owner, plain", false, false, mb::kOk, true},
      {"no owner, set-foreground alone", false, false, mb::kSetForeground, true},
      {"no owner, topmost alone", false, false, mb::kTopmost, true},
      {"no owner, both", false, false, front, false},
      {"hidden owner, plain", true, false, mb::kIconHand, true},
      {"hidden owner, both", true, false, mb::kIconHand | front, false},
      {"visible owner, plain", true, true, mb::kOk, false},
  };
  for (const Case& c : cases) {
    SimWorld world;
    SimProcess process(world);
    process.Start([&](Platform& p) {
      const auto window = p.windows.CreateTopWindow({}, {});
      if (c.ownerVisible) p.windows.ShowWindow(window, true);
      p.windows.ShowMessageBox(c.owned ? window : platform::WindowHandle{}, "text", "caption",
                               c.flags);
      p.windows.RunLoop();
    });
    ASSERT_EQ(process.OpenBoxes().size(), 1u) << c.what;
    EXPECT_EQ(process.OpenBoxes()[0].behind, c.behind) << c.what;
  }
}

// A program whose handling of WM_QUERYENDSESSION pauses `pauseMs` and then
// shows a box, registering a shutdown block first when `block` is set.
struct EndSession {
  SimWorld world;
  SimProcess process{world};
  platform::WindowHandle window;
  bool afterPause = false;

  void Start(std::uint32_t pauseMs, bool block) {
    process.Start([this, pauseMs, block](Platform& p) {
      platform::WindowEvents events;
      events.onMessage = [this, &p, pauseMs, block](const platform::Message& m) {
        if (m.code != msg::kQueryEndSession) return false;
        if (block) {
          EXPECT_TRUE(p.windows.BlockShutdown(window, "Closing CD/DVD drive doors"));
        }
        p.sound.Sleep(pauseMs);
        afterPause = true;
        p.windows.ShowMessageBox({}, "Found disk", "Orbelle", mb::kOk);
        if (block) {
          EXPECT_TRUE(p.windows.UnblockShutdown(window));
        }
        return false;
      };
      window = p.windows.CreateTopWindow({}, events);
      p.windows.RunLoop();
    });
    process.Send(window, msg::kQueryEndSession, 0);
  }
};

TEST(SimWindowsRules, AProgramOverTheEndOfTheSessionForMoreThanFiveSecondsIsEnded) {
  struct Case {
    const char* what;
    std::uint32_t pauseMs;
    bool block;
    std::uint64_t userTakesMs;  // before the box is answered
    bool survives;
  };
  const Case cases[] = {
      {"quick work, quick answer", 1000, false, 3000, true},
      {"work of exactly five seconds", 5000, false, 0, true},
      {"work beyond five seconds", 6000, false, 0, false},
      {"quick work, slow answer", 1000, false, 4500, false},
      {"long work with a block reason", 15000, true, 0, true},
      {"slow answer with a block reason", 1000, true, 60000, true},
  };
  for (const Case& c : cases) {
    EndSession s;
    s.Start(c.pauseMs, c.block);
    if (c.pauseMs > 5000 && !c.survives) {
      // Ended within the pause: nothing after it ran.
      EXPECT_FALSE(s.afterPause) << c.what;
      EXPECT_FALSE(s.process.Running()) << c.what;
      continue;
    }
    ASSERT_EQ(s.process.OpenBoxes().size(), 1u) << c.what;
    EXPECT_TRUE(s.process.AwaitingReply()) << c.what;
    s.world.Advance(c.userTakesMs);
    EXPECT_EQ(s.process.Running(), c.survives) << c.what;
    if (!c.survives) {
      EXPECT_FALSE(s.process.ExitCode().has_value()) << c.what;
      continue;
    }
    s.process.AnswerBox();
    EXPECT_FALSE(s.process.AwaitingReply()) << c.what;
    EXPECT_TRUE(s.process.ShutdownBlocks().empty()) << c.what;
    // Once answered, time no longer counts against the program.
    s.world.Advance(60000);
    EXPECT_TRUE(s.process.Running()) << c.what;
  }
}

TEST(SimWindowsRules, OnlyASentMessageCanBeAnsweredEarly) {
  SimWorld world;
  SimProcess process(world);
  std::vector<bool> replies;
  bool awaitingAfterReply = true;
  platform::WindowHandle window;
  process.Start([&](Platform& p) {
    platform::WindowEvents events;
    events.onMessage = [&](const platform::Message&) {
      replies.push_back(p.windows.ReplyToSender());
      replies.push_back(p.windows.ReplyToSender());
      awaitingAfterReply = process.AwaitingReply();
      return true;
    };
    window = p.windows.CreateTopWindow({}, events);
    p.windows.RunLoop();
  });
  process.Send(window, msg::kDeviceChange, msg::kDbtDeviceRemoveComplete);
  EXPECT_EQ(replies, (std::vector<bool>{true, true}));
  EXPECT_FALSE(awaitingAfterReply);
  const auto calls = process.Calls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "reply to sender"), 1);
  replies.clear();
  process.Post(window, msg::kUser);
  EXPECT_EQ(replies, (std::vector<bool>{false, false}));
}

TEST(SimWindowsRules, AShutdownBlockNeedsAWindowOfTheProgram) {
  SimWorld world;
  SimProcess process(world);
  process.Start([&](Platform& p) {
    const auto window = p.windows.CreateTopWindow({}, {});
    EXPECT_FALSE(p.windows.BlockShutdown(platform::WindowHandle{0x77}, "reason"));
    EXPECT_FALSE(p.windows.UnblockShutdown(window));
    EXPECT_TRUE(p.windows.BlockShutdown(window, "first"));
    EXPECT_TRUE(p.windows.BlockShutdown(window, "second"));
    p.windows.RunLoop();
  });
  ASSERT_EQ(process.ShutdownBlocks().size(), 1u);
  EXPECT_EQ(process.ShutdownBlocks().begin()->second, "second");
}

}  // namespace
}  // namespace orbl::sim
