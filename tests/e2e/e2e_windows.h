// What the Wine end-to-end programs share: finding the program's windows and
// controls, working them as the user would from another process (buttons,
// drop-down lists, arrows, the drive bar, the tray icon), its settings in the
// registry, the device broadcasts a test sends, and pictures of the screen.
//
// Every wait is bounded; a helper that cannot do its part throws Failure.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: the others rely on its types.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orbl::e2e {

inline constexpr char kSettingsKey[] = "SOFTWARE\\Corvantis\\Orbelle\\3.x";
inline constexpr char kAppTitle[] = "Orbelle";
inline constexpr char kOptionsTitle[] = "Orbelle 3";
inline constexpr DWORD kStartTimeout = 20000;
inline constexpr DWORD kExitTimeout = 15000;

struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

inline void Check(bool condition, const std::string& what) {
  if (!condition) throw Failure(what);
}

// Polls until `done` holds or the time is up.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(25);
  }
}

inline std::string TextOf(HWND hwnd) {
  char text[1024] = {};
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

inline std::string ClassOf(HWND hwnd) {
  char name[256] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

// Top-level windows of one process, or of any process when pid is 0.
inline std::vector<HWND> TopWindows(DWORD pid, const std::string& cls, const std::string& title) {
  struct Search {
    DWORD pid;
    const std::string* cls;
    const std::string* title;
    std::vector<HWND> found;
  } search{pid, &cls, &title, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (s->pid != 0 && owner != s->pid) return TRUE;
        if (!s->cls->empty() && ClassOf(hwnd) != *s->cls) return TRUE;
        if (!s->title->empty() && TextOf(hwnd) != *s->title) return TRUE;
        s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND TopWindow(DWORD pid, const std::string& cls, const std::string& title) {
  const std::vector<HWND> found = TopWindows(pid, cls, title);
  return found.empty() ? nullptr : found.front();
}

// With no tray host on the display, Wine shows its own tray window holding
// one child window per icon.
inline std::vector<HWND> TrayIcons() {
  std::vector<HWND> icons;
  HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
  for (HWND icon = tray ? FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr) : nullptr;
       icon != nullptr; icon = FindWindowExA(tray, icon, "__winex11_tray_icon", nullptr)) {
    if (IsWindowVisible(icon)) icons.push_back(icon);
  }
  return icons;
}

// Sends and waits at most `timeoutMs` for the answer; false when none came.
inline bool SendWithin(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                       DWORD_PTR& result) {
  return SendMessageTimeoutA(hwnd, msg, wParam, lParam, SMTO_NORMAL, timeoutMs, &result) != 0;
}

inline bool Responds(HWND hwnd) {
  DWORD_PTR result = 0;
  return SendWithin(hwnd, WM_NULL, 0, 0, 5000, result);
}

// A visible top-level window of process `pid` (any when 0) titled `title`
// (empty: any) of class `cls` (empty: any), waited for; `failure` says what
// went wrong when none shows in time.
inline HWND WaitForWindow(DWORD pid, const std::string& title, const std::string& cls = "",
                          const std::string& failure = "") {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND hwnd : TopWindows(pid, cls, title)) {
          if (IsWindowVisible(hwnd)) found = hwnd;
        }
        return found != nullptr;
      },
      kStartTimeout);
  Check(found != nullptr, failure.empty() ? "no visible window \"" + title + "\"" : failure);
  return found;
}

// The pop-up menu that process `pid` shows, waited for.
inline HWND WaitForMenu(DWORD pid, const std::string& failure) {
  return WaitForWindow(pid, "", "#32768", failure);
}

// Clicks the only tray icon with the right button; returns the pop-up menu
// that the program `pid` shows for it.
inline HWND OpenTrayMenu(DWORD pid) {
  std::vector<HWND> icons;
  Check(WaitFor([&] { return (icons = TrayIcons()).size() == 1; }, kStartTimeout),
        "expected one tray icon");
  PostMessageA(icons.front(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(8, 8));
  PostMessageA(icons.front(), WM_RBUTTONUP, 0, MAKELPARAM(8, 8));
  return WaitForMenu(pid, "no pop-up menu after the right button on the icon");
}

// --- the program's controls ---------------------------------------------------

// Starts `path` with `arguments` (may be empty), its standard output and
// error the inheritable handles `out` and `err` when given; the caller
// closes the handles.
inline PROCESS_INFORMATION StartProcess(const std::string& path, const std::string& arguments = {},
                                        HANDLE out = nullptr, HANDLE err = nullptr) {
  std::string commandLine = "\"" + path + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = out != nullptr ? STARTF_USESTDHANDLES : 0;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION info{};
  Check(CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, out != nullptr, 0,
                       nullptr, nullptr, &startup, &info) != FALSE,
        "could not start " + path + " (error " + std::to_string(GetLastError()) + ")");
  return info;
}

// A Unicode text in the ANSI code page, the one the program's texts are in.
inline std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                      nullptr, nullptr);
  return narrow;
}

// A control's text as the control itself tells it (WM_GETTEXT). GetWindowText
// gives only what the system stored for a window of another process, which
// an edit control or a drop-down list never updates.
inline std::wstring WideText(HWND control) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, sizeof text / sizeof text[0],
                      reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied);
  return text;
}

inline std::string ControlText(HWND control) {
  return Narrow(WideText(control));
}

// The first control inside `parent`, at any depth and in z-order, of class
// `cls` and with text `text` (ControlText); an empty string matches any. Null
// when none.
inline HWND FindControl(HWND parent, const std::string& cls, const std::string& text) {
  struct Search {
    const std::string* cls;
    const std::string* text;
    HWND found;
  } search{&cls, &text, nullptr};
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (!s->cls->empty() && lstrcmpiA(ClassOf(hwnd).c_str(), s->cls->c_str()) != 0) return TRUE;
        if (!s->text->empty() && ControlText(hwnd) != *s->text) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline HWND NeedControl(HWND parent, const std::string& cls, const std::string& text) {
  HWND control = FindControl(parent, cls, text);
  Check(control != nullptr, "no " + (cls.empty() ? std::string("control") : cls) + " \"" + text +
                                "\" in \"" + TextOf(parent) + "\"");
  return control;
}

// Clicks a button or check box as the mouse would: a check box changes its
// tick before its window hears of the click. Posted, so that a button that
// opens a modal window does not hold the caller; wait for its effect.
inline void ClickButton(HWND button) {
  Check(PostMessageA(button, BM_CLICK, 0, 0) != FALSE,
        "could not click \"" + TextOf(button) + "\"");
}

// Memory in another process, for the messages whose answer is written through
// a pointer that the system does not carry across processes.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND owner, std::size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    Check(process_ != nullptr, "cannot open the process of \"" + TextOf(owner) + "\"");
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    Check(address_ != nullptr, "cannot allocate memory in another process");
  }
  ~RemoteBuffer() {
    if (address_ != nullptr) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
  template <typename T>
  T Read() const {
    T value{};
    SIZE_T done = 0;
    ReadProcessMemory(process_, address_, &value, sizeof value < size_ ? sizeof value : size_,
                      &done);
    return value;
  }
  void Write(const void* data, std::size_t size) const {
    SIZE_T done = 0;
    WriteProcessMemory(process_, address_, data, size < size_ ? size : size_, &done);
  }
  // The zero-ended text from `offset` on.
  std::string ReadText(std::size_t offset = 0) const {
    std::string text(size_ - offset, '\0');
    SIZE_T done = 0;
    ReadProcessMemory(process_, static_cast<char*>(address_) + offset, text.data(), text.size(),
                      &done);
    text.resize(std::strlen(text.c_str()));
    return text;
  }

 private:
  std::size_t size_;
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
};

// The entries of a drop-down list or a list box, in list order. The system
// carries their texts across processes itself, unlike a toolbar's; asked in
// ANSI, Wine hands back the Unicode text of a Unicode list unconverted.
inline std::vector<std::string> Entries(HWND list) {
  const bool box = lstrcmpiA(ClassOf(list).c_str(), WC_LISTBOXA) == 0;
  std::vector<std::string> entries;
  DWORD_PTR count = 0;
  Check(SendWithin(list, box ? LB_GETCOUNT : CB_GETCOUNT, 0, 0, 5000, count),
        "the list does not answer");
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(list, box ? LB_GETTEXTLEN : CB_GETLBTEXTLEN, i, 0, SMTO_NORMAL, 5000,
                        &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(list, box ? LB_GETTEXT : CB_GETLBTEXT, i,
                        reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 5000, &copied);
    text.resize(copied <= length ? copied : 0);
    entries.push_back(Narrow(text));
  }
  return entries;
}

// Chooses entry `index` of a drop-down list or a list box as the user would:
// the list selects it and tells its window, whose handling has run on return.
inline void ChooseEntry(HWND list, int index) {
  const bool box = lstrcmpiA(ClassOf(list).c_str(), WC_LISTBOXA) == 0;
  DWORD_PTR result = 0;
  Check(SendWithin(list, box ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0, 5000,
                   result) &&
            (box ? static_cast<int>(result) != LB_ERR : static_cast<int>(result) == index),
        "entry " + std::to_string(index) + " cannot be selected");
  const WPARAM command = MAKEWPARAM(GetDlgCtrlID(list), box ? LBN_SELCHANGE : CBN_SELCHANGE);
  SendWithin(GetParent(list), WM_COMMAND, command, reinterpret_cast<LPARAM>(list), 5000, result);
}

// Whether a check box is ticked, as the box itself tells.
inline bool IsTicked(HWND box) {
  DWORD_PTR state = 0;
  Check(SendWithin(box, BM_GETCHECK, 0, 0, 5000, state),
        "the check box \"" + TextOf(box) + "\" does not answer");
  return state == BST_CHECKED;
}

// The captions of a toolbar's buttons with their positions, separators left out.
inline std::vector<std::pair<DWORD_PTR, std::string>> BarButtons(HWND toolbar) {
  std::vector<std::pair<DWORD_PTR, std::string>> buttons;
  DWORD_PTR count = 0;
  Check(SendWithin(toolbar, TB_BUTTONCOUNT, 0, 0, 5000, count), "the bar does not answer");
  for (DWORD_PTR i = 0; i < count; ++i) {
    RemoteBuffer button(toolbar, sizeof(TBBUTTON));
    DWORD_PTR ok = 0;
    SendWithin(toolbar, TB_GETBUTTON, i, button.Address(), 5000, ok);
    const TBBUTTON info = button.Read<TBBUTTON>();
    if ((info.fsStyle & BTNS_SEP) != 0) continue;
    RemoteBuffer text(toolbar, 256);
    SendWithin(toolbar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(info.idCommand), text.Address(),
               5000, ok);
    buttons.emplace_back(i, text.ReadText());
  }
  return buttons;
}

// Clicks the button captioned `caption` on a toolbar (the options window's
// drive bar) with the mouse. Returns false when no button has that caption.
inline bool ClickBarButton(HWND toolbar, const std::string& caption) {
  for (const auto& [position, text] : BarButtons(toolbar)) {
    if (text != caption) continue;
    RemoteBuffer rect(toolbar, sizeof(RECT));
    DWORD_PTR ok = 0;
    SendWithin(toolbar, TB_GETITEMRECT, position, rect.Address(), 5000, ok);
    const RECT r = rect.Read<RECT>();
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    DWORD_PTR result = 0;
    SendWithin(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at, 5000, result);
    SendWithin(toolbar, WM_LBUTTONUP, 0, at, 5000, result);
    return true;
  }
  return false;
}

// --- settings and broadcasts -----------------------------------------------------

// A value under `key` of the user's registry: a text, or a number stored as a DWORD.
inline void Store(const std::string& key, const std::string& name, const std::string& value,
                  bool text = true) {
  HKEY handle = nullptr;
  Check(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) == ERROR_SUCCESS,
        "cannot create " + key);
  const DWORD number = text ? 0 : std::stoul(value);
  RegSetValueExA(
      handle, name.c_str(), 0, text ? REG_SZ : REG_DWORD,
      text ? reinterpret_cast<const BYTE*>(value.c_str()) : reinterpret_cast<const BYTE*>(&number),
      text ? static_cast<DWORD>(value.size() + 1) : 4);
  RegCloseKey(handle);
}

// A 32-bit top-down bitmap of w x h pixels to draw into and read back.
class Canvas {
 public:
  Canvas(int w, int h) : w_(w), h_(h), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;
  HDC Dc() const { return dc_; }
  std::vector<std::uint32_t> Pixels() const {
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits_);
    return std::vector<std::uint32_t>(first, first + w_ * h_);
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

// DEV_BROADCAST_VOLUME, as a sender of WM_DEVICECHANGE lays it out.
struct Broadcast {
  DWORD size, type, reserved, unitMask;
  WORD flags;
};

}  // namespace orbl::e2e
