// orbl3 on Linux: the program core on Qt 6 Widgets and the Linux system.
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "app/Orbl3.h"
#include "platform/linux/CdromIo.h"
#include "platform/linux/LinuxAutostart.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFolders.h"
#include "platform/linux/LinuxSession.h"
#include "platform/linux/LinuxSettingsFile.h"
#include "platform/qt/QtSystem.h"
#include "platform/qt/QtTray.h"
#include "platform/qt/QtWindowSystem.h"

namespace {

// Global hot keys are not there yet: every key counts as taken.  // wired at merge
class RefusingHotKeys final : public orbl::platform::HotKeys {
 public:
  bool Register(orbl::platform::WindowHandle /*window*/, int /*id*/, std::uint32_t /*modifiers*/,
                std::uint32_t /*virtualKey*/) override {
    return false;
  }
  bool Unregister(orbl::platform::WindowHandle /*window*/, int /*id*/) override { return false; }
};

// No sound server yet: beeps are silent.  // wired at merge
class SilentSound final : public orbl::platform::Sound {
 public:
  void Beep(std::uint32_t /*frequencyHz*/, std::uint32_t /*durationMs*/) override {}
  void Sleep(std::uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

// Where the locks and the command socket live: the session's runtime folder,
// else a folder of this user's own under the temporary folder.
std::string RuntimeFolder() {
  std::string folder = Environment("XDG_RUNTIME_DIR");
  if (!folder.empty()) return folder;
  folder = "/tmp/orbl3-" + std::to_string(::getuid());
  orbl::lnx::MakeFolders(folder);
  return folder;
}

std::string ConfigFolder() {
  std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty() && config.front() == '/') return config;
  return Environment("HOME") + "/.config";
}

// Qt ends the process when it cannot reach a display, after a warning that
// names it. That comes out as one line of ours, with a failed start's code.
bool applicationMade = false;  // NOLINT(*-avoid-non-const-global-variables)
std::string firstWarning;      // NOLINT(*-avoid-non-const-global-variables)

void ReportMessage(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text) {
  const std::string line = text.section(QLatin1Char('\n'), 0, 0).toStdString();
  if (!applicationMade) {
    if (type != QtFatalMsg) {
      if (firstWarning.empty()) firstWarning = line;
      return;
    }
    const std::string why = firstWarning.empty() ? line : firstWarning;
    std::fputs(("orbl3: no display: " + why + "\n").c_str(), stderr);
    std::fflush(stderr);
    ::_exit(1);
  }
  if (type != QtDebugMsg && type != QtInfoMsg)
    std::fputs(("orbl3: " + line + "\n").c_str(), stderr);
}

}  // namespace

int main(int argc, char** argv) {
  if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty()) {
    std::fputs("orbl3: no display: neither DISPLAY nor WAYLAND_DISPLAY is set\n", stderr);
    return 1;
  }
  const std::span<char*> words(argv, static_cast<std::size_t>(argc));
  std::vector<std::string> arguments(words.begin() + 1, words.end());
  qInstallMessageHandler(&ReportMessage);
  QApplication application(argc, argv);
  applicationMade = true;
  QApplication::setApplicationName(QStringLiteral("orbelle"));
  QApplication::setDesktopFileName(QStringLiteral("orbelle"));

  using namespace orbl;
  const std::string runtime = RuntimeFolder();
  qt::QtWindowSystem windows;
  qt::QtTray tray(windows);
  lnx::LinuxAtoms atoms;
  lnx::LinuxInstanceLock instanceLock(runtime);
  RefusingHotKeys hotKeys;  // wired at merge
  lnx::SystemCdromIo cdrom;
  // The kernel reports no removal for the program's own ejects.  // wired at merge
  lnx::LinuxDrives drives(cdrom, runtime);
  SilentSound sound;  // wired at merge
  lnx::LinuxSettingsFile settings(ConfigFolder() + "/orbelle/settings.reg");
  qt::QtFiles files(std::move(arguments));
  lnx::LinuxAutostart autostart(ConfigFolder() + "/autostart", files.ModulePath());
  qt::QtShell shell;
  qt::QtClock clock;
  qt::QtCommandChannel commands(runtime);
  qt::QtConsole console;

  platform::Platform platform{windows, tray,   atoms,  instanceLock, hotKeys,  drives,
                              drives,  drives, drives, sound,        settings, autostart,
                              files,   shell,  clock,  commands,     console};
  RunProgram(platform);
}
