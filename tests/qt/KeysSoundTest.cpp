// Hot keys against a real X server and beeps against a real sound server,
// both the test's own (run-with-display.sh --sound starts them).
#include <poll.h>
#include <pulse/simple.h>
#include <spawn.h>
#include <sys/wait.h>
#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/linux/PulseSound.h"
#include "platform/linux/X11HotKeys.h"

extern char** environ;  // NOLINT

namespace orbl::lnx {
namespace {

using platform::WindowHandle;
namespace mod = platform::mod;
constexpr std::uint32_t kVkF5 = 0x74, kVkF6 = 0x75;

int Xdotool(std::vector<const char*> argv) {
  argv.insert(argv.begin(), "xdotool");
  argv.push_back(nullptr);
  pid_t pid = -1;
  int status = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv.data()), environ) ==
      0) {
    waitpid(pid, &status, 0);
  }
  return status;
}

TEST(X11HotKeys, AKeyFiresOnceUnderAnyLockStateAndWhenHeld) {
  std::vector<int> fired;
  X11HotKeys keys([&](WindowHandle window, int id) {
    EXPECT_EQ(window, WindowHandle{5});
    fired.push_back(id);
  });
  ASSERT_TRUE(keys.Register(WindowHandle{5}, 1, mod::kControl | mod::kShift, kVkF5));
  ASSERT_TRUE(keys.Register(WindowHandle{5}, 2, mod::kWin | mod::kAlt, '9'));
  EXPECT_FALSE(keys.Register(WindowHandle{6}, 3, mod::kControl | mod::kShift, kVkF5));
  // Id 1 under each lock state, then held past several repeats; id 2 marks
  // the end, since a client gets its events in order.
  EXPECT_EQ(Xdotool({"key", "ctrl+shift+F5", "Caps_Lock", "ctrl+shift+F5", "Num_Lock",
                     "ctrl+shift+F5", "Caps_Lock", "ctrl+shift+F5", "Num_Lock"}),
            0);
  EXPECT_EQ(Xdotool({"keydown", "ctrl+shift+F5", "sleep", "0.4", "keyup", "ctrl+shift+F5", "key",
                     "super+alt+9"}),
            0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (fired.empty() || fired.back() != 2) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no hot key arrived";
    pollfd watched{keys.Fd(), POLLIN, 0};
    if (poll(&watched, 1, 100) > 0) keys.HandleReadable();
  }
  EXPECT_EQ(fired, (std::vector<int>{1, 1, 1, 1, 1, 2}));
}

// Grabs Ctrl+Alt+F6 under each of `locks` from a second client; how many it got.
int GrabF6(xcb_connection_t* other, std::initializer_list<int> locks) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(other);
  xcb_keycode_t* f6 = xcb_key_symbols_get_keycode(symbols, 0xffc3);
  int grabbed = 0;
  for (const int lock : locks) {
    const auto mask = static_cast<std::uint16_t>(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | lock);
    xcb_generic_error_t* error = xcb_request_check(
        other,
        xcb_grab_key_checked(other, 0, root, mask, *f6, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    grabbed += error == nullptr ? 1 : 0;
    free(error);
  }
  free(f6);
  xcb_key_symbols_free(symbols);
  return grabbed;
}

void UngrabAll(xcb_connection_t* other) {
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  free(xcb_request_check(other,
                         xcb_ungrab_key_checked(other, XCB_GRAB_ANY, root, XCB_MOD_MASK_ANY)));
}

TEST(X11HotKeys, AKeyAnotherClientHoldsIsRefusedWholeAndAReleasedKeyIsFree) {
  constexpr int kLockNum = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;
  const auto allLocks = {0, int{XCB_MOD_MASK_LOCK}, int{XCB_MOD_MASK_2}, kLockNum};
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  X11HotKeys keys([](WindowHandle, int) {});
  // Only the last lock variant is taken: the ones before it must be let go.
  ASSERT_EQ(GrabF6(other, {kLockNum}), 1);
  EXPECT_FALSE(keys.Register(WindowHandle{5}, 1, mod::kControl | mod::kAlt, kVkF6));
  UngrabAll(other);
  EXPECT_EQ(GrabF6(other, allLocks), 4);
  UngrabAll(other);
  ASSERT_TRUE(keys.Register(WindowHandle{5}, 1, mod::kControl | mod::kAlt, kVkF6));
  EXPECT_EQ(GrabF6(other, allLocks), 0);
  EXPECT_FALSE(keys.Unregister(WindowHandle{5}, 2));
  EXPECT_TRUE(keys.Unregister(WindowHandle{5}, 1));
  EXPECT_EQ(GrabF6(other, allLocks), 4);
  xcb_disconnect(other);
}

TEST(PulseSound, ABeepIsHeardAtItsFrequencyAndARefusalSilencesTheNextBeeps) {
  const pa_sample_spec format{PA_SAMPLE_S16LE, 48000, 1};
  const pa_buffer_attr tenMs{~0u, ~0u, ~0u, ~0u, 960};
  pa_simple* recorder = pa_simple_new(nullptr, "test", PA_STREAM_RECORD, "beeps.monitor", "record",
                                      &format, nullptr, &tenMs, nullptr);
  ASSERT_TRUE(recorder);
  {
    const std::string server = std::getenv("PULSE_SERVER");
    setenv("PULSE_SERVER", "unix:/nonexistent/socket", 1);
    PulseSound refused;
    refused.Beep(880, 10000);  // returns at once, or the test times out
    setenv("PULSE_SERVER", server.c_str(), 1);
    refused.Beep(440, 100);  // not tried again so soon: not heard below
  }
  int releases = 0;
  PulseSound sound([&] { ++releases; });
  sound.Beep(880, 300);
  EXPECT_EQ(releases, 1);
  sound.ReleaseStream();
  // What was recorded, up to 50 ms of silence after the tone (at most 5 s).
  std::vector<std::int16_t> samples;
  std::size_t first = 0, last = 0;
  while (samples.size() < 5 * 48000 && (last == 0 || samples.size() - last < 2400)) {
    const std::size_t from = samples.size();
    samples.resize(from + 480);
    ASSERT_EQ(pa_simple_read(recorder, &samples[from], 960, nullptr), 0);
    for (std::size_t i = from; i < samples.size(); ++i) {
      if (std::abs(int{samples[i]}) < 1000) continue;
      first = last == 0 ? i : first;
      last = i;
    }
  }
  pa_simple_free(recorder);
  int crossings = 0;
  for (std::size_t i = first + 1; i <= last; ++i)
    crossings += (samples[i - 1] < 0) != (samples[i] < 0);
  const double seconds = static_cast<double>(last - first) / 48000;
  EXPECT_NEAR(crossings / 2.0 / seconds, 880, 44);
  EXPECT_NEAR(seconds, 0.3, 0.03);
}

}  // namespace
}  // namespace orbl::lnx
