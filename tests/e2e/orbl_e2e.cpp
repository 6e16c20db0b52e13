// Drives the real orbl3.exe from inside the Wine session: starts it, finds its
// windows, sends it what the system would send, answers its boxes, and reads
// what it left in the registry and the notification area.
//
//   orbl_e2e.exe CASE PROGRAM     (exit code 0 when the case passed)
//
// Every wait is bounded; a hang fails the case. A case checks what one start
// of the program can show; the program's logic itself is tested on the sim.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e_windows.h"
#include "text_fit.h"

namespace orbl::e2e {
namespace {

class Program {
 public:
  explicit Program(const std::string& path, const std::string& arguments = {})
      : info_(StartProcess(path, arguments)) {}
  ~Program() {
    if (Running()) Kill();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD Pid() const { return info_.dwProcessId; }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  // Checks that the program ends with exit code 0 within the timeout.
  void WaitExit(const std::string& what) const {
    Check(WaitForSingleObject(info_.hProcess, kExitTimeout) == WAIT_OBJECT_0,
          what + ": still running after " + std::to_string(kExitTimeout) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    Check(code == 0, what + ": exit code " + std::to_string(code));
  }

  // Waits until the program idles in its message loop with its windows made.
  // A second instance never gets there: it has its own close request queued
  // before its first dispatch, and ends handling it.
  HWND WaitRunning() const {
    const DWORD idle = WaitForInputIdle(info_.hProcess, kStartTimeout);
    Check(idle == 0, "program did not become idle (WaitForInputIdle " + std::to_string(idle) + ")");
    Check(Running(), "program ended during start-up");
    HWND app = nullptr;
    Check(
        WaitFor([&] { return (app = TopWindow(Pid(), "", kAppTitle)) != nullptr; }, kStartTimeout),
        "no window titled \"Orbelle\"");
    return app;
  }

  // The close request the application window gets at log-off or from a tool.
  void Close(HWND app) const {
    Check(PostMessageA(app, WM_CLOSE, 0, 0) != FALSE, "could not post WM_CLOSE");
    WaitExit("after WM_CLOSE");
  }

  void Kill() const {
    TerminateProcess(info_.hProcess, 9);
    WaitForSingleObject(info_.hProcess, kExitTimeout);
  }

 private:
  PROCESS_INFORMATION info_{};
};

void WaitForTrayIcons(std::size_t count, const std::string& when) {
  Check(WaitFor([=] { return TrayIconCount() == count; }, kStartTimeout),
        when + ": " + std::to_string(TrayIconCount()) + " tray icons, expected " +
            std::to_string(count));
}

// Proves that `program` holds the single-instance guard: a further start
// ends at once with exit code 0 while it keeps running.
void CheckHoldsGuard(const Program& program, const std::string& path) {
  Program probe(path);
  probe.WaitExit("a start beside the running program");
  Check(program.Running(), "the running program ended");
}

// --- registry -------------------------------------------------------------

struct Value {
  DWORD type = REG_NONE;
  std::string text;  // REG_SZ without its terminator
  DWORD number = 0;  // REG_DWORD

  bool operator==(const Value&) const = default;
};

std::map<std::string, Value> ReadSettings() {
  std::map<std::string, Value> values;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return values;
  }
  for (DWORD index = 0;; ++index) {
    char name[512];
    DWORD nameLength = sizeof name;
    BYTE data[4096];
    DWORD dataLength = sizeof data;
    DWORD type = 0;
    if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, data, &dataLength) !=
        ERROR_SUCCESS) {
      break;
    }
    Value value;
    value.type = type;
    if (type == REG_SZ) {
      value.text.assign(reinterpret_cast<const char*>(data), dataLength);
      while (!value.text.empty() && value.text.back() == '\0') value.text.pop_back();
    } else if (type == REG_DWORD && dataLength == 4) {
      std::memcpy(&value.number, data, 4);
    }
    values[std::string(name, nameLength)] = value;
  }
  RegCloseKey(key);
  return values;
}

void ClearSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

// A text value of the settings, or "(none)" when it is missing or no text.
std::string SettingText(const std::string& name) {
  const auto values = ReadSettings();
  const auto found = values.find(name);
  return found == values.end() || found->second.type != REG_SZ ? "(none)" : found->second.text;
}

// Waits until the settings value `name` reads `expected`: the save runs after
// the window it comes from is hidden.
void WaitForSetting(const std::string& name, const std::string& expected) {
  Check(WaitFor([&] { return SettingText(name) == expected; }, kExitTimeout),
        "\"" + name + "\" is \"" + SettingText(name) + "\", expected \"" + expected + "\"");
}

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A value of the current user's Run key, or "(none)".
std::string RunValue(const char* name) {
  char data[1024] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return "(none)";
  }
  return data;
}

// What the program saves at its end: the drive count as a DWORD and the 27
// text values of each optical drive, D and F, and nothing for other drives.
void CheckSavedDrives() {
  const auto values = ReadSettings();
  const auto count = values.find("DriveCount");
  Check(count != values.end() && count->second.type == REG_DWORD && count->second.number == 2,
        "DriveCount is missing, no REG_DWORD or not 2");
  std::map<char, int> perDrive;
  for (const auto& [name, value] : values) {
    if (name.size() < 3 || name[1] != ' ') continue;
    Check(value.type == REG_SZ, "\"" + name + "\" is not REG_SZ");
    ++perDrive[name[0]];
  }
  Check(perDrive == std::map<char, int>{{'D', 27}, {'F', 27}},
        "not 27 text values for each of D and F and none for another drive");
  Check(SettingText("D edtAutocloseInterval") == "15" && SettingText("F edtDiskLimit") == "20",
        "\"D edtAutocloseInterval\" is not \"15\" or \"F edtDiskLimit\" not \"20\"");
}

// --- boxes -------------------------------------------------------------------------

// Which of the system's box icons a box shows: its icon control as it is on
// the screen, against each icon drawn the same size on the same background.
// An icon handle cannot be drawn from another process, its pixels can be read.
std::string ShownIcon(HWND box) {
  HWND control = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      control = c;
    }
  }
  if (!control || !IsWindowVisible(control)) return "none";
  RECT rect{};
  GetWindowRect(control, &rect);
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return "none";
  Canvas screen(w, h);
  HDC desktop = GetDC(nullptr);
  BitBlt(screen.Dc(), 0, 0, w, h, desktop, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, desktop);
  const auto shown = screen.Pixels();
  const COLORREF background = GetPixel(screen.Dc(), 0, 0);
  std::string best = "none";
  long bestDifference = -1;
  const std::pair<const char*, LPCSTR> icons[] = {{"error", IDI_HAND},
                                                  {"information", IDI_ASTERISK},
                                                  {"warning", IDI_EXCLAMATION},
                                                  {"question", IDI_QUESTION}};
  for (const auto& [name, id] : icons) {
    Canvas drawn(w, h);
    RECT all{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(drawn.Dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn.Dc(), 0, 0, LoadIconA(nullptr, id), w, h, 0, nullptr, DI_NORMAL);
    const auto pixels = drawn.Pixels();
    long difference = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) difference += (pixels[i] != shown[i]) ? 1 : 0;
    if (bestDifference < 0 || difference < bestDifference) {
      bestDifference = difference;
      best = name;
    }
  }
  return best;
}

// The tip of the one tray icon, read from the tooltip that the notification
// area made for it (it lives in another process: its text is fetched through
// memory of that process).
std::string TrayTip() {
  HWND tooltip = nullptr;
  for (HWND hwnd = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); hwnd != nullptr;
       hwnd = FindWindowExA(nullptr, hwnd, "tooltips_class32", nullptr)) {
    if (SendMessageA(hwnd, TTM_GETTOOLCOUNT, 0, 0) > 0) tooltip = hwnd;
  }
  if (tooltip == nullptr) return {};
  DWORD pid = 0;
  GetWindowThreadProcessId(tooltip, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (process == nullptr) return {};
  constexpr SIZE_T kTextSize = 256;
  auto* remote = static_cast<char*>(VirtualAllocEx(
      process, nullptr, sizeof(TTTOOLINFOA) + kTextSize, MEM_COMMIT, PAGE_READWRITE));
  std::string tip;
  if (remote != nullptr) {
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.lpszText = remote + sizeof info;
    SIZE_T done = 0;
    WriteProcessMemory(process, remote, &info, sizeof info, &done);
    SendMessageA(tooltip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(remote));
    char text[kTextSize] = {};
    ReadProcessMemory(process, remote + sizeof info, text, sizeof text - 1, &done);
    tip = text;
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return tip;
}

HWND WaitForBox(DWORD pid, DWORD timeoutMs) {
  return WaitForVisible(pid, "#32770", "", timeoutMs);
}

// What a message box shows: caption, text, icon, and whether it has an owner.
struct BoxLook {
  std::string caption, text, icon;
  bool owned = false;
};

// Reads the box as it shows, then answers it with OK.
BoxLook AnswerBox(HWND box) {
  BoxLook look;
  char text[512] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  look = {TextOf(box), text, ShownIcon(box), GetWindow(box, GW_OWNER) != nullptr};
  PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, kExitTimeout), "the box did not close");
  return look;
}

// Sends `msg` to `window` from a thread of its own, so that this one can
// answer what the program shows inside its handling; joined on destruction.
class SendFromThread {
 public:
  SendFromThread(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
      : thread_(
            [=, this] { answered_ = SendWithin(window, msg, wParam, lParam, 30000, answer_); }) {}
  ~SendFromThread() { Join(); }
  SendFromThread(const SendFromThread&) = delete;
  SendFromThread& operator=(const SendFromThread&) = delete;
  // True when the message was answered, and not with 0.
  bool Consented() {
    Join();
    return answered_ && answer_ != 0;
  }

 private:
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  bool answered_ = false;
  DWORD_PTR answer_ = 0;
  std::thread thread_;
};

// --- cases ------------------------------------------------------------------------

// One start with drives C: (fixed), D: and F: (CD-ROM), and the argument
// "Options", which is not "options": the windows, all hidden, and the
// tray icon with its tip, the shell restarting, the system's power and
// device broadcasts answered without a box, and everything a close request to
// the application window leaves.
void StartAndClose(const std::string& path) {
  ClearSettings();
  Program program(path, "Options");
  HWND app = program.WaitRunning();
  Check(!IsWindowVisible(app), "the application window is visible");
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr && !IsWindowVisible(options),
        "no options window \"Orbelle 3\", or it is visible at start-up");
  // Per monitor, from the manifest: the system does not stretch its windows into blur.
  Check(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(options)) ==
            DPI_AWARENESS_PER_MONITOR_AWARE,
        "the program is not per-monitor DPI aware");
  WaitForTrayIcons(1, "running");
  const std::string tip = TrayTip();
  Check(tip == "Orbelle - click with right mouse button to see menu", "tray tip \"" + tip + "\"");

  // The shell restarted: the icon is there again, once.
  DWORD_PTR answer = 0;
  Check(SendWithin(app, RegisterWindowMessageA("TaskbarCreated"), 0, 0, 10000, answer),
        "TaskbarCreated not answered");
  WaitForTrayIcons(1, "after TaskbarCreated");

  for (WPARAM event : {0x0 /*PBT_APMQUERYSUSPEND*/, 0x4, 0x12, 0x7}) {
    Check(SendWithin(options, WM_POWERBROADCAST, event, 0, 10000, answer) && answer != 0,
          "power broadcast " + std::to_string(event) + " not consented to");
  }
  // Drive D's medium removed; a header too short for a volume; an unknown type.
  const Broadcast broadcasts[] = {{sizeof(Broadcast), 2, 0, 1u << 3, 0},
                                  {8, 2, 0, 1u << 3, 0},
                                  {sizeof(Broadcast), 5, 0, 0xFFFFFFFF, 0}};
  for (const Broadcast& b : broadcasts) {
    SendWithin(options, WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
               reinterpret_cast<LPARAM>(&b), 10000, answer);
    Check(program.Running() && Responds(options), "the program died on a device broadcast");
  }
  Check(WaitForBox(program.Pid(), 0) == nullptr, "a box appeared after the broadcasts");

  program.Close(app);
  WaitForTrayIcons(0, "after the end");
  CheckSavedDrives();
  Note("DriveCount 2, 27 text values each for D and F");
}

// A second start ends on its own, quickly and with exit code 0, and leaves the
// running program as it was: the one icon left opens that program's menu,
// whose last item ends it with its settings saved.
void SecondInstance(const std::string& path) {
  ClearSettings();
  Program first(path);
  HWND app = first.WaitRunning();
  WaitForTrayIcons(1, "the first instance");

  const ULONGLONG started = GetTickCount64();
  Program(path).WaitExit("second instance");
  Note("second instance ended after " + std::to_string(GetTickCount64() - started) + " ms");
  Check(first.Running(), "the first instance ended");
  Check(TopWindow(first.Pid(), "", kAppTitle) == app, "the first instance lost its window");
  Check(Responds(app), "the first instance does not answer");

  // The menu itself lives in the program's process, out of the harness's
  // reach under Wine; its items and drive sub-items are checked on the sim.
  HWND menu = OpenTrayMenu(first.Pid());
  // Up from no selection lands on the last item.
  PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  first.WaitExit("after Exit in the tray menu");
  WaitForTrayIcons(0, "after Exit");
  Check(ReadSettings().count("DriveCount") == 1, "Exit did not save the settings");
}

// A killed program leaves its global atom in the session; the next start must
// run all the same, and after its normal exit the next is a first instance again.
void StartAfterKill(const std::string& path) {
  {
    Program victim(path);
    victim.WaitRunning();
    victim.Kill();
    Check(!victim.Running(), "could not kill the program");
  }
  Check(GlobalFindAtomA("ORBL") != 0,
        "precondition: the killed program's atom should still be in the session");
  for (const char* round : {"after the kill", "after a normal exit"}) {
    Program next(path);
    HWND app = next.WaitRunning();
    CheckHoldsGuard(next, path);
    next.Close(app);
    WaitForTrayIcons(0, round);
  }
}

// --- drives ------------------------------------------------------------------------

// Wine refuses every media-removal request, so a drive marked to be locked at
// start-up shows the failure box when, and only when, its message option is
// on; so does its lock hot key pressed on the keyboard, which shows that a
// registered hot key reaches the program. Without the box, Open Door -> D:
// from the tray menu reaches the CD audio device and returns.
// Start-up keeps, beside the settings key, the locks of ours D holds (none:
// the lock was refused) with the moment this boot began.
void CheckHeldLocksKey() {
  const std::string path = "SOFTWARE\\Corvantis\\Orbelle\\Held Locks";
  auto number = [&](const char* name) -> std::optional<DWORD> {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return value;
  };
  Check(number("D") == DWORD{0}, "the held lock count of D is missing or not 0");
  const auto moment = number("Boot Moment");
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const auto wall = static_cast<long long>(
      ((static_cast<unsigned long long>(now.dwHighDateTime) << 32U) | now.dwLowDateTime) /
          10000000ULL -
      11644473600ULL);
  const long long boot = wall - static_cast<long long>(GetTickCount64() / 1000);
  Check(moment && std::llabs(static_cast<long long>(*moment) - boot) <= 60,
        "the stored boot moment is missing or not this boot's");
  Note("the held locks key names D with no lock and this boot");
}

void LockRefusedAtStart(const std::string& path) {
  const std::string cantLock =
      "Unfortunately, the device cannot be locked right now. Please, retry later.";
  for (const bool messages : {true, false}) {
    ClearSettings();
    StoreDriveOption('D', " Lock this drive on starting program", "1");
    StoreDriveOption('D', " ShowMessagesWhenLockingUnlocking", messages ? "1" : "0");
    StoreDriveOption('D', " HotKeyLock-Ctrl", "1");
    StoreDriveOption('D', " HotKeyLock-Alt", "1");
    StoreDriveOption('D', " HotKeyLock-Key", "76");  // Ctrl + Alt + L
    Program program(path);
    HWND app = program.WaitRunning();
    HWND box = WaitForBox(program.Pid(), messages ? kStartTimeout : 2000);
    if (!messages) {
      Check(box == nullptr, "a box with the message option off: " + (box ? TextOf(box) : ""));
      HWND menu = OpenTrayMenu(program.Pid());
      // Unlock Device, Lock Device, (separator) Close Door, Open Door; then its first drive.
      for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
      }
      Check(WaitFor([&] { return !IsWindowVisible(menu); }, kStartTimeout), "the menu stayed open");
      Check(Responds(app), "the program hangs after Open Door");
      Check(WaitForBox(program.Pid(), 500) == nullptr, "a box after Open Door");
      Note("option off: no box, and Open Door returned");
      program.Close(app);
      continue;
    }
    Check(box != nullptr, "no box for the refused lock");
    BoxLook look = AnswerBox(box);
    Check(look.caption == cantLock && look.text == cantLock,
          "box \"" + look.caption + "\": " + look.text);
    Check(!look.owned, "the box has an owner");
    Check(look.icon == "error", "the box shows the icon: " + look.icon);
    Note("option on: \"" + look.caption + "\" with the error icon");
    CheckHeldLocksKey();
    // The box came up inside start-up; the icon answers only from the message
    // loop after it, and so after the hot keys were registered.
    HWND menu = OpenTrayMenu(program.Pid());
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    Check(WaitFor([&] { return !IsWindowVisible(menu); }, kExitTimeout), "the menu did not close");

    auto key = [](WORD vk, bool up) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = vk;
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      return input;
    };
    INPUT keys[] = {key(VK_CONTROL, false), key(VK_MENU, false), key('L', false),
                    key('L', true),         key(VK_MENU, true),  key(VK_CONTROL, true)};
    Check(SendInput(6, keys, sizeof(INPUT)) == 6, "the keys could not be sent");
    box = WaitForBox(program.Pid(), kStartTimeout);
    Check(box != nullptr, "no box after the lock hot key");
    look = AnswerBox(box);
    // The lock at start-up left D marked as locked: the hot key unlocks.
    Check(look.caption ==
              "Unfortunately, the device cannot be unlocked right now. Please, retry later.",
          "box caption after the hot key: " + look.caption);
    Note("Ctrl + Alt + L reached the program");
    program.Close(app);
  }
  ClearSettings();
}

// --- hot keys ----------------------------------------------------------------------

// A combination another program holds is reported at start-up, with the
// combination on its own line, and the program runs on. A drive given the
// same combination as another drive of the program is reported the same way.
void HotKeyConflict(const std::string& path) {
  const std::string taken = "This hot key is already used. Please, specify any other hot key.\r\n";
  auto storeHotKey = [](char letter, bool alt, bool shift, const char* key) {
    StoreDriveOption(letter, " HotKeyClose-Ctrl", "1");
    StoreDriveOption(letter, " HotKeyClose-Alt", alt ? "1" : "0");
    StoreDriveOption(letter, " HotKeyClose-Shift", shift ? "1" : "0");
    StoreDriveOption(letter, " HotKeyClose-Key", key);
  };
  auto expectOneBox = [&](const std::string& expected) {
    Program program(path);
    HWND box = WaitForBox(program.Pid(), kStartTimeout);
    Check(box != nullptr, "no message about the hot key already in use");
    const BoxLook look = AnswerBox(box);
    Check(look.text == expected, "message reads \"" + look.text + "\"");
    Check(look.caption == "Orbelle", "caption \"" + look.caption + "\"");
    HWND app = program.WaitRunning();
    Check(WaitForBox(program.Pid(), 1000) == nullptr, "a second message at start-up");
    program.Close(app);
  };

  ClearSettings();
  storeHotKey('D', true, false, "75");  // Ctrl + Alt + K
  Check(RegisterHotKey(nullptr, 0x4B4B, MOD_CONTROL | MOD_ALT, 'K') != FALSE,
        "the harness could not take Ctrl + Alt + K");
  try {
    expectOneBox(taken + "Ctrl + Alt + K");
  } catch (const Failure&) {
    UnregisterHotKey(nullptr, 0x4B4B);
    throw;
  }
  UnregisterHotKey(nullptr, 0x4B4B);
  Note("a combination held by another program is reported");
  ClearSettings();
  storeHotKey('D', false, true, "76");  // Ctrl + Shift + L, for D and for F
  storeHotKey('F', false, true, "76");
  expectOneBox(taken + "Ctrl + Shift + L");
  Note("the second drive with the same combination is reported");
  ClearSettings();
}

// A removal of D's medium, with the close-now option stored on, brings up the
// close-now dialog for D with its countdown on the Close button and the focus
// on Cancel, its default button: Enter leaves. Then a shutdown query with a
// disc in D and F (every emulated CD-ROM drive reads as holding one), F not
// warning: the box names D, and after OK the query is consented to.
void RemovalAndShutdown(const std::string& path) {
  ClearSettings();
  StoreDriveOption('D', " ShowDialogToCloseDriveImmediately", "1");
  StoreDriveOption('F', " Warn if CD/DVD drive is not empty on system shutdown", "0");
  Program program(path);
  HWND app = program.WaitRunning();
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr, "no options window");
  const Broadcast removal{sizeof(Broadcast), 2 /*DBT_DEVTYP_VOLUME*/, 0, 1u << 3, 0};
  {
    // The dialog runs inside the handling of the broadcast.
    SendFromThread send(options, WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
                        reinterpret_cast<LPARAM>(&removal));
    HWND dialog = WaitForWindow(program.Pid(), "Close Drive");
    std::vector<std::string> texts;
    const auto has = [&](const std::string& text) {
      return std::find(texts.begin(), texts.end(), text) != texts.end();
    };
    // The captions are set as the dialog shows, a moment after it is visible.
    const bool counting = WaitFor(
        [&] {
          texts.clear();
          for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
               child = GetWindow(child, GW_HWNDNEXT)) {
            texts.push_back(TextOf(child));
          }
          return has("OK (15)") || has("OK (14)") || has("OK (13)");
        },
        3000);
    std::string shown;
    for (const std::string& text : texts) shown += " \"" + text + "\"";
    Check(counting && has("Drive D:"),
          "no countdown on the Close button or no \"Drive D:\"; the dialog shows" + shown);
    HWND cancel = FindWindowExA(dialog, nullptr, "Button", "Cancel");
    Check(cancel != nullptr && WaitFor([&] { return FocusOf(dialog) == cancel; }, kExitTimeout),
          "the focus is not on Cancel but on \"" + TextOf(FocusOf(dialog)) + "\"");
    PressKey(dialog, VK_RETURN);
    // At least 13 of the countdown's seconds were left when it was read: a wait
    // shorter than that is not ended by the countdown pressing OK.
    Check(WaitFor([&] { return !IsWindowVisible(dialog); }, 5000), "Enter left it up");
    Note("\"Close Drive\" for D: with a counting Close button; Enter pressed Cancel and hid it");
  }

  // The box runs inside the handling of the query.
  SendFromThread query(options, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
  HWND box = WaitForBox(program.Pid(), kStartTimeout);
  Check(box != nullptr, "no disc warning at the shutdown query");
  const BoxLook look = AnswerBox(box);
  Check(look.text == "Found disk in drive (D)", "the warning reads \"" + look.text + "\"");
  Check(look.caption == "Orbelle", "the warning's caption is \"" + look.caption + "\"");
  Check(look.icon == "warning", "the warning shows the icon: " + look.icon);
  Check(!look.owned, "the warning has an owner");
  Check(query.Consented(), "the shutdown query was not consented to");
  Note("\"" + look.text + "\", then consent");
  program.Close(app);
  ClearSettings();
}

// Chooses Options... in the tray menu `menu` that the program shows; returns
// the options window once it shows.
HWND OpenOptionsFromMenu(const Program& program, HWND menu) {
  // Up from no selection: Exit, About, Help, then Options.
  for (WPARAM key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
  return WaitForWindow(program.Pid(), kOptionsTitle);
}

HWND OpenOptions(const Program& program) {
  return OpenOptionsFromMenu(program, OpenTrayMenu(program.Pid()));
}

// A control of the page on show: the pages' controls all exist, only one
// page's are visible.
HWND VisibleControl(HWND window, const std::string& cls, const std::string& text) {
  HWND control = NeedControl(window, cls, text);
  Check(IsWindowVisible(control), "\"" + text + "\" is not on the page shown");
  return control;
}

void ShowPage(HWND options, const std::string& caption) {
  Check(ClickBarButton(NeedControl(options, TOOLBARCLASSNAMEA, ""), caption),
        "no bar button \"" + caption + "\"");
}

void Tick(HWND box, bool ticked) {
  if (IsTicked(box) != ticked) ClickButton(box);
  Check(WaitFor([&] { return IsTicked(box) == ticked; }, kExitTimeout),
        "\"" + ControlText(box) + "\" does not change");
}

// OK, Cancel or a dialog's button, pressed; waits until the window has gone.
void Press(HWND window, const std::string& button) {
  ClickButton(VisibleControl(window, "Button", button));
  Check(WaitFor([&] { return !IsWindowVisible(window); }, kExitTimeout),
        "\"" + TextOf(window) + "\" stays up after " + button);
}

// Whether the harness can take the hot key, that is no program holds it; it
// lets go at once.
bool HotKeyFree(UINT modifiers, UINT key) {
  if (RegisterHotKey(nullptr, 0x4F4F, modifiers, key) == FALSE) return false;
  UnregisterHotKey(nullptr, 0x4F4F);
  return true;
}

// The texts of a window's labels, in z-order.
std::vector<std::string> LabelTexts(HWND window) {
  std::vector<std::string> texts;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) == "Static") texts.push_back(ControlText(child));
  }
  return texts;
}

// `orbl3.exe options` shows the options window inside start-up, before the
// drives' hot keys are registered. OK stores a drive page's box and, with
// " Start automatically" ticked, writes the Run value; Cancel
// stores nothing and the next showing starts from what was stored; unticked,
// OK removes the Run value together with a leftover of an older release that
// names this program.
void OptionsWindowCase(const std::string& path) {
  ClearSettings();
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Orbelle");
  Check(RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "ORBL", REG_SZ, path.c_str(),
                        static_cast<DWORD>(path.size() + 1)) == ERROR_SUCCESS,
        "could not write the Run value ORBL");
  StoreDriveOption('D', " HotKeyClose-Ctrl", "1");
  StoreDriveOption('D', " HotKeyClose-Alt", "1");
  StoreDriveOption('D', " HotKeyClose-Key", "79");  // Ctrl + Alt + O
  Program program(path, "options");
  HWND app = program.WaitRunning();
  HWND options = WaitForWindow(program.Pid(), kOptionsTitle);
  Check(HotKeyFree(MOD_CONTROL | MOD_ALT, 'O'),
        "D's hot key is registered while the options window of the start-up is up");
  // Not a first start (D's options are stored): the box is ticked here.
  Tick(VisibleControl(options, "Button", " Start automatically"), true);

  const std::string showDialog = "Show dialog asking to close the drive immediately";
  const std::string beep = "Beep when lock/unlock this drive";
  const std::string value = "D ShowDialogToCloseDriveImmediately";
  ShowPage(options, "D:");
  HWND box = VisibleControl(options, "Button", showDialog);
  Check(!IsTicked(box), "\"" + showDialog + "\" is ticked before any save");
  Tick(box, true);
  Press(options, "OK");
  WaitForSetting(value, "1");
  // Quoted: the shell must not split the path at a blank.
  const std::string runValue = "\"" + path + "\"";
  Check(WaitFor([&] { return lstrcmpiA(RunValue("Orbelle").c_str(), runValue.c_str()) == 0; },
                kExitTimeout),
        "the Run value \"Orbelle\" is " + RunValue("Orbelle") + ", expected " + runValue);
  Note("OK stored \"" + value + "\" = \"1\" and the Run value \"" + RunValue("Orbelle") + "\"");
  // The icon answers from the message loop only, after start-up and so
  // after the hot keys were registered and OK's save was done.
  HWND menu = OpenTrayMenu(program.Pid());
  Check(!HotKeyFree(MOD_CONTROL | MOD_ALT, 'O'), "D's hot key is not registered after start-up");

  const auto saved = ReadSettings();
  options = OpenOptionsFromMenu(program, menu);
  ShowPage(options, "D:");
  Tick(VisibleControl(options, "Button", showDialog), false);
  Tick(VisibleControl(options, "Button", beep), true);
  Press(options, "Cancel");
  // Shown again through the icon: whatever Cancel did is done by then.
  options = OpenOptions(program);
  Check(ReadSettings() == saved, "Cancel changed the stored settings");
  ShowPage(options, "D:");
  Check(IsTicked(VisibleControl(options, "Button", showDialog)) &&
            !IsTicked(VisibleControl(options, "Button", beep)),
        "the showing after Cancel shows the cancelled changes");
  // Its close box hides it, and the program runs on.
  PostMessageA(options, WM_CLOSE, 0, 0);
  Check(WaitFor([&] { return !IsWindowVisible(options); }, kExitTimeout),
        "the close box does not hide the options window");
  Check(program.Running() && Responds(app), "the program ended with its options window");
  Note("Cancel stored nothing, and the next showing had the stored values");

  options = OpenOptions(program);
  box = VisibleControl(options, "Button", " Start automatically");
  Check(IsTicked(box), "the box does not show autostart on");
  Tick(box, false);
  Press(options, "OK");
  Check(WaitFor([] { return RunValue("Orbelle") == "(none)" && RunValue("ORBL") == "(none)"; },
                kExitTimeout),
        "unticked, OK left \"Orbelle\" = \"" + RunValue("Orbelle") + "\" and \"ORBL\" = \"" +
            RunValue("ORBL") + "\"");
  Note("unticked: \"Orbelle\" and the leftover \"ORBL\" are gone");
  program.Close(app);
  ClearSettings();
}

// German chosen in the language list: the choice is stored as the file's
// path, and the options window speaks German from its next showing on (the
// menu's texts follow on the sim; the tray's own test reads them back).
void LanguageGerman(const std::string& path) {
  ClearSettings();
  Program program(path);
  HWND app = program.WaitRunning();
  HWND options = OpenOptions(program);

  HWND list = VisibleControl(options, WC_LISTBOXA, "");
  const int german = EntryIndex(list, "German (Deutsch)");
  ChooseEntry(list, german);
  Press(options, "OK");
  const std::string file = path.substr(0, path.find_last_of('\\')) + "\\Language\\German.ini";
  Check(WaitFor(
            [&] {
              return lstrcmpiA(SettingText("Currently used language").c_str(), file.c_str()) == 0;
            },
            kExitTimeout),
        "\"Currently used language\" is \"" + SettingText("Currently used language") + "\"");
  Note("stored language: " + SettingText("Currently used language"));

  options = OpenOptions(program);
  for (const char* text : {"Abbrechen", "Hilfe", " Automatisch starten"}) {
    VisibleControl(options, "Button", text);
  }
  const auto bar = BarButtons(NeedControl(options, TOOLBARCLASSNAMEA, ""));
  Check(!bar.empty() && bar.front().second == "Allgemeine Optionen",
        "the bar's first button reads \"" + (bar.empty() ? "" : bar.front().second) + "\"");
  DWORD_PTR selected = 0;
  Check(
      SendWithin(list, LB_GETCURSEL, 0, 0, 5000, selected) && static_cast<int>(selected) == german,
      "the language list does not show German chosen");
  Press(options, "Abbrechen");
  Note("the options window reads German at its next showing");

  program.Close(app);
  ClearSettings();
}

// The options window and the hot key dialog take the keys of a dialog, each
// pressed on the focused control as the keyboard would: the window opens, on
// a first start with " Start automatically" ticked, with the focus on OK, and
// Tab moves it on. Drive D's "Change..." buttons open the
// hot key dialog over the disabled options window; Enter on a check box there
// presses OK and the page shows the new hot key; the close box and Esc change
// nothing. The options window's OK stores the hot key, and Esc there closes
// it while the program runs on.
void HotKeyDialog(const std::string& path) {
  ClearSettings();
  Program program(path, "options");
  HWND app = program.WaitRunning();
  HWND options = WaitForWindow(program.Pid(), kOptionsTitle);
  Check(IsTicked(VisibleControl(options, "Button", " Start automatically")),
        "\" Start automatically\" is not ticked on a first start");
  HWND ok = NeedControl(options, "Button", "OK");
  Check(WaitFor([&] { return FocusOf(options) == ok; }, kStartTimeout),
        "the options window opens with the focus elsewhere than on OK");
  HWND afterOk = GetNextDlgTabItem(options, ok, FALSE);
  Check(afterOk != nullptr && afterOk != ok, "no control follows OK in the tab order");
  PressKey(options, VK_TAB);
  Check(
      WaitFor([&] { return FocusOf(options) == afterOk; }, kExitTimeout),
      "Tab from OK went to \"" + TextOf(FocusOf(options)) + "\", not \"" + TextOf(afterOk) + "\"");

  ShowPage(options, "D:");
  HWND changeClose = VisibleControl(options, "Button", "Change...");
  HWND changeLock = changeClose;
  do {
    changeLock = GetWindow(changeLock, GW_HWNDNEXT);
  } while (changeLock != nullptr && ControlText(changeLock) != "Change...");
  Check(changeLock != nullptr, "no second \"Change...\" button");

  // Opens the dialog with `change`, chooses `key` and ticks `modifier`, which
  // takes the focus, then leaves the dialog with `leave` (`how`).
  const auto edit = [&](HWND change, const std::string& key, const std::string& modifier,
                        const std::string& how, void (*leave)(HWND dialog)) {
    ClickButton(change);
    HWND dialog = WaitForWindow(program.Pid(), "Hot Key Options");
    // The dialog shows first, then the windows under it are disabled.
    Check(WaitFor([&] { return !IsWindowEnabled(options); }, kExitTimeout),
          "the options window stays enabled under the hot key dialog");
    HWND keys = VisibleControl(dialog, WC_COMBOBOXA, "");
    Check(Entries(keys).size() == 60,
          "the key list has " + std::to_string(Entries(keys).size()) + " entries, expected 60");
    ChooseEntry(keys, EntryIndex(keys, key));
    HWND box = VisibleControl(dialog, "Button", modifier);
    Tick(box, true);
    Check(WaitFor([&] { return FocusOf(dialog) == box; }, kExitTimeout),
          "clicking \"" + modifier + "\" did not give it the focus");
    leave(dialog);
    Check(WaitFor(
              [&] {
                return !IsWindowVisible(dialog) && IsWindowEnabled(options) &&
                       IsWindowVisible(options);
              },
              kExitTimeout),
          how + " left the hot key dialog up, or the options window disabled or hidden");
  };

  edit(changeClose, "F5", "Ctrl", "Enter", [](HWND dialog) { PressKey(dialog, VK_RETURN); });
  std::vector<std::string> labels;
  Check(WaitFor(
            [&] {
              labels = LabelTexts(options);
              return std::count(labels.begin(), labels.end(), "Ctrl + F5") == 1;
            },
            kExitTimeout),
        "Enter on the Ctrl box: the page does not show \"Ctrl + F5\" once");
  Note("Enter on a check box pressed OK: the page shows \"Ctrl + F5\"");

  // The lock row's dialog, changed and then left without OK, both ways.
  edit(changeLock, "F6", "Alt", "the close box",
       [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); });
  edit(changeLock, "F7", "Shift", "Esc", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); });
  Check(LabelTexts(options) == labels, "the close box or Esc changed the page");

  // The lock row's values tell what the close box and Esc left.
  Press(options, "OK");
  const std::pair<const char*, const char*> stored[] = {
      {"D HotKeyClose-Key", "116"},  // VK_F5
      {"D HotKeyClose-Ctrl", "1"},  {"D HotKeyClose-Alt", "0"}, {"D HotKeyClose-Shift", "0"},
      {"D HotKeyClose-Win", "0"},   {"D HotKeyLock-Key", "0"},  {"D HotKeyLock-Alt", "0"},
      {"D HotKeyLock-Shift", "0"},  {"F HotKeyClose-Key", "0"}};
  const auto differing = [&] {
    std::string found;
    for (const auto& [name, expected] : stored) {
      if (SettingText(name) != expected) {
        found += std::string(" ") + name + " = \"" + SettingText(name) + "\" (expected \"" +
                 expected + "\")";
      }
    }
    return found;
  };
  // The save writes one value after the other: wait until all are there.
  Check(WaitFor([&] { return differing().empty(); }, kExitTimeout), "after OK:" + differing());
  Note("OK stored D's close hot key Ctrl + F5 and nothing else");

  options = OpenOptions(program);
  PressKey(options, VK_ESCAPE);
  Check(WaitFor([&] { return !IsWindowVisible(options); }, kExitTimeout),
        "Esc left the options window up");
  Check(program.Running() && Responds(app), "the program ended with its options window");
  program.Close(app);
  ClearSettings();
}

// Every text of every language file beside the program fits the control
// showing it. The check first proves it sees a cut-off text: a file with one
// check box's, one wrapped label's and one push button's text made too long
// is reported exactly for those three. The box and the button lack less than
// the room beside their texts: German's first "Umschalt" in the hot key
// dialog, and a caption as wide as its button.
void LanguagesFit(const std::string& path) {
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  const std::string planted = folder + "\\TooLong.ini";
  const std::string shift = "Umschalt";
  const std::string hotKeyLabel =
      "Hot key to open or close the door of this drive from any program";
  const std::string help = "Help on options";
  {
    FILE* file = std::fopen(planted.c_str(), "wb");
    Check(file != nullptr, "cannot write " + planted);
    std::fprintf(file,
                 "[Main]\r\nLangNameEng=Too long\r\n[Keys]\r\nShift_Key=%s\r\n[DeviceOptions]\r\n"
                 "HotKeyOpenClose=%s\r\n[Buttons]\r\nHelp=%s\r\n",
                 shift.c_str(), hotKeyLabel.c_str(), help.c_str());
    Check(std::fclose(file) == 0, "cannot write " + planted);
  }
  std::vector<std::string> reported;
  for (const Clipped& c : CheckLanguage(path, planted, "TooLong.ini")) {
    Note(Describe(c));
    reported.push_back(c.control + " \"" + c.text + "\"" + (c.height ? " height" : " width"));
  }
  DeleteFileA(planted.c_str());
  std::sort(reported.begin(), reported.end());
  const std::vector<std::string> expected = {"check box \"" + shift + "\" width",
                                             "label \"" + hotKeyLabel + "\" height",
                                             "push button \"" + help + "\" width"};
  Check(reported == expected, "the planted file's three long texts were not reported as such");

  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\Language\\*.ini").c_str(), &found);
  Check(search != INVALID_HANDLE_VALUE, "no language files beside the program");
  std::vector<std::string> names;
  do {
    names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::vector<Clipped> clipped;
  for (const std::string& name : names) {
    const std::vector<Clipped> some = CheckLanguage(path, folder + "\\Language\\" + name, name);
    clipped.insert(clipped.end(), some.begin(), some.end());
  }
  for (const Clipped& c : clipped) Note(Describe(c));
  Check(clipped.empty(), std::to_string(clipped.size()) + " text(s) do not fit");
  std::string checked;
  for (const std::string& name : names) checked += " " + name;
  Note("every text fits in" + checked);
}

// The program file carries its icon in every size from 100 to 200 % scaling,
// its version and its manifest.
void Resources(const std::string& path) {
  HMODULE image = LoadLibraryExA(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  Check(image != nullptr, "cannot open the program file's resources");
  // The icon group lists the images the file really holds (LoadImage would
  // scale a missing size from another).
  HRSRC group = FindResourceA(image, "TRAY", MAKEINTRESOURCEA(14) /*RT_GROUP_ICON*/);
  Check(group != nullptr, "no icon TRAY");
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
  const DWORD groupSize = SizeofResource(image, group);
  Check(bytes != nullptr && groupSize >= 6, "icon TRAY unreadable");
  const WORD count = static_cast<WORD>(bytes[4] | (bytes[5] << 8));
  Check(groupSize >= 6u + 14u * count, "icon TRAY's directory is short");
  std::vector<int> sizes;
  for (WORD i = 0; i < count; ++i) sizes.push_back(bytes[6 + 14 * i]);
  Check(sizes == std::vector<int>({16, 20, 24, 32, 40, 48, 64}),
        "icon TRAY does not hold 16, 20, 24, 32, 40, 48 and 64 px");
  for (int size : {16, 20, 24, 32, 40, 48, 64}) {
    HICON icon = static_cast<HICON>(LoadImageA(image, "TRAY", IMAGE_ICON, size, size, 0));
    Check(icon != nullptr, "icon TRAY does not load at " + std::to_string(size) + " px");
    DestroyIcon(icon);
  }
  Check(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr,
        "no application manifest");
  // The tray menu's pictures, drawn at 16 px and for 125, 150 and 200 % under
  // their names with the size after them, with an alpha channel, as the menu
  // blends them.
  for (const char* picture :
       {"FRMMAIN_N16_BMP_BITMAP", "FRMMAIN_N17_BMP_BITMAP", "FRMMAIN_N19_BMP_BITMAP",
        "FRMMAIN_N20_BMP_BITMAP", "FRMMAIN_N22_BMP_BITMAP", "FRMMAIN_N24_BMP_BITMAP"}) {
    for (int side : {16, 20, 24, 32}) {
      const std::string name =
          side == 16 ? std::string(picture) : std::string(picture) + "_" + std::to_string(side);
      HRSRC found = FindResourceA(image, name.c_str(), MAKEINTRESOURCEA(2) /*RT_BITMAP*/);
      Check(found != nullptr, "no bitmap " + name);
      const auto* info =
          static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(image, found)));
      const auto area = static_cast<std::size_t>(side * side);
      Check(info != nullptr && SizeofResource(image, found) >= sizeof(BITMAPINFOHEADER) + area * 4,
            "bitmap " + name + " is short");
      Check(info->biWidth == side && std::abs(info->biHeight) == side && info->biBitCount == 32 &&
                info->biCompression == BI_RGB,
            "bitmap " + name + " is not " + std::to_string(side) + " px square at 32 bpp");
      // Clear around the picture, solid inside, each colour premultiplied by its alpha.
      const auto* pixels = reinterpret_cast<const BYTE*>(info) + info->biSize;
      bool clear = false, solid = false, premultiplied = true;
      for (std::size_t i = 0; i < area; ++i) {
        const BYTE* bgra = pixels + 4 * i;
        clear = clear || bgra[3] == 0;
        solid = solid || bgra[3] == 255;
        premultiplied = premultiplied && std::max({bgra[0], bgra[1], bgra[2]}) <= bgra[3];
      }
      Check(clear && solid && premultiplied,
            "bitmap " + name + " has no usable premultiplied alpha");
    }
  }
  FreeLibrary(image);

  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  Check(size != 0, "no version information");
  std::vector<char> data(size);
  Check(GetFileVersionInfoA(path.c_str(), 0, size, data.data()) != FALSE, "version unreadable");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  Check(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
        "no fixed version");
  Check(fixed->dwFileVersionMS == MAKELONG(1, 3) && HIWORD(fixed->dwFileVersionLS) == 2,
        "file version is not 3.1.2");
  char* product = nullptr;
  Check(VerQueryValueA(data.data(), "\\StringFileInfo\\040904B0\\ProductName",
                       reinterpret_cast<void**>(&product), &length) &&
            std::string(product) == "Orbelle",
        "product name is not Orbelle");
}

}  // namespace

int Run(int argc, char** argv) {
  const std::map<std::string, void (*)(const std::string&)> cases = {
      {"resources", Resources},
      {"start-and-close", StartAndClose},
      {"second-instance", SecondInstance},
      {"start-after-kill", StartAfterKill},
      {"lock-refused-at-start", LockRefusedAtStart},
      {"hot-key-conflict", HotKeyConflict},
      {"removal-and-shutdown", RemovalAndShutdown},
      {"options-window", OptionsWindowCase},
      {"language-german", LanguageGerman},
      {"hot-key-dialog", HotKeyDialog},
      {"languages-fit", LanguagesFit}};
  if (argc != 3 || cases.count(argv[1]) == 0) {
    std::printf("usage: orbl_e2e CASE PROGRAM\ncases:");
    for (const auto& [name, run] : cases) std::printf(" %s", name.c_str());
    std::printf("\n");
    return 2;
  }
  try {
    Check(TopWindows(0, "", kAppTitle).empty(),
          "an orbl3.exe from an earlier case is still running");
    cases.at(argv[1])(argv[2]);
  } catch (const std::exception& failure) {
    // Flushed here: a case that fails must say why even if the exit goes wrong.
    std::printf("  FAILED: %s\n", failure.what());
    std::fflush(stdout);
    return 1;
  }
  return 0;
}

}  // namespace orbl::e2e

int main(int argc, char** argv) {
  return orbl::e2e::Run(argc, argv);
}
