// System-wide hot keys. A pressed hot key arrives as WM_HOTKEY at the window it
// was registered for, with the identifier in wParam.
#pragma once

#include <cstdint>

#include "platform/Types.h"

namespace orbl::platform {

class HotKeys {
 public:
  virtual ~HotKeys() = default;
  // False when the combination is taken (by this or another program) or invalid.
  virtual bool Register(WindowHandle window, int id, std::uint32_t modifiers,
                        std::uint32_t virtualKey) = 0;
  virtual bool Unregister(WindowHandle window, int id) = 0;
};

}  // namespace orbl::platform
