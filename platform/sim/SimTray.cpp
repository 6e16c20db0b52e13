#include "platform/sim/SimTray.h"

namespace orbl::sim {

using namespace orbl::platform;

bool SimTray::AddIcon(WindowHandle owner, const std::string& icon, const std::string& tip,
                      TrayEvents events) {
  if (!s_.options.shellRunning) return false;
  s_.trayIcon = SimTrayIcon{owner, icon, tip, std::move(events)};
  s_.world.Log("tray icon shown: \"" + tip + "\"");
  return true;
}

bool SimTray::DeleteIcon() {
  if (!s_.trayIcon) return false;
  s_.trayIcon.reset();
  s_.world.Log("tray icon removed");
  return true;
}

MenuHandle SimTray::CreatePopupMenu() {
  const MenuHandle menu{s_.nextMenuHandle++};
  s_.menus[menu];
  return menu;
}

MenuItemHandle SimTray::AddMenuItem(MenuHandle menu, const std::string& text,
                                    std::function<void()> onChosen) {
  auto it = s_.menus.find(menu);
  if (it == s_.menus.end()) return {};
  SimMenuItem item;
  item.handle = MenuItemHandle{s_.nextMenuHandle++};
  item.text = text;
  item.onChosen = std::move(onChosen);
  it->second.push_back(std::move(item));
  return it->second.back().handle;
}

MenuHandle SimTray::AddSubMenu(MenuHandle menu, const std::string& text) {
  if (!s_.menus.count(menu)) return {};
  const MenuHandle sub = CreatePopupMenu();
  SimMenuItem item;
  item.handle = MenuItemHandle{sub.value};
  item.text = text;
  item.subMenu = sub;
  s_.menus[menu].push_back(std::move(item));
  return sub;
}

void SimTray::AddSeparator(MenuHandle menu) {
  auto it = s_.menus.find(menu);
  if (it == s_.menus.end()) return;
  SimMenuItem item;
  item.handle = MenuItemHandle{s_.nextMenuHandle++};
  item.separator = true;
  it->second.push_back(std::move(item));
}

void SimTray::SetMenuItemText(MenuHandle menu, MenuItemHandle item, const std::string& text) {
  auto it = s_.menus.find(menu);
  if (it == s_.menus.end()) return;
  for (SimMenuItem& entry : it->second) {
    if (entry.handle == item) entry.text = text;
  }
}

void SimTray::SetSubMenuText(MenuHandle menu, MenuHandle subMenu, const std::string& text) {
  SetMenuItemText(menu, MenuItemHandle{subMenu.value}, text);
}

void SimTray::TrackPopupMenu(MenuHandle menu, Point, WindowHandle owner) {
  s_.openMenu = menu;
  s_.chosenItem = nullptr;
  s_.menuDone = false;
  while (!s_.menuDone) {
    s_.WaitForWork([&] { return s_.menuDone; });
    s_.DispatchOne();
  }
  s_.openMenu = {};
  // As with a real menu, the choice arrives afterwards as a command message
  // to the owner window.
  if (s_.chosenItem && s_.chosenItem->onChosen) {
    SimPosted posted;
    posted.window = owner;
    posted.action = s_.chosenItem->onChosen;
    s_.queue.push_back(std::move(posted));
  }
  s_.chosenItem = nullptr;
}

}  // namespace orbl::sim
