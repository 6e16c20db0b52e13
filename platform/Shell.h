// Handing a document, web address or mail address to the desktop shell.
#pragma once

#include <string>

#include "platform/Types.h"

namespace orbl::platform {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens `document` with the verb "open" (a path, an http address or a mailto:
  // address). The text reaches the shell as one argument and never passes a
  // command interpreter. `showMode` is sw::kShow or sw::kShowMaximized.
  // False when the shell could not open it.
  virtual bool Open(WindowHandle owner, const std::string& document, int showMode) = 0;
};

}  // namespace orbl::platform
