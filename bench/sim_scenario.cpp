// A fixed day in the life of orbl3 on the simulated computer, for counting
// the instructions the program's own code takes (scripts/bench.sh runs it
// under callgrind): start-up with the shipped language files, the medium of D:
// taken out with the close-now dialog counting down to its end and the
// automatic close after it, a shutdown query, and the close request that
// ends the program. The clock is virtual, so the count does not depend on the
// machine's speed or load.
//
//   sim_scenario     (exit code 0 when the program went through every step)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/WindowsPath.h"
#include "tests/support/Computer.h"
#include "tests/support/VolumeBroadcast.h"

namespace {

namespace msg = orbl::platform::msg;

std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The program folder as the Windows build leaves it, so that start-up reads
// and parses what it reads on a real computer.
void ShipLanguageFiles(orbl::sim::SimWorld& world, const std::string& programFolder) {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(ORBL_LANGUAGE_DIR)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    world.files[programFolder + "\\Language\\" + path.filename().string()] = ReadBytes(path);
  }
}

bool Step(bool done, const char* what) {
  std::printf("%-58s %s\n", what, done ? "ok" : "FAILED");
  return done;
}

}  // namespace

int main() {
  orbl::test::Computer pc;
  pc.Store("D ShowDialogToCloseDriveImmediately", "1");
  ShipLanguageFiles(
      pc.world, orbl::platform::WindowsParentFolder(orbl::sim::SimProcess::Options{}.modulePath));

  auto& program = pc.Start();
  bool ok =
      Step(program.Running() && program.TrayIcon() != nullptr, "start-up: running, tray icon");

  const auto* options = program.WindowTitled("Orbelle 3");
  if (options == nullptr) {
    Step(false, "the options window exists");
    return 1;
  }
  program.Send(options->handle, msg::kDeviceChange, msg::kDbtDeviceRemoveComplete,
               orbl::test::VolumeBroadcast(20, msg::kDbtDevTypVolume, orbl::test::UnitBit('D')));
  const auto* dialog = program.WindowTitled("Close Drive");
  ok &= Step(dialog != nullptr && dialog->visible, "removal of D: shows the close-now dialog");
  // The countdown runs out after 15 s, the automatic close of both drives is
  // due at the same moment; 20 s leaves every timer stopped again.
  for (int second = 0; second < 20; ++second) pc.world.Advance(1000);
  const auto* after = program.WindowTitled("Close Drive");
  ok &=
      Step(after == nullptr || !after->visible, "the countdown ran to its end and the dialog went");
  ok &= Step(!program.NextTimerDue().has_value(), "no timer left running");

  program.Send(options->handle, msg::kQueryEndSession, 0);
  while (!program.OpenBoxes().empty()) program.AnswerBox();
  ok &= Step(program.Running(), "the shutdown query is answered, the program runs on");

  orbl::test::Computer::Close(program);
  ok &= Step(program.Exited() && program.ExitCode() == 0, "a close request ends it with code 0");
  return ok ? 0 : 1;
}
