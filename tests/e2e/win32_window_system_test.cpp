// The Windows backend under the window system's contract (run under Wine by
// run_e2e.sh), and what only Windows has: DPI and fonts, the keys of a dialog,
// the bounded copy of device broadcasts, pictures, link colours and the tray.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Controls.h"
#include "platform/win32/Win32Helpers.h"
#include "platform/win32/Win32Tray.h"
#include "platform/win32/Win32WindowSystem.h"
#include "tests/contract/WindowSystemContract.h"
#include "tests/e2e/replace_import.h"

namespace orbl::win32 {
namespace {

using platform::ControlKind;
using Strings = std::vector<std::string>;

// The visible message box of this thread with the caption, or null.
HWND BoxOfThisThread(const std::string& caption) {
  std::pair<const std::string*, HWND> search{&caption, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<std::pair<const std::string*, HWND>*>(param);
        char cls[16] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (std::strcmp(cls, "#32770") != 0 || WindowText(window) != *s->first ||
            !IsWindowVisible(window)) {
          return TRUE;
        }
        s->second = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

// A test's window system goes with the test; windows of an earlier one would
// still get messages (an activation, for one) for a system that is gone.
void DestroyEarlierWindows() {
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM) -> BOOL {
        char cls[16] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (std::strcmp(cls, "OrbelleWindow") == 0) {
          SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
          DestroyWindow(hwnd);
        }
        return TRUE;
      },
      0);
}

// The user's input is posted, so it waits behind what the program posted
// before. An answer to a box is a message to a hidden window of the
// program's, tried again a little later while its box is not up yet.
class Win32Backend final : public contract::Backend {
 public:
  Win32Backend() {
    DestroyEarlierWindows();
    platform::WindowEvents events;
    events.onMessage = [this](const platform::Message& m) {
      if (m.code != kRequest && !(m.code == WM_TIMER && m.wParam == kRetry)) return false;
      KillTimer(ToHwnd(helper_), kRetry);
      while (!requests_.empty() && requests_.front()()) requests_.pop_front();
      if (!requests_.empty()) SetTimer(ToHwnd(helper_), kRetry, 20, nullptr);
      return true;
    };
    helper_ = windows.CreateTopWindow({}, events);
  }
  ~Win32Backend() override { DestroyEarlierWindows(); }
  void Run(const std::function<void(platform::WindowSystem&)>& program) override {
    program(windows);
  }
  void AnswerBox(const std::string& caption, int answer) override {
    Request([caption, answer] {
      HWND box = BoxOfThisThread(caption);
      return box != nullptr && PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
    });
  }
  // Posted: the click comes once the program's loop takes it.
  void Click(platform::ControlHandle control) override {
    EXPECT_NE(windows.ControlWindow(control), nullptr);
    PostMessageA(windows.ControlWindow(control), BM_CLICK, 0, 0);
  }
  void CloseBox(platform::WindowHandle window) override {
    PostMessageA(ToHwnd(window), WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  // Handled before this returns: the sender waits while this thread takes messages.
  void SendFromOutside(platform::WindowHandle window, std::uint32_t code) override {
    static std::pair<HWND, UINT> message;  // one sender at a time
    message = {ToHwnd(window), code};
    HANDLE sender = CreateThread(
        nullptr, 0,
        [](LPVOID m) -> DWORD {
          const auto* sent = static_cast<std::pair<HWND, UINT>*>(m);
          SendMessageA(sent->first, sent->second, 0, 0);
          return 0;
        },
        &message, 0, nullptr);
    ASSERT_NE(sender, nullptr);
    while (MsgWaitForMultipleObjects(1, &sender, FALSE, 10000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
      windows.ProcessMessages();
    }
    CloseHandle(sender);
  }

  Win32WindowSystem windows{GetModuleHandleA(nullptr)};

 private:
  static constexpr UINT kRequest = WM_APP + 0x77;
  static constexpr UINT_PTR kRetry = 0x7777;
  void Request(std::function<bool()> request) {
    requests_.push_back(std::move(request));
    PostMessageA(ToHwnd(helper_), kRequest, 0, 0);
  }
  platform::WindowHandle helper_;
  std::deque<std::function<bool()>> requests_;
};

std::unique_ptr<contract::Backend> MakeWin32Backend() {
  return std::make_unique<Win32Backend>();
}

using contract::WindowSystemContract;
INSTANTIATE_TEST_SUITE_P(Win32, WindowSystemContract, ::testing::Values(&MakeWin32Backend),
                         [](const auto&) { return std::string("win32"); });

class WindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { DestroyEarlierWindows(); }
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
    params.image = "FRMMAIN_IMAGELIST2";
    return windows.CreateControl(window, params, std::move(events));
  }
  HFONT FontOf(platform::ControlHandle control) const {
    return reinterpret_cast<HFONT>(SendMessageA(Hwnd(control), WM_GETFONT, 0, 0));
  }
  // A control's place in its window's client area.
  RECT PlaceOf(platform::WindowHandle window, platform::ControlHandle control) const {
    RECT r{};
    GetWindowRect(Hwnd(control), &r);
    MapWindowPoints(nullptr, ToHwnd(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static void MoveToDpi(HWND hwnd, UINT dpi) {
    RECT suggested{0, 0, 600, 300};
    SendMessageA(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
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

TEST_F(WindowSystemTest, TheSystemsQuestionsGetConsentAndEveryDoubleClickCounts) {
  int doubleClicks = 0;
  platform::WindowEvents events;
  events.onDoubleClick = [&] { ++doubleClicks; };
  HWND hwnd = ToHwnd(windows.CreateTopWindow({}, events));
  for (UINT click : {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK}) {
    SendMessageA(hwnd, click, 0, 0);
  }
  EXPECT_EQ(doubleClicks, 3);
  EXPECT_NE(SendMessageA(hwnd, WM_QUERYENDSESSION, 0, 0), 0);
  EXPECT_NE(SendMessageA(hwnd, WM_POWERBROADCAST, 0 /*PBT_APMQUERYSUSPEND*/, 0), 0);
}

TEST_F(WindowSystemTest, SizesFontsAndPicturesFollowTheWindowsDpi) {
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);  // as the manifest
  platform::WindowParams params;
  params.clientWidth = 200;
  params.clientHeight = 100;
  const platform::WindowHandle window = RealWindow(params);
  HWND hwnd = ToHwnd(window);
  ASSERT_EQ(GetDpiForWindow(hwnd), 120u) << "the session runs at 120 dpi";
  RECT client{};
  GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, 250);
  EXPECT_EQ(client.bottom, 125);

  // Every control in the message font at the window's DPI, bold labels in its bold cut.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(
      SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, 120));
  const auto label = Make(window, ControlKind::Label, "", {8, 16, 80, 20});
  for (ControlKind kind :
       {ControlKind::Label, ControlKind::CheckBox, ControlKind::Button, ControlKind::DropDownList,
        ControlKind::Group, ControlKind::NumberField, ControlKind::ButtonBar}) {
    for (bool bold : {false, kind == ControlKind::Label}) {
      platform::ControlParams p;
      p.kind = kind;
      p.bold = bold;
      p.rect = {0, 0, 100, 20};
      LOGFONTW font{};
      ASSERT_EQ(GetObjectW(FontOf(windows.CreateControl(window, p, {})), sizeof font, &font),
                static_cast<int>(sizeof font))
          << "no font set: the system font shows, kind " << static_cast<int>(kind);
      EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName);
      EXPECT_EQ(font.lfHeight, metrics.lfMessageFont.lfHeight);
      EXPECT_EQ(font.lfWeight >= FW_BOLD, bold);
    }
  }
  RECT r = PlaceOf(window, label);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 100);

  // Moved to a monitor of 192 dpi: placed again, with a new font (the old one
  // freed) and the drive bar's pictures drawn again at twice their size.
  const auto bar = Make(window, ControlKind::ButtonBar, "", {0, 0, 552, 46});
  const auto pictureSide = [&] {
    int width = 0, height = 0;
    ImageList_GetIconSize(
        reinterpret_cast<HIMAGELIST>(SendMessageA(Hwnd(bar), TB_GETIMAGELIST, 0, 0)), &width,
        &height);
    return width;
  };
  EXPECT_EQ(pictureSide(), 40);
  const HFONT oldFont = FontOf(label);
  MoveToDpi(hwnd, 192);
  r = PlaceOf(window, label);
  EXPECT_EQ(r.left, 16);
  EXPECT_EQ(r.right - r.left, 160);
  EXPECT_EQ(GetObjectType(FontOf(label)), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(GetObjectType(oldFont), 0u);
  EXPECT_EQ(pictureSide(), 64);
  SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
}

TEST_F(WindowSystemTest, DeviceBroadcastBytesAreBoundedByDeclarationAndMemory) {
  EXPECT_EQ(BroadcastLength(0x7FFFFFFF, 8192), kBroadcastCap);
  std::vector<std::size_t> sizes;
  platform::WindowEvents events;
  events.onMessage = [&](const platform::Message& m) {
    if (m.code == WM_DEVICECHANGE) sizes.push_back(m.data.size());
    return false;
  };
  HWND hwnd = ToHwnd(windows.CreateTopWindow({}, events));
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

// What the backend learns of High Contrast, which Wine cannot switch on.
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

TEST_F(WindowSystemTest, ALinkLightsUpOnRequestInTheThemesColours) {
  const platform::WindowHandle window = RealWindow();
  const auto link = Make(window, ControlKind::LinkLabel, "www", {8, 560, 200, 16});
  const auto label = Make(window, ControlKind::Label, "www", {8, 580, 200, 16});
  const auto colourOf = [&](platform::ControlHandle control) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(ToHwnd(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(Hwnd(control)));
    const COLORREF colour = GetTextColor(dc);
    DeleteDC(dc);
    return colour;
  };
  const COLORREF blue = RGB(0, 0, 255);
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  EXPECT_EQ(colourOf(link), text) << "as made";
  windows.SetLinkHighlighted(link, true);
  windows.SetLinkHighlighted(label, true);  // not a link: stays as it is
  EXPECT_EQ(colourOf(link), blue);
  EXPECT_EQ(colourOf(label), text);
  windows.SetLinkHighlighted(link, false);
  EXPECT_EQ(colourOf(link), text);

  // High Contrast with a dark theme's colours: the theme's own, not blue on black.
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
  EXPECT_EQ(colourOf(link), RGB(255, 255, 0)) << "the hot-track colour";
  highContrastOn = false;
  EXPECT_EQ(colourOf(link), blue) << "High Contrast switched off again";
  SetSysColors(3, elements, saved);
  ReplaceImport("user32.dll", "SystemParametersInfoA",
                reinterpret_cast<void*>(realSystemParametersInfo));
}

// The keys go through IsDialogMessage in the modal loop; each is posted to the
// control that has the focus at that moment, as the keyboard would send it.
TEST_F(WindowSystemTest, TabEnterAndEscWorkAsInADialog) {
  constexpr UINT kFocus = WM_USER + 1, kNoteFocus = WM_USER + 2, kShift = WM_USER + 3,
                 kEnable = WM_USER + 4, kEnd = WM_USER + 5;
  Strings seen;
  std::vector<HWND> focusSeen;
  platform::WindowHandle dialog;
  platform::WindowEvents windowEvents;
  windowEvents.onCloseRequest = [&] { seen.push_back("close"); };
  windowEvents.onMessage = [&](const platform::Message& m) {
    const auto target = reinterpret_cast<HWND>(m.wParam);
    if (m.code == kFocus) SetFocus(target);
    if (m.code == kNoteFocus) focusSeen.push_back(GetFocus());
    if (m.code == kEnable) ::EnableWindow(target, m.lParam != 0);
    if (m.code == kEnd) windows.ShowWindow(dialog, false);
    if (m.code == kShift) {
      BYTE keys[256] = {};
      GetKeyboardState(keys);
      keys[VK_SHIFT] = m.lParam != 0 ? 0x80 : 0;
      SetKeyboardState(keys);
    }
    return m.code >= kFocus && m.code <= kEnd;
  };
  dialog = RealWindow({}, windowEvents);
  int top = 0;
  auto make = [&](ControlKind kind, const std::string& text, bool byDefault, bool cancel) {
    platform::ControlParams params;
    params.kind = kind;
    params.text = text;
    params.rect = {8, top += 30, 100, 24};
    params.defaultButton = byDefault;
    params.cancelButton = cancel;
    platform::ControlEvents events;
    events.onClick = [&seen, text] { seen.push_back(text); };
    return Hwnd(windows.CreateControl(dialog, params, events));
  };
  HWND ctrl = make(ControlKind::CheckBox, "Ctrl", false, false);
  HWND remove = make(ControlKind::Button, "Remove hot key", false, false);
  HWND ok = make(ControlKind::Button, "OK", true, false);
  HWND cancel = make(ControlKind::Button, "Cancel", false, true);
  auto post = [&](UINT code, HWND target, LPARAM lParam = 0) {
    windows.Post(dialog, code, reinterpret_cast<std::uint64_t>(target), lParam);
  };
  auto key = [&](HWND focused, WPARAM vk) {
    PostMessageA(focused, WM_KEYDOWN, vk, 1);
    PostMessageA(focused, WM_KEYUP, vk, 0xC0000001);
  };
  EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
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
  key(remove, VK_ESCAPE);  // the cancel button
  post(kEnable, cancel, 0);
  post(kFocus, remove);
  key(remove, VK_ESCAPE);  // a cancel button that cannot be pressed: nothing
  post(kEnd, nullptr);
  windows.ShowModal(dialog);
  EXPECT_EQ(seen, (Strings{"Cancel", "OK", "Remove hot key", "Cancel"}));
  EXPECT_EQ(focusSeen, (std::vector<HWND>{cancel, remove}))
      << "Tab from OK to Cancel, Shift+Tab twice from Cancel back to Remove";
  EXPECT_FALSE(SendMessageA(ctrl, BM_GETCHECK, 0, 0)) << "Enter does not tick the box";
}

TEST_F(WindowSystemTest, MenuItemsShowTheirTextsAndPicturesAndRunTheirActions) {
  HBITMAP shown = nullptr;
  {
    Win32Tray tray(windows);
    const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
    const platform::MenuHandle menu = tray.CreatePopupMenu();
    Strings chosen;
    const auto drives = tray.AddSubMenu(menu, "Lock Device", "FRMMAIN_N16_BMP_BITMAP");
    const auto d = tray.AddMenuItem(drives, "D:", [&] { chosen.push_back("D:"); });
    const auto help = tray.AddMenuItem(menu, "Help!", nullptr, "FRMMAIN_N16_BMP_BITMAP");
    const auto missing = tray.AddMenuItem(menu, "Options...", nullptr, "NOSUCHBITMAP");
    const auto single = tray.AddMenuItem(menu, "About", nullptr, "FRMMAIN_IMAGELIST2");
    tray.AddSeparator(menu);
    const auto exitItem = tray.AddMenuItem(menu, "Exit", [&] { chosen.push_back("Exit"); });
    // What TrackPopupMenu posts to the owner once an item was chosen.
    windows.Post(owner, WM_COMMAND, exitItem.value, 0);
    windows.Post(owner, WM_COMMAND, d.value, 0);
    windows.ProcessMessages();
    EXPECT_EQ(chosen, (Strings{"Exit", "D:"}));

    char text[64] = {};
    tray.SetSubMenuText(menu, drives, "Sperren");
    GetMenuStringA(ToHmenu(menu), 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Sperren");

    const auto bitmapOf = [&](std::uint64_t which, BOOL byPosition) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      EXPECT_TRUE(GetMenuItemInfoA(ToHmenu(menu), static_cast<UINT>(which), byPosition, &info));
      return info.hbmpItem;
    };
    const auto sideOf = [](HBITMAP bitmap) {
      BITMAP info{};
      return GetObjectA(bitmap, sizeof info, &info) != 0 ? info.bmWidth : 0;
    };
    shown = bitmapOf(0, TRUE);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(bitmapOf(help.value, FALSE), shown) << "loaded once, shared";
    EXPECT_EQ(bitmapOf(exitItem.value, FALSE), nullptr);
    DIBSECTION section{};  // a 32-bit section: the menu blends its alpha channel
    ASSERT_EQ(GetObjectA(shown, sizeof section, &section), static_cast<int>(sizeof section));
    EXPECT_EQ(section.dsBm.bmBitsPixel, 32);

    // Not scaled: each scale has its own drawing, a picture drawn at one size keeps it.
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

TEST_F(WindowSystemTest, TheTrayIconFollowsTheDpiAndItsCallbacksComeThroughTheOwner) {
  Win32Tray tray(windows);
  const platform::WindowHandle owner = windows.CreateTopWindow({}, {});
  HWND hwnd = ToHwnd(owner);
  int rightUps = 0, doubleClicks = 0, recreated = 0;
  platform::TrayEvents events{[&] { ++rightUps; }, [&] { ++doubleClicks; }, [&] { ++recreated; }};
  tray.AddIcon(owner, "TRAY", "Orbelle", events);
  const HICON first = tray.IconData().hIcon;
  tray.AddIcon(owner, "TRAY", "Orbelle", events);  // as after "TaskbarCreated"
  EXPECT_EQ(IconWidth(first), 0) << "the icon of the first showing is destroyed";
  for (auto [dpi, size] : {std::pair{96u, 16}, {144u, 24}, {384u, 64}}) {
    MoveToDpi(hwnd, dpi);
    EXPECT_EQ(IconWidth(tray.IconData().hIcon), size) << dpi << " dpi";
  }
  for (UINT mouse : {WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK,
                     WM_LBUTTONUP, WM_MOUSEMOVE}) {
    SendMessageA(hwnd, Win32Tray::kCallbackMessage, 1, mouse);
  }
  EXPECT_EQ(rightUps, 1);
  EXPECT_EQ(doubleClicks, 3);
  SendMessageA(hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_EQ(recreated, 1);
  tray.DeleteIcon();
}

}  // namespace
}  // namespace orbl::win32
