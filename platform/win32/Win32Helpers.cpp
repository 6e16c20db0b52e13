#include "platform/win32/Win32Helpers.h"

#include <algorithm>

namespace orbl::win32 {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> result;
  std::size_t i = 0;
  const std::size_t n = line.size();

  // The program name: no escapes, a quote only toggles.
  std::string program;
  bool quoted = false;
  while (i < n && (quoted || !IsBlank(line[i]))) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else {
      program += line[i];
    }
    ++i;
  }
  result.push_back(program);

  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    quoted = false;
    while (i < n && (quoted || !IsBlank(line[i]))) {
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < n && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            arg += '"';
            ++i;
          }
          // An even count leaves the quote to the branch below.
        } else {
          arg.append(slashes, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    result.push_back(std::move(arg));
  }
  return result;
}

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string DriveRootPath(char letter) {
  if (!IsAsciiLetter(letter)) return {};
  return std::string(1, letter) + ":\\";
}

std::string VolumeDevicePath(char letter) {
  if (!IsAsciiLetter(letter)) return {};
  return "\\\\.\\" + std::string(1, letter) + ":";
}

std::size_t BroadcastLength(std::uint32_t declaredSize, std::size_t readable) {
  if (declaredSize < kBroadcastHeaderSize || readable < kBroadcastHeaderSize) return 0;
  return std::min({static_cast<std::size_t>(declaredSize), readable, kBroadcastCap});
}

}  // namespace orbl::win32
