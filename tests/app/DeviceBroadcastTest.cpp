// Reading device broadcasts: removals, their unit masks, and broadcasts that
// are short, lie about their size or are no volume broadcast at all.
#include "app/DeviceBroadcast.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/VolumeBroadcast.h"

namespace orbl {
namespace {

using platform::Message;
using platform::msg::kDbtDeviceRemoveComplete;
using platform::msg::kDbtDevTypVolume;
using platform::msg::kDeviceChange;

constexpr std::uint32_t kDbtDevTypPort = 3;
constexpr std::uint32_t kDbtDevTypHandle = 6;
constexpr std::uint64_t kDbtDeviceArrival = 0x8000;
constexpr std::uint64_t kDbtDeviceRemovePending = 0x8003;

struct Case {
  std::string name;
  std::uint32_t code = kDeviceChange;
  std::uint64_t wParam = kDbtDeviceRemoveComplete;
  std::int64_t lParam = 0x12340000;
  std::vector<std::byte> bytes;
  std::optional<DeviceRemoval> expected;
};

const DeviceRemoval kUnreadable{false, {}};

std::vector<char> Letters(const std::string& letters) {
  return {letters.begin(), letters.end()};
}

TEST(DeviceBroadcast, RemovalsAndTheLettersOfTheirUnitMasks) {
  const std::vector<Case> cases = {
      {.name = "the disc of E",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u << 4),
       .expected = DeviceRemoval{true, Letters("E")}},
      {.name = "A, P and Z by their own bits",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u | 1u << 15 | 1u << 25),
       .expected = DeviceRemoval{true, Letters("APZ")}},
      {.name = "bits above Z are ignored",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 0xFC000000u | 1u << 3),
       .expected = DeviceRemoval{true, Letters("D")}},
      {.name = "every bit",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 0xFFFFFFFFu),
       .expected = DeviceRemoval{true, Letters("ABCDEFGHIJKLMNOPQRSTUVWXYZ")}},
      {.name = "no bit",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 0),
       .expected = DeviceRemoval{true, {}}},
      {.name = "declared without padding",
       .bytes = test::VolumeBroadcast(18, kDbtDevTypVolume, 1u << 6, 18),
       .expected = DeviceRemoval{true, Letters("G")}},
      {.name = "declared up to the mask's end",
       .bytes = test::VolumeBroadcast(16, kDbtDevTypVolume, 1u << 6),
       .expected = DeviceRemoval{true, Letters("G")}},
      {.name = "declared larger than sent: read what was sent",
       .bytes = test::VolumeBroadcast(0xFFFFFFFFu, kDbtDevTypVolume, 1u << 6, 16),
       .expected = DeviceRemoval{true, Letters("G")}},
  };
  for (const Case& c : cases) {
    const Message message{c.code, c.wParam, c.lParam, c.bytes};
    EXPECT_EQ(DecodeDeviceRemoval(message), c.expected) << c.name;
  }
}

TEST(DeviceBroadcast, ABroadcastThatCannotBeReadIsARemovalWithoutLetters) {
  const std::vector<Case> cases = {
      {.name = "declared one byte short of the mask",
       .bytes = test::VolumeBroadcast(15, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "declared as a bare header, a mask after it",
       .bytes = test::VolumeBroadcast(12, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "declared as nothing",
       .bytes = test::VolumeBroadcast(0, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "sent one byte short of the mask",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u << 4, 15),
       .expected = kUnreadable},
      {.name = "sent a header only",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u << 4, 12),
       .expected = kUnreadable},
      {.name = "less than a size field",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u << 4, 3),
       .expected = kUnreadable},
      {.name = "a port",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypPort, 1u << 4),
       .expected = kUnreadable},
      {.name = "a device handle",
       .bytes = test::VolumeBroadcast(20, kDbtDevTypHandle, 1u << 4),
       .expected = kUnreadable},
      {.name = "an OEM device",
       .bytes = test::VolumeBroadcast(20, 0, 1u << 4),
       .expected = kUnreadable},
      {.name = "a type with the volume's low byte",
       .bytes = test::VolumeBroadcast(20, 0x102, 1u << 4),
       .expected = kUnreadable},
      {.name = "bytes without a pointer",
       .lParam = 0,
       .bytes = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "a pointer without bytes", .bytes = {}, .expected = kUnreadable},
  };
  for (const Case& c : cases) {
    const Message message{c.code, c.wParam, c.lParam, c.bytes};
    EXPECT_EQ(DecodeDeviceRemoval(message), c.expected) << c.name;
  }
}

TEST(DeviceBroadcast, OnlyACompletedRemovalCounts) {
  const std::vector<std::byte> e = test::VolumeBroadcast(20, kDbtDevTypVolume, 1u << 4);
  const std::vector<Case> cases = {
      {.name = "an arrival", .wParam = kDbtDeviceArrival, .bytes = e, .expected = {}},
      {.name = "a removal still pending",
       .wParam = kDbtDeviceRemovePending,
       .bytes = e,
       .expected = {}},
      {.name = "the removal's code above 32 bits",
       .wParam = 0x1'0000'0000u | kDbtDeviceRemoveComplete,
       .bytes = e,
       .expected = {}},
      {.name = "another message",
       .code = platform::msg::kPowerBroadcast,
       .bytes = e,
       .expected = {}},
      {.name = "a hot key", .code = platform::msg::kHotKey, .bytes = e, .expected = {}},
  };
  for (const Case& c : cases) {
    const Message message{c.code, c.wParam, c.lParam, c.bytes};
    EXPECT_EQ(DecodeDeviceRemoval(message), std::nullopt) << c.name;
  }
}

}  // namespace
}  // namespace orbl
