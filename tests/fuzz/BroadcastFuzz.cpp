// Device broadcasts are outside input: any program may send one, with any
// size field over any bytes. The decoder must read nothing past what was sent
// or declared, and what it reads must not depend on bytes beyond that.
#include <algorithm>
#include <functional>

#include "app/DeviceBroadcast.h"
#include "fuzz/Fuzz.h"

namespace orbl::fuzz {

namespace msg = platform::msg;
using platform::Message;

// Input: [choice][code: 4][wParam: 8] then the broadcast's bytes. The choice
// byte mostly keeps the code and wParam of a removal, so that the bytes are read.
int Broadcast(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  const auto choice = input.Number(1);
  auto code = static_cast<std::uint32_t>(input.Number(4));
  std::uint64_t wParam = input.Number(8);
  if ((choice & 0x03) != 0) code = msg::kDeviceChange;
  if ((choice & 0x0C) != 0) wParam = msg::kDbtDeviceRemoveComplete;
  const std::int64_t lParam = (choice & 0x10) != 0 ? 0 : 0x12340000;
  const std::vector<std::byte> sent = input.Bytes(input.Left());
  const auto removal = DecodeDeviceRemoval(Message{code, wParam, lParam, sent});

  Check(removal.has_value() ==
        (code == msg::kDeviceChange && wParam == msg::kDbtDeviceRemoveComplete));
  if (!removal) return 0;
  Check(removal->volume || removal->letters.empty());
  Check(!removal->volume || (lParam != 0 && sent.size() >= 16));
  const auto& letters = removal->letters;  // drive letters, each once, in order
  Check(std::ranges::all_of(letters, [](char c) { return c >= 'A' && c <= 'Z'; }) &&
        std::ranges::adjacent_find(letters, std::greater_equal<>()) == letters.end());

  // The bytes beyond what the size field declares are no part of the
  // broadcast: changing them changes nothing (a size below 4 would change
  // with them), nor does sending only the declared part.
  // The size field: the first four bytes sent, after the 13 of code and wParam.
  const std::uint64_t declared = sent.size() < 4 ? 0 : Input(data + 13, 4).Number(4);
  if (declared < 4 || declared >= sent.size()) return 0;
  std::vector<std::byte> changed = sent;
  for (std::size_t i = declared; i < sent.size(); ++i) changed[i] = ~changed[i];
  Check(DecodeDeviceRemoval(Message{code, wParam, lParam, changed}) == removal);
  const std::span<const std::byte> declaredPart(sent.data(), declared);
  Check(DecodeDeviceRemoval(Message{code, wParam, lParam, declaredPart}) == removal);
  return 0;
}

}  // namespace orbl::fuzz
