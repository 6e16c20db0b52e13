// Starting this program when the user logs on: a Run value in the registry on
// Windows, an XDG autostart entry on Linux. The core decides when; the backend
// knows where the entry lives and how it names the program.
#pragma once

namespace orbl::platform {

class Autostart {
 public:
  virtual ~Autostart() = default;
  // True when the user's log-on starts this very program file.
  virtual bool IsEnabled() const = 0;
  // Makes log-on start this program, rewriting an entry that names another
  // path. False when the entry could not be written.
  virtual bool Enable() = 0;
  // Stops log-on from starting this program. An entry that names another
  // program (a second copy elsewhere) stays. False when it could not be removed.
  virtual bool Disable() = 0;
};

}  // namespace orbl::platform
