#include "platform/win32/Win32Tray.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orbl::win32 {

namespace {

constexpr UINT kIconId = 1;
// WM_COMMAND carries the item in 16 bits; the ids stay below the system's.
constexpr UINT kLastItem = 0xEFFF;

}  // namespace

Win32Tray::Win32Tray(Win32WindowSystem& windows)
    : windows_(windows), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
  windows_.AddMessageHook(
      [this](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return OnMessage(hwnd, msg, wParam, lParam, result);
      });
}

Win32Tray::~Win32Tray() {
  if (icon_ != nullptr) DestroyIcon(icon_);
  for (const auto& [name, bitmap] : bitmaps_) {
    if (bitmap != nullptr) DeleteObject(bitmap);
  }
}

NOTIFYICONDATAA Win32Tray::IconData() const {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = owner_;
  data.uID = kIconId;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = icon_;
  const std::size_t length = std::min(tip_.size(), sizeof data.szTip - 1);
  std::memcpy(data.szTip, tip_.data(), length);
  data.szTip[length] = '\0';
  return data;
}

bool Win32Tray::AddIcon(platform::WindowHandle owner, const std::string& icon,
                        const std::string& tip, platform::TrayEvents events) {
  if (shown_) DeleteIcon();
  owner_ = ToHwnd(owner);
  tip_ = tip;
  events_ = std::move(events);
  iconName_ = icon;
  // The notification area sits on the primary monitor, at the system's DPI
  // until it tells the owner otherwise. The icon is the one LoadIconMetric
  // (LIM_SMALL) would give, without loading the common controls library
  // before the icon is up.
  if (dpi_ == 0) dpi_ = GetDpiForSystem();
  HICON old = std::exchange(icon_, LoadIconAtDpi(windows_.Instance(), icon, SM_CXSMICON, dpi_));
  // An elevated program would otherwise never hear that the shell restarted.
  if (taskbarCreated_ != 0) {
    ChangeWindowMessageFilterEx(owner_, taskbarCreated_, MSGFLT_ALLOW, nullptr);
  }
  NOTIFYICONDATAA data = IconData();
  // Modify first: a shell busy at logon may have taken an earlier add that
  // reported failure, and a "TaskbarCreated" may come from a shell that kept
  // its icons. Either way ours is there already, and adding it again fails.
  shown_ = Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
  if (!shown_) shown_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
  if (old != nullptr) DestroyIcon(old);
  return shown_;
}

void Win32Tray::OnDpiChanged(UINT dpi) {
  if (dpi == 0 || dpi == dpi_) return;
  dpi_ = dpi;
  HICON icon = LoadIconAtDpi(windows_.Instance(), iconName_, SM_CXSMICON, dpi_);
  if (icon == nullptr) return;
  HICON old = std::exchange(icon_, icon);
  if (shown_) {
    NOTIFYICONDATAA data = IconData();
    Shell_NotifyIconA(NIM_MODIFY, &data);
  }
  // Only now that the shell shows the new one.
  if (old != nullptr) DestroyIcon(old);
}

bool Win32Tray::DeleteIcon() {
  if (!shown_) return false;
  shown_ = false;
  NOTIFYICONDATAA data = IconData();
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
}

bool Win32Tray::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  result = 0;
  if (msg == WM_COMMAND && lParam == 0 && HIWORD(wParam) == 0) {
    auto it = items_.find(LOWORD(wParam));
    if (it == items_.end()) return false;
    const std::function<void()> onChosen = it->second;  // the action may change the menu
    if (onChosen) onChosen();
    return true;
  }
  if (hwnd != owner_ || owner_ == nullptr) return false;
  if (msg == kCallbackMessage) {
    // Copies: a handler may add the icon again, which replaces these events.
    const platform::TrayEvents events = events_;
    switch (LOWORD(lParam)) {
      case WM_RBUTTONUP:
        if (events.onRightButtonUp) events.onRightButtonUp();
        break;
      case WM_LBUTTONDBLCLK:
      case WM_RBUTTONDBLCLK:
      case WM_MBUTTONDBLCLK:
        if (events.onDoubleClick) events.onDoubleClick();
        break;
      default:
        break;
    }
    return true;
  }
  if (msg == WM_DPICHANGED) {
    OnDpiChanged(HIWORD(wParam));
    return false;
  }
  if (taskbarCreated_ != 0 && msg == taskbarCreated_) {
    const platform::TrayEvents events = events_;
    if (events.onTaskbarCreated) events.onTaskbarCreated();
    return true;
  }
  return false;
}

platform::MenuHandle Win32Tray::CreatePopupMenu() {
  return FromHmenu(::CreatePopupMenu());
}

int Win32Tray::MenuPictureSize(UINT dpi) {
  const int wanted = ScaleToDpi(16, dpi);
  for (int size : {32, 24, 20}) {
    if (size <= wanted) return size;
  }
  return 16;
}

HBITMAP Win32Tray::Picture(const std::string& resource) {
  auto [it, added] = bitmaps_.try_emplace(resource, nullptr);
  // A 32-bit section keeps the alpha channel, which the menu blends.
  if (added) {
    it->second = static_cast<HBITMAP>(
        LoadImageA(windows_.Instance(), resource.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  }
  return it->second;
}

void Win32Tray::ShowPicture(const PicturedItem& item) {
  // A menu item's bitmap is drawn as it is, never scaled to the menu's DPI.
  HBITMAP bitmap = nullptr;
  if (pictureSize_ != 16) bitmap = Picture(item.image + "_" + std::to_string(pictureSize_));
  if (bitmap == nullptr) bitmap = Picture(item.image);
  if (bitmap == nullptr) return;
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_BITMAP;
  info.hbmpItem = bitmap;
  SetMenuItemInfoA(item.menu, item.item, item.byPosition, &info);
}

void Win32Tray::SetItemImage(HMENU menu, UINT item, BOOL byPosition, const std::string& image) {
  if (image.empty()) return;
  picturedItems_.push_back({menu, item, byPosition, image});
  ShowPicture(picturedItems_.back());
}

void Win32Tray::PickMenuPictures(UINT dpi) {
  const int size = MenuPictureSize(dpi);
  if (size == pictureSize_) return;
  pictureSize_ = size;
  for (const PicturedItem& item : picturedItems_) ShowPicture(item);
}

UINT Win32Tray::DpiAt(platform::Point at) const {
  // shcore comes with the shell's own libraries: asking it loads nothing new.
  using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto getDpiForMonitor =
      LoadSystemFunction<GetDpiForMonitorFunction>("shcore.dll", "GetDpiForMonitor");
  constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
  UINT x = 0;
  UINT y = 0;
  HMONITOR monitor = MonitorFromPoint(POINT{at.x, at.y}, MONITOR_DEFAULTTONEAREST);
  if (getDpiForMonitor != nullptr && monitor != nullptr &&
      SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x != 0) {
    return x;
  }
  return dpi_ != 0 ? dpi_ : GetDpiForSystem();
}

platform::MenuItemHandle Win32Tray::AddMenuItem(platform::MenuHandle menu, const std::string& text,
                                                std::function<void()> onChosen,
                                                const std::string& image) {
  if (nextItem_ > kLastItem) return {};
  const UINT id = nextItem_;
  if (!AppendMenuA(ToHmenu(menu), MF_STRING, id, text.c_str())) return {};
  ++nextItem_;
  items_[id] = std::move(onChosen);
  SetItemImage(ToHmenu(menu), id, FALSE, image);
  return platform::MenuItemHandle{id};
}

platform::MenuHandle Win32Tray::AddSubMenu(platform::MenuHandle menu, const std::string& text,
                                           const std::string& image) {
  HMENU sub = ::CreatePopupMenu();
  if (sub == nullptr) return {};
  HMENU parent = ToHmenu(menu);
  if (!AppendMenuA(parent, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str())) {
    DestroyMenu(sub);
    return {};
  }
  // An item that opens a sub-menu has no command id: it is reached by position.
  SetItemImage(parent, static_cast<UINT>(GetMenuItemCount(parent) - 1), TRUE, image);
  return FromHmenu(sub);
}

void Win32Tray::AddSeparator(platform::MenuHandle menu) {
  AppendMenuA(ToHmenu(menu), MF_SEPARATOR, 0, nullptr);
}

void Win32Tray::SetMenuItemText(platform::MenuHandle menu, platform::MenuItemHandle item,
                                const std::string& text) {
  std::string copy = text;
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING;
  info.dwTypeData = copy.data();
  SetMenuItemInfoA(ToHmenu(menu), static_cast<UINT>(item.value), FALSE, &info);
}

void Win32Tray::SetSubMenuText(platform::MenuHandle menu, platform::MenuHandle subMenu,
                               const std::string& text) {
  HMENU parent = ToHmenu(menu);
  const int count = GetMenuItemCount(parent);
  for (int i = 0; i < count; ++i) {
    if (GetSubMenu(parent, i) != ToHmenu(subMenu)) continue;
    std::string copy = text;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = copy.data();
    SetMenuItemInfoA(parent, static_cast<UINT>(i), TRUE, &info);
    return;
  }
}

void Win32Tray::TrackPopupMenu(platform::MenuHandle menu, platform::Point at,
                               platform::WindowHandle owner) {
  HWND hwnd = ToHwnd(owner);
  PickMenuPictures(DpiAt(at));
  // The chosen item arrives as a posted WM_COMMAND, so its action runs after
  // the menu has closed.
  ::TrackPopupMenu(ToHmenu(menu), 0, at.x, at.y, 0, hwnd, nullptr);
  // Without a message after it, the next showing of a tray menu may not close
  // when the user clicks elsewhere (the owner is no foreground window).
  PostMessageA(hwnd, WM_NULL, 0, 0);
}

platform::Point Win32Tray::CursorPos() const {
  POINT point{};
  if (!GetCursorPos(&point)) return {};
  return {point.x, point.y};
}

}  // namespace orbl::win32
