// Starting at log-on through an XDG autostart entry: orbelle.desktop in the
// user's autostart folder (~/.config/autostart), whose Exec line names the
// program's path, quoted as desktop entries quote arguments.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Autostart.h"

namespace orbl::lnx {

class LinuxAutostart final : public platform::Autostart {
 public:
  LinuxAutostart(std::string autostartFolder, std::string programPath)
      : folder_(std::move(autostartFolder)), programPath_(std::move(programPath)) {}

  bool IsEnabled() const override;
  bool Enable() override;
  bool Disable() override;

  // The Exec value that starts exactly `programPath`, escaped for the file.
  static std::string ExecLine(std::string_view programPath);
  // The program an entry's text starts (the first word of its Exec line),
  // nullopt when it has none or the line cannot be read. An entry marked
  // Hidden=true starts nothing.
  static std::optional<std::string> StartedProgram(std::string_view entry);

 private:
  std::string EntryPath() const { return folder_ + "/orbelle.desktop"; }

  std::string folder_;
  std::string programPath_;
};

}  // namespace orbl::lnx
