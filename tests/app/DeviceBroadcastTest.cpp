// The removal broadcast's bytes: the letters of its unit mask, and what is
// short, lies about its size or is no volume's notice.
#include "app/DeviceBroadcast.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/VolumeBroadcast.h"

namespace orbl {
namespace {

using platform::msg::kDbtDeviceRemoveComplete;
using platform::msg::kDeviceChange;

const DeviceRemoval kUnreadable{false, {}};
DeviceRemoval Read(const std::string& letters) {
  return {true, {letters.begin(), letters.end()}};
}
std::vector<std::byte> Volume(std::uint32_t declared, std::uint32_t mask, std::size_t sent = 20,
                              std::uint32_t type = platform::msg::kDbtDevTypVolume) {
  return test::VolumeBroadcast(declared, type, mask, sent);
}

TEST(DeviceBroadcast, RemovalsTheLettersOfTheirUnitMasksAndWhatCannotBeRead) {
  struct Case {
    const char* name;
    std::vector<std::byte> bytes;
    std::optional<DeviceRemoval> expected;  // none: not a completed removal
    std::uint64_t wParam = kDbtDeviceRemoveComplete;
    std::uint32_t code = kDeviceChange;
    std::int64_t lParam = 0x12340000;
  };
  const std::vector<std::byte> e = Volume(20, 1u << 4);
  const Case cases[] = {
      {"A, P and Z by their own bits", Volume(20, 1u | 1u << 15 | 1u << 25), Read("APZ")},
      {"bits above Z are ignored", Volume(20, 0xFC000000u | 1u << 3), Read("D")},
      {"declared up to the mask's end", Volume(16, 1u << 6), Read("G")},
      {"declared larger than sent", Volume(0xFFFFFFFFu, 1u << 6, 16), Read("G")},
      {"declared one byte short of the mask", Volume(15, 1u << 4), kUnreadable},
      {"sent one byte short of the mask", Volume(20, 1u << 4, 15), kUnreadable},
      {"less than a size field", Volume(20, 1u << 4, 3), kUnreadable},
      {"a port", Volume(20, 1u << 4, 20, 3), kUnreadable},
      {"a type with the volume's low byte", Volume(20, 1u << 4, 20, 0x102), kUnreadable},
      {"bytes without a pointer", e, kUnreadable, kDbtDeviceRemoveComplete, kDeviceChange, 0},
      {"a pointer without bytes", {}, kUnreadable},
      {"an arrival", e, std::nullopt, 0x8000},
      {"the removal's code above 32 bits", e, std::nullopt, 0x1'0000'0000u | 0x8004},
      {"another message", e, std::nullopt, kDbtDeviceRemoveComplete, platform::msg::kHotKey},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodeDeviceRemoval(platform::Message{c.code, c.wParam, c.lParam, c.bytes}),
              c.expected)
        << c.name;
  }
}

}  // namespace
}  // namespace orbl
