// The text forms of stored numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace orbl {

// Reads a whole text as a signed 32-bit number: leading blanks, an optional
// sign, then decimal digits or a hexadecimal form introduced by "$", "x", "X",
// "0x" or "0X". A hexadecimal form is a 32-bit pattern, so "$FFFFFFFF" is -1.
// Anything else, the empty text and numbers out of range included, is nullopt.
std::optional<std::int32_t> TextToInt(std::string_view text);

}  // namespace orbl
