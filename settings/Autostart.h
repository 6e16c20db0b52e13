// The autostart entry under the current user's Run key.
#pragma once

#include <string>

#include "platform/SettingsStore.h"

namespace orbl {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutostartValue = "Orbelle";

// True exactly when the Run key holds a non-empty text "Orbelle" equal to the
// program's own path, ASCII letters compared without regard to case.
bool ReadAutoStart(platform::SettingsStore& store, const std::string& programPath);

}  // namespace orbl
