// The notification-area icon and its menus on Qt. Desktops show the icon in
// one of two ways:
// - StatusNotifierItem (a watcher with a registered host on the session bus):
//   the host shows the menu the program exports and never asks the program to
//   show one. The menu's showing calls onRightButtonUp; the core admits it by
//   calling TrackPopupMenu, and while the core refuses, the items are disabled.
//   Activating the icon is its double-click.
// - XEmbed: a right click calls onRightButtonUp, whose TrackPopupMenu shows the
//   menu at the pointer; a double-click is one.
#pragma once

#include <QDBusPendingCall>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Tray.h"

class QDBusServiceWatcher;

namespace orbl::qt {

class QtWindowSystem;

class QtTray final : public platform::Tray {
 public:
  enum class Mode { Automatic, StatusNotifier, XEmbed };
  // `mode`: how the desktop shows icons; Automatic asks the session bus,
  // once for the process.
  explicit QtTray(QtWindowSystem& windows, Mode mode = Mode::Automatic);
  ~QtTray() override;
  QtTray(const QtTray&) = delete;
  QtTray& operator=(const QtTray&) = delete;

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
  platform::Point CursorPos() const override;

  // The icon while it is added, and the menu the host is given; null otherwise.
  QSystemTrayIcon* Icon() const { return icon_.get(); }
  QMenu* ExportedMenu() const { return exported_; }
  bool StatusNotifierMode() const { return statusNotifier_; }

 private:
  // Whether a StatusNotifierItem host showed icons on the session bus when
  // the program started.
  bool StatusNotifierHostRegistered();
  void WatchForHosts();
  void OnActivated(QSystemTrayIcon::ActivationReason reason);
  void OnExportedMenuShowing();
  QMenu* MenuOf(platform::MenuHandle menu) const;

  Mode mode_;
  bool statusNotifier_ = false;
  std::unique_ptr<QSystemTrayIcon> icon_;
  platform::TrayEvents events_;
  std::unique_ptr<QDBusServiceWatcher> watcher_;
  // Automatic mode's question to the session bus, asked at construction.
  std::optional<QDBusPendingCall> hostQuestion_;
  // The menus the core made, by handle; sub-menus belong to their parents.
  std::vector<std::unique_ptr<QMenu>> topMenus_;
  std::map<std::uintptr_t, QPointer<QMenu>> menus_;
  std::map<std::uintptr_t, QPointer<QAction>> items_;
  std::uintptr_t nextHandle_ = 1;
  QPointer<QMenu> exported_;
  // The core called TrackPopupMenu during the exported menu's showing.
  bool admitted_ = false;
};

}  // namespace orbl::qt
