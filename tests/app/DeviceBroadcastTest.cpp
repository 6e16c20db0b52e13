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

const DeviceRemoval kUnreadable{false, {}};

DeviceRemoval Read(const std::string& letters) {
  return {true, {letters.begin(), letters.end()}};
}

std::vector<std::byte> Volume(std::uint32_t declared, std::uint32_t mask, std::size_t sent = 20) {
  return test::VolumeBroadcast(declared, kDbtDevTypVolume, mask, sent);
}

struct Case {
  const char* name;
  std::vector<std::byte> bytes;
  std::optional<DeviceRemoval> expected;  // none: not a completed removal
  std::uint64_t wParam = kDbtDeviceRemoveComplete;
  std::uint32_t code = kDeviceChange;
  std::int64_t lParam = 0x12340000;
};

TEST(DeviceBroadcast, RemovalsTheLettersOfTheirUnitMasksAndWhatCannotBeRead) {
  const std::vector<std::byte> e = Volume(20, 1u << 4);
  const Case cases[] = {
      {"the disc of E", e, Read("E")},
      {"A, P and Z by their own bits", Volume(20, 1u | 1u << 15 | 1u << 25), Read("APZ")},
      {"bits above Z are ignored", Volume(20, 0xFC000000u | 1u << 3), Read("D")},
      {"every bit", Volume(20, 0xFFFFFFFFu), Read("ABCDEFGHIJKLMNOPQRSTUVWXYZ")},
      {"no bit", Volume(20, 0), Read("")},
      {"declared without padding", Volume(18, 1u << 6, 18), Read("G")},
      {"declared up to the mask's end", Volume(16, 1u << 6), Read("G")},
      {"declared larger than sent: read what was sent", Volume(0xFFFFFFFFu, 1u << 6, 16),
       Read("G")},
      // Unreadable, yet still a removal.
      {"declared one byte short of the mask", Volume(15, 1u << 4), kUnreadable},
      {"declared as a bare header, a mask after it", Volume(12, 1u << 4), kUnreadable},
      {"declared as nothing", Volume(0, 1u << 4), kUnreadable},
      {"sent one byte short of the mask", Volume(20, 1u << 4, 15), kUnreadable},
      {"sent a header only", Volume(20, 1u << 4, 12), kUnreadable},
      {"less than a size field", Volume(20, 1u << 4, 3), kUnreadable},
      {"a port", test::VolumeBroadcast(20, kDbtDevTypPort, 1u << 4), kUnreadable},
      {"a device handle", test::VolumeBroadcast(20, kDbtDevTypHandle, 1u << 4), kUnreadable},
      {"an OEM device", test::VolumeBroadcast(20, 0, 1u << 4), kUnreadable},
      {"a type with the volume's low byte", test::VolumeBroadcast(20, 0x102, 1u << 4), kUnreadable},
      {"bytes without a pointer", e, kUnreadable, kDbtDeviceRemoveComplete, kDeviceChange, 0},
      {"a pointer without bytes", {}, kUnreadable},
      // Only a completed removal counts.
      {"an arrival", e, std::nullopt, kDbtDeviceArrival},
      {"a removal still pending", e, std::nullopt, kDbtDeviceRemovePending},
      {"the removal's code above 32 bits", e, std::nullopt,
       0x1'0000'0000u | kDbtDeviceRemoveComplete},
      {"another message", e, std::nullopt, kDbtDeviceRemoveComplete,
       platform::msg::kPowerBroadcast},
      {"a hot key", e, std::nullopt, kDbtDeviceRemoveComplete, platform::msg::kHotKey},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeDeviceRemoval(Message{c.code, c.wParam, c.lParam, c.bytes}), c.expected)
        << c.name;
  }
}

}  // namespace
}  // namespace orbl
