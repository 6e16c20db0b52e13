// Notification area: the program's icon, its pop-up menu, the cursor position,
// and the shell's notice that the taskbar was created anew.
#pragma once

#include <functional>
#include <string>

#include "platform/Types.h"

namespace orbl::platform {

struct TrayEvents {
  std::function<void()> onRightButtonUp;
  // A double-click with the left, right or middle button.
  std::function<void()> onDoubleClick;
  // The shell re-created the taskbar (it restarted); the icon must be added again.
  std::function<void()> onTaskbarCreated;
};

struct Point {
  int x = 0;
  int y = 0;
};

class Tray {
 public:
  virtual ~Tray() = default;

  // Adds the icon (icon resource name, tip text); mouse events reach `events`
  // through `owner`'s message queue. Returns false when the shell refused it,
  // which happens while the shell is not running or not ready yet. Adding
  // again replaces the previous icon of this program, also one that the shell
  // took although an earlier add reported failure.
  virtual bool AddIcon(WindowHandle owner, const std::string& icon, const std::string& tip,
                       TrayEvents events) = 0;
  // Takes the icon out of the notification area; false when there was none.
  virtual bool DeleteIcon() = 0;

  // Pop-up menus. Items run `onChosen` through the command the menu sends to
  // its owner window, after the menu has closed. `image` names a bitmap
  // resource shown in the menu's picture column; empty for none.
  virtual MenuHandle CreatePopupMenu() = 0;
  virtual MenuItemHandle AddMenuItem(MenuHandle menu, const std::string& text,
                                     std::function<void()> onChosen,
                                     const std::string& image = {}) = 0;
  // Adds an item that opens a sub-menu; returns the sub-menu.
  virtual MenuHandle AddSubMenu(MenuHandle menu, const std::string& text,
                                const std::string& image = {}) = 0;
  virtual void AddSeparator(MenuHandle menu) = 0;
  // Sets the text of an item or of the item that opens a sub-menu.
  virtual void SetMenuItemText(MenuHandle menu, MenuItemHandle item, const std::string& text) = 0;
  virtual void SetSubMenuText(MenuHandle menu, MenuHandle subMenu, const std::string& text) = 0;
  // Shows the menu with its top-left corner at (x, y) and returns when it closes.
  virtual void TrackPopupMenu(MenuHandle menu, Point at, WindowHandle owner) = 0;

  virtual Point CursorPos() const = 0;
};

}  // namespace orbl::platform
