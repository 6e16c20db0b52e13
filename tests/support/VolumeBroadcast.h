// A DEV_BROADCAST_VOLUME as a sender lays it out: the declared size, the
// device type, a reserved field, the unit mask and the flags (20 bytes), then
// cut to or padded with junk to `length` bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orbl::test {

inline std::vector<std::byte> VolumeBroadcast(std::uint32_t declaredSize, std::uint32_t deviceType,
                                              std::uint32_t unitMask, std::size_t length = 20) {
  std::vector<std::byte> bytes;
  for (std::uint32_t value : {declaredSize, deviceType, 0u, unitMask, 0x0001u /*DBTF_MEDIA*/}) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
  }
  bytes.resize(length, std::byte{0xFF});
  return bytes;
}

// The unit mask bit of a drive letter.
inline std::uint32_t UnitBit(char letter) {
  return 1u << (letter - 'A');
}

}  // namespace orbl::test
