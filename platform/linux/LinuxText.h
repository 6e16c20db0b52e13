// The core's texts on a desktop that speaks UTF-8. The core hands over bytes:
// its own texts are ASCII or UTF-8, the shipped language files Windows-1252
// with CRLF line ends.
#pragma once

#include <string>
#include <string_view>

namespace orbl::lnx {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool IsUtf8(std::string_view text);

// `text` as UTF-8: kept when it is UTF-8 already, else read as Windows-1252.
// A CR before LF goes, so that a line ends once.
std::string ToDisplayText(std::string_view text);

}  // namespace orbl::lnx
