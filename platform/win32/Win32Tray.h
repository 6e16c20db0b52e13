// The notification-area icon and the pop-up menus on Win32.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/Win32WindowSystem.h"

namespace orbl::win32 {

class Win32Tray final : public platform::Tray {
 public:
  explicit Win32Tray(Win32WindowSystem& windows);
  ~Win32Tray() override;
  Win32Tray(const Win32Tray&) = delete;
  Win32Tray& operator=(const Win32Tray&) = delete;

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

  // What the shell is given for the icon: owner, id, callback message, the
  // icon drawn at the small-icon size of the notification area's DPI, the tip.
  NOTIFYICONDATAA IconData() const;

  // Shows every menu item's picture in the size drawn for `dpi`: 16 pixels
  // at 96 dpi, else the largest of 20, 24 and 32 that the scaled 16 fills.
  // TrackPopupMenu calls it with the DPI of the monitor the menu opens on; a
  // picture missing at that size is shown at 16.
  void PickMenuPictures(UINT dpi);
  static int MenuPictureSize(UINT dpi);

  // The private message through which the shell reports mouse events over the icon.
  static constexpr UINT kCallbackMessage = WM_APP + 1;

 private:
  bool OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The owner moved to another DPI: the icon is drawn again at its size.
  void OnDpiChanged(UINT dpi);
  struct PicturedItem {
    HMENU menu = nullptr;
    UINT item = 0;
    BOOL byPosition = FALSE;
    std::string image;
  };
  // Shows the picture resource `image`, in the size picked for the menus,
  // beside the item; an empty or missing resource leaves the item without one.
  void SetItemImage(HMENU menu, UINT item, BOOL byPosition, const std::string& image);
  void ShowPicture(const PicturedItem& item);
  HBITMAP Picture(const std::string& resource);
  // The DPI of the monitor at `at`; the notification area's when unknown.
  UINT DpiAt(platform::Point at) const;

  Win32WindowSystem& windows_;
  UINT taskbarCreated_ = 0;
  HWND owner_ = nullptr;
  std::string iconName_;
  UINT dpi_ = 0;
  HICON icon_ = nullptr;  // ours: the shell copies it
  std::string tip_;
  platform::TrayEvents events_;
  bool shown_ = false;
  std::unordered_map<UINT, std::function<void()>> items_;
  UINT nextItem_ = 0x1000;
  // Each picture is loaded once and shared by the items that show it; a menu
  // does not own its items' bitmaps.
  std::unordered_map<std::string, HBITMAP> bitmaps_;
  std::vector<PicturedItem> picturedItems_;
  int pictureSize_ = 16;
};

}  // namespace orbl::win32
