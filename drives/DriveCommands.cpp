#include "drives/DriveCommands.h"

#include <array>

#include "drives/DriveControl.h"
#include "drives/DriveTools.h"

#ifndef ORBL_VERSION
#define ORBL_VERSION "unknown"
#endif

namespace orbl {

namespace {

struct TVerbName {
  TCommandVerb Verb;
  std::string_view Name;
  bool TakesDrive;
};

constexpr std::array<TVerbName, 8> kVerbs = {{
    {TCommandVerb::Options, "options", false},
    {TCommandVerb::Status, "status", false},
    {TCommandVerb::Open, "open", true},
    {TCommandVerb::Close, "close", true},
    {TCommandVerb::Toggle, "toggle", true},
    {TCommandVerb::Lock, "lock", true},
    {TCommandVerb::Unlock, "unlock", true},
    {TCommandVerb::ToggleLock, "toggle-lock", true},
}};

const TVerbName* FindVerb(std::string_view name) {
  for (const TVerbName& verb : kVerbs) {
    if (verb.Name == name) return &verb;
  }
  return nullptr;
}

const TVerbName* FindVerb(TCommandVerb verb) {
  for (const TVerbName& entry : kVerbs) {
    if (entry.Verb == verb) return &entry;
  }
  return nullptr;
}

TParsedCommand Parsed(TCommandVerb verb, char letter = 0) {
  return TParsedCommand{true, TDriveCommand{verb, letter}, {}};
}

TParsedCommand Usage(const std::string& message) {
  return TParsedCommand{false, {}, "orbl3: " + message + "; see orbl3 --help"};
}

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// D, d:, D:\ or D:/ as the upper-case letter; 0 when it is none of them.
char DriveLetter(std::string_view text) {
  if (text.empty() || text.size() > 3 || !IsLetter(text[0])) return 0;
  if (text.size() >= 2 && text[1] != ':') return 0;
  if (text.size() == 3 && text[2] != '\\' && text[2] != '/') return 0;
  return UpperLetter(text[0]);
}

std::string DriveList(const TDriveTable& table) {
  std::string list;
  for (const TDriveRecord& drive : table) {
    list += (list.empty() ? "" : ", ") + DriveCaption(drive.Letter);
  }
  return list;
}

std::string StatusLine(TDriveControl& control, const TDriveRecord& drive, bool watching) {
  std::string line = DriveCaption(drive.Letter);
  if (!watching) {
    line += " door not watched";
  } else {
    line += drive.DoorOpen ? " door open" : " door closed";
  }
  line += drive.Locked || control.HeldLocks(drive.Letter) > 0 ? ", locked" : ", unlocked";
  if (const auto ms = control.AutoCloseDueIn(drive)) {
    line += ", closes in " + std::to_string((*ms + 999) / 1000) + " s";
  } else {
    line += ", no close pending";
  }
  line += control.IsDiscPresent(drive.Letter) ? ", disc inside" : ", no disc";
  return line + "\n";
}

// One drive's part of a command, as the tray menu's item for it does.
void RunOnDrive(TDriveControl& control, TDriveRecord& drive, TCommandVerb verb) {
  switch (verb) {
    case TCommandVerb::Open:
      control.OpenWithFollowUps(drive);
      break;
    case TCommandVerb::Close:
      control.CloseWithFollowUps(drive);
      break;
    case TCommandVerb::Toggle:
      control.ToggleDoor(drive);
      break;
    case TCommandVerb::Lock:
      control.MenuLockDrive(DriveCaption(drive.Letter));
      break;
    case TCommandVerb::Unlock:
      control.MenuUnlockDrive(DriveCaption(drive.Letter));
      break;
    case TCommandVerb::ToggleLock:
      control.ToggleLock(drive);
      break;
    default:
      break;
  }
}

}  // namespace

TParsedCommand ParseArguments(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return Parsed(TCommandVerb::Start);
  const std::string& first = arguments.front();
  if (first == "options") return Parsed(TCommandVerb::Options);
  if (first == "--help" || first == "-h" || first == "/?") return Parsed(TCommandVerb::Help);
  if (first == "--version") return Parsed(TCommandVerb::Version);
  const TVerbName* verb = FindVerb(first);
  if (!verb) return Usage("unknown command \"" + first.substr(0, 40) + "\"");
  if (!verb->TakesDrive) {
    if (arguments.size() > 1) return Usage(first + " takes no drive");
    return Parsed(verb->Verb);
  }
  if (arguments.size() != 2) return Usage(first + " takes one drive (such as D:) or all");
  if (arguments[1] == "all") return Parsed(verb->Verb);
  const char letter = DriveLetter(arguments[1]);
  if (letter == 0) return Usage("\"" + arguments[1].substr(0, 40) + "\" is not a drive");
  return Parsed(verb->Verb, letter);
}

std::string RequestText(const TDriveCommand& command) {
  const TVerbName* verb = FindVerb(command.Verb);
  if (!verb) return {};
  if (!verb->TakesDrive) return std::string(verb->Name);
  return std::string(verb->Name) + " " +
         (command.Letter == 0 ? std::string("all") : std::string(1, command.Letter));
}

TParsedCommand ParseRequest(std::string_view bytes) {
  std::vector<std::string> words(1);
  for (char c : bytes) {
    if (c == ' ') {
      words.emplace_back();
    } else if ((c >= 'a' && c <= 'z') || c == '-' || (c >= 'A' && c <= 'Z')) {
      words.back() += c;
    } else {
      return Usage("the command holds a character that is not allowed");
    }
  }
  TParsedCommand parsed = ParseArguments(words);
  // Exactly the forms RequestText makes, and so never longer than the
  // longest of them.
  if (parsed.Ok &&
      (!(IsDriveCommand(parsed.Command) || parsed.Command.Verb == TCommandVerb::Options) ||
       RequestText(parsed.Command) != bytes)) {
    return Usage("not a command the running program takes");
  }
  return parsed;
}

bool IsDriveCommand(const TDriveCommand& command) {
  switch (command.Verb) {
    case TCommandVerb::Start:
    case TCommandVerb::Options:
    case TCommandVerb::Help:
    case TCommandVerb::Version:
      return false;
    default:
      return true;
  }
}

platform::CommandReply RunDriveCommand(TDriveControl& control, TDriveTable& table,
                                       const TDriveCommand& command, bool watching) {
  platform::CommandReply reply;
  if (command.Letter != 0 && FindDriveIndex(table, command.Letter) < 0) {
    reply.exitCode = kExitUsage;
    reply.errors = "orbl3: there is no optical drive " + DriveCaption(command.Letter) +
                   (table.empty() ? std::string("; this computer has none\n")
                                  : "; the optical drives are " + DriveList(table) + "\n");
    return reply;
  }
  control.TakeRefusals();
  if (command.Verb == TCommandVerb::Status) {
    for (const TDriveRecord& drive : table) reply.output += StatusLine(control, drive, watching);
    if (table.empty()) reply.errors = "orbl3: this computer has no optical drive\n";
    return reply;
  }
  if (command.Letter == 0 && command.Verb == TCommandVerb::Toggle) {
    control.ToggleAllDoors();
  } else if (command.Letter == 0 && command.Verb == TCommandVerb::ToggleLock) {
    control.ToggleAllLocks();
  } else {
    // The table is never resized, so a box's loop cannot spoil the walk.
    for (TDriveRecord& drive : table) {
      if (command.Letter == 0 || drive.Letter == command.Letter) {
        RunOnDrive(control, drive, command.Verb);
      }
    }
  }
  const std::string refused = control.TakeRefusals();
  if (!refused.empty()) {
    reply.exitCode = kExitRefused;
    std::string drives;
    for (char letter : refused) drives += (drives.empty() ? "" : ", ") + DriveCaption(letter);
    reply.errors = "orbl3: refused by " + drives + "\n";
  }
  return reply;
}

std::string HelpText() {
  return "Usage: orbl3 [COMMAND]\n"
         "Without a command, Orbelle starts in the notification area.\n"
         "\n"
         "  options            open the options window\n"
         "  open DRIVE         open the drive's door\n"
         "  close DRIVE        close the drive's door\n"
         "  toggle DRIVE       open the door if Orbelle believes it closed, else close it\n"
         "  lock DRIVE         lock the drive's door\n"
         "  unlock DRIVE       unlock the drive's door\n"
         "  toggle-lock DRIVE  lock the drive if it is unlocked, else unlock it\n"
         "  status             one line per optical drive: door, lock, pending close, disc\n"
         "  --help             show this text\n"
         "  --version          show the version\n"
         "\n"
         "DRIVE is a letter (D, d:, D:\\) or all. When Orbelle runs, it carries the\n"
         "command out with its options, beeps and messages; otherwise this process does.\n"
         "\n"
         "Exit codes: 0 done, 1 a drive refused to lock or unlock, 2 wrong command or\n"
         "no such drive, 3 the running Orbelle did not answer in time.\n";
}

std::string VersionText() {
  return std::string("Orbelle ") + ORBL_VERSION + "\n";
}

}  // namespace orbl
