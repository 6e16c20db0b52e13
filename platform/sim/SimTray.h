// The simulated notification area icon and the program's pop-up menus. An
// open menu waits for the test to choose an item or dismiss it.
#pragma once

#include "platform/Tray.h"
#include "platform/sim/SimProcessState.h"

namespace orbl::sim {

class SimTray final : public platform::Tray {
 public:
  explicit SimTray(SimProcessState& state) : s_(state) {}

  bool AddIcon(platform::WindowHandle owner, const std::string& icon, const std::string& tip,
               platform::TrayEvents events) override;
  bool DeleteIcon() override;

  platform::MenuHandle CreatePopupMenu() override;
  platform::MenuItemHandle AddMenuItem(platform::MenuHandle menu, const std::string& text,
                                       std::function<void()> onChosen,
                                       const std::string& image = {}) override;
  platform::MenuHandle AddSubMenu(platform::MenuHandle menu, const std::string& text,
                                  const std::string& image = {}) override;
  void AddSeparator(platform::MenuHandle menu) override;
  void SetMenuItemText(platform::MenuHandle menu, platform::MenuItemHandle item,
                       const std::string& text) override;
  void SetSubMenuText(platform::MenuHandle menu, platform::MenuHandle subMenu,
                      const std::string& text) override;
  void TrackPopupMenu(platform::MenuHandle menu, platform::Point at,
                      platform::WindowHandle owner) override;

  platform::Point CursorPos() const override { return platform::Point{1800, 1050}; }

 private:
  SimProcessState& s_;
};

}  // namespace orbl::sim
