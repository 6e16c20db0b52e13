// Reading device broadcasts: removals, their unit masks, and broadcasts that
// are short, lie about their size or are no volume broadcast at all.
#include "app/DeviceBroadcast.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

void PutDword(std::vector<std::byte>& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
}

// A DEV_BROADCAST_VOLUME as a sender lays it out (20 bytes with its padding),
// then cut to or padded with junk to `length` bytes.
std::vector<std::byte> Volume(std::uint32_t declaredSize, std::uint32_t deviceType,
                              std::uint32_t unitMask, std::size_t length = 20) {
  std::vector<std::byte> bytes;
  PutDword(bytes, declaredSize);
  PutDword(bytes, deviceType);
  PutDword(bytes, 0);  // dbch_reserved
  PutDword(bytes, unitMask);
  PutDword(bytes, 0x0001);  // dbcv_flags (DBTF_MEDIA) and padding
  bytes.resize(length, std::byte{0xFF});
  return bytes;
}

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
       .bytes = Volume(20, kDbtDevTypVolume, 1u << 4),
       .expected = DeviceRemoval{true, Letters("E")}},
      {.name = "A, P and Z by their own bits",
       .bytes = Volume(20, kDbtDevTypVolume, 1u | 1u << 15 | 1u << 25),
       .expected = DeviceRemoval{true, Letters("APZ")}},
      {.name = "bits above Z are ignored",
       .bytes = Volume(20, kDbtDevTypVolume, 0xFC000000u | 1u << 3),
       .expected = DeviceRemoval{true, Letters("D")}},
      {.name = "every bit",
       .bytes = Volume(20, kDbtDevTypVolume, 0xFFFFFFFFu),
       .expected = DeviceRemoval{true, Letters("ABCDEFGHIJKLMNOPQRSTUVWXYZ")}},
      {.name = "no bit",
       .bytes = Volume(20, kDbtDevTypVolume, 0),
       .expected = DeviceRemoval{true, {}}},
      {.name = "declared without padding",
       .bytes = Volume(18, kDbtDevTypVolume, 1u << 6, 18),
       .expected = DeviceRemoval{true, Letters("G")}},
      {.name = "declared up to the mask's end",
       .bytes = Volume(16, kDbtDevTypVolume, 1u << 6),
       .expected = DeviceRemoval{true, Letters("G")}},
      {.name = "declared larger than sent: read what was sent",
       .bytes = Volume(0xFFFFFFFFu, kDbtDevTypVolume, 1u << 6, 16),
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
       .bytes = Volume(15, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "declared as a bare header, a mask after it",
       .bytes = Volume(12, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "declared as nothing",
       .bytes = Volume(0, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "sent one byte short of the mask",
       .bytes = Volume(20, kDbtDevTypVolume, 1u << 4, 15),
       .expected = kUnreadable},
      {.name = "sent a header only",
       .bytes = Volume(20, kDbtDevTypVolume, 1u << 4, 12),
       .expected = kUnreadable},
      {.name = "less than a size field",
       .bytes = Volume(20, kDbtDevTypVolume, 1u << 4, 3),
       .expected = kUnreadable},
      {.name = "a port", .bytes = Volume(20, kDbtDevTypPort, 1u << 4), .expected = kUnreadable},
      {.name = "a device handle",
       .bytes = Volume(20, kDbtDevTypHandle, 1u << 4),
       .expected = kUnreadable},
      {.name = "an OEM device", .bytes = Volume(20, 0, 1u << 4), .expected = kUnreadable},
      {.name = "a type with the volume's low byte",
       .bytes = Volume(20, 0x102, 1u << 4),
       .expected = kUnreadable},
      {.name = "bytes without a pointer",
       .lParam = 0,
       .bytes = Volume(20, kDbtDevTypVolume, 1u << 4),
       .expected = kUnreadable},
      {.name = "a pointer without bytes", .bytes = {}, .expected = kUnreadable},
  };
  for (const Case& c : cases) {
    const Message message{c.code, c.wParam, c.lParam, c.bytes};
    EXPECT_EQ(DecodeDeviceRemoval(message), c.expected) << c.name;
  }
}

TEST(DeviceBroadcast, OnlyACompletedRemovalCounts) {
  const std::vector<std::byte> e = Volume(20, kDbtDevTypVolume, 1u << 4);
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
