// The window system and the tray against the real API (run under Wine by
// run_e2e.sh): window events, DPI, the system menu, timers, the modal loop,
// device broadcasts, controls, menu commands and tray callbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/Win32Tray.h"
#include "platform/win32/Win32WindowSystem.h"

namespace orbl::win32 {
namespace {

using platform::ControlKind;
using Strings = std::vector<std::string>;

class WindowSystemTest : public ::testing::Test {
 protected:
  Win32WindowSystem windows{GetModuleHandleA(nullptr)};
};

TEST_F(WindowSystemTest, WindowEventsReachTheirCallbacks) {
  int closes = 0;
  int doubleClicks = 0;
  std::vector<bool> visibility;
  std::vector<std::uint32_t> seen;
  platform::WindowEvents events;
  events.onMessage = [&](const platform::Message& m) {
    seen.push_back(m.code);
    return m.code == WM_USER + 7;  // handled: the window's own handling is skipped
  };
  events.onCloseRequest = [&] { ++closes; };
  events.onDoubleClick = [&] { ++doubleClicks; };
  events.onVisibleChanged = [&](bool visible) { visibility.push_back(visible); };
  platform::WindowSpec params;
  params.title = "Orbelle test";
  params.clientWidth = 200;
  params.clientHeight = 100;
  const platform::WindowHandle window = windows.CreateTopWindow(params, events);
  ASSERT_TRUE(window);
  EXPECT_TRUE(seen.empty()) << "no callback before the program has the window's handle";
  HWND hwnd = ToHwnd(window);
  EXPECT_EQ(windows.WindowTitle(window), "Orbelle test");
  EXPECT_FALSE(windows.IsWindowVisible(window));

  SendMessageA(hwnd, WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(IsWindow(hwnd)) << "a close request must not destroy the window";

  SendMessageA(hwnd, WM_LBUTTONDBLCLK, 0, 0);
  SendMessageA(hwnd, WM_MBUTTONDBLCLK, 0, 0);
  EXPECT_EQ(doubleClicks, 2);

  windows.ShowWindow(window, true);
  windows.ShowWindow(window, false);
  EXPECT_EQ(visibility, (std::vector<bool>{true, false}));

  seen.clear();
  ASSERT_TRUE(windows.Post(window, WM_USER + 7, 1, 2));
  EXPECT_TRUE(seen.empty()) << "posted, not sent";
  windows.ProcessMessages();
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{WM_USER + 7}));

  // Consent is the default answer to the system's questions.
  EXPECT_NE(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_NE(SendMessageA(hwnd, WM_POWERBROADCAST, 0 /*PBT_APMQUERYSUSPEND*/, 0), 0);
}

TEST_F(WindowSystemTest, SizesFollowTheWindowsDpi) {
  // The program itself is per-monitor aware through its manifest.
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  platform::WindowSpec params;
  params.clientWidth = 200;
  params.clientHeight = 100;
  const platform::WindowHandle window = windows.CreateTopWindow(params, {});
  HWND hwnd = ToHwnd(window);
  const int dpi = static_cast<int>(GetDpiForWindow(hwnd));
  EXPECT_EQ(dpi, 120) << "the session runs at 120 dpi";
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, MulDiv(200, dpi, 96));
  EXPECT_EQ(client.bottom, MulDiv(100, dpi, 96));

  platform::ControlSpec label;
  label.rect = {8, 16, 80, 20};
  const auto control = windows.CreateControl(window, label, {});
  RECT r{};
  GetWindowRect(reinterpret_cast<HWND>(control.value), &r);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, MulDiv(8, dpi, 96));
  EXPECT_EQ(r.top, MulDiv(16, dpi, 96));
  EXPECT_EQ(r.right - r.left, MulDiv(80, dpi, 96));

  // Moved to a monitor of 192 dpi: the system suggests the new outer size.
  RECT suggested{0, 0, 500, 300};
  SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  GetWindowRect(reinterpret_cast<HWND>(control.value), &r);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.right - r.left, 160);
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
}

TEST_F(WindowSystemTest, TheSystemMenuLosesMinimiseAndClose) {
  platform::WindowSpec params;
  params.minimizeBox = true;
  const platform::WindowHandle window = windows.CreateTopWindow(params, {});
  HMENU menu = GetSystemMenu(ToHwnd(window), FALSE);
  ASSERT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
  windows.RemoveSystemMenuItems(window);
  EXPECT_EQ(GetMenuState(menu, SC_MINIMIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(GetMenuState(menu, SC_MOVE, MF_BYCOMMAND), static_cast<UINT>(-1));
  const int last = GetMenuItemCount(menu) - 1;
  EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(last), MF_BYPOSITION) & MF_SEPARATOR, 0u);
}

TEST_F(WindowSystemTest, ATopmostWindowShowsModallyWithTheFocusOnItsDefaultButton) {
  platform::WindowHandle top;
  HWND focused = nullptr;
  platform::WindowEvents events;
  events.onMessage = [&](const platform::Message& m) {
    if (m.code != WM_USER + 1) return false;
    focused = GetFocus();
    windows.ShowWindow(top, false);
    return true;
  };
  platform::WindowSpec params;
  params.topmost = true;
  top = windows.CreateTopWindow(params, events);
  ASSERT_TRUE(top);
  EXPECT_NE(GetWindowLongA(ToHwnd(top), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  const platform::WindowHandle plain = windows.CreateTopWindow({}, {});
  EXPECT_EQ(GetWindowLongA(ToHwnd(plain), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  platform::ControlSpec button;
  button.kind = ControlKind::Button;
  button.text = "OK (15)";
  const auto first = windows.CreateControl(top, button, {});
  button.text = "Cancel";
  button.defaultButton = true;
  const auto byDefault = windows.CreateControl(top, button, {});
  const auto typeOf = [](platform::ControlHandle c) {
    return GetWindowLongA(reinterpret_cast<HWND>(c.value), GWL_STYLE) & BS_TYPEMASK;
  };
  EXPECT_EQ(typeOf(first), BS_PUSHBUTTON);
  EXPECT_EQ(typeOf(byDefault), BS_DEFPUSHBUTTON);

  windows.Post(top, WM_USER + 1, 0, 0);
  windows.ShowModal(top);
  EXPECT_EQ(focused, reinterpret_cast<HWND>(byDefault.value));
}

TEST_F(WindowSystemTest, TimersTickUntilStopped) {
  const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
  int ticks = 0;
  platform::TimerHandle timer;
  timer = windows.StartTimer(owner, 60000, [&] {
    ++ticks;
    windows.StopTimer(timer);  // stopping itself from its own tick is allowed
  });
  ASSERT_TRUE(timer);
  const platform::TimerHandle other = windows.StartTimer({}, 60000, [] {});
  ASSERT_TRUE(other);
  EXPECT_NE(other, timer);
  // What the system sends when the interval is up, without waiting for it.
  SendMessageA(ToHwnd(owner), WM_TIMER, timer.value, 0);
  SendMessageA(ToHwnd(owner), WM_TIMER, timer.value, 0);
  EXPECT_EQ(ticks, 1);
  windows.StopTimer(other);
  windows.StopTimer(other);
}

TEST_F(WindowSystemTest, ShowModalDisablesTheOthersUntilHidden) {
  const platform::WindowHandle other = windows.CreateTopWindow({}, {});
  const platform::WindowHandle hidden = windows.CreateTopWindow({}, {});
  windows.ShowWindow(other, true);
  bool otherEnabledInside = true;
  bool hiddenEnabledInside = false;
  platform::WindowHandle dialog;
  platform::WindowEvents events;
  events.onCloseRequest = [&] {
    otherEnabledInside = windows.IsWindowEnabled(other);
    hiddenEnabledInside = windows.IsWindowEnabled(hidden);
    windows.ShowWindow(dialog, false);
  };
  dialog = windows.CreateTopWindow({}, events);
  // Queued before the loop starts: the nested loop must dispatch it.
  windows.Post(dialog, WM_CLOSE, 0, 0);
  windows.ShowModal(dialog);
  EXPECT_FALSE(otherEnabledInside);
  EXPECT_TRUE(hiddenEnabledInside) << "only visible windows are disabled";
  EXPECT_TRUE(windows.IsWindowEnabled(other));
  EXPECT_FALSE(windows.IsWindowVisible(dialog));
  windows.ShowWindow(other, false);
}

TEST_F(WindowSystemTest, DeviceBroadcastBytesAreBoundedByDeclarationAndMemory) {
  std::vector<std::size_t> sizes;
  platform::WindowEvents events;
  events.onMessage = [&](const platform::Message& m) {
    if (m.code == WM_DEVICECHANGE) sizes.push_back(m.data.size());
    return false;
  };
  HWND hwnd = ToHwnd(windows.CreateTopWindow({}, events));
  ASSERT_NE(hwnd, nullptr);

  // A page followed by nothing readable; the broadcast sits at its very end.
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  auto* pages = static_cast<std::byte*>(
      VirtualAlloc(nullptr, system.dwPageSize * 2, MEM_RESERVE, PAGE_NOACCESS));
  ASSERT_NE(pages, nullptr);
  ASSERT_NE(VirtualAlloc(pages, system.dwPageSize, MEM_COMMIT, PAGE_READWRITE), nullptr);
  auto put = [&](std::size_t offset, DWORD declared) {
    std::byte* at = pages + system.dwPageSize - offset;
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = declared;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << 3;
    std::memcpy(at, &volume, std::min<std::size_t>(offset, sizeof volume));
    return reinterpret_cast<LPARAM>(at);
  };
  SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE,
               put(64, sizeof(DEV_BROADCAST_VOLUME)));
  SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, put(64, 8));
  SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, put(32, 0x7FFFFFFF));
  SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  SendMessageA(hwnd, WM_DEVICECHANGE, 0x0007 /*DBT_DEVNODES_CHANGED*/, put(64, 20));
  EXPECT_EQ(sizes, (std::vector<std::size_t>{sizeof(DEV_BROADCAST_VOLUME), 0, 32, 0, 0}));
  VirtualFree(pages, 0, MEM_RELEASE);
}

TEST_F(WindowSystemTest, ControlsKeepAndReportTheirState) {
  const platform::WindowHandle window = windows.CreateTopWindow({}, {});
  int clicks = 0;
  platform::ControlSpec button;
  button.kind = ControlKind::Button;
  button.text = "OK";
  platform::ControlEvents onClick;
  onClick.onClick = [&] { ++clicks; };
  const auto ok = windows.CreateControl(window, button, onClick);
  ASSERT_TRUE(ok);
  SendMessageA(ToHwnd(window), WM_COMMAND, MAKEWPARAM(100, BN_CLICKED),
               static_cast<LPARAM>(ok.value));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(windows.ControlText(ok), "OK");
  windows.SetControlText(ok, "Close (15)");
  EXPECT_EQ(windows.ControlText(ok), "Close (15)");
  EXPECT_TRUE(windows.IsControlVisible(ok));
  windows.SetControlVisible(ok, false);
  EXPECT_FALSE(windows.IsControlVisible(ok));

  platform::ControlSpec link;
  link.kind = ControlKind::LinkLabel;
  std::vector<std::string> linkEvents;
  platform::ControlEvents linkHandlers;
  linkHandlers.onClick = [&] { linkEvents.push_back("click"); };
  linkHandlers.onMouseHover = [&](bool inside) { linkEvents.push_back(inside ? "in" : "out"); };
  const auto site = windows.CreateControl(window, link, linkHandlers);
  SendMessageA(reinterpret_cast<HWND>(site.value), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  SendMessageA(reinterpret_cast<HWND>(site.value), WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
  SendMessageA(ToHwnd(window), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
               static_cast<LPARAM>(site.value));
  SendMessageA(reinterpret_cast<HWND>(site.value), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(linkEvents, (Strings{"in", "click", "out"}));
  // The colour is the program's to set; the backend only repaints.
  windows.SetLinkHighlighted(site, true);
  windows.SetLinkHighlighted(site, false);
  windows.SetLinkHighlighted(platform::ControlHandle{}, true);  // no such control: ignored

  platform::ControlSpec check;
  check.kind = ControlKind::CheckBox;
  const auto box = windows.CreateControl(window, check, {});
  windows.SetChecked(box, true);
  EXPECT_TRUE(windows.IsChecked(box));

  platform::ControlSpec list;
  list.kind = ControlKind::DropDownList;
  const auto drop = windows.CreateControl(window, list, {});
  EXPECT_EQ(windows.Selection(drop), -1);
  for (const char* item : {"None", "Open/Close drive D:", "Show options dialog"}) {
    windows.AddItem(drop, item);
  }
  EXPECT_EQ(windows.Items(drop), (Strings{"None", "Open/Close drive D:", "Show options dialog"}));
  windows.SetSelection(drop, 2);
  EXPECT_EQ(windows.Selection(drop), 2);
  windows.SetSelection(drop, 3);
  EXPECT_EQ(windows.Selection(drop), -1) << "beyond the entries";

  platform::ControlSpec listParams;
  listParams.kind = ControlKind::List;
  const auto languages = windows.CreateControl(window, listParams, {});
  windows.AddItem(languages, "English");
  windows.AddItem(languages, "Deutsch");
  windows.SetSelection(languages, 1);
  EXPECT_EQ(windows.Selection(languages), 1);
  windows.SetSelection(languages, 7);
  EXPECT_EQ(windows.Selection(languages), -1) << "beyond the entries";
  windows.SetSelection(drop, 2);
  windows.ClearItems(drop);
  EXPECT_TRUE(windows.Items(drop).empty());

  platform::ControlSpec number;
  number.kind = ControlKind::NumberField;
  number.minimum = 1;
  number.maximum = 999;
  const auto seconds = windows.CreateControl(window, number, {});
  windows.SetArrowPosition(seconds, 15);
  EXPECT_EQ(windows.ArrowPosition(seconds), 15);
  EXPECT_EQ(windows.ControlText(seconds), "15");
  windows.SetArrowPosition(seconds, 5000);  // beyond the range: clamped, and the text says so
  EXPECT_EQ(windows.ArrowPosition(seconds), 999);
  EXPECT_EQ(windows.ControlText(seconds), "999");

  platform::ControlSpec bar;
  bar.kind = ControlKind::ButtonBar;
  std::vector<int> pressed;
  platform::ControlEvents onSelect;
  onSelect.onSelect = [&](int i) { pressed.push_back(i); };
  const auto drives = windows.CreateControl(window, bar, onSelect);
  EXPECT_EQ(windows.AddBarButton(drives, "General", -1), 0);
  EXPECT_EQ(windows.AddBarSeparator(drives), 1);
  EXPECT_EQ(windows.AddBarButton(drives, "D:", -1), 2);
  SendMessageA(ToHwnd(window), WM_COMMAND, MAKEWPARAM(1002, BN_CLICKED),
               static_cast<LPARAM>(drives.value));
  EXPECT_EQ(pressed, (std::vector<int>{2}));
  EXPECT_EQ(SendMessageA(reinterpret_cast<HWND>(drives.value), TB_BUTTONCOUNT, 0, 0), 3);
}

TEST_F(WindowSystemTest, MenuCommandsRunTheirItemsAction) {
  Win32Tray tray(windows);
  const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
  const platform::MenuHandle menu = tray.CreatePopupMenu();
  const platform::MenuHandle drivesMenu = tray.AddSubMenu(menu, "Lock Device");
  std::vector<std::string> chosen;
  const auto d = tray.AddMenuItem(drivesMenu, "D:", [&] { chosen.push_back("D:"); });
  tray.AddSeparator(menu);
  const auto exitItem = tray.AddMenuItem(menu, "Exit", [&] { chosen.push_back("Exit"); });
  ASSERT_NE(d, exitItem);

  // What TrackPopupMenu posts to the owner once an item was chosen.
  windows.Post(owner, WM_COMMAND, exitItem.value, 0);
  windows.Post(owner, WM_COMMAND, d.value, 0);
  windows.ProcessMessages();
  EXPECT_EQ(chosen, (Strings{"Exit", "D:"}));

  tray.SetMenuItemText(menu, exitItem, "Beenden");
  tray.SetSubMenuText(menu, drivesMenu, "Sperren");
  char text[64] = {};
  GetMenuStringA(ToHmenu(menu), static_cast<UINT>(exitItem.value), text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "Beenden");
  GetMenuStringA(ToHmenu(menu), 0, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Sperren");
}

TEST_F(WindowSystemTest, MenuItemsShowTheirPicturesUntilTheTrayGoes) {
  HBITMAP shown = nullptr;
  {
    Win32Tray tray(windows);
    const platform::MenuHandle menu = tray.CreatePopupMenu();
    const platform::MenuHandle sub =
        tray.AddSubMenu(menu, "Unlock Device", "FRMMAIN_N16_BMP_BITMAP");
    const auto item = tray.AddMenuItem(menu, "Help!", nullptr, "FRMMAIN_N16_BMP_BITMAP");
    const auto missing = tray.AddMenuItem(menu, "Options...", nullptr, "NOSUCHBITMAP");
    const auto plain = tray.AddMenuItem(menu, "Exit", nullptr);
    ASSERT_TRUE(sub);

    auto bitmapOf = [&](UINT which, BOOL byPosition) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      EXPECT_TRUE(GetMenuItemInfoA(ToHmenu(menu), which, byPosition, &info));
      return info.hbmpItem;
    };
    shown = bitmapOf(0, TRUE);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(bitmapOf(static_cast<UINT>(item.value), FALSE), shown) << "loaded once, shared";
    EXPECT_EQ(bitmapOf(static_cast<UINT>(missing.value), FALSE), nullptr);
    EXPECT_EQ(bitmapOf(static_cast<UINT>(plain.value), FALSE), nullptr);

    // A 32-bit section: the menu blends its alpha channel.
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(shown, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 16);
    EXPECT_EQ(section.dsBm.bmHeight, 16);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);
    DestroyMenu(ToHmenu(menu));
  }
  EXPECT_EQ(GetObjectType(shown), 0u) << "the tray deletes its pictures";
}

TEST_F(WindowSystemTest, TrayCallbacksArriveThroughTheOwnersQueue) {
  Win32Tray tray(windows);
  const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
  int rightUps = 0, doubleClicks = 0, recreated = 0;
  platform::TrayEvents events{[&] { ++rightUps; }, [&] { ++doubleClicks; }, [&] { ++recreated; }};
  const std::string tip = "Orbelle - click with right mouse button to see menu";
  tray.AddIcon(owner, "NOSUCHICON", tip, events);
  HWND hwnd = ToHwnd(owner);
  for (UINT mouse : {WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK,
                     WM_LBUTTONUP, WM_MOUSEMOVE}) {
    SendMessageA(hwnd, Win32Tray::kCallbackMessage, 1, mouse);
  }
  EXPECT_EQ(rightUps, 1);
  EXPECT_EQ(doubleClicks, 3);
  SendMessageA(hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(recreated, 1);
  if (tray.AddIcon(owner, "NOSUCHICON", tip, events)) {
    EXPECT_TRUE(tray.DeleteIcon());
  }
}

}  // namespace
}  // namespace orbl::win32
