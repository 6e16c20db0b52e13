// The Windows way of starting at log-on, on top of the settings store: the
// value "Orbelle" under the current user's Run key holds the program's path,
// in double quotes.
// Shared by the Windows backend and the simulation, whose store is a registry.
#pragma once

#include <functional>
#include <string>

#include "platform/Autostart.h"
#include "platform/SettingsStore.h"

namespace orbl::platform {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kAutostartValue = "Orbelle";
// Written by older releases beside "Orbelle"; only ever removed now.
inline constexpr const char* kLegacyAutostartValue = "ORBL";

class RegistryAutostart final : public Autostart {
 public:
  RegistryAutostart(SettingsStore& store, std::function<std::string()> programPath)
      : store_(store), programPath_(std::move(programPath)) {}

  bool IsEnabled() const override;
  bool Enable() override;
  bool Disable() override;

  // Whether a stored Run value names the program at `programPath`: ASCII
  // letters compared without regard to case, one pair of surrounding quotes
  // ignored (the form written now; older releases wrote the bare path).
  static bool NamesProgram(const std::string& stored, const std::string& programPath);

 private:
  SettingsStore& store_;
  std::function<std::string()> programPath_;
};

}  // namespace orbl::platform
