// Paths in the Windows form, for the Windows backend and the simulation that
// stands in for it. The core never takes paths apart itself; it asks Files.
#pragma once

#include <string>
#include <string_view>

namespace orbl::platform {

// Joins a folder and a name with exactly one backslash between them.
std::string JoinWindowsPath(std::string_view folder, std::string_view name);

// The folder part of a file path, without its trailing separator; empty when
// the path names no folder.
std::string WindowsParentFolder(std::string_view path);

}  // namespace orbl::platform
