// The program entry shared by every backend.
#pragma once

#include "platform/Platform.h"

namespace orbl {

// Runs the whole program on the given platform: application window, instance
// guard, the windows, start-up, the run loop. It never returns; the program
// ends through ExitProcess (exit code 0).
[[noreturn]] void RunProgram(platform::Platform& platform);

}  // namespace orbl
