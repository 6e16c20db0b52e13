// Commands are outside input twice over: the arguments anyone types, and the
// bytes any process of the user hands the running program. The running
// program takes only the exact short form of a command; whatever the typed
// arguments, what is handed over is read back as the same command.
#include <string_view>

#include "drives/DriveCommands.h"
#include "fuzz/Fuzz.h"

namespace orbl::fuzz {

// Input: the request's bytes; the same bytes split at NULs are the arguments.
int Command(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = Input(data, size).Text(size);
  const TParsedCommand request = ParseRequest(bytes);
  Check(request.Ok == request.Error.empty());
  if (request.Ok) {
    Check(bytes.size() <= platform::kMaxRequestBytes && RequestText(request.Command) == bytes);
    Check(IsDriveCommand(request.Command) || request.Command.Verb == TCommandVerb::Options);
  }

  std::vector<std::string> arguments(1);
  for (char c : bytes) {
    if (c == '\0') {
      arguments.emplace_back();
    } else {
      arguments.back() += c;
    }
  }
  const TParsedCommand typed = ParseArguments(arguments);
  Check(typed.Ok == typed.Error.empty() && typed.Error.size() <= 200);
  if (typed.Ok && (IsDriveCommand(typed.Command) || typed.Command.Verb == TCommandVerb::Options)) {
    const TParsedCommand back = ParseRequest(RequestText(typed.Command));
    Check(back.Ok && back.Command.Verb == typed.Command.Verb &&
          back.Command.Letter == typed.Command.Letter);
  }
  return 0;
}

}  // namespace orbl::fuzz
