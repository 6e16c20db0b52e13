#include "app/DeviceBroadcast.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace orbl {

using namespace orbl::platform;

namespace {

// DEV_BROADCAST_HDR: dbch_size, dbch_devicetype, dbch_reserved; then
// DEV_BROADCAST_VOLUME's dbcv_unitmask and dbcv_flags. All little-endian.
constexpr std::size_t kSizeAt = 0;
constexpr std::size_t kDeviceTypeAt = 4;
constexpr std::size_t kUnitMaskAt = 12;
constexpr std::size_t kDwordSize = 4;
constexpr int kLetterCount = 26;

std::uint32_t ReadDword(std::span<const std::byte> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < kDwordSize; ++i) {
    value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  }
  return value;
}

// The unit mask of a readable volume broadcast.
std::optional<std::uint32_t> VolumeUnitMask(const Message& message) {
  // Without a pointer in lParam there is no structure, whatever came along.
  if (message.lParam == 0) return std::nullopt;
  const std::span<const std::byte> bytes = message.data;
  if (bytes.size() < kSizeAt + kDwordSize) return std::nullopt;
  // A sender may declare more than it sent, or less: read within both.
  const std::size_t readable = std::min<std::size_t>(ReadDword(bytes, kSizeAt), bytes.size());
  if (readable < kUnitMaskAt + kDwordSize) return std::nullopt;
  if (ReadDword(bytes, kDeviceTypeAt) != msg::kDbtDevTypVolume) return std::nullopt;
  return ReadDword(bytes, kUnitMaskAt);
}

}  // namespace

std::optional<DeviceRemoval> DecodeDeviceRemoval(const Message& message) {
  if (message.code != msg::kDeviceChange || message.wParam != msg::kDbtDeviceRemoveComplete) {
    return std::nullopt;
  }
  DeviceRemoval removal;
  if (const auto mask = VolumeUnitMask(message)) {
    removal.volume = true;
    for (int bit = 0; bit < kLetterCount; ++bit) {
      if (((*mask >> bit) & 1u) != 0) removal.letters.push_back(static_cast<char>('A' + bit));
    }
  }
  return removal;
}

}  // namespace orbl
