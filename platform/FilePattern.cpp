#include "platform/FilePattern.h"

#include <cstddef>

#include "platform/AsciiCase.h"

namespace orbl::platform {

bool MatchesFilePattern(std::string_view name, std::string_view pattern) {
  // Iterative matcher with one backtrack point for the last '*'.
  std::size_t ni = 0;
  std::size_t pi = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starN = 0;
  while (ni < name.size()) {
    if (pi < pattern.size() &&
        (pattern[pi] == '?' || AsciiLower(pattern[pi]) == AsciiLower(name[ni]))) {
      ++ni;
      ++pi;
    } else if (pi < pattern.size() && pattern[pi] == '*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::string_view::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < pattern.size() && pattern[pi] == '*') ++pi;
  return pi == pattern.size();
}

}  // namespace orbl::platform
