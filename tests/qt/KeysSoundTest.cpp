// Hot keys against a real X server and beeps against a real sound server,
// both the test's own (with-private-x-and-sound.sh starts them).
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb_keysyms.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/PulseSound.h"
#include "platform/linux/X11HotKeys.h"

extern char** environ;  // NOLINT

namespace orbl::lnx {
namespace {

using platform::WindowHandle;
namespace mod = platform::mod;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kVkF5 = 0x74, kVkF6 = 0x75;

// Starts `args` with its output into `outFd` (when not -1); returns its pid.
pid_t Start(std::vector<std::string> args, int outFd = -1) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0) << args[0];
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int Wait(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Hands the connection's events to `keys` until `done` holds; fails after 10 s.
void PumpUntil(X11HotKeys& keys, const std::function<bool()>& done) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!done()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    ASSERT_GT(left, 0) << "no hot key arrived";
    pollfd watched{keys.Fd(), POLLIN, 0};
    if (poll(&watched, 1, static_cast<int>(left)) > 0) keys.HandleReadable();
  }
}

// A second X client, to hold keys against the hot keys' own connection.
struct OtherClient {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  ~OtherClient() { xcb_disconnect(connection); }

  xcb_keycode_t Keycode(xcb_keysym_t keysym) const {
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection);
    xcb_keycode_t code = xcb_get_setup(connection)->max_keycode;
    while (code > 0 && xcb_key_symbols_get_keysym(symbols, code, 0) != keysym) --code;
    xcb_key_symbols_free(symbols);
    return code;
  }
  bool Grab(xcb_keycode_t key, std::uint16_t mask) const {
    xcb_generic_error_t* error = xcb_request_check(
        connection, xcb_grab_key_checked(connection, 0, root, mask, key, XCB_GRAB_MODE_ASYNC,
                                         XCB_GRAB_MODE_ASYNC));
    free(error);  // NOLINT
    return error == nullptr;
  }
  // How many of `masks` this client can grab; it lets them go again.
  int Grabbable(xcb_keycode_t key, const std::vector<std::uint16_t>& masks) const {
    int count = 0;
    for (const std::uint16_t mask : masks) count += Grab(key, mask) ? 1 : 0;
    free(xcb_request_check(  // NOLINT
        connection, xcb_ungrab_key_checked(connection, key, root, XCB_MOD_MASK_ANY)));
    return count;
  }
};

TEST(X11HotKeys, AKeyFiresOnceUnderAnyLockStateAndWhenHeld) {
  std::vector<int> fired;
  X11HotKeys keys([&](WindowHandle window, int id) {
    EXPECT_EQ(window, WindowHandle{5});
    fired.push_back(id);
  });
  ASSERT_TRUE(keys.Register(WindowHandle{5}, 1, mod::kControl | mod::kShift, kVkF5));
  ASSERT_TRUE(keys.Register(WindowHandle{5}, 2, mod::kWin | mod::kAlt, '9'));
  EXPECT_FALSE(keys.Register(WindowHandle{6}, 3, mod::kControl | mod::kShift, kVkF5));
  // Each press of id 1 under another lock state, then a held one; id 2
  // marks the end, since a client gets its events in order.
  EXPECT_EQ(Wait(Start({"xdotool", "key", "ctrl+shift+F5", "Caps_Lock", "ctrl+shift+F5", "Num_Lock",
                        "ctrl+shift+F5", "Caps_Lock", "ctrl+shift+F5", "Num_Lock"})),
            0);
  EXPECT_EQ(Wait(Start({"xdotool", "keydown", "ctrl+shift+F5", "sleep", "0.4", "keyup",
                        "ctrl+shift+F5", "key", "super+alt+9"})),
            0);
  PumpUntil(keys, [&] { return !fired.empty() && fired.back() == 2; });
  EXPECT_EQ(fired, (std::vector<int>{1, 1, 1, 1, 1, 2}));
}

TEST(X11HotKeys, AKeyAnotherClientHoldsIsRefusedWholeAndAReleasedKeyIsFree) {
  OtherClient other;
  const xcb_keycode_t f6 = other.Keycode(0xffc3);
  ASSERT_NE(f6, 0);
  const std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
  const std::vector<std::uint16_t> variants{ctrlAlt, ctrlAlt | XCB_MOD_MASK_LOCK,
                                            ctrlAlt | XCB_MOD_MASK_2,
                                            ctrlAlt | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
  X11HotKeys keys([](WindowHandle, int) {});
  // Only the last lock variant is taken: the ones before it must be let go.
  ASSERT_TRUE(other.Grab(f6, variants.back()));
  EXPECT_FALSE(keys.Register(WindowHandle{5}, 1, mod::kControl | mod::kAlt, kVkF6));
  EXPECT_EQ(other.Grabbable(f6, variants), 4);
  ASSERT_TRUE(keys.Register(WindowHandle{5}, 1, mod::kControl | mod::kAlt, kVkF6));
  EXPECT_EQ(other.Grabbable(f6, variants), 0);
  EXPECT_FALSE(keys.Unregister(WindowHandle{5}, 2));
  EXPECT_TRUE(keys.Unregister(WindowHandle{5}, 1));
  EXPECT_EQ(other.Grabbable(f6, variants), 4);
  EXPECT_FALSE(keys.Unregister(WindowHandle{5}, 1));

  setenv("WAYLAND_DISPLAY", "wayland-0", 1);
  X11HotKeys onWayland([](WindowHandle, int) {});
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_FALSE(onWayland.Register(WindowHandle{5}, 1, mod::kControl | mod::kAlt, kVkF6));
  EXPECT_EQ(onWayland.Fd(), -1);
}

// Reads the recorder's samples until `enough` holds; fails after 10 s.
void RecordUntil(int fd, std::vector<std::int16_t>& samples, const std::function<bool()>& enough) {
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  std::vector<std::int16_t> chunk(4096);
  while (!enough()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    ASSERT_GT(left, 0) << "recorded " << samples.size() << " samples";
    pollfd watched{fd, POLLIN, 0};
    if (poll(&watched, 1, static_cast<int>(left)) <= 0) continue;
    const ssize_t n = read(fd, chunk.data(), chunk.size() * sizeof chunk[0]);
    ASSERT_GT(n, 0);
    samples.insert(samples.end(), chunk.begin(), chunk.begin() + n / 2);
  }
}

TEST(PulseSound, ABeepIsHeardAtItsFrequencyAndARefusalSilencesTheNextBeeps) {
  int out[2];
  ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
  fcntl(out[0], F_SETPIPE_SZ, 1 << 20);
  const pid_t recorder = Start({"parec", "--device=beeps.monitor", "--raw", "--format=s16le",
                                "--rate=48000", "--channels=1", "--latency-msec=10"},
                               out[1]);
  close(out[1]);
  std::vector<std::int16_t> samples;
  RecordUntil(out[0], samples, [&] { return !samples.empty(); });  // recording
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
  // The tone, then 50 ms of silence after it.
  auto loud = [&](std::size_t i) { return std::abs(int{samples[i]}) > 1000; };
  std::size_t first = 0, last = 0;
  RecordUntil(out[0], samples, [&] {
    for (; first < samples.size() && !loud(first); ++first) {
    }
    for (std::size_t i = std::max(first, last); i < samples.size(); ++i) {
      if (loud(i)) last = i;
    }
    return first < samples.size() && samples.size() - last > 2400;
  });
  kill(recorder, SIGTERM);
  Wait(recorder);
  close(out[0]);
  int crossings = 0;
  for (std::size_t i = first + 1; i <= last; ++i) {
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
  }
  const double seconds = static_cast<double>(last - first) / 48000;
  EXPECT_NEAR(crossings / 2.0 / seconds, 880, 44);
  EXPECT_NEAR(seconds, 0.3, 0.03);
}

}  // namespace
}  // namespace orbl::lnx
