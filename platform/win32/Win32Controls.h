// What the two files of the control code share: the text a control shows for
// the program's text and back, and the toolbar's buttons, which are made both
// when a bar becomes real and when one is added to a real bar.
#pragma once

#include <string>

#include "platform/win32/Win32Api.h"

namespace orbl::win32 {

std::string ShownText(platform::ControlKind kind, const std::string& text);
std::string ProgramText(platform::ControlKind kind, const std::string& shown);

// Toolbar button commands start here so that index 0 is a real command.
constexpr int kBarCommandBase = 1000;

bool AddRealBarButton(HWND bar, int index, const std::string& caption, int image);
bool AddRealBarSeparator(HWND bar, int index);

}  // namespace orbl::win32
