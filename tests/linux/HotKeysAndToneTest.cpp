// The keys and modifiers a hot key grabs on X, and the samples of a beep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/linux/PulseSound.h"
#include "platform/linux/X11HotKeys.h"

namespace orbl::lnx {
namespace {

namespace mod = platform::mod;

TEST(HotKeyGrab, EachOfferedKeyHasItsSymbolAndEachModifierItsMaskWhateverTheLocks) {
  constexpr int kShift = 1, kLock = 2, kControl = 4, kMod1 = 8, kMod2 = 16, kMod4 = 64;
  const struct {
    std::uint32_t modifiers, virtualKey, keysym;
    int mask;
  } cases[] = {
      {mod::kControl | mod::kAlt, 'A', 'a', kControl | kMod1},
      {mod::kWin, 'Z', 'z', kMod4},
      {mod::kShift, '0', '0', kShift},
      {0, '9', '9', 0},
      {0, 0x70, 0xffbe, 0},  // F1
      {0, 0x7B, 0xffc9, 0},  // F12
      {0, 0x23, 0xff57, 0},
      {0, 0x24, 0xff50, 0},
      {0, 0x2E, 0xffff, 0},
      {0, 0xDC, '\\', 0},
  };
  for (const auto& c : cases) {
    const auto grab = HotKeyGrab(c.modifiers, c.virtualKey, kMod2);
    ASSERT_TRUE(grab) << c.virtualKey;
    EXPECT_EQ(grab->keysym, c.keysym) << c.virtualKey;
    std::vector<int> variants(grab->variants.begin(), grab->variants.end());
    std::sort(variants.begin(), variants.end());
    EXPECT_EQ(variants,
              (std::vector<int>{c.mask, c.mask | kLock, c.mask | kMod2, c.mask | kLock | kMod2}))
        << c.virtualKey;
  }
  // A keymap without Num Lock leaves only the Caps Lock variant.
  EXPECT_EQ(HotKeyGrab(mod::kAlt, 'Q', 0)->variants.size(), 2u);
  // Keys the list does not offer (F13, a numeric pad key, "=" as a character)
  // and modifier bits beyond the four are refused.
  for (const std::uint32_t key : {0u, 0x7Cu, 0x61u, 61u}) EXPECT_FALSE(HotKeyGrab(0, key, kMod2));
  EXPECT_FALSE(HotKeyGrab(0x4000, 'A', kMod2));
  EXPECT_TRUE(OnWaylandSession("wayland-0", nullptr));
  EXPECT_TRUE(OnWaylandSession(nullptr, "wayland"));
  EXPECT_FALSE(OnWaylandSession("", "x11"));
}

TEST(ToneSamples, HoldTheFrequencyAndFadeInAndOutOverFiveMilliseconds) {
  for (const std::uint32_t hz : {500u, 1500u}) {
    const auto tone = ToneSamples(hz, 70);
    ASSERT_EQ(tone.size(), 70u * 48);
    int crossings = 0;
    for (std::size_t i = 1; i < tone.size(); ++i) crossings += (tone[i - 1] < 0) != (tone[i] < 0);
    EXPECT_NEAR(crossings / 2.0 / 0.07, hz, hz * 0.02);
    auto peak = [&](std::size_t from, std::size_t to) {
      int highest = 0;
      for (std::size_t i = from; i < to; ++i) highest = std::max(highest, std::abs(int{tone[i]}));
      return highest;
    };
    const std::size_t period = 48000 / hz, end = tone.size();
    const int full = peak(1000, 2000);
    EXPECT_GT(full, 10000);
    // 1 ms into either fade at most a fifth of the strength, from 5 ms on all.
    EXPECT_LE(peak(0, 48), full / 5 + 50);
    EXPECT_LE(peak(end - 48, end), full / 5 + 50);
    EXPECT_GE(peak(240, 240 + period), full * 0.97);
    EXPECT_GE(peak(end - 240 - period, end - 240), full * 0.97);
  }
  EXPECT_EQ(ToneSamples(1000, 4).size(), 192u);
}

}  // namespace
}  // namespace orbl::lnx
