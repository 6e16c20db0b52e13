// The program started on a simulated computer, with its drive operations
// reachable from a test: each call runs on the program's thread, as a tray
// click or a hot key would, and returns when the program waits again.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "app/FrmMain.h"
#include "drives/DriveTools.h"
#include "platform/sim/SimProcess.h"

namespace orbl::test {

class DriveFixture : public ::testing::Test {
 protected:
  // Optical drives D and E unless a test names others; C is a fixed disk.
  void Start(std::initializer_list<char> optical = {'D', 'E'}) {
    world.AddDrive('C', platform::DriveType::Fixed);
    for (char letter : optical) world.AddDrive(letter, platform::DriveType::CdRom);
    program.Start([this](platform::Platform& p) {
      const auto appWindow = p.windows.CreateTopWindow({}, {});
      frmMain.emplace(p, appWindow, p.atoms.Add("ORBL"));
      frmMain->StartUp();
      p.windows.RunLoop();
    });
    Forget();
  }
  void TearDown() override {
    program.Inject([this] { frmMain.reset(); });
  }

  // Runs `action` on the program's thread.
  void Do(std::function<void(TDriveControl&)> action) {
    program.Inject([this, action] { action(frmMain->DriveControl); });
  }
  TDriveRecord& Drive(char letter) {
    return frmMain->DriveTable.at(
        static_cast<std::size_t>(FindDriveIndex(frmMain->DriveTable, letter)));
  }
  TProgramState& State() { return frmMain->State; }

  // The device requests since the last call.
  std::vector<std::string> Devices() {
    auto lines = world.deviceLog;
    world.deviceLog.clear();
    return lines;
  }
  void Forget() {
    timelineSeen_ = world.timedLog.size();
    world.deviceLog.clear();
    world.beeps.clear();
  }
  // The timed log since the last call, without what is not the drives' business.
  std::vector<std::string> Timeline() {
    std::vector<std::string> lines;
    for (std::size_t i = timelineSeen_; i < world.timedLog.size(); ++i) {
      const std::string& line = world.timedLog[i];
      if (line.find("stored") == std::string::npos && line.find("registry") == std::string::npos) {
        lines.push_back(line);
      }
    }
    timelineSeen_ = world.timedLog.size();
    return lines;
  }
  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const sim::SimBox& box : program.BoxHistory()) texts.push_back(box.text);
    return texts;
  }

  sim::SimWorld world;
  sim::SimProcess program{world};
  std::optional<TFrmMain> frmMain;

 private:
  std::size_t timelineSeen_ = 0;
};

using Lines = std::vector<std::string>;
using Tones = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

inline const Tones kLockedTones = {{500, 70}, {1000, 70}, {1500, 70}, {1000, 70}, {500, 70}};
inline const Tones kUnlockedTones = {{1500, 70}, {1000, 70}, {500, 70}, {1000, 70}, {1500, 70}};

}  // namespace orbl::test
