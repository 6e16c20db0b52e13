#include "platform/sim/SimTray.h"

namespace orbl::sim {

using namespace orbl::platform;

bool SimTray::AddIcon(WindowHandle owner, const std::string& icon, const std::string& tip,
                      TrayEvents events) {
  if (!s_.Window(owner)) {
    s_.Call("tray icon for " + s_.Describe(owner) + " refused");
    return false;
  }
  s_.trayOwner = owner;
  s_.trayEvents = std::move(events);
  std::vector<std::string> windows;
  for (const auto& [handle, window] : s_.windows) windows.push_back(window.title);
  if (!s_.world.tray.Add(SimTrayIcon{s_.pid, owner, icon, tip, false, std::move(windows)})) {
    s_.Call("tray icon add failed: no shell");
    return false;
  }
  s_.Call("tray icon added");
  s_.world.Log("tray icon shown: \"" + tip + "\"");
  return true;
}

bool SimTray::DeleteIcon() {
  if (!s_.world.tray.Remove(s_.pid)) {
    s_.Call("tray icon delete failed: none shown");
    return false;
  }
  s_.Call("tray icon deleted");
  s_.world.Log("tray icon removed");
  return true;
}

MenuHandle SimTray::CreatePopupMenu() {
  const MenuHandle menu{s_.nextMenuHandle++};
  s_.menus[menu];
  return menu;
}

MenuItemHandle SimTray::AddMenuItem(MenuHandle menu, const std::string& text,
                                    std::function<void()> onChosen, const std::string& image) {
  auto it = s_.menus.find(menu);
  if (it == s_.menus.end()) {
    s_.Call("menu item in unknown menu refused");
    return {};
  }
  SimMenuItem item;
  item.handle = MenuItemHandle{s_.nextMenuHandle++};
  item.text = text;
  item.onChosen = std::move(onChosen);
  item.image = image;
  it->second.push_back(std::move(item));
  return it->second.back().handle;
}

MenuHandle SimTray::AddSubMenu(MenuHandle menu, const std::string& text, const std::string& image) {
  if (!s_.menus.contains(menu)) {
    s_.Call("sub-menu in unknown menu refused");
    return {};
  }
  const MenuHandle sub = CreatePopupMenu();
  SimMenuItem item;
  item.handle = MenuItemHandle{sub.value};
  item.text = text;
  item.subMenu = sub;
  item.image = image;
  s_.menus[menu].push_back(std::move(item));
  return sub;
}

void SimTray::AddSeparator(MenuHandle menu) {
  auto it = s_.menus.find(menu);
  if (it == s_.menus.end()) {
    s_.Call("separator in unknown menu refused");
    return;
  }
  SimMenuItem item;
  item.handle = MenuItemHandle{s_.nextMenuHandle++};
  item.separator = true;
  it->second.push_back(std::move(item));
}

void SimTray::SetMenuItemText(MenuHandle menu, MenuItemHandle item, const std::string& text) {
  auto it = s_.menus.find(menu);
  bool found = false;
  if (it != s_.menus.end()) {
    for (SimMenuItem& entry : it->second) {
      if (entry.handle == item) {
        entry.text = text;
        found = true;
      }
    }
  }
  if (!found) s_.Call("text of unknown menu item refused");
}

void SimTray::SetSubMenuText(MenuHandle menu, MenuHandle subMenu, const std::string& text) {
  SetMenuItemText(menu, MenuItemHandle{subMenu.value}, text);
}

void SimTray::TrackPopupMenu(MenuHandle menu, Point /*at*/, WindowHandle owner) {
  if (!s_.menus.contains(menu) || !s_.Window(owner) || s_.openMenu) {
    s_.Call("menu tracked by " + s_.Describe(owner) + " refused");
    return;
  }
  s_.Call("menu tracked by " + s_.Describe(owner));
  s_.openMenu = menu;
  s_.chosenItem = nullptr;
  s_.menuDone = false;
  while (!s_.menuDone) {
    s_.WaitForWork([&] { return s_.menuDone; });
    s_.DispatchOne();
  }
  s_.openMenu = {};
  s_.Call(s_.chosenItem ? "menu closed, chosen \"" + s_.chosenItem->text + "\""
                        : std::string("menu closed"));
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
