#include "app/Orbl3.h"

#include <cstdlib>
#include <optional>

#include "app/FrmMain.h"
#include "drives/DriveCommands.h"
#include "drives/DriveTools.h"
#include "language/Language.h"
#include "settings/RegistrySettings.h"

namespace orbl {

using namespace orbl::platform;

namespace {

constexpr const char* kInstanceName = "ORBL";

// The single-instance guard. The global atom "ORBL" is what other copies look
// for, but it outlives a killed or crashed program; the instance lock dies
// with its process, so it decides. Returns false when another instance runs.
// A left-over atom of a dead instance is adopted and deleted at our exit.
bool TakeInstanceGuard(Platform& p, Atom& instanceAtom) {
  instanceAtom = 0;
  if (!p.instanceLock.TryAcquire(kInstanceName)) return false;
  instanceAtom = p.atoms.Find(kInstanceName);
  if (instanceAtom == 0) instanceAtom = p.atoms.Add(kInstanceName);
  return true;
}

// A drive command with no program running: this process carries it out with
// the stored options and the chosen language, without a tray icon, hot keys
// or windows of its own. A lock it makes is stored with the held locks, so
// that a program started later on this boot pays it back on unlock.
CommandReply RunCommandHere(Platform& p, WindowHandle appWindow, const TDriveCommand& command) {
  TDriveTable table;
  for (char letter : EnumerateOpticalDrives(p.driveEnumerator)) {
    table.push_back(NewDriveRecord(letter));
  }
  TAppOptions options;
  LoadSettings(p.settings, table, options);
  TInterfaceTexts texts;
  const std::string language =
      options.Language.empty() ? DefaultLanguageFile(p.files) : options.Language;
  ReadInterfaceTexts(TIniFile::Load(p.files, language), texts);
  TProgramState state;
  // An automatic close this process would arm dies with it.
  TWindowTimer autoCloseTimer(p.windows, appWindow, 15000, [] {});
  TDriveControl control(p, state, table, texts, autoCloseTimer, {});
  control.TakeOverHeldLocks();
  // This process never saw the drives: a lock still held is all it knows.
  for (TDriveRecord& drive : table) drive.Locked = control.HeldLocks(drive.Letter) > 0;
  return RunDriveCommand(control, table, command, false);
}

[[noreturn]] void EndCommand(Platform& p, const CommandReply& reply) {
  if (!reply.output.empty()) p.console.Out(reply.output);
  if (!reply.errors.empty()) p.console.Err(reply.errors);
  p.files.ExitProcess(reply.exitCode);
  std::abort();  // not reached: the process has ended
}

}  // namespace

void RunProgram(Platform& p) {
  const TParsedCommand parsed = ParseArguments(p.files.Arguments());
  if (!parsed.Ok) EndCommand(p, CommandReply{kExitUsage, {}, parsed.Error + "\n"});
  const TDriveCommand& command = parsed.Command;
  if (command.Verb == TCommandVerb::Help) EndCommand(p, CommandReply{kExitDone, HelpText(), {}});
  if (command.Verb == TCommandVerb::Version) {
    EndCommand(p, CommandReply{kExitDone, VersionText(), {}});
  }

  // frmMain is built after the application window, whose close request must
  // reach it. Before it exists no message is dispatched, so the fallback below
  // only guards against a backend that dispatches early; as the icon goes up
  // first thing in frmMain's construction, the fallback takes it along.
  std::optional<TFrmMain> frmMain;

  WindowParams appParams;
  appParams.title = "Orbelle";
  appParams.icon = "TRAY";
  WindowEvents appEvents;
  appEvents.onCloseRequest = [&] {
    if (frmMain) frmMain->ExitProgram();
    p.tray.DeleteIcon();
    p.files.ExitProcess(0);
  };
  const WindowHandle appWindow = p.windows.CreateTopWindow(appParams, std::move(appEvents));

  const bool driveCommand = IsDriveCommand(command);
  if (driveCommand && p.instanceLock.TryAcquire(kInstanceName)) {
    EndCommand(p, RunCommandHere(p, appWindow, command));
  }
  Atom instanceAtom = 0;
  if (driveCommand || !TakeInstanceGuard(p, instanceAtom)) {
    // Another instance runs. End before touching anything it owns or shares:
    // no icon, no drives, no hot keys, no settings. A command goes to it.
    if (!driveCommand && command.Verb != TCommandVerb::Options) p.files.ExitProcess(0);
    std::optional<CommandReply> reply = p.commands.Send(RequestText(command));
    if (!reply) {
      reply = CommandReply{kExitNoAnswer, {}, "orbl3: the running Orbelle did not answer\n"};
    }
    EndCommand(p, *reply);
  }

  frmMain.emplace(p, appWindow, instanceAtom);
  frmMain->StartUp();
  p.windows.RunLoop();
  std::abort();  // not reached: the run loop ends only with the process
}

}  // namespace orbl
