// Commands typed in a shell ("orbl3 close D:"): reading them, the short form
// handed to the running program, and carrying them out on the drive table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Commands.h"
#include "settings/Orbl2Records.h"

namespace orbl {

class TDriveControl;

enum class TCommandVerb {
  Start,  // no argument: the program in the notification area
  Options,
  Help,
  Version,
  Status,
  Open,
  Close,
  Toggle,
  Lock,
  Unlock,
  ToggleLock,
};

struct TDriveCommand {
  TCommandVerb Verb = TCommandVerb::Start;
  char Letter = 0;  // upper case; 0 for every drive ("all") or no drive
};

// A command, or the one-line message that says why there is none.
struct TParsedCommand {
  bool Ok = false;
  TDriveCommand Command;
  std::string Error;
};

// The program's arguments. Only the exact first argument "options" opens the
// options window, whatever follows it; verbs are lower case. A drive is
// written D, d:, D:\ or D:/; "all" names every drive.
TParsedCommand ParseArguments(const std::vector<std::string>& arguments);

// The form handed to the running program: "close D", "lock all", "status".
std::string RequestText(const TDriveCommand& command);
// A request from another process: exactly a form RequestText makes (a
// lower-case verb, a blank and "all" or an upper-case letter). Anything else, and the
// forms that are not handed over (help, version, a plain start), is refused.
TParsedCommand ParseRequest(std::string_view bytes);

// Whether the command acts on drives or reads their state (and so is carried
// out by the running program, or by this process when none runs).
bool IsDriveCommand(const TDriveCommand& command);

// Carries out a drive command or status as the tray menu's items do: open,
// close, lock and unlock always send their request; the toggles follow the
// program's belief. `watching` says whether this process is the running
// program, whose belief of the doors and pending closes status reports.
platform::CommandReply RunDriveCommand(TDriveControl& control, TDriveTable& table,
                                       const TDriveCommand& command, bool watching);

std::string HelpText();
std::string VersionText();
// The exit codes of a command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitNoAnswer = 3;

}  // namespace orbl
