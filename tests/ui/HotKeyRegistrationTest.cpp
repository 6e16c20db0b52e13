// The start-up registration of the drives' hot keys, on a simulated computer:
// what the session's hot key table holds afterwards and which boxes were shown.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/Computer.h"
#include "ui/VirtualKeys.h"

namespace orbl::test {
namespace {

using platform::DriveType;
using platform::mod::kAlt;
using platform::mod::kControl;
using platform::mod::kShift;
using platform::mod::kWin;

const std::string kAlreadyUsed = "This hot key is already used. Please, specify any other hot key.";

struct StoredHotKey {
  bool win = false;
  bool ctrl = false;
  bool alt = false;
  bool shift = false;
  std::int32_t key = 0;
};

// Writes one of a drive's hot keys as the options window saves it; `role` is
// "Close" or "Lock".
void StoreHotKey(Computer& pc, char letter, const std::string& role, StoredHotKey hotKey) {
  const std::string prefix = std::string(1, letter) + " HotKey" + role + "-";
  pc.Store(prefix + "Win", hotKey.win ? "1" : "0");
  pc.Store(prefix + "Ctrl", hotKey.ctrl ? "1" : "0");
  pc.Store(prefix + "Alt", hotKey.alt ? "1" : "0");
  pc.Store(prefix + "Shift", hotKey.shift ? "1" : "0");
  pc.Store(prefix + "Key", std::to_string(hotKey.key));
}

platform::WindowHandle OptionsWindow(const sim::SimProcess& program) {
  return program.WindowTitled("Orbelle 3")->handle;
}

// The identifier the program registers a drive's hot key under: its atom.
int AtomOf(Computer& pc, const sim::SimProcess& program, char letter, const std::string& role) {
  return pc.world.FindAtom("Orbelle drive " + std::string(1, letter) + " " + role +
                           std::to_string(OptionsWindow(program).value));
}

// Who holds a combination in the session, as "pid window id", or nothing.
std::optional<std::string> Holder(const sim::SimWorld& world, std::uint32_t modifiers,
                                  std::uint32_t key) {
  auto it = world.hotKeys.find({modifiers, key});
  if (it == world.hotKeys.end()) return std::nullopt;
  return std::to_string(it->second.pid) + " " + std::to_string(it->second.window.value) + " " +
         std::to_string(it->second.id);
}

std::string HeldBy(const sim::SimProcess& program, int id) {
  return std::to_string(program.Pid()) + " " + std::to_string(OptionsWindow(program).value) + " " +
         std::to_string(id);
}

TEST(HotKeyRegistration, EveryHotKeyIsRegisteredForTheOptionsWindowUnderItsDrivesAtom) {
  Computer pc;  // D: and F: optical
  StoreHotKey(pc, 'D', "Close", {.ctrl = true, .alt = true, .key = 'D'});
  StoreHotKey(pc, 'D', "Lock", {.win = true, .shift = true, .key = 123});
  // No key: no hot key, whatever the modifiers.
  StoreHotKey(pc, 'F', "Close", {.win = true, .ctrl = true, .alt = true, .shift = true, .key = 0});
  StoreHotKey(pc, 'F', "Lock", {.win = true, .ctrl = true, .alt = true, .shift = true, .key = 46});
  auto& program = pc.Start();

  EXPECT_TRUE(program.BoxHistory().empty());
  EXPECT_EQ(pc.world.hotKeys.size(), 3u);
  EXPECT_EQ(Holder(pc.world, kControl | kAlt, 'D'),
            HeldBy(program, AtomOf(pc, program, 'D', "close")));
  EXPECT_EQ(Holder(pc.world, kWin | kShift, 123),
            HeldBy(program, AtomOf(pc, program, 'D', "lock")));
  EXPECT_EQ(Holder(pc.world, kWin | kControl | kAlt | kShift, 46),
            HeldBy(program, AtomOf(pc, program, 'F', "lock")));
  EXPECT_NE(AtomOf(pc, program, 'F', "lock"), 0);
}

// A combination another program holds, and one a drive before took, are each
// reported in a box of their own; the pass waits in each, then goes on.
TEST(HotKeyRegistration, TheSecondDriveGivenTheSameCombinationIsReportedAndThePassGoesOn) {
  Computer pc;
  sim::SimProcess other(pc.world);
  other.Start([](platform::Platform& p) {
    const auto window = p.windows.CreateTopWindow({}, {});
    p.hotKeys.Register(window, 7, kControl | kAlt, 'E');
    p.windows.RunLoop();
  });
  StoreHotKey(pc, 'D', "Close", {.ctrl = true, .shift = true, .key = 'K'});
  StoreHotKey(pc, 'D', "Lock", {.ctrl = true, .alt = true, .key = 'E'});
  StoreHotKey(pc, 'F', "Close", {.ctrl = true, .shift = true, .key = 'K'});
  StoreHotKey(pc, 'F', "Lock", {.alt = true, .key = 'F'});
  auto& program = pc.Start();

  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  const sim::SimBox box = program.OpenBoxes().front();
  EXPECT_EQ(box.text, kAlreadyUsed + "\r\nCtrl + Alt + E");
  EXPECT_EQ(box.caption, "Orbelle");
  EXPECT_EQ(box.flags,
            platform::mb::kIconHand | platform::mb::kSetForeground | platform::mb::kTopmost);
  EXPECT_FALSE(box.behind);
  EXPECT_EQ(box.owner, OptionsWindow(program));
  program.AnswerBox();
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().front().text, kAlreadyUsed + "\r\nCtrl + Shift + K");
  EXPECT_EQ(pc.world.hotKeys.size(), 2u) << "F's lock hot key is not registered yet";
  program.AnswerBox();
  EXPECT_TRUE(program.OpenBoxes().empty());
  EXPECT_EQ(program.BoxHistory().size(), 2u);
  EXPECT_EQ(pc.world.hotKeys.at({kControl | kAlt, 'E'}).pid, other.Pid());
  EXPECT_EQ(Holder(pc.world, kAlt, 'F'), HeldBy(program, AtomOf(pc, program, 'F', "lock")));
  EXPECT_EQ(Holder(pc.world, kControl | kShift, 'K'),
            HeldBy(program, AtomOf(pc, program, 'D', "close")));
  EXPECT_TRUE(program.Running());
}

TEST(HotKeyRegistration, OlderFilesCodesForEqualsAndBackslashRegisterTheirKeys) {
  Computer pc;
  StoreHotKey(pc, 'D', "Close", {.ctrl = true, .key = 61});
  StoreHotKey(pc, 'D', "Lock", {.ctrl = true, .key = 92});
  StoreHotKey(pc, 'F', "Close", {.ctrl = true, .key = 45});  // Insert, as ever
  // The same "=" as a newer file stores it: the two are one combination.
  StoreHotKey(pc, 'F', "Lock", {.ctrl = true, .key = vk::kOemPlus});
  auto& program = pc.Start();

  EXPECT_EQ(Holder(pc.world, kControl, vk::kOemPlus),
            HeldBy(program, AtomOf(pc, program, 'D', "close")));
  EXPECT_EQ(Holder(pc.world, kControl, vk::kOem5),
            HeldBy(program, AtomOf(pc, program, 'D', "lock")));
  EXPECT_EQ(Holder(pc.world, kControl, 45), HeldBy(program, AtomOf(pc, program, 'F', "close")));
  ASSERT_EQ(program.OpenBoxes().size(), 1u);
  EXPECT_EQ(program.OpenBoxes().front().text, kAlreadyUsed + "\r\nCtrl + =");
  program.AnswerBox();
  EXPECT_EQ(pc.world.hotKeys.size(), 3u);
  // The stored value is left as it was until the user picks a key again.
  Computer::Close(program);
  EXPECT_EQ(pc.Stored("D HotKeyClose-Key"), "61");
}

TEST(HotKeyRegistration, HotKeysWithoutAnAtomAreNotRegistered) {
  Computer pc;
  pc.world.atomTableFull = true;
  StoreHotKey(pc, 'D', "Close", {.ctrl = true, .key = 'D'});
  StoreHotKey(pc, 'F', "Close", {.ctrl = true, .key = 'F'});
  StoreHotKey(pc, 'F', "Lock", {.ctrl = true, .key = 'G'});
  auto& program = pc.Start();

  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(program.BoxHistory().empty());
  EXPECT_TRUE(pc.world.hotKeys.empty());
}

// The pass alone, on a drive table made by hand.
class RegisterDriveHotKeysPass : public ::testing::Test {
 protected:
  // Runs the pass in a simulated program; `before` runs there first.
  void Run(const TDriveTable& drives,
           std::function<void(platform::Platform&, platform::WindowHandle)> before = nullptr) {
    program.Start([this, drives, before](platform::Platform& p) {
      window = p.windows.CreateTopWindow({}, {});
      if (before) before(p, window);
      RegisterDriveHotKeys(p.hotKeys, p.windows, window, drives, TInterfaceTexts{}, registered);
      p.windows.RunLoop();
    });
  }

  static TDriveRecord Drive(char letter, int closeId, int lockId) {
    TDriveRecord drive;
    drive.Letter = letter;
    drive.CloseHotKeyId = closeId;
    drive.LockHotKeyId = lockId;
    return drive;
  }

  sim::SimWorld world;
  sim::SimProcess program{world};
  platform::WindowHandle window;
  std::vector<TRegisteredHotKeys> registered;
};

// An identifier of 0 (an atom that could not be added) is left alone while the
// others still register; a hot key without key gives up its identifier.
TEST_F(RegisterDriveHotKeysPass, AnIdentifierOfZeroIsLeftAloneAndTheOthersStillRegister) {
  TDriveRecord d = Drive('D', 0xC001, 0);
  d.HotKeyClose = {false, true, false, false, 'D'};
  d.HotKeyLock = {false, true, false, false, 'L'};
  TDriveRecord e = Drive('E', 0xC003, 0xC004);
  e.HotKeyLock = {false, true, false, false, 'M'};
  TDriveRecord f = Drive('F', 0, 0);
  f.HotKeyClose = {false, true, false, false, 'F'};
  f.HotKeyLock = {false, true, false, false, 'G'};
  // A registration under E's open/close identifier made before the pass.
  Run({d, e, f}, [](platform::Platform& p, platform::WindowHandle w) {
    p.hotKeys.Register(w, 0xC003, kControl, 'K');
  });

  EXPECT_TRUE(program.BoxHistory().empty());
  EXPECT_EQ(world.hotKeys.size(), 2u);
  EXPECT_EQ(world.hotKeys.at({kControl, 'D'}).id, 0xC001);
  EXPECT_EQ(world.hotKeys.at({kControl, 'M'}).id, 0xC004);
}

}  // namespace
}  // namespace orbl::test
