// Small pure routines of the Windows backend, kept free of the Windows headers
// so that they can be tested on their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbl::win32 {

// Splits a command line the way the C runtime builds argv: the program name by
// its own simpler rule, then blank-separated arguments where quotes group and
// backslashes escape only in front of a quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// "D:\", the root that GetDriveTypeA and GetVolumeInformationA want, and
// "\\.\D:", the volume device that takes the removal lock. Both are empty for
// anything but an ASCII letter, which could name a file or another device.
std::string DriveRootPath(char letter);
std::string VolumeDevicePath(char letter);

// How many bytes of a device broadcast may be passed on: what the sender
// declared in the header's size field, but never less than the header
// (then nothing), never more than could be read, and never more than a cap.
inline constexpr std::size_t kBroadcastHeaderSize = 12;
inline constexpr std::size_t kBroadcastCap = 4096;
std::size_t BroadcastLength(std::uint32_t declaredSize, std::size_t readable);

}  // namespace orbl::win32
