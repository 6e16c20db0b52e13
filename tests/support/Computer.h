// A simulated computer for scenario tests: drives, a registry, and the
// program started on it as often as a test likes.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/Orbl3.h"
#include "platform/sim/SimProcess.h"
#include "settings/RegistrySettings.h"

namespace orbl::test {

struct Computer {
  sim::SimWorld world;
  std::vector<std::unique_ptr<sim::SimProcess>> programs;

  explicit Computer(std::initializer_list<std::pair<char, platform::DriveType>> drives = {
                        {'C', platform::DriveType::Fixed},
                        {'D', platform::DriveType::CdRom},
                        {'F', platform::DriveType::CdRom}}) {
    for (auto [letter, type] : drives) world.AddDrive(letter, type);
  }

  // Starts orbl3 and returns once it waits for input (or has ended).
  sim::SimProcess& Start(std::vector<std::string> arguments = {}) {
    sim::SimProcess::Options options;
    options.arguments = std::move(arguments);
    programs.push_back(std::make_unique<sim::SimProcess>(world, options));
    programs.back()->Start([](platform::Platform& p) { RunProgram(p); });
    return *programs.back();
  }

  // The close request that a log-off or another program sends.
  static void Close(sim::SimProcess& program) {
    program.Post(program.WindowTitled("Orbelle")->handle, platform::msg::kClose);
  }

  // Opens the tray icon's menu and chooses an item by its path (none: dismissed).
  static void Choose(sim::SimProcess& program, const std::vector<std::string>& path) {
    program.TrayRightClick();
    program.ChooseMenuItem(path);
  }

  std::optional<std::string> Stored(const std::string& name) {
    return world.Text(kSettingsKey, name);
  }
  void Store(const std::string& name, const std::string& text) {
    world.SetText(kSettingsKey, name, text);
  }
  std::vector<std::string> StoredNames() {
    auto* key = world.FindKey(kSettingsKey);
    return key ? key->order : std::vector<std::string>{};
  }
};

}  // namespace orbl::test
