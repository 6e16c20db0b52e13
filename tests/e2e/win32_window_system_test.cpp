// The window system and the tray against the real API (run under Wine by
// run_e2e.sh): window events, DPI, the system menu, timers, the modal loops,
// device broadcasts, controls and their keys, menu commands and tray callbacks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Tray.h"
#include "platform/win32/Win32WindowSystem.h"
#include "tests/e2e/replace_import.h"

namespace orbl::win32 {
namespace {

using platform::ControlKind;
using Strings = std::vector<std::string>;

class WindowSystemTest : public ::testing::Test {
 protected:
  // The real control; the window must have been shown or realised.
  HWND Hwnd(platform::ControlHandle control) const { return windows.ControlWindow(control); }

  // A window whose controls are real from the start, as after a first showing.
  platform::WindowHandle RealWindow(const platform::WindowParams& params = {},
                                    platform::WindowEvents events = {}) {
    const platform::WindowHandle window = windows.CreateTopWindow(params, std::move(events));
    windows.RealiseWindow(window);
    return window;
  }

  platform::ControlHandle Make(platform::WindowHandle window, ControlKind kind,
                               const std::string& text = {}, platform::Rect rect = {},
                               platform::ControlEvents events = {}) {
    platform::ControlParams params;
    params.kind = kind;
    params.text = text;
    params.rect = rect;
    return windows.CreateControl(window, params, std::move(events));
  }

  Win32WindowSystem windows{GetModuleHandleA(nullptr)};
};

// The width of an icon's images; 0 for a handle that is no icon (any more).
int IconWidth(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return 0;
  BITMAP mask{};
  GetObjectA(info.hbmMask, sizeof mask, &mask);
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  return mask.bmWidth;
}

int SmallIconAt(UINT dpi) {
  return GetSystemMetricsForDpi(SM_CXSMICON, dpi);
}

// Colour and alpha of each pixel, top row first.
using Pixels = std::vector<std::uint32_t>;

// The pixels of the image of the icon resource `name` that is exactly `size`
// pixels wide, as stored; empty when there is none.
Pixels StoredIconImage(const char* name, int size) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC group = FindResourceA(module, name, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
  if (group == nullptr) return {};
  const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
  const DWORD directorySize = SizeofResource(module, group);
  constexpr DWORD kHeader = 6;
  constexpr DWORD kEntry = 14;  // width, height, colours, reserved, planes, bits, bytes, id
  if (directory == nullptr || directorySize < kHeader) return {};
  const WORD count = *reinterpret_cast<const WORD*>(directory + 4);
  for (DWORD i = 0; i < count && kHeader + (i + 1) * kEntry <= directorySize; ++i) {
    const BYTE* entry = directory + kHeader + i * kEntry;
    const int width = entry[0] == 0 ? 256 : entry[0];
    if (width != size) continue;
    const WORD id = *reinterpret_cast<const WORD*>(entry + 12);
    HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
    if (image == nullptr) return {};
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, image)));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bytes);
    const auto side = static_cast<std::size_t>(size);
    if (header->biBitCount != 32 || header->biWidth != size ||
        SizeofResource(module, image) < header->biSize + side * side * 4) {
      return {};
    }
    const auto* rows = reinterpret_cast<const std::uint32_t*>(bytes + header->biSize);
    Pixels pixels;
    for (std::size_t y = side; y-- > 0;)
      pixels.insert(pixels.end(), rows + y * side, rows + (y + 1) * side);
    return pixels;
  }
  return {};
}

// The pixels of a loaded icon's colour image, top row first.
Pixels LoadedIconImage(HICON icon) {
  ICONINFO info{};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return {};
  BITMAP bitmap{};
  Pixels pixels;
  if (info.hbmColor != nullptr && GetObjectA(info.hbmColor, sizeof bitmap, &bitmap) != 0) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    pixels.resize(static_cast<std::size_t>(bitmap.bmWidth) *
                  static_cast<std::size_t>(bitmap.bmHeight));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), pixels.data(), &format,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
  }
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  return pixels;
}

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
  platform::WindowParams params;
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

// A message sent from another thread can be answered before its handling is
// over; one sent from the same thread cannot. Answering again changes nothing.
TEST_F(WindowSystemTest, OnlyAMessageFromAnotherThreadIsAnsweredEarly) {
  std::vector<bool> replies;
  platform::WindowEvents events;
  events.onMessage = [&](const platform::Message& m) {
    if (m.code != WM_USER + 9) return false;
    replies.push_back(windows.ReplyToSender());
    replies.push_back(windows.ReplyToSender());
    return true;
  };
  const platform::WindowHandle window = windows.CreateTopWindow({}, events);
  ASSERT_TRUE(window);
  HWND hwnd = ToHwnd(window);

  SendMessageA(hwnd, WM_USER + 9, 0, 0);
  EXPECT_EQ(replies, (std::vector<bool>{false, false}));

  replies.clear();
  HANDLE sender = CreateThread(
      nullptr, 0,
      [](LPVOID target) -> DWORD {
        SendMessageA(static_cast<HWND>(target), WM_USER + 9, 0, 0);
        return 0;
      },
      hwnd, 0, nullptr);
  ASSERT_NE(sender, nullptr);
  // The sent message is handled only while this thread takes messages.
  while (MsgWaitForMultipleObjects(1, &sender, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    windows.ProcessMessages();
  }
  CloseHandle(sender);
  EXPECT_EQ(replies, (std::vector<bool>{true, true}));
}

TEST_F(WindowSystemTest, SizesFollowTheWindowsDpi) {
  // The program itself is per-monitor aware through its manifest.
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  platform::WindowParams params;
  params.clientWidth = 200;
  params.clientHeight = 100;
  params.centered = true;
  const platform::WindowHandle window = windows.CreateTopWindow(params, {});
  windows.RealiseWindow(window);
  HWND hwnd = ToHwnd(window);
  const int dpi = static_cast<int>(GetDpiForWindow(hwnd));
  EXPECT_EQ(dpi, 120) << "the session runs at 120 dpi";
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, MulDiv(200, dpi, 96));
  EXPECT_EQ(client.bottom, MulDiv(100, dpi, 96));
  // In the middle of the primary monitor's work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ASSERT_TRUE(GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor));
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  EXPECT_LE(std::abs((outer.left + outer.right) - (monitor.rcWork.left + monitor.rcWork.right)), 1);
  EXPECT_LE(std::abs((outer.top + outer.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 1);

  platform::ControlParams label;
  label.rect = {8, 16, 80, 20};
  const auto control = windows.CreateControl(window, label, {});
  RECT r{};
  GetWindowRect(Hwnd(control), &r);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, MulDiv(8, dpi, 96));
  EXPECT_EQ(r.top, MulDiv(16, dpi, 96));
  EXPECT_EQ(r.right - r.left, MulDiv(80, dpi, 96));

  // Moved to a monitor of 192 dpi: the system suggests the new outer size.
  auto* oldFont = reinterpret_cast<HFONT>(SendMessageA(Hwnd(control), WM_GETFONT, 0, 0));
  RECT suggested{0, 0, 500, 300};
  SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
  GetWindowRect(Hwnd(control), &r);
  MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.right - r.left, 160);
  auto* newFont = reinterpret_cast<HFONT>(SendMessageA(Hwnd(control), WM_GETFONT, 0, 0));
  EXPECT_EQ(GetObjectType(newFont), static_cast<DWORD>(OBJ_FONT)) << "the control's font lives";
  EXPECT_EQ(GetObjectType(oldFont), 0u) << "the one it replaced is freed";
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
}

TEST_F(WindowSystemTest, TheSystemMenuLosesMinimiseAndClose) {
  platform::WindowParams params;
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
  platform::WindowParams params;
  params.topmost = true;
  top = windows.CreateTopWindow(params, events);
  windows.RealiseWindow(top);
  ASSERT_TRUE(top);
  EXPECT_NE(GetWindowLongA(ToHwnd(top), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  const platform::WindowHandle plain = windows.CreateTopWindow({}, {});
  EXPECT_EQ(GetWindowLongA(ToHwnd(plain), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  platform::ControlParams button;
  button.kind = ControlKind::Button;
  button.text = "OK (15)";
  const auto first = windows.CreateControl(top, button, {});
  button.text = "Cancel";
  button.defaultButton = true;
  const auto byDefault = windows.CreateControl(top, button, {});
  const auto typeOf = [&](platform::ControlHandle c) {
    return GetWindowLongA(Hwnd(c), GWL_STYLE) & BS_TYPEMASK;
  };
  EXPECT_EQ(typeOf(first), BS_PUSHBUTTON);
  EXPECT_EQ(typeOf(byDefault), BS_DEFPUSHBUTTON);

  windows.Post(top, WM_USER + 1, 0, 0);
  windows.ShowModal(top);
  EXPECT_EQ(focused, Hwnd(byDefault));
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
  // What the system sends when the interval is up, without waiting for it.
  SendMessageA(ToHwnd(owner), WM_TIMER, timer.value, 0);
  SendMessageA(ToHwnd(owner), WM_TIMER, timer.value, 0);
  EXPECT_EQ(ticks, 1);

  // A timer without an owner of ours goes to a message-only window, made at
  // the first such timer and shared by the next.
  auto messageOnly = [] {
    std::vector<HWND> found;
    for (HWND w = nullptr;
         (w = FindWindowExA(HWND_MESSAGE, w, "OrbelleWindow", nullptr)) != nullptr;) {
      found.push_back(w);
    }
    return found;
  };
  const std::vector<HWND> before = messageOnly();
  int otherTicks = 0;
  const platform::TimerHandle other = windows.StartTimer({}, 60000, [&] { ++otherTicks; });
  ASSERT_TRUE(other);
  EXPECT_NE(other, timer);
  const platform::TimerHandle third = windows.StartTimer({}, 60000, [] {});
  std::vector<HWND> made = messageOnly();
  std::erase_if(made, [&](HWND w) { return std::ranges::find(before, w) != before.end(); });
  ASSERT_EQ(made.size(), 1U);
  SendMessageA(made[0], WM_TIMER, other.value, 0);
  EXPECT_EQ(otherTicks, 1);
  windows.StopTimer(other);
  windows.StopTimer(other);
  windows.StopTimer(third);
  SendMessageA(made[0], WM_TIMER, other.value, 0);
  EXPECT_EQ(otherTicks, 1) << "stopped";
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

// An ampersand in a text is the character itself, on every kind of control
// that shows text: none of them underlines the next letter instead.
TEST_F(WindowSystemTest, AnAmpersandIsShownAsItselfNotAsAnAccessKey) {
  const platform::WindowHandle window = RealWindow();
  for (ControlKind kind :
       {ControlKind::Label, ControlKind::Group, ControlKind::CheckBox, ControlKind::Button}) {
    const auto control = Make(window, kind, "Closing & locking");
    ASSERT_TRUE(control);
    EXPECT_EQ(windows.ControlText(control), "Closing & locking");
    windows.SetControlText(control, "A && B &");
    EXPECT_EQ(windows.ControlText(control), "A && B &");
    HWND hwnd = Hwnd(control);
    const std::string shown = WindowText(hwnd);
    const bool prefixStyle = kind != ControlKind::Label;
    EXPECT_EQ(shown, prefixStyle ? "A &&&& B &&" : "A && B &") << static_cast<int>(kind);
    if (!prefixStyle) {
      EXPECT_NE(GetWindowLongA(hwnd, GWL_STYLE) & SS_NOPREFIX, 0);
    }
  }
}

// A press and release of the left button at `at`, in the control's client
// coordinates, as the mouse would deliver them.
void Click(HWND hwnd, POINT at) {
  SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

POINT Middle(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// Controls are recorded until their window is first shown: no child window
// before, and afterwards the real controls show what the program set on the
// recorded ones, with every getter answering alike either side.
TEST_F(WindowSystemTest, ControlsBecomeRealWithTheirStateWhenTheWindowIsFirstShown) {
  const platform::WindowHandle window = windows.CreateTopWindow({}, {});
  const platform::WindowHandle neverShown = windows.CreateTopWindow({}, {});
  auto make = [&](platform::WindowHandle parent, ControlKind kind, bool visible = true,
                  platform::ControlEvents events = {}) {
    platform::ControlParams params;
    params.kind = kind;
    params.text = "start";
    params.visible = visible;
    params.minimum = 1;
    params.maximum = 999;
    params.image = "FRMMAIN_IMAGELIST2";
    return windows.CreateControl(parent, params, std::move(events));
  };
  int clicks = 0;
  platform::ControlEvents onClick;
  onClick.onClick = [&] { ++clicks; };
  const auto label = make(window, ControlKind::Label);
  const auto box = make(window, ControlKind::CheckBox);
  const auto drop = make(window, ControlKind::DropDownList);
  const auto list = make(window, ControlKind::List);
  const auto field = make(window, ControlKind::NumberField);
  const auto untouched = make(window, ControlKind::NumberField);
  const auto bar = make(window, ControlKind::ButtonBar);
  const auto hidden = make(window, ControlKind::Button, true, onClick);
  const auto shownLater = make(window, ControlKind::Button, false);
  const auto link = make(window, ControlKind::LinkLabel);
  make(neverShown, ControlKind::Label);

  windows.SetControlText(label, "Closing & locking");
  windows.SetChecked(box, true);
  for (const char* item : {"None", "Open/Close drive D:", "Show options dialog"}) {
    windows.AddItem(drop, item);
  }
  windows.SetSelection(drop, 2);
  windows.AddItem(list, "English");
  windows.AddItem(list, "Deutsch");
  windows.SetSelection(list, 1);
  windows.SetSelection(list, 2);  // beyond the entries: none
  windows.SetArrowPosition(field, 5000);
  EXPECT_EQ(windows.ControlText(field), "999") << "clamped, and the text says so";
  windows.SetArrowPosition(field, 30);
  EXPECT_EQ(windows.AddBarButton(bar, "Common options", 0), 0);
  EXPECT_EQ(windows.AddBarSeparator(bar), 1);
  EXPECT_EQ(windows.AddBarButton(bar, "D:", 1), 2);
  windows.SetBarButtonCaption(bar, 2, "E:");
  windows.SetBarButtonCaption(bar, 7, "X:");  // no such button
  windows.SetControlVisible(hidden, false);
  windows.SetControlVisible(shownLater, true);
  windows.SetLinkHighlighted(link, true);

  auto children = [](platform::WindowHandle parent) {
    int count = 0;
    EnumChildWindows(
        ToHwnd(parent),
        [](HWND, LPARAM param) -> BOOL {
          ++*reinterpret_cast<int*>(param);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
  };
  auto state = [&] {
    std::ostringstream out;
    for (const auto control : {label, box, drop, list, field, untouched, bar, hidden, shownLater}) {
      out << windows.ControlText(control) << '|' << windows.IsChecked(control) << '|'
          << windows.Selection(control) << '|' << windows.ArrowPosition(control) << '|'
          << windows.IsControlVisible(control) << '|';
      for (const auto& item : windows.Items(control)) out << item << ',';
      out << '\n';
    }
    return out.str();
  };
  EXPECT_EQ(children(window), 0);
  EXPECT_EQ(Hwnd(label), nullptr);
  const std::string before = state();

  windows.ShowWindow(window, true);
  EXPECT_EQ(state(), before);
  EXPECT_EQ(children(window), 12) << "ten controls and the arrows of two number fields";
  EXPECT_EQ(children(neverShown), 0);

  EXPECT_EQ(WindowText(Hwnd(label)), "Closing & locking");
  EXPECT_EQ(SendMessageA(Hwnd(box), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(Hwnd(drop), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageA(Hwnd(drop), CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageA(Hwnd(list), LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(Hwnd(list), LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_EQ(WindowText(Hwnd(field)), "30");
  EXPECT_EQ(WindowText(Hwnd(untouched)), "1");
  HWND arrows = FindWindowExA(ToHwnd(window), nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_NE(arrows, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(arrows, UDM_GETBUDDY, 0, 0)), Hwnd(field));
  EXPECT_EQ(SendMessageA(arrows, UDM_GETPOS32, 0, 0), 30);
  ASSERT_EQ(SendMessageA(Hwnd(bar), TB_BUTTONCOUNT, 0, 0), 3);
  char caption[64] = {};
  SendMessageA(Hwnd(bar), TB_GETBUTTONTEXTA, 1002, reinterpret_cast<LPARAM>(caption));
  EXPECT_STREQ(caption, "E:");
  EXPECT_EQ(GetWindowLongA(Hwnd(hidden), GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_NE(GetWindowLongA(Hwnd(shownLater), GWL_STYLE) & WS_VISIBLE, 0);

  // The link was lit before it existed: its first paint is blue.
  HDC dc = GetDC(Hwnd(link));
  SendMessageA(ToHwnd(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(Hwnd(link)));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 255));
  ReleaseDC(Hwnd(link), dc);

  // The program's handle still finds the control, and its clicks reach the program.
  SendMessageA(ToHwnd(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(Hwnd(hidden)), BN_CLICKED),
               reinterpret_cast<LPARAM>(Hwnd(hidden)));
  EXPECT_EQ(clicks, 1);

  // The real controls take the setters as the recorded ones did.
  windows.SetControlText(label, "after");
  EXPECT_EQ(WindowText(Hwnd(label)), "after");
  windows.SetChecked(box, false);
  EXPECT_FALSE(windows.IsChecked(box));
  for (const auto& [control, last] : {std::pair{drop, 2}, std::pair{list, 1}}) {
    windows.SetSelection(control, last);
    EXPECT_EQ(windows.Selection(control), last);
    windows.SetSelection(control, last + 1);
    EXPECT_EQ(windows.Selection(control), -1) << "beyond the entries";
  }
  windows.ClearItems(drop);
  EXPECT_TRUE(windows.Items(drop).empty());
  windows.SetArrowPosition(field, 5000);
  EXPECT_EQ(windows.ArrowPosition(field), 999);
  EXPECT_EQ(windows.ControlText(field), "999") << "clamped, and the text says so";
  windows.SetControlVisible(shownLater, false);
  EXPECT_FALSE(windows.IsControlVisible(shownLater));
  windows.ShowWindow(window, false);
}

TEST_F(WindowSystemTest, TheButtonBarShowsPicturesCaptionedUnderneathAndReportsPresses) {
  const platform::WindowHandle window = RealWindow();
  platform::ControlParams params;
  params.kind = ControlKind::ButtonBar;
  params.rect = {0, 0, 552, 46};
  params.image = "FRMMAIN_IMAGELIST2";
  std::vector<int> pressed;
  platform::ControlEvents events;
  events.onSelect = [&](int i) { pressed.push_back(i); };
  const auto bar = windows.CreateControl(window, params, events);
  ASSERT_TRUE(bar);
  HWND hwnd = Hwnd(bar);
  auto* images = reinterpret_cast<HIMAGELIST>(SendMessageA(hwnd, TB_GETIMAGELIST, 0, 0));
  ASSERT_NE(images, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(images), 2) << "the common options and a drive";
  const int side = ScaleToDpi(32, GetDpiForWindow(ToHwnd(window)));
  int width = 0, height = 0;
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(width, side) << "the 32-pixel pictures at the window's DPI";
  EXPECT_EQ(height, side);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & TBSTYLE_LIST, 0) << "captions under the pictures";

  EXPECT_EQ(windows.AddBarButton(bar, "Common options", 0), 0);
  EXPECT_EQ(windows.AddBarSeparator(bar), 1);
  EXPECT_EQ(windows.AddBarButton(bar, "D:", 1), 2);
  EXPECT_EQ(windows.AddBarButton(bar, "F:", 1), 3);
  ASSERT_EQ(SendMessageA(hwnd, TB_BUTTONCOUNT, 0, 0), 4);
  TBBUTTON buttons[4] = {};
  for (int i = 0; i < 4; ++i) {
    SendMessageA(hwnd, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&buttons[i]));
  }
  EXPECT_EQ(buttons[0].fsStyle & BTNS_SEP, 0);
  EXPECT_NE(buttons[1].fsStyle & BTNS_SEP, 0);
  EXPECT_EQ(buttons[2].iBitmap, 1);

  RECT common{};
  SendMessageA(hwnd, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&common));
  EXPECT_GE(common.bottom - common.top, side + 10) << "room for the caption under the picture";

  // Moved to 192 dpi: pictures drawn again at twice their size, their edges
  // still transparent and their middles solid; the buttons grow with them.
  RECT suggested{0, 0, 600, 200};
  SendMessageA(ToHwnd(window), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  images = reinterpret_cast<HIMAGELIST>(SendMessageA(hwnd, TB_GETIMAGELIST, 0, 0));
  ASSERT_NE(images, nullptr);
  ImageList_GetIconSize(images, &width, &height);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(ImageList_GetImageCount(images), 2);
  IMAGEINFO picture{};
  ASSERT_TRUE(ImageList_GetImageInfo(images, 0, &picture));
  BITMAPINFO header{};
  header.bmiHeader = {sizeof header.bmiHeader, 64, -64, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  const int left = picture.rcImage.left;
  ASSERT_EQ(left % 64, 0);
  std::vector<DWORD> strip(static_cast<std::size_t>(picture.rcImage.right) * 64);
  header.bmiHeader.biWidth = picture.rcImage.right;
  GetDIBits(screen, picture.hbmImage, 0, 64, strip.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  auto alpha = [&](int x, int y) {
    return strip[static_cast<std::size_t>(y) * picture.rcImage.right + left + x] >> 24;
  };
  EXPECT_EQ(alpha(0, 0), 0u) << "a transparent corner";
  EXPECT_EQ(alpha(32, 32), 255u) << "a solid middle";
  RECT grown{};
  SendMessageA(hwnd, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&grown));
  EXPECT_GE(grown.bottom - grown.top, 64 + 10);

  auto caption = [&](int index) {
    char text[64] = {};
    SendMessageA(hwnd, TB_GETBUTTONTEXTA, static_cast<WPARAM>(buttons[index].idCommand),
                 reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  EXPECT_EQ(caption(0), "Common options");
  windows.SetBarButtonCaption(bar, 0, "Allgemein");
  windows.SetBarButtonCaption(bar, 3, "G:");
  windows.SetBarButtonCaption(bar, 9, "X:");  // no such button: nothing happens
  EXPECT_EQ(caption(0), "Allgemein");
  EXPECT_EQ(caption(2), "D:");
  EXPECT_EQ(caption(3), "G:");

  // Mouse clicks on a drive, the common options and the separator.
  for (int index : {2, 0, 1, 3}) {
    RECT r{};
    SendMessageA(hwnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    Click(hwnd, Middle(r));
  }
  windows.ProcessMessages();
  EXPECT_EQ(pressed, (std::vector<int>{2, 0, 3}));

  params.image = "NOSUCHBITMAP";  // a bar without pictures still takes captioned buttons
  const auto plain = windows.CreateControl(window, params, {});
  EXPECT_EQ(SendMessageA(Hwnd(plain), TB_GETIMAGELIST, 0, 0), 0);
  EXPECT_EQ(windows.AddBarButton(plain, "Common options", 0), 0);
}

TEST_F(WindowSystemTest, NumberFieldArrowsStepWithinTheirRangeAndTypingIsRefused) {
  const platform::WindowHandle window = RealWindow();
  platform::ControlParams params;
  params.kind = ControlKind::NumberField;
  params.rect = {10, 10, 60, 22};
  params.minimum = 10;
  params.maximum = 600;
  params.step = 5;
  std::vector<int> arrows;
  platform::ControlEvents events;
  events.onArrow = [&](int value) { arrows.push_back(value); };
  const auto field = windows.CreateControl(window, params, events);
  HWND edit = Hwnd(field);
  HWND updown = FindWindowExA(ToHwnd(window), nullptr, UPDOWN_CLASSA, nullptr);
  ASSERT_NE(updown, nullptr);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(updown, UDM_GETBUDDY, 0, 0)), edit);
  EXPECT_NE(GetWindowLongA(edit, GWL_STYLE) & ES_READONLY, 0);

  windows.SetArrowPosition(field, 15);
  EXPECT_TRUE(arrows.empty()) << "set by the program: no event";
  RECT r{};
  GetClientRect(updown, &r);
  const POINT up{r.right / 2, r.bottom / 4};
  const POINT down{r.right / 2, r.bottom * 3 / 4};
  struct Step {
    POINT at;
    int expected;
  };
  for (const Step& step : {Step{up, 20}, Step{down, 15}, Step{down, 10}, Step{down, 10}}) {
    Click(updown, step.at);
    EXPECT_EQ(windows.ArrowPosition(field), step.expected);
    EXPECT_EQ(windows.ControlText(field), std::to_string(step.expected));
  }
  ASSERT_GE(arrows.size(), 3u);
  EXPECT_EQ((std::vector<int>(arrows.begin(), arrows.begin() + 3)), (std::vector<int>{20, 15, 10}));

  // The arrow keys on the field step as the arrows do.
  arrows.clear();
  SendMessageA(edit, WM_KEYDOWN, VK_UP, 0);
  SendMessageA(edit, WM_KEYUP, VK_UP, 0);
  EXPECT_EQ(windows.ArrowPosition(field), 15);
  EXPECT_EQ(arrows, (std::vector<int>{15}));

  windows.SetArrowPosition(field, 598);
  Click(updown, up);
  EXPECT_EQ(windows.ArrowPosition(field), 600) << "a step stops at the highest value";
  EXPECT_EQ(windows.ControlText(field), "600");

  SendMessageA(edit, WM_CHAR, '7', 1);
  EXPECT_EQ(windows.ControlText(field), "600") << "the number cannot be typed";
}

// What the backend learns of High Contrast, and from where.
decltype(&SystemParametersInfoA) realSystemParametersInfo = nullptr;
bool highContrastOn = true;

BOOL WINAPI HighContrastSystemParametersInfo(UINT action, UINT size, void* data, UINT flags) {
  if (action != SPI_GETHIGHCONTRAST) return realSystemParametersInfo(action, size, data, flags);
  auto* contrast = static_cast<HIGHCONTRASTA*>(data);
  if (contrast == nullptr || size != sizeof *contrast || contrast->cbSize != sizeof *contrast) {
    return FALSE;
  }
  contrast->dwFlags = HCF_AVAILABLE | (highContrastOn ? HCF_HIGHCONTRASTON : 0);
  contrast->lpszDefaultScheme = nullptr;
  return TRUE;
}

TEST_F(WindowSystemTest, ALinkLabelIsUnderlinedShowsAHandAndLightsUpOnRequest) {
  const platform::WindowHandle window = RealWindow();
  platform::ControlParams params;
  params.kind = ControlKind::LinkLabel;
  params.text = "www.corvantis.com";
  params.rect = {8, 560, 200, 16};
  std::vector<std::string> seen;
  platform::ControlEvents events;
  events.onClick = [&] { seen.push_back("click"); };
  events.onMouseHover = [&](bool inside) { seen.push_back(inside ? "in" : "out"); };
  const auto link = windows.CreateControl(window, params, events);
  params.kind = ControlKind::Label;
  const auto label = windows.CreateControl(window, params, {});
  HWND hwnd = Hwnd(link);
  EXPECT_NE(GetWindowLongA(hwnd, GWL_STYLE) & SS_NOTIFY, 0) << "a static reports clicks only so";

  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_TRUE(font.lfUnderline);

  SendMessageA(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_HAND));

  // The colour the window hands each static when it paints.
  auto colourOf = [&](platform::ControlHandle control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(ToHwnd(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Hwnd(control)));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
  };
  const COLORREF blue = RGB(0, 0, 255);
  EXPECT_EQ(colourOf(link), GetSysColor(COLOR_WINDOWTEXT)) << "as made";
  windows.SetLinkHighlighted(link, true);
  windows.SetLinkHighlighted(label, true);  // not a link: stays as it is
  EXPECT_EQ(colourOf(link), blue);
  EXPECT_EQ(colourOf(label), GetSysColor(COLOR_WINDOWTEXT));
  windows.SetLinkHighlighted(link, false);
  EXPECT_EQ(colourOf(link), GetSysColor(COLOR_WINDOWTEXT));

  // High Contrast, which Wine cannot switch on, as the backend asks for it;
  // its colours as a dark theme has them.
  realSystemParametersInfo = reinterpret_cast<decltype(&SystemParametersInfoA)>(
      ReplaceImport("user32.dll", "SystemParametersInfoA",
                    reinterpret_cast<void*>(&HighContrastSystemParametersInfo)));
  ASSERT_NE(realSystemParametersInfo, nullptr);
  const int elements[] = {COLOR_BTNFACE, COLOR_BTNTEXT, COLOR_HOTLIGHT};
  const COLORREF saved[] = {GetSysColor(elements[0]), GetSysColor(elements[1]),
                            GetSysColor(elements[2])};
  const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 0)};
  SetSysColors(3, elements, dark);
  EXPECT_EQ(colourOf(link), RGB(255, 255, 255)) << "the button text";
  windows.SetLinkHighlighted(link, true);
  EXPECT_EQ(colourOf(link), RGB(255, 255, 0)) << "the hot-track colour, not blue on black";
  EXPECT_EQ(colourOf(label), GetSysColor(COLOR_WINDOWTEXT));
  highContrastOn = false;
  EXPECT_EQ(colourOf(link), blue) << "High Contrast switched off again";
  windows.SetLinkHighlighted(link, false);
  SetSysColors(3, elements, saved);
  ReplaceImport("user32.dll", "SystemParametersInfoA",
                reinterpret_cast<void*>(realSystemParametersInfo));

  // Enter, move within, click, leave, and enter again.
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(3, 2));
  SendMessageA(ToHwnd(window), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
               reinterpret_cast<LPARAM>(Hwnd(link)));
  SendMessageA(hwnd, WM_MOUSELEAVE, 0, 0);
  SendMessageA(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(seen, (Strings{"in", "click", "out", "in"}));
}

TEST_F(WindowSystemTest, ControlsUseTheMessageFontAndBoldLabelsItsBoldCut) {
  const platform::WindowHandle window = RealWindow();
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                         GetDpiForWindow(ToHwnd(window))));
  struct Case {
    ControlKind kind;
    bool bold;
  };
  for (const Case& c :
       {Case{ControlKind::Label, false}, Case{ControlKind::Label, true},
        Case{ControlKind::CheckBox, false}, Case{ControlKind::Button, false},
        Case{ControlKind::DropDownList, false}, Case{ControlKind::Group, false},
        Case{ControlKind::NumberField, false}, Case{ControlKind::ButtonBar, false}}) {
    platform::ControlParams params;
    params.kind = c.kind;
    params.bold = c.bold;
    params.rect = {0, 0, 100, 20};
    const auto control = windows.CreateControl(window, params, {});
    auto* handle = reinterpret_cast<HFONT>(SendMessageA(Hwnd(control), WM_GETFONT, 0, 0));
    SCOPED_TRACE(static_cast<int>(c.kind));
    ASSERT_NE(handle, nullptr) << "no font set: the system font shows";
    EXPECT_NE(handle, GetStockObject(SYSTEM_FONT));
    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(handle, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName);
    EXPECT_EQ(font.lfHeight, metrics.lfMessageFont.lfHeight);
    EXPECT_EQ(font.lfWeight >= FW_BOLD, c.bold);
  }
}

// Group boxes lie under the controls inside them, each in the order made (the
// tab order), and paint no background of their own: the window's shows.
TEST_F(WindowSystemTest, GroupBoxesLieUnderTheirControlsAndShowTheWindowsBackground) {
  platform::WindowParams params;
  params.clientWidth = 240;
  params.clientHeight = 140;
  const platform::WindowHandle window = RealWindow(params);
  HWND hwnd = ToHwnd(window);
  HWND sleep = Hwnd(Make(window, ControlKind::Group, "Sleep Mode", {8, 8, 224, 120}));
  HWND warn = Hwnd(Make(window, ControlKind::CheckBox, "Warn"));
  HWND shutdown = Hwnd(Make(window, ControlKind::Group, "Shutting Down"));
  HWND close = Hwnd(Make(window, ControlKind::CheckBox, "Close"));
  std::vector<HWND> order;  // top first
  for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    order.push_back(child);
  }
  EXPECT_EQ(order, (std::vector<HWND>{warn, close, sleep, shutdown}));

  windows.ShowWindow(window, true);
  UpdateWindow(hwnd);
  HDC dc = GetDC(hwnd);
  const UINT dpi = GetDpiForWindow(hwnd);
  const COLORREF inside = GetPixel(dc, ScaleToDpi(120, dpi), ScaleToDpi(70, dpi));
  ReleaseDC(hwnd, dc);
  windows.ShowWindow(window, false);
  EXPECT_EQ(inside, GetSysColor(COLOR_BTNFACE));
}

TEST_F(WindowSystemTest, ADropDownListOpensOnTwelveRows) {
  const platform::WindowHandle window = RealWindow();
  const auto list = Make(window, ControlKind::DropDownList, "", {10, 10, 150, 21});
  HWND hwnd = Hwnd(list);
  EXPECT_EQ(GetWindowLongA(hwnd, GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "choose only";
  for (int i = 0; i < 60; ++i) windows.AddItem(list, "Key " + std::to_string(i));
  windows.ShowWindow(window, true);
  SendMessageA(hwnd, CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(hwnd, &info));
  RECT r{};
  GetClientRect(info.hwndList, &r);
  const auto row = static_cast<int>(SendMessageA(info.hwndList, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_GT(row, 0);
  EXPECT_EQ(r.bottom / row, 12);
  SendMessageA(hwnd, CB_SHOWDROPDOWN, FALSE, 0);
  windows.ShowWindow(window, false);
}

TEST_F(WindowSystemTest, APictureShowsAnIconResourceAtItsSize) {
  const platform::WindowHandle window = RealWindow();
  platform::ControlParams params;
  params.kind = ControlKind::Picture;
  params.rect = {12, 12, 32, 32};
  params.image = "TRAY";
  HWND shown = Hwnd(windows.CreateControl(window, params, {}));
  EXPECT_NE(GetWindowLongA(shown, GWL_STYLE) & SS_ICON, 0);
  auto* icon = reinterpret_cast<HICON>(SendMessageA(shown, STM_GETIMAGE, IMAGE_ICON, 0));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(IconWidth(icon), ScaleToDpi(32, GetDpiForWindow(ToHwnd(window))));

  params.image = "NOSUCHICON";
  HWND missing = Hwnd(windows.CreateControl(window, params, {}));
  ASSERT_NE(missing, nullptr) << "an empty picture rather than no control";
  EXPECT_EQ(SendMessageA(missing, STM_GETIMAGE, IMAGE_ICON, 0), 0);
  EXPECT_EQ(SendMessageA(missing, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

// Not LR_SHARED: a shared icon keeps the size it was first loaded at, and the
// title bar would show the 32-pixel picture squeezed. Each size follows the DPI.
TEST_F(WindowSystemTest, TitleBarIconsAreDrawnForTheirSizeAtTheWindowsDpi) {
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  platform::WindowParams params;
  params.icon = "TRAY";
  const platform::WindowHandle firstWindow = windows.CreateTopWindow(params, {});
  const platform::WindowHandle secondWindow = windows.CreateTopWindow(params, {});
  HWND first = ToHwnd(firstWindow);
  HWND second = ToHwnd(secondWindow);
  const UINT dpi = GetDpiForWindow(first);
  auto icon = [](HWND hwnd, WPARAM which) {
    return reinterpret_cast<HICON>(SendMessageA(hwnd, WM_GETICON, which, 0));
  };
  // Not loaded for a window never shown, such as the hidden application window.
  EXPECT_EQ(icon(first, ICON_SMALL), nullptr);
  EXPECT_EQ(icon(first, ICON_BIG), nullptr);
  // A DPI change before the first showing is remembered for it.
  RECT place{0, 0, 300, 200};
  SendMessageA(second, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&place));
  EXPECT_EQ(icon(second, ICON_SMALL), nullptr);
  windows.ShowWindow(secondWindow, true);
  windows.ShowWindow(secondWindow, false);
  EXPECT_EQ(IconWidth(icon(second, ICON_SMALL)), SmallIconAt(144));
  EXPECT_EQ(IconWidth(icon(second, ICON_BIG)), GetSystemMetricsForDpi(SM_CXICON, 144));
  SendMessageA(second, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&place));
  windows.RealiseWindow(firstWindow);
  for (HWND hwnd : {first, second}) {
    EXPECT_EQ(IconWidth(icon(hwnd, ICON_SMALL)), SmallIconAt(dpi));
    EXPECT_EQ(IconWidth(icon(hwnd, ICON_BIG)), GetSystemMetricsForDpi(SM_CXICON, dpi));
  }

  const HICON before = icon(first, ICON_SMALL);
  for (UINT moved : {96u, 144u}) {
    RECT suggested{0, 0, 300, 200};
    SendMessageA(first, WM_DPICHANGED, MAKEWPARAM(moved, moved),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(IconWidth(icon(first, ICON_SMALL)), SmallIconAt(moved)) << moved << " dpi";
    EXPECT_EQ(IconWidth(icon(first, ICON_BIG)), GetSystemMetricsForDpi(SM_CXICON, moved));
  }
  EXPECT_EQ(IconWidth(before), 0) << "the replaced icon is destroyed";
  EXPECT_EQ(IconWidth(icon(second, ICON_SMALL)), SmallIconAt(dpi)) << "the other keeps its own";
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
}

TEST_F(WindowSystemTest, TheTrayIconIsTheSmallIconOfTheNotificationAreasDpi) {
  Win32Tray tray(windows);
  const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
  tray.AddIcon(owner, "TRAY", "Orbelle", {});
  const HICON first = tray.IconData().hIcon;
  EXPECT_EQ(IconWidth(first), SmallIconAt(GetDpiForSystem()));
  tray.AddIcon(owner, "TRAY", "Orbelle", {});  // as after "TaskbarCreated"
  EXPECT_EQ(IconWidth(tray.IconData().hIcon), SmallIconAt(GetDpiForSystem()));
  EXPECT_EQ(IconWidth(first), 0) << "the icon of the first showing is destroyed";

  // 100 % to 400 %: each size has an image drawn for it, which is shown as it
  // is, not one scaled from a neighbour.
  for (auto [dpi, size] : {std::pair{120u, 20},
                           {144u, 24},
                           {192u, 32},
                           {240u, 40},
                           {288u, 48},
                           {384u, 64},
                           {96u, 16}}) {
    RECT suggested{0, 0, 100, 100};
    SendMessageA(ToHwnd(owner), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(SmallIconAt(dpi), size);
    EXPECT_EQ(IconWidth(tray.IconData().hIcon), size) << dpi << " dpi";
    const Pixels stored = StoredIconImage("TRAY", size);
    EXPECT_EQ(stored.size(), static_cast<std::size_t>(size * size)) << "no " << size << " px image";
    EXPECT_TRUE(LoadedIconImage(tray.IconData().hIcon) == stored) << dpi << " dpi";
  }
  tray.DeleteIcon();
}

// Esc presses a window's cancel button when it has one it can press, and
// asks the window to close when it has none.
TEST_F(WindowSystemTest, EscPressesTheCancelButtonElseTheCloseBox) {
  struct Case {
    bool withCancel;
    bool cancelEnabled;
    Strings expected;
  };
  for (const Case& c :
       {Case{true, true, {"Cancel"}}, Case{true, false, {}}, Case{false, false, {"close"}}}) {
    Strings seen;
    platform::WindowHandle dialog;
    platform::WindowEvents events;
    events.onCloseRequest = [&] { seen.push_back("close"); };
    events.onMessage = [&](const platform::Message& m) {
      if (m.code == WM_USER + 1) windows.ShowWindow(dialog, false);
      return m.code == WM_USER + 1;
    };
    dialog = windows.CreateTopWindow({}, events);
    windows.RealiseWindow(dialog);  // the test reaches the buttons before the showing
    platform::ControlParams params;
    params.kind = ControlKind::Button;
    params.rect = {8, 8, 80, 24};
    params.text = "OK";
    params.defaultButton = true;
    HWND ok = Hwnd(windows.CreateControl(dialog, params, {}));
    params.text = "Cancel";
    params.defaultButton = false;
    params.cancelButton = c.withCancel;
    params.rect.y = 40;
    platform::ControlEvents cancelEvents;
    cancelEvents.onClick = [&] { seen.push_back("Cancel"); };
    HWND cancel = Hwnd(windows.CreateControl(dialog, params, cancelEvents));
    ::EnableWindow(cancel, c.cancelEnabled || !c.withCancel ? TRUE : FALSE);
    PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 1);  // ShowModal gives OK the focus
    windows.Post(dialog, WM_USER + 1, 0, 0);
    windows.ShowModal(dialog);
    EXPECT_EQ(seen, c.expected) << "cancel button " << c.withCancel << ", enabled "
                                << c.cancelEnabled;
    DestroyWindow(ToHwnd(dialog));
  }
}

// An opened list takes Enter and Esc to close itself; the window stays.
TEST_F(WindowSystemTest, EscOnAnOpenedDropDownListClosesOnlyTheList) {
  constexpr UINT kOpen = WM_USER + 1, kNote = WM_USER + 2, kEnd = WM_USER + 3;
  int closeRequests = 0;
  bool droppedAfterEsc = true;
  platform::WindowHandle dialog;
  HWND list = nullptr;
  platform::WindowEvents events;
  events.onCloseRequest = [&] { ++closeRequests; };
  events.onMessage = [&](const platform::Message& m) {
    if (m.code == kOpen) {
      SetFocus(list);
      SendMessageA(list, CB_SHOWDROPDOWN, TRUE, 0);
    }
    if (m.code == kNote) droppedAfterEsc = SendMessageA(list, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (m.code == kEnd) windows.ShowWindow(dialog, false);
    return m.code == kOpen || m.code == kNote || m.code == kEnd;
  };
  dialog = windows.CreateTopWindow({}, events);
  platform::ControlParams params;
  params.kind = ControlKind::DropDownList;
  params.rect = {8, 8, 120, 24};
  const platform::ControlHandle control = windows.CreateControl(dialog, params, {});
  list = Hwnd(control);
  for (const char* item : {"F9", "F10"}) windows.AddItem(control, item);
  windows.Post(dialog, kOpen, 0, 0);
  PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 1);
  windows.Post(dialog, kNote, 0, 0);
  windows.Post(dialog, kEnd, 0, 0);
  windows.ShowModal(dialog);
  EXPECT_FALSE(droppedAfterEsc);
  EXPECT_EQ(closeRequests, 0);
}

// The keys go through IsDialogMessage in the modal loop; each is posted to the
// control that has the focus at that moment, as the keyboard would send it.
TEST_F(WindowSystemTest, TabEnterAndEscWorkAsInADialog) {
  constexpr UINT kFocus = WM_USER + 1, kNoteFocus = WM_USER + 2, kShift = WM_USER + 3,
                 kEnable = WM_USER + 4, kEnd = WM_USER + 5, kNextControl = WM_USER + 6;
  std::vector<std::string> seen;
  std::vector<HWND> focusSeen;
  platform::WindowHandle dialog;
  platform::WindowEvents windowEvents;
  windowEvents.onCloseRequest = [&] { seen.push_back("close"); };
  windowEvents.onMessage = [&](const platform::Message& m) {
    const auto target = reinterpret_cast<HWND>(m.wParam);
    switch (m.code) {
      case kFocus:
        SetFocus(target);
        return true;
      case kNoteFocus:
        focusSeen.push_back(GetFocus());
        return true;
      case kShift: {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = m.lParam != 0 ? 0x80 : 0;
        SetKeyboardState(keys);
        return true;
      }
      case kEnable:
        ::EnableWindow(target, m.lParam != 0);
        return true;
      case kEnd:
        windows.ShowWindow(dialog, false);
        return true;
      case kNextControl:  // lParam: backwards
        SendMessageA(ToHwnd(dialog), WM_NEXTDLGCTL, static_cast<WPARAM>(m.lParam), 0);
        return true;
      default:
        return false;
    }
  };
  dialog = windows.CreateTopWindow({}, windowEvents);
  windows.RealiseWindow(dialog);
  int top = 0;
  auto make = [&](ControlKind kind, const std::string& text, bool byDefault) {
    platform::ControlParams params;
    params.kind = kind;
    params.text = text;
    params.rect = {8, top += 30, 100, 24};
    params.defaultButton = byDefault;
    platform::ControlEvents events;
    events.onClick = [&seen, text] { seen.push_back(text); };
    return Hwnd(windows.CreateControl(dialog, params, events));
  };
  HWND ctrl = make(ControlKind::CheckBox, "Ctrl", false);
  HWND remove = make(ControlKind::Button, "Remove hot key", false);
  HWND ok = make(ControlKind::Button, "OK", true);
  HWND cancel = make(ControlKind::Button, "Cancel", false);
  auto post = [&](UINT code, HWND target, LPARAM lParam = 0) {
    windows.Post(dialog, code, reinterpret_cast<std::uint64_t>(target), lParam);
  };
  auto key = [&](HWND focused, WPARAM vk) {
    PostMessageA(focused, WM_KEYDOWN, vk, 1);
    PostMessageA(focused, WM_KEYUP, vk, 0xC0000001);
  };

  key(ok, VK_TAB);  // ShowModal puts the focus on the default button
  post(kNoteFocus, nullptr);
  key(cancel, VK_RETURN);  // a focused push button is the one Enter presses
  post(kShift, nullptr, 1);
  key(cancel, VK_TAB);
  key(ok, VK_TAB);
  post(kNoteFocus, nullptr);
  post(kShift, nullptr, 0);
  post(kFocus, ctrl);
  key(ctrl, VK_RETURN);  // on a check box: the default button, the box unticked
  post(kEnable, ok, 0);
  post(kFocus, ctrl);
  key(ctrl, VK_RETURN);  // a disabled default button: nothing
  post(kEnable, ok, 1);
  post(kFocus, remove);
  key(remove, VK_RETURN);
  // Windows' IsDialogMessage may move the focus by asking the window itself,
  // as it asks a dialog.
  post(kNextControl, nullptr, 0);
  post(kNoteFocus, nullptr);
  post(kNextControl, nullptr, 1);
  post(kNoteFocus, nullptr);
  key(remove, VK_ESCAPE);  // Cancel, which for our windows is the close box
  post(kEnd, nullptr);
  windows.ShowModal(dialog);

  EXPECT_EQ(seen, (Strings{"Cancel", "OK", "Remove hot key", "close"}));
  EXPECT_EQ(focusSeen, (std::vector<HWND>{cancel, remove, ok, remove}))
      << "Tab from OK to Cancel, Shift+Tab twice from Cancel back to Remove; "
         "WM_NEXTDLGCTL on to OK and back";
  EXPECT_FALSE(SendMessageA(ctrl, BM_GETCHECK, 0, 0)) << "Enter does not tick the box";
}

// The message box of this thread with the caption, or null.
HWND BoxOfThisThread(const char* caption) {
  struct Search {
    const char* caption;
    HWND found;
  } search{caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        std::array<char, 16> cls{};
        std::array<char, 64> title{};
        GetClassNameA(window, cls.data(), static_cast<int>(cls.size()));
        GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
        if (std::strcmp(cls.data(), "#32770") != 0 || std::strcmp(title.data(), s->caption) != 0) {
          return TRUE;
        }
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A timed box presses its own OK when its time is up, and no other box's:
// not that of a box opened inside its loop, not that of a box shown after
// it. An answer before the time is the answer. The "user" is a timer of the
// program's; a watchdog answers Cancel to whatever is still up after 20 s,
// so a box that does not close itself fails the test instead of hanging it.
TEST_F(WindowSystemTest, ATimedBoxPressesItsOwnOkAndNoOtherBoxes) {
  std::vector<platform::TimerHandle> timers;
  const auto once = [&](std::uint32_t ms, std::function<void()> action) {
    const std::size_t index = timers.size();
    timers.push_back(windows.StartTimer({}, ms, [this, &timers, index, action] {
      windows.StopTimer(timers[index]);
      action();
    }));
  };
  const auto cancel = [](const char* caption) {
    return [caption] {
      // A box that has ended is hidden, and its answer is given.
      HWND box = BoxOfThisThread(caption);
      if (box != nullptr && IsWindowVisible(box)) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    };
  };
  const platform::TimerHandle watchdog = windows.StartTimer({}, 20000, [&] {
    for (const char* caption : {"A", "B", "C"}) cancel(caption)();
  });

  // Nobody answers.
  EXPECT_EQ(windows.ShowTimedMessageBox({}, "goes by itself", "A", MB_OKCANCEL, 200), IDOK);

  // Answered in time, then a box without a time-out outlives the first one's.
  once(50, cancel("A"));
  EXPECT_EQ(windows.ShowTimedMessageBox({}, "answered", "A", MB_OKCANCEL, 300), IDCANCEL);
  once(1000, cancel("C"));
  EXPECT_EQ(windows.ShowMessageBox({}, "later", "C", MB_OKCANCEL), IDCANCEL);

  // A box opened inside the timed box's loop is the user's to answer.
  int inner = 0;
  once(50, [&] { inner = windows.ShowMessageBox({}, "inside", "B", MB_OKCANCEL); });
  once(1000, cancel("B"));
  EXPECT_EQ(windows.ShowTimedMessageBox({}, "outside", "A", MB_OKCANCEL, 200), IDOK);
  EXPECT_EQ(inner, IDCANCEL);
  windows.StopTimer(watchdog);
  for (const platform::TimerHandle timer : timers) windows.StopTimer(timer);
}

TEST_F(WindowSystemTest, AModalWindowOpenedFromAnotherHandsTheKeyboardBack) {
  platform::WindowHandle options;
  platform::WindowHandle hotKey;
  HWND change = nullptr;
  const platform::WindowHandle hidden = windows.CreateTopWindow({}, {});
  bool hiddenEnabledInside = false;
  bool optionsEnabledInside = true;
  bool optionsEnabledAfter = false;
  HWND activeAfter = nullptr;
  HWND focusAfter = nullptr;

  platform::WindowEvents hotKeyEvents;
  hotKeyEvents.onMessage = [&](const platform::Message& m) {
    if (m.code != WM_USER + 1) return false;
    optionsEnabledInside = windows.IsWindowEnabled(options);
    hiddenEnabledInside = windows.IsWindowEnabled(hidden);
    windows.ShowWindow(hotKey, false);  // as its OK button does
    return true;
  };
  platform::WindowParams small;
  small.title = "Hot Key Options";
  small.topmost = true;
  hotKey = windows.CreateTopWindow(small, hotKeyEvents);

  platform::WindowEvents optionsEvents;
  optionsEvents.onMessage = [&](const platform::Message& m) {
    if (m.code != WM_USER + 1) return false;
    SetFocus(change);  // the user pressed "Change..."
    windows.Post(hotKey, WM_USER + 1, 0, 0);
    windows.ShowModal(hotKey);
    optionsEnabledAfter = windows.IsWindowEnabled(options);
    activeAfter = GetActiveWindow();
    focusAfter = GetFocus();
    windows.ShowWindow(options, false);
    return true;
  };
  platform::WindowParams large;
  large.title = "Orbelle 3";
  options = RealWindow(large, optionsEvents);
  change = Hwnd(Make(options, ControlKind::Button, "Change..."));
  platform::ControlParams ok;
  ok.kind = ControlKind::Button;
  ok.text = "OK";
  ok.defaultButton = true;
  windows.CreateControl(options, ok, {});

  // Queued before the loops start: the nested loops must dispatch them.
  windows.Post(options, WM_USER + 1, 0, 0);
  windows.ShowModal(options);
  EXPECT_FALSE(optionsEnabledInside);
  EXPECT_TRUE(hiddenEnabledInside) << "only visible windows are disabled";
  EXPECT_TRUE(optionsEnabledAfter);
  EXPECT_EQ(activeAfter, ToHwnd(options));
  EXPECT_EQ(focusAfter, change);
  EXPECT_FALSE(windows.IsWindowVisible(hotKey));
}

TEST_F(WindowSystemTest, MenuItemsShowTheirTextsAndPicturesAndRunTheirActions) {
  HBITMAP shown = nullptr;
  {
    Win32Tray tray(windows);
    const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
    const platform::MenuHandle menu = tray.CreatePopupMenu();
    std::vector<std::string> chosen;
    const platform::MenuHandle drives =
        tray.AddSubMenu(menu, "Lock Device", "FRMMAIN_N16_BMP_BITMAP");
    const auto d = tray.AddMenuItem(drives, "D:", [&] { chosen.push_back("D:"); });
    const auto help = tray.AddMenuItem(menu, "Help!", nullptr, "FRMMAIN_N16_BMP_BITMAP");
    const auto missing = tray.AddMenuItem(menu, "Options...", nullptr, "NOSUCHBITMAP");
    // A picture drawn at one size only.
    const auto single = tray.AddMenuItem(menu, "About", nullptr, "FRMMAIN_IMAGELIST2");
    tray.AddSeparator(menu);
    const auto exitItem = tray.AddMenuItem(menu, "Exit", [&] { chosen.push_back("Exit"); });
    ASSERT_TRUE(drives);
    ASSERT_NE(d, exitItem);

    // What TrackPopupMenu posts to the owner once an item was chosen.
    windows.Post(owner, WM_COMMAND, exitItem.value, 0);
    windows.Post(owner, WM_COMMAND, d.value, 0);
    windows.ProcessMessages();
    EXPECT_EQ(chosen, (Strings{"Exit", "D:"}));

    const auto text = [&](std::uint64_t which, UINT by) {
      char buffer[64] = {};
      GetMenuStringA(ToHmenu(menu), static_cast<UINT>(which), buffer, sizeof buffer, by);
      return std::string(buffer);
    };
    EXPECT_EQ(text(exitItem.value, MF_BYCOMMAND), "Exit");
    tray.SetMenuItemText(menu, exitItem, "Beenden");
    tray.SetSubMenuText(menu, drives, "Sperren");
    EXPECT_EQ(text(exitItem.value, MF_BYCOMMAND), "Beenden");
    EXPECT_EQ(text(0, MF_BYPOSITION), "Sperren");

    const auto bitmapOf = [&](std::uint64_t which, BOOL byPosition) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      EXPECT_TRUE(GetMenuItemInfoA(ToHmenu(menu), static_cast<UINT>(which), byPosition, &info));
      return info.hbmpItem;
    };
    shown = bitmapOf(0, TRUE);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(bitmapOf(help.value, FALSE), shown) << "loaded once, shared";
    EXPECT_EQ(bitmapOf(missing.value, FALSE), nullptr);
    EXPECT_EQ(bitmapOf(exitItem.value, FALSE), nullptr);
    // A 32-bit section: the menu blends its alpha channel.
    DIBSECTION section{};
    ASSERT_EQ(GetObjectA(shown, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmWidth, 16);
    EXPECT_EQ(section.dsBm.bmHeight, 16);
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);

    // A menu item's bitmap is not scaled: each scale has its own drawing.
    const auto sideOf = [](HBITMAP bitmap) {
      BITMAP info{};
      return GetObjectA(bitmap, sizeof info, &info) != 0 ? info.bmWidth : 0;
    };
    const int singleSide = sideOf(bitmapOf(single.value, FALSE));
    for (auto [dpi, side] :
         {std::pair{120u, 20}, {144u, 24}, {168u, 24}, {192u, 32}, {288u, 32}, {96u, 16}}) {
      EXPECT_EQ(Win32Tray::MenuPictureSize(dpi), side) << dpi << " dpi";
      tray.PickMenuPictures(dpi);
      EXPECT_EQ(sideOf(bitmapOf(0, TRUE)), side) << dpi << " dpi";
      EXPECT_EQ(bitmapOf(help.value, FALSE), bitmapOf(0, TRUE)) << dpi << " dpi";
      EXPECT_EQ(bitmapOf(missing.value, FALSE), nullptr);
      EXPECT_EQ(sideOf(bitmapOf(single.value, FALSE)), singleSide) << "the one it has";
    }
    EXPECT_EQ(bitmapOf(0, TRUE), shown) << "each size is loaded once";
    // Showing the menu picks them for the monitor it opens on (Wine has one,
    // at the system's DPI); the posted cancel ends the menu as it opens.
    tray.PickMenuPictures(192);
    const auto late = tray.AddMenuItem(menu, "Late", nullptr, "FRMMAIN_IMAGELIST2");
    EXPECT_EQ(sideOf(bitmapOf(late.value, FALSE)), singleSide) << "added at 200 %";
    PostMessageA(ToHwnd(owner), WM_CANCELMODE, 0, 0);
    tray.TrackPopupMenu(menu, {10, 10}, owner);
    EXPECT_EQ(sideOf(bitmapOf(0, TRUE)), Win32Tray::MenuPictureSize(GetDpiForSystem()));
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
