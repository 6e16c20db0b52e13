// Device broadcasts are outside input: any program may send one, with any
// size field over any bytes. The decoder must read nothing past what was sent
// or declared, and what it reads must not depend on bytes beyond that.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/DeviceBroadcast.h"
#include "fuzz/Fuzz.h"

namespace {

using orbl::platform::Message;
namespace msg = orbl::platform::msg;

std::uint64_t Take(const std::uint8_t*& data, std::size_t& size, std::size_t bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < bytes && size > 0; ++i, ++data, --size)
    value |= std::uint64_t{*data} << (8 * i);
  return value;
}

}  // namespace

// Input: [choice][code: 4][wParam: 8] then the broadcast's bytes. The choice
// byte mostly keeps the code and wParam of a removal, so that the bytes are read.
int orbl::fuzz::Broadcast(const std::uint8_t* data, std::size_t size) {
  const auto choice = static_cast<std::uint8_t>(Take(data, size, 1));
  auto code = static_cast<std::uint32_t>(Take(data, size, 4));
  std::uint64_t wParam = Take(data, size, 8);
  if ((choice & 0x03) != 0) code = msg::kDeviceChange;
  if ((choice & 0x0C) != 0) wParam = msg::kDbtDeviceRemoveComplete;
  const std::int64_t lParam = (choice & 0x10) != 0 ? 0 : 0x12340000;

  // A buffer of exactly the bytes sent: AddressSanitizer sees a read past it.
  const std::unique_ptr<std::byte[]> exact(new std::byte[size == 0 ? 1 : size]);
  if (size > 0) std::memcpy(exact.get(), data, size);
  const std::span<const std::byte> bytes(exact.get(), size);
  const auto removal = orbl::DecodeDeviceRemoval(Message{code, wParam, lParam, bytes});

  const bool isRemoval = code == msg::kDeviceChange && wParam == msg::kDbtDeviceRemoveComplete;
  if (removal.has_value() != isRemoval) std::abort();
  if (!removal) return 0;
  if (!removal->volume && !removal->letters.empty()) std::abort();
  if (removal->volume && (lParam == 0 || size < 16)) std::abort();
  char previous = 0;
  for (char letter : removal->letters) {
    if (letter < 'A' || letter > 'Z' || letter <= previous) std::abort();
    previous = letter;
  }

  // The bytes beyond what the size field declares are no part of the
  // broadcast: changing them changes nothing (a size below 4 would change
  // with them).
  if (size >= 4) {
    std::uint32_t declared = 0;
    for (int i = 0; i < 4; ++i) declared |= std::uint32_t{data[i]} << (8 * i);
    if (declared >= 4 && declared < size) {
      std::vector<std::byte> changed(bytes.begin(), bytes.end());
      for (std::size_t i = declared; i < size; ++i) changed[i] = ~changed[i];
      if (orbl::DecodeDeviceRemoval(Message{code, wParam, lParam, changed}) != removal)
        std::abort();
      // Nor does sending only the declared part.
      const std::span<const std::byte> declaredPart(exact.get(), declared);
      if (orbl::DecodeDeviceRemoval(Message{code, wParam, lParam, declaredPart}) != removal) {
        std::abort();
      }
    }
  }
  return 0;
}
