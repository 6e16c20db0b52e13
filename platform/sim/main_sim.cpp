// Runs Orbelle on the simulated platform and narrates what it does: a
// computer with a fixed drive C: and two optical drives D: and F:, the
// program folder holding the shipped language files and help page, a user who
// opens D: and, 5 s later, F: from the tray menu, lets the program run for a
// minute (it closes each door again 15 s after its open) and then logs off (a
// close request).
//
//   orbl3_sim [options]      the argument is handed to the program
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "app/Orbl3.h"
#include "platform/WindowsPath.h"
#include "platform/sim/SimProcess.h"
#include "settings/RegistrySettings.h"

using orbl::platform::DriveType;

namespace {

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The program folder as the Windows build leaves it: Language\*.ini and the
// help page beside the program file, so that the narrated program shows the
// texts a user would see.
void ShipFiles(orbl::sim::SimWorld& world, const std::string& programFolder) {
  std::vector<std::filesystem::path> languageFiles;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(ORBL_LANGUAGE_DIR, error)) {
    if (entry.is_regular_file()) languageFiles.push_back(entry.path());
  }
  std::sort(languageFiles.begin(), languageFiles.end());
  for (const auto& path : languageFiles) {
    world.files[programFolder + "\\Language\\" + path.filename().string()] = ReadBytes(path);
  }
  const std::filesystem::path helpPage(ORBL_HELP_PAGE);
  world.files[programFolder + "\\" + helpPage.filename().string()] = ReadBytes(helpPage);
}

}  // namespace

int main(int argc, char** argv) {
  orbl::sim::SimWorld world;
  world.AddDrive('C', DriveType::Fixed);
  world.AddDrive('D', DriveType::CdRom);
  world.AddDrive('F', DriveType::CdRom);
  world.Drive('D').discInside = true;
  world.onLog = [&](const std::string& line) {
    std::cout << std::fixed << std::setprecision(3) << std::setw(8)
              << static_cast<double>(world.Now()) / 1000.0 << " s  " << line << '\n';
  };

  orbl::sim::SimProcess::Options options;
  ShipFiles(world, orbl::platform::WindowsParentFolder(options.modulePath));
  const std::span<char*> arguments(argv, static_cast<std::size_t>(argc));
  options.arguments.assign(arguments.begin() + 1, arguments.end());
  orbl::sim::SimProcess program(world, options);

  std::cout << "Simulated computer: C: fixed disk, D: and F: optical drives (a disc in D:).\n"
            << "Starting orbl3 ...\n";
  program.Start([](orbl::platform::Platform& p) { orbl::RunProgram(p); });
  // A command with no program running: done by this process, which has ended.
  if (program.Exited()) {
    std::cout << program.Output();
    std::cerr << program.Errors();
    return program.ExitCode().value_or(1);
  }
  // With the argument "options" the options window is up: the user closes it.
  if (const auto* optionsWindow = program.WindowTitled("Orbelle 3");
      optionsWindow && optionsWindow->visible) {
    std::cout << "The options window is open; the user closes it.\n";
    program.CloseWindowByUser(optionsWindow->handle);
  }
  std::cout << "The user chooses Open Door -> D: in the tray menu ...\n";
  program.TrayRightClick();
  program.ChooseMenuItem({"Open Door", "D:"});
  world.Advance(5000);
  std::cout << "Five seconds later the user chooses Open Door -> F: ...\n";
  program.TrayRightClick();
  program.ChooseMenuItem({"Open Door", "F:"});
  std::cout << "A script runs \"orbl3 status\"; the running program answers:\n";
  orbl::sim::SimProcess::Options statusOptions = options;
  statusOptions.arguments = {"status"};
  orbl::sim::SimProcess status(world, statusOptions);
  status.Start([](orbl::platform::Platform& p) { orbl::RunProgram(p); });
  world.RunDueWork();
  std::cout << status.Output() << "Its exit code: " << status.ExitCode().value_or(-1) << "\n";
  std::cout << "Running. The user works for a minute ...\n";
  world.Advance(55000);

  std::cout << "The user logs off: a close request to the application window.\n";
  program.Post(program.WindowTitled("Orbelle")->handle, orbl::platform::msg::kClose);

  const auto* key = world.FindKey(orbl::kSettingsKey);
  std::cout << "Program ended with exit code " << program.ExitCode().value_or(-1) << "; "
            << (key != nullptr ? key->values.size() : 0) << " values stored under HKCU\\"
            << orbl::kSettingsKey << ".\n";
  return program.Exited() ? 0 : 1;
}
