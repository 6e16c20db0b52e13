// orbl3 on Linux: the program core on Qt 6 Widgets and the Linux system.
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/Orbl3.h"
#include "drives/DriveCommands.h"
#include "platform/linux/CdromIo.h"
#include "platform/linux/LinuxAutostart.h"
#include "platform/linux/LinuxDrives.h"
#include "platform/linux/LinuxFolders.h"
#include "platform/linux/LinuxSession.h"
#include "platform/linux/LinuxSettingsFile.h"
#include "platform/linux/PulseSound.h"
#include "platform/linux/TerminationSignals.h"
#include "platform/linux/UdevRemovals.h"
#include "platform/linux/X11HotKeys.h"
#include "platform/qt/LogindEvents.h"
#include "platform/qt/QtSystem.h"
#include "platform/qt/QtTray.h"
#include "platform/qt/QtWindowSystem.h"

namespace {

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
  const std::span<char*> words(argv, static_cast<std::size_t>(argc));
  std::vector<std::string> arguments(words.begin() + 1, words.end());
  if (Environment("DISPLAY").empty() && Environment("WAYLAND_DISPLAY").empty()) {
    // A command typed in a terminal without a desktop (a remote shell, a
    // service) needs none: it runs on Qt's display-less platform and shows
    // nothing. Only the program itself and its options window need a display.
    const orbl::TParsedCommand parsed = orbl::ParseArguments(arguments);
    const orbl::TCommandVerb verb = parsed.Command.Verb;
    if (parsed.Ok && (verb == orbl::TCommandVerb::Start || verb == orbl::TCommandVerb::Options)) {
      std::fputs("orbl3: no display: neither DISPLAY nor WAYLAND_DISPLAY is set\n", stderr);
      return 1;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
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

  // Each event source hands the loop a descriptor; a notifier on it runs the
  // source's handler, inside the core's modal loops too.
  std::vector<std::unique_ptr<QSocketNotifier>> notifiers;
  auto watch = [&notifiers](int fd, auto handler) -> QSocketNotifier* {
    if (fd < 0) return nullptr;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, handler);
    notifiers.push_back(std::move(notifier));
    return notifiers.back().get();
  };

  lnx::X11HotKeys hotKeys([&windows](platform::WindowHandle window, int id) {
    windows.Post(window, platform::msg::kHotKey, static_cast<std::uint64_t>(id), 0);
  });

  lnx::SystemCdromIo cdrom;
  // A disc taken out, with the button or by our own eject (which the kernel
  // does not report), reaches every window as the volume's removal.
  lnx::UdevRemovals removals(cdrom, [&windows](char letter) {
    windows.PostToAll(platform::msg::kDeviceChange, platform::msg::kDbtDeviceRemoveComplete, 1,
                      lnx::VolumeRemovalBroadcast(letter));
  });
  lnx::LinuxDrives drives(cdrom, runtime, [&removals](char letter) { removals.OwnEject(letter); });

  // A run of beeps shares one stream, which goes back once the loop runs again.
  lnx::PulseSound* soundHandle = nullptr;
  lnx::PulseSound sound([&soundHandle] {
    QTimer::singleShot(0, [&soundHandle] {
      if (soundHandle != nullptr) soundHandle->ReleaseStream();
    });
  });
  soundHandle = &sound;

  lnx::LinuxSettingsFile settings(ConfigFolder() + "/orbelle/settings.reg");
  qt::QtFiles files(std::move(arguments));
  lnx::LinuxAutostart autostart(ConfigFolder() + "/autostart", files.ModulePath());
  qt::QtShell shell;
  qt::QtClock clock;
  qt::QtCommandChannel commands(runtime);
  qt::QtConsole console;

  // Shutdown, sleep and log-off reach every window at once, as Windows'
  // broadcasts do; logind waits while its inhibitor is held.
  const auto deliver = [&windows](const platform::Message& message) { windows.SendToAll(message); };
  std::optional<qt::LogindEvents> logind;
  windows.SetShutdownBlockProbe([&logind] { return logind && logind->InhibitorHeld(); });
  qt::XsmpLogOff logOff(deliver);
  logOff.Attach(application);

  // SIGTERM, SIGINT and SIGHUP end the program as its close request does:
  // the options are saved and the icon goes.
  lnx::TerminationSignals termination(
      [&windows] { windows.Post(windows.ApplicationWindow(), platform::msg::kClose, 0, 0); });
  watch(termination.Fd(), [&termination] { termination.HandleReadable(); });

  // The icon goes up first thing in RunProgram. What it need not wait for is
  // joined once the loop runs: the system bus (connecting and taking logind's
  // inhibitor are round trips), udev with a look at every drive, and the hot
  // keys' display connection, made as the first key is registered.
  QSocketNotifier* keysNotifier = nullptr;
  QTimer::singleShot(0, [&logind, &deliver, &removals, &hotKeys, &keysNotifier, &watch] {
    logind.emplace(deliver);
    removals.Start();
    watch(removals.Fd(), [&removals] { removals.HandleReadable(); });
    keysNotifier = watch(hotKeys.Fd(), [&hotKeys, &keysNotifier] {
      hotKeys.HandleReadable();
      // A broken display connection is watched no more.
      if (hotKeys.Fd() < 0 && keysNotifier != nullptr) keysNotifier->setEnabled(false);
    });
  });

  platform::Platform platform{windows, tray,   atoms,  instanceLock, hotKeys,  drives,
                              drives,  drives, drives, sound,        settings, autostart,
                              files,   shell,  clock,  commands,     console};
  RunProgram(platform);
}
