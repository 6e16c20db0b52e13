// Drives the real orbl3.exe from inside the Wine session: starts it, finds its
// windows, sends it what the system would send, answers its boxes, and reads
// what it left in the registry and the notification area.
//
//   orbl_e2e.exe CASE PROGRAM     (exit code 0 when the case passed)
//
// Every wait is bounded; a hang fails the case.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "e2e_windows.h"

namespace orbl::e2e {
namespace {

class Program {
 public:
  Program(const std::string& path, const std::string& arguments = {}) {
    std::string commandLine = "\"" + path + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const bool started = CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                        0, nullptr, nullptr, &startup, &info_) != FALSE;
    Check(started, "could not start " + path + " (error " + std::to_string(GetLastError()) + ")");
  }
  ~Program() {
    if (Running()) Kill();
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD Pid() const { return info_.dwProcessId; }
  bool Running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

  // Returns the exit code, or throws when the process is still running after the timeout.
  DWORD WaitExit(DWORD timeoutMs, const std::string& what) const {
    Check(WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0,
          what + ": still running after " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
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

  void Kill() const {
    TerminateProcess(info_.hProcess, 9);
    WaitForSingleObject(info_.hProcess, kExitTimeout);
  }

 private:
  PROCESS_INFORMATION info_{};
};

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

void SetRunValue(const char* name, const std::string& text) {
  Check(RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, name, REG_SZ, text.c_str(),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS,
        std::string("could not write the Run value ") + name);
}

void DeleteRunValue(const char* name) {
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, name);
}

void CheckDriveValues(const std::map<std::string, Value>& values, char letter) {
  int count = 0;
  for (const auto& [name, value] : values) {
    if (name.size() > 2 && name[0] == letter && name[1] == ' ') {
      Check(value.type == REG_SZ, "\"" + name + "\" is not REG_SZ");
      ++count;
    }
  }
  Check(count == 27,
        std::string("drive ") + letter + " has " + std::to_string(count) + " values, expected 27");
}

// --- the program's windows --------------------------------------------------

void RequestClose(HWND app) {
  Check(PostMessageA(app, WM_CLOSE, 0, 0) != FALSE, "could not post WM_CLOSE");
}

void CheckNoProgramRunning() {
  Check(TopWindows(0, "", kAppTitle).empty(), "an orbl3.exe from an earlier case is still running");
}

// --- cases ------------------------------------------------------------------------

// Start-up with drives C: (fixed), D: and F: (CD-ROM), the tray icon while
// running, and everything a close request to the application window leaves.
void StartAndClose(const std::string& path) {
  ClearSettings();
  Program program(path);
  HWND app = program.WaitRunning();
  Check(!IsWindowVisible(app), "the application window is visible");
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr, "no options window \"Orbelle 3\"");
  Check(!IsWindowVisible(options), "the options window is visible at start-up");
  // Per monitor, from the manifest: the system does not stretch its windows into blur.
  Check(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(options)) ==
            DPI_AWARENESS_PER_MONITOR_AWARE,
        "the program is not per-monitor DPI aware");
  Check(WaitFor([] { return TrayIconCount() == 1; }, kStartTimeout), "no tray icon while running");

  RequestClose(app);
  const DWORD code = program.WaitExit(kExitTimeout, "after WM_CLOSE");
  Check(code == 0, "exit code " + std::to_string(code));
  Check(WaitFor([] { return TrayIconCount() == 0; }, kExitTimeout), "tray icon left behind");

  const auto values = ReadSettings();
  auto count = values.find("DriveCount");
  Check(count != values.end(), "no DriveCount");
  Check(count->second.type == REG_DWORD, "DriveCount is not REG_DWORD");
  Check(count->second.number == 2, "DriveCount is " + std::to_string(count->second.number));
  CheckDriveValues(values, 'D');
  CheckDriveValues(values, 'F');
  for (char other : {'A', 'C', 'E', 'Z'}) {
    for (const auto& [name, value] : values) {
      Check(!(name.size() > 2 && name[0] == other && name[1] == ' '),
            "value for a drive that is no optical drive: " + name);
    }
  }
  const auto interval = values.find("D edtAutocloseInterval");
  Check(interval != values.end() && interval->second.text == "15",
        "\"D edtAutocloseInterval\" is not \"15\"");
  const auto limit = values.find("F edtDiskLimit");
  Check(limit != values.end() && limit->second.text == "20", "\"F edtDiskLimit\" is not \"20\"");
  Note("DriveCount 2, 27 text values each for D and F");
}

// A second start ends on its own, quickly and with exit code 0, and leaves the
// running program as it was.
void SecondInstance(const std::string& path) {
  Program first(path);
  HWND app = first.WaitRunning();
  Check(WaitFor([] { return TrayIconCount() == 1; }, kStartTimeout), "no tray icon");

  const ULONGLONG started = GetTickCount64();
  Program second(path);
  const DWORD code = second.WaitExit(kExitTimeout, "second instance");
  Check(code == 0, "second instance exit code " + std::to_string(code));
  Note("second instance ended after " + std::to_string(GetTickCount64() - started) + " ms");

  Check(first.Running(), "the first instance ended");
  Check(TopWindow(first.Pid(), "", kAppTitle) == app, "the first instance lost its window");
  Check(Responds(app), "the first instance does not answer");
  // The one icon left is the first instance's: it opens that program's menu.
  HWND menu = OpenTrayMenu(first.Pid());
  PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  Check(WaitFor([&] { return !IsWindowVisible(menu); }, kExitTimeout), "the menu did not close");

  RequestClose(app);
  Check(first.WaitExit(kExitTimeout, "first instance after WM_CLOSE") == 0, "exit code");
}

// Proves that `program` holds the single-instance guard: a further start
// ends at once while it keeps running.
void CheckHoldsGuard(const Program& program, const std::string& path) {
  Program probe(path);
  Check(probe.WaitExit(kExitTimeout, "a start beside the running program") == 0, "exit code");
  Check(program.Running(), "the running program ended");
}

// A killed program leaves its global atom in the session; the next start must
// run all the same.
void StartAfterKill(const std::string& path) {
  {
    Program victim(path);
    victim.WaitRunning();
    victim.Kill();
    Check(!victim.Running(), "could not kill the program");
  }
  Check(GlobalFindAtomA("ORBL") != 0,
        "precondition: the killed program's atom should still be in the session");
  Program next(path);
  HWND app = next.WaitRunning();
  CheckHoldsGuard(next, path);
  RequestClose(app);
  Check(next.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
}

// After a normal exit the next start is a first instance again.
void Restart(const std::string& path) {
  for (int round = 1; round <= 2; ++round) {
    Program program(path);
    HWND app = program.WaitRunning();
    CheckHoldsGuard(program, path);
    RequestClose(app);
    Check(program.WaitExit(kExitTimeout, "round " + std::to_string(round)) == 0, "exit code");
    Check(WaitFor([] { return TrayIconCount() == 0; }, kExitTimeout), "tray icon left behind");
  }
}

// The shell restarted: the icon is there again, once.
void TaskbarCreated(const std::string& path) {
  Program program(path);
  HWND app = program.WaitRunning();
  Check(WaitFor([] { return TrayIconCount() == 1; }, kStartTimeout), "no tray icon");
  DWORD_PTR result = 0;
  Check(SendWithin(app, RegisterWindowMessageA("TaskbarCreated"), 0, 0, 10000, result),
        "TaskbarCreated not answered");
  Check(WaitFor([] { return TrayIconCount() == 1; }, kStartTimeout),
        "after TaskbarCreated: " + std::to_string(TrayIconCount()) + " icons");
  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  Check(WaitFor([] { return TrayIconCount() == 0; }, kExitTimeout), "tray icon left behind");
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

// The icon carries its tip; the right button opens the menu; its last item
// ends the program.
void TrayMenuExit(const std::string& path) {
  ClearSettings();
  Program program(path);
  program.WaitRunning();
  const std::string tip = TrayTip();
  Note("tray tip: \"" + tip + "\"");
  Check(tip == "Orbelle - click with right mouse button to see menu", "tray tip \"" + tip + "\"");
  // The menu itself lives in the program's process, out of the harness's
  // reach under Wine; its items and drive sub-items are checked on the sim.
  HWND menu = OpenTrayMenu(program.Pid());
  // Up from no selection lands on the last item.
  PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
  PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
  const DWORD code = program.WaitExit(kExitTimeout, "after Exit in the tray menu");
  Check(code == 0, "exit code " + std::to_string(code));
  Check(WaitFor([] { return TrayIconCount() == 0; }, kExitTimeout), "tray icon left behind");
  const auto values = ReadSettings();
  Check(values.count("DriveCount") == 1, "Exit did not save the settings");
}

// Power broadcasts are consented to; device broadcasts, from a proper volume
// notice to a header too short for one, leave the program alive and silent.
void SystemMessages(const std::string& path) {
  ClearSettings();
  Program program(path);
  HWND app = program.WaitRunning();
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr, "no options window");

  DWORD_PTR answer = 0;
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
  for (HWND box : TopWindows(program.Pid(), "#32770", "")) {
    Check(!IsWindowVisible(box), "a box appeared after the broadcasts: " + TextOf(box));
  }

  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
}

// The argument "options", exactly so, opens the options window during
// start-up; closing it hides it and the program runs on. "Options" does not.
void OptionsArgument(const std::string& path) {
  {
    Program program(path, "options");
    HWND app = program.WaitRunning();
    HWND options = nullptr;
    Check(WaitFor(
              [&] {
                options = TopWindow(program.Pid(), "", kOptionsTitle);
                return options != nullptr && IsWindowVisible(options);
              },
              kStartTimeout),
          "the options window is not shown");
    PostMessageA(options, WM_CLOSE, 0, 0);
    Check(WaitFor([&] { return !IsWindowVisible(options); }, kExitTimeout),
          "closing the options window does not hide it");
    Check(program.Running() && Responds(app), "the program ended with its options window");
    RequestClose(app);
    Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  }
  Program program(path, "Options");
  HWND app = program.WaitRunning();
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr && !IsWindowVisible(options), "\"Options\" opened the options window");
  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
}

// --- drives ------------------------------------------------------------------------

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

HWND WaitForBox(DWORD pid, DWORD timeoutMs) {
  HWND box = nullptr;
  WaitFor(
      [&] {
        for (HWND hwnd : TopWindows(pid, "#32770", "")) {
          if (IsWindowVisible(hwnd)) box = hwnd;
        }
        return box != nullptr;
      },
      timeoutMs);
  return box;
}

void AnswerBox(HWND box) {
  PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  Check(WaitFor([&] { return !IsWindow(box); }, kExitTimeout), "the box did not close");
}

// A shutdown query with a disc in D and F (every emulated CD-ROM drive reads as
// holding one), F not warning: the box names D, and after OK the query is
// consented to.
void ShutdownWarning(const std::string& path) {
  ClearSettings();
  StoreDriveOption('F', " Warn if CD/DVD drive is not empty on system shutdown", "0");
  Program program(path);
  HWND app = program.WaitRunning();
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr, "no options window");

  DWORD_PTR answer = 0;
  bool answered = false;
  // The box runs inside the handling of the query: it is sent from a thread
  // of its own while this one answers the box.
  std::thread query([&] {
    answered = SendWithin(options, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, 30000, answer);
  });
  HWND box = WaitForBox(program.Pid(), kStartTimeout);
  std::string text;
  std::string caption;
  std::string icon;
  bool owned = false;
  if (box != nullptr) {
    char buffer[512] = {};
    GetDlgItemTextA(box, 0xFFFF, buffer, sizeof buffer);
    text = buffer;
    caption = TextOf(box);
    icon = ShownIcon(box);
    owned = GetWindow(box, GW_OWNER) != nullptr;
    try {
      AnswerBox(box);
    } catch (const Failure&) {
      query.join();  // the send gives up after its time-out
      throw;
    }
  }
  query.join();
  Check(box != nullptr, "no disc warning at the shutdown query");
  Check(text == "Found disk in drive (D)", "the warning reads \"" + text + "\"");
  Check(caption == "Orbelle", "the warning's caption is \"" + caption + "\"");
  Check(icon == "warning", "the warning shows the icon: " + icon);
  Check(!owned, "the warning has an owner");
  Check(answered && answer != 0, "the shutdown query was not consented to");
  Note("\"" + text + "\", then consent");

  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
}

// Wine refuses every media-removal request, so a drive marked to be locked at
// start-up shows the failure box when, and only when, its message option is on.
void LockRefusedAtStart(const std::string& path) {
  const std::string cantLock =
      "Unfortunately, the device cannot be locked right now. Please, retry later.";
  for (const char* option : {"1", "0"}) {
    ClearSettings();
    StoreDriveOption('D', " Lock this drive on starting program", "1");
    StoreDriveOption('D', " ShowMessagesWhenLockingUnlocking", option);
    Program program(path);
    HWND app = program.WaitRunning();
    HWND box = WaitForBox(program.Pid(), option == std::string("1") ? kStartTimeout : 2000);
    if (option == std::string("0")) {
      Check(box == nullptr, "a box with the message option off: " + (box ? TextOf(box) : ""));
      Note("option off: no box");
    } else {
      Check(box != nullptr, "no box for the refused lock");
      Check(TextOf(box) == cantLock, "box caption: " + TextOf(box));
      char text[512] = {};
      GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
      Check(text == cantLock, std::string("box text: ") + text);
      Check(GetWindow(box, GW_OWNER) == nullptr, "the box has an owner");
      const std::string icon = ShownIcon(box);
      Check(icon == "error", "the box shows the icon: " + icon);
      Note("option on: \"" + TextOf(box) + "\" with the error icon");
      AnswerBox(box);
    }
    Check(Responds(app), "the program does not respond after the lock at start-up");
    RequestClose(app);
    Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  }
}

// Open Door -> D: from the tray menu reaches the CD audio device and returns.
void TrayMenuOpenDoor(const std::string& path) {
  ClearSettings();
  Program program(path);
  HWND app = program.WaitRunning();
  HWND menu = OpenTrayMenu(program.Pid());
  // Unlock Device, Lock Device, (separator) Close Door, Open Door; then its first drive.
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}) {
    PostMessageA(menu, WM_KEYDOWN, key, 0);
  }
  Check(WaitFor([&] { return !IsWindowVisible(menu); }, kStartTimeout), "the menu stayed open");
  const ULONGLONG chosen = GetTickCount64();
  Check(Responds(app), "the program hangs after Open Door");
  Note("the door request returned after " + std::to_string(GetTickCount64() - chosen) + " ms");
  Check(WaitForBox(program.Pid(), 500) == nullptr, "a box after Open Door");
  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
}

// --- hot keys ----------------------------------------------------------------------

// A combination another program holds is reported at start-up, with the
// combination on its own line, and the program runs on. A drive given the
// same combination as another drive of the program is reported the same way.
void HotKeyConflict(const std::string& path) {
  const std::string taken = "This hot key is already used. Please, specify any other hot key.\r\n";
  struct Held {
    Held() : ok(RegisterHotKey(nullptr, 0x4B4B, MOD_CONTROL | MOD_ALT, 'K') != FALSE) {}
    ~Held() {
      if (ok) UnregisterHotKey(nullptr, 0x4B4B);
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    bool ok;
  };
  auto storeHotKey = [](char letter, bool ctrl, bool alt, bool shift, const char* key) {
    StoreDriveOption(letter, " HotKeyClose-Ctrl", ctrl ? "1" : "0");
    StoreDriveOption(letter, " HotKeyClose-Alt", alt ? "1" : "0");
    StoreDriveOption(letter, " HotKeyClose-Shift", shift ? "1" : "0");
    StoreDriveOption(letter, " HotKeyClose-Key", key);
  };
  auto expectOneBox = [&](const std::string& expected) {
    Program program(path);
    HWND box = WaitForBox(program.Pid(), kStartTimeout);
    Check(box != nullptr, "no message about the hot key already in use");
    char text[512] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    const std::string caption = TextOf(box);
    AnswerBox(box);
    Check(text == expected, std::string("message reads \"") + text + "\"");
    Check(caption == "Orbelle", "caption \"" + caption + "\"");
    HWND app = program.WaitRunning();
    Check(WaitForBox(program.Pid(), 1000) == nullptr, "a second message at start-up");
    RequestClose(app);
    Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  };

  ClearSettings();
  storeHotKey('D', true, true, false, "75");  // Ctrl + Alt + K
  {
    const Held held;
    Check(held.ok, "the harness could not take Ctrl + Alt + K");
    expectOneBox(taken + "Ctrl + Alt + K");
    Note("a combination held by another program is reported");
  }
  ClearSettings();
  storeHotKey('D', true, false, true, "76");  // Ctrl + Shift + L, for D and for F
  storeHotKey('F', true, false, true, "76");
  expectOneBox(taken + "Ctrl + Shift + L");
  Note("the second drive with the same combination is reported");
  ClearSettings();
}

// A registered hot key pressed on the keyboard reaches the program: the lock
// hot key of D tries to lock it, which Wine refuses, and the drive's message
// option makes that visible as the failure box.
void HotKeyPressed(const std::string& path) {
  ClearSettings();
  StoreDriveOption('D', " ShowMessagesWhenLockingUnlocking", "1");
  StoreDriveOption('D', " HotKeyLock-Ctrl", "1");
  StoreDriveOption('D', " HotKeyLock-Alt", "1");
  StoreDriveOption('D', " HotKeyLock-Key", "76");  // Ctrl + Alt + L
  Program program(path);
  HWND app = program.WaitRunning();
  Check(WaitForBox(program.Pid(), 1000) == nullptr, "a box before the hot key");
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
  HWND box = WaitForBox(program.Pid(), kStartTimeout);
  Check(box != nullptr, "no box after the lock hot key");
  Check(TextOf(box) == "Unfortunately, the device cannot be locked right now. Please, retry later.",
        "box caption: " + TextOf(box));
  Note("Ctrl + Alt + L reached the program: \"" + TextOf(box) + "\"");
  AnswerBox(box);
  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
}

// A removal of D's medium, with the close-now option stored on, brings up the
// close-now dialog for D with its countdown on the Close button and the focus
// on Cancel, its default button: Enter leaves.
void RemovalDialog(const std::string& path) {
  ClearSettings();
  StoreDriveOption('D', " ShowDialogToCloseDriveImmediately", "1");
  Program program(path);
  HWND app = program.WaitRunning();
  HWND options = TopWindow(program.Pid(), "", kOptionsTitle);
  Check(options != nullptr, "no options window");
  const Broadcast removal{sizeof(Broadcast), 2 /*DBT_DEVTYP_VOLUME*/, 0, 1u << 3, 0};
  DWORD_PTR answer = 0;
  // The dialog runs inside the handling of the broadcast: send from a thread.
  std::thread send([&] {
    SendWithin(options, WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
               reinterpret_cast<LPARAM>(&removal), 30000, answer);
  });
  HWND dialog = nullptr;
  WaitFor(
      [&] {
        dialog = TopWindow(program.Pid(), "", "Close Drive");
        return dialog != nullptr && IsWindowVisible(dialog);
      },
      kStartTimeout);
  std::vector<std::string> texts;
  auto has = [&](const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  bool counting = false;
  // The captions are set as the dialog shows, a moment after it is visible.
  WaitFor(
      [&] {
        texts.clear();
        for (HWND child = dialog == nullptr ? nullptr : GetWindow(dialog, GW_CHILD);
             child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
          texts.push_back(TextOf(child));
        }
        counting = has("OK (15)") || has("OK (14)") || has("OK (13)");
        return counting;
      },
      3000);
  const bool drive = has("Drive D:");
  HWND cancel = dialog == nullptr ? nullptr : FindWindowExA(dialog, nullptr, "Button", "Cancel");
  // Cancel is the default: Enter, pressed as the dialog comes up, keeps the door open.
  const bool cancelFocused =
      cancel != nullptr && WaitFor([&] { return FocusOf(dialog) == cancel; }, kExitTimeout);
  if (dialog != nullptr) PressKey(dialog, VK_RETURN);
  // At least 13 of the countdown's seconds were left when it was read: a wait
  // shorter than that is not ended by the countdown pressing OK.
  const bool hidden = WaitFor([&] { return dialog != nullptr && !IsWindowVisible(dialog); }, 5000);
  send.join();  // the dialog ran inside the broadcast's handling
  Check(dialog != nullptr, "no \"Close Drive\" dialog after the removal");
  Check(drive, "the dialog does not name drive D");
  std::string shown;
  for (const std::string& text : texts) shown += " \"" + text + "\"";
  Check(counting, "the Close button shows no countdown; the dialog shows" + shown);
  Check(cancel != nullptr, "no Cancel button");
  Check(cancelFocused, "the focus is not on Cancel but on \"" + TextOf(FocusOf(dialog)) + "\"");
  Check(hidden, "Enter left it up");
  Note("\"Close Drive\" for D: with a counting Close button; Enter pressed Cancel and hid it");
  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
}

// Tab, Enter and Esc in the options window and the hot key dialog, pressed on
// the focused control as the keyboard would: Tab moves to the next control,
// Enter presses the default button (OK) from a check box, Esc is Cancel.
void DialogKeys(const std::string& path) {
  ClearSettings();
  Program program(path, "options");
  HWND app = program.WaitRunning();
  HWND options = WaitForWindow(program.Pid(), kOptionsTitle);
  HWND ok = NeedControl(options, "Button", "OK");
  Check(WaitFor([&] { return FocusOf(options) == ok; }, kStartTimeout),
        "the options window opens with the focus elsewhere than on OK");
  HWND afterOk = GetNextDlgTabItem(options, ok, FALSE);
  Check(afterOk != nullptr && afterOk != ok, "no control follows OK in the tab order");
  PressKey(options, VK_TAB);
  Check(
      WaitFor([&] { return FocusOf(options) == afterOk; }, kExitTimeout),
      "Tab from OK went to \"" + TextOf(FocusOf(options)) + "\", not \"" + TextOf(afterOk) + "\"");
  Note("Tab moved the focus from OK to \"" + TextOf(afterOk) + "\"");

  Check(ClickBarButton(NeedControl(options, TOOLBARCLASSNAMEA, ""), "D:"), "no drive D: button");
  HWND change = NeedControl(options, "Button", "Change...");
  Check(WaitFor([&] { return IsWindowVisible(change) != FALSE; }, kExitTimeout),
        "the drive page does not show its hot keys");
  HWND shown = GetWindow(change, GW_HWNDPREV);  // the bold text left of the button
  const std::string before = ControlText(shown);
  auto editHotKey = [&](const char* box, WORD key) {
    ClickButton(change);
    HWND dialog = WaitForWindow(program.Pid(), "Hot Key Options");
    ChooseEntry(NeedControl(dialog, "ComboBox", ""), 5);
    HWND tick = NeedControl(dialog, "Button", box);
    ClickButton(tick);
    Check(WaitFor([&] { return FocusOf(dialog) == tick; }, kExitTimeout),
          std::string("clicking \"") + box + "\" did not give it the focus");
    PressKey(dialog, key);
    Check(WaitFor([&] { return !IsWindowVisible(dialog); }, kExitTimeout),
          std::string(key == VK_RETURN ? "Enter" : "Esc") + " left the hot key dialog up");
    Check(IsWindowVisible(options) != FALSE, "the options window went with the hot key dialog");
  };
  editHotKey("Alt", VK_ESCAPE);
  Check(ControlText(shown) == before, "Esc kept the change: \"" + ControlText(shown) + "\"");
  Note("Esc in the hot key dialog left \"" + before + "\" as it was");
  editHotKey("Ctrl", VK_RETURN);
  const std::string after = ControlText(shown);
  Check(after != before && after.rfind("Ctrl + ", 0) == 0,
        "Enter on a check box did not press OK: \"" + after + "\"");
  Note("Enter on the Ctrl box pressed OK: \"" + after + "\"");

  PressKey(options, VK_ESCAPE);
  Check(WaitFor([&] { return !IsWindowVisible(options); }, kExitTimeout),
        "Esc left the options window up");
  Check(program.Running() && Responds(app), "the program ended with its options window");
  Note("Esc closed the options window, the program runs on");
  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
}

// --- the options window and its dialogs ---------------------------------------------

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

// `orbl3.exe options` shows the options window inside start-up, before the
// drives' hot keys are registered. A drive page's box reaches the registry
// with OK; with Cancel nothing is stored and the next showing starts from
// what was stored.
void OptionsWindowCase(const std::string& path) {
  ClearSettings();
  StoreDriveOption('D', " HotKeyClose-Ctrl", "1");
  StoreDriveOption('D', " HotKeyClose-Alt", "1");
  StoreDriveOption('D', " HotKeyClose-Key", "79");  // Ctrl + Alt + O
  Program program(path, "options");
  HWND app = program.WaitRunning();
  HWND options = WaitForWindow(program.Pid(), kOptionsTitle);
  Check(HotKeyFree(MOD_CONTROL | MOD_ALT, 'O'),
        "D's hot key is registered while the options window of the start-up is up");

  const std::string showDialog = "Show dialog asking to close the drive immediately";
  const std::string value = "D ShowDialogToCloseDriveImmediately";
  ShowPage(options, "D:");
  HWND box = VisibleControl(options, "Button", showDialog);
  Check(!IsTicked(box), "\"" + showDialog + "\" is ticked before any save");
  Tick(box, true);
  Press(options, "OK");
  WaitForSetting(value, "1");
  Note("OK stored \"" + value + "\" = \"1\"");
  // The icon answers from the message loop only, after start-up and so
  // after the hot keys were registered and OK's save was done.
  HWND menu = OpenTrayMenu(program.Pid());
  Check(!HotKeyFree(MOD_CONTROL | MOD_ALT, 'O'), "D's hot key is not registered after start-up");
  Note("Ctrl + Alt + O free while the window was up, taken after it closed");

  const auto saved = ReadSettings();
  options = OpenOptionsFromMenu(program, menu);
  ShowPage(options, "D:");
  Tick(VisibleControl(options, "Button", showDialog), false);
  Tick(VisibleControl(options, "Button", "Beep when lock/unlock this drive"), true);
  Press(options, "Cancel");
  // Shown again through the icon: whatever Cancel did is done by then.
  options = OpenOptions(program);
  Check(ReadSettings() == saved, "Cancel changed the stored settings");
  ShowPage(options, "D:");
  Check(IsTicked(VisibleControl(options, "Button", showDialog)) &&
            !IsTicked(VisibleControl(options, "Button", "Beep when lock/unlock this drive")),
        "the showing after Cancel shows the cancelled changes");
  Press(options, "Cancel");
  Note("Cancel stored nothing, and the next showing had the stored values");

  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
}

// German chosen in the language list: the choice is stored as the file's
// path, and the tray menu and the options window speak German from then on.
void LanguageGerman(const std::string& path) {
  ClearSettings();
  Program program(path);
  HWND app = program.WaitRunning();
  HWND menu = OpenTrayMenu(program.Pid());
  // The English menu first: it shows that its pictures can be read at all.
  Check(MenuShowsText(menu, "Exit") && MenuShowsText(menu, "Options..."),
        "\"Exit\" and \"Options...\" are not found in the English menu's picture");
  Check(!MenuShowsText(menu, "Beenden"), "\"Beenden\" found in the English menu");
  HWND options = OpenOptionsFromMenu(program, menu);

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

  menu = OpenTrayMenu(program.Pid());
  Check(MenuShowsText(menu, "Beenden") && MenuShowsText(menu, "Optionen..."),
        "the tray menu does not show \"Beenden\" and \"Optionen...\"");
  Check(!MenuShowsText(menu, "Exit"), "the tray menu still shows \"Exit\"");
  Note("the tray menu shows \"Beenden\" and \"Optionen...\"");

  options = OpenOptionsFromMenu(program, menu);
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

  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
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

// Drive D's "Change..." buttons open the hot key dialog over the disabled
// options window; OK there shows the new hot key on the page, the close box
// and Esc change nothing, and the options window's OK stores the hot key.
void HotKeyDialog(const std::string& path) {
  ClearSettings();
  Program program(path, "options");
  HWND app = program.WaitRunning();
  HWND options = WaitForWindow(program.Pid(), kOptionsTitle);
  ShowPage(options, "D:");
  HWND changeClose = VisibleControl(options, "Button", "Change...");
  HWND changeLock = changeClose;
  do {
    changeLock = GetWindow(changeLock, GW_HWNDNEXT);
  } while (changeLock != nullptr && ControlText(changeLock) != "Change...");
  Check(changeLock != nullptr, "no second \"Change...\" button");

  const auto openDialog = [&](HWND change) {
    ClickButton(change);
    HWND dialog = WaitForWindow(program.Pid(), "Hot Key Options");
    // The dialog shows first, then the windows under it are disabled.
    Check(WaitFor([&] { return !IsWindowEnabled(options); }, kExitTimeout),
          "the options window stays enabled under the hot key dialog");
    return dialog;
  };
  const auto dialogGone = [&](HWND dialog, const std::string& how) {
    Check(
        WaitFor([&] { return !IsWindowVisible(dialog) && IsWindowEnabled(options); }, kExitTimeout),
        how + " left the hot key dialog up or the options window disabled");
  };
  const auto choose = [&](HWND dialog, const std::string& key, const std::string& modifier) {
    HWND keys = VisibleControl(dialog, WC_COMBOBOXA, "");
    Check(Entries(keys).size() == 60,
          "the key list has " + std::to_string(Entries(keys).size()) + " entries, expected 60");
    ChooseEntry(keys, EntryIndex(keys, key));
    Tick(VisibleControl(dialog, "Button", modifier), true);
  };

  HWND dialog = openDialog(changeClose);
  choose(dialog, "F5", "Ctrl");
  Press(dialog, "OK");
  dialogGone(dialog, "OK");
  std::vector<std::string> labels;
  Check(WaitFor(
            [&] {
              labels = LabelTexts(options);
              return std::count(labels.begin(), labels.end(), "Ctrl + F5") == 1;
            },
            kExitTimeout),
        "the page does not show \"Ctrl + F5\" once");
  Note("OK in the dialog: the page shows \"Ctrl + F5\"");

  // The lock row's dialog, changed and then left without OK, both ways.
  dialog = openDialog(changeLock);
  choose(dialog, "F6", "Alt");
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  dialogGone(dialog, "the close box");
  dialog = openDialog(changeLock);
  choose(dialog, "F7", "Shift");
  PostMessageA(VisibleControl(dialog, "Button", "Shift"), WM_KEYDOWN, VK_ESCAPE, 0);
  dialogGone(dialog, "Esc");
  Check(LabelTexts(options) == labels, "the close box or Esc changed the page");
  Note("the close box and Esc left the page as it was");

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

  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
}

// " Start automatically", ticked as on a first start, writes the Run value
// with OK; unticked, OK removes it together with a leftover of an older
// release that names this program.
void Autostart(const std::string& path) {
  ClearSettings();
  DeleteRunValue("Orbelle");
  SetRunValue("ORBL", path);
  Program program(path, "options");
  HWND app = program.WaitRunning();
  HWND options = WaitForWindow(program.Pid(), kOptionsTitle);
  HWND box = VisibleControl(options, "Button", " Start automatically");
  Check(IsTicked(box), "\" Start automatically\" is not ticked on a first start");
  Press(options, "OK");
  Check(WaitFor([&] { return lstrcmpiA(RunValue("Orbelle").c_str(), path.c_str()) == 0; },
                kExitTimeout),
        "the Run value \"Orbelle\" is \"" + RunValue("Orbelle") + "\", expected \"" + path + "\"");
  Note("Run value \"Orbelle\" = \"" + RunValue("Orbelle") + "\"");

  options = OpenOptions(program);
  Check(IsTicked(box), "the box does not show autostart on");
  Tick(box, false);
  Press(options, "OK");
  Check(WaitFor([] { return RunValue("Orbelle") == "(none)" && RunValue("ORBL") == "(none)"; },
                kExitTimeout),
        "unticked, OK left \"Orbelle\" = \"" + RunValue("Orbelle") + "\" and \"ORBL\" = \"" +
            RunValue("ORBL") + "\"");
  Note("unticked: \"Orbelle\" and the leftover \"ORBL\" are gone");

  RequestClose(app);
  Check(program.WaitExit(kExitTimeout, "after WM_CLOSE") == 0, "exit code");
  ClearSettings();
}

// The program file carries its icon in the three sizes, its version and its
// manifest.
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
  Check(sizes == std::vector<int>({16, 32, 48}), "icon TRAY does not hold 16, 32 and 48 px");
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(LoadImageA(image, "TRAY", IMAGE_ICON, size, size, 0));
    Check(icon != nullptr, "icon TRAY does not load at " + std::to_string(size) + " px");
    DestroyIcon(icon);
  }
  Check(FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr,
        "no application manifest");
  // The tray menu's pictures: 16 px with an alpha channel, as the menu blends them.
  for (const char* name :
       {"FRMMAIN_N16_BMP_BITMAP", "FRMMAIN_N17_BMP_BITMAP", "FRMMAIN_N19_BMP_BITMAP",
        "FRMMAIN_N20_BMP_BITMAP", "FRMMAIN_N22_BMP_BITMAP", "FRMMAIN_N24_BMP_BITMAP"}) {
    HRSRC found = FindResourceA(image, name, MAKEINTRESOURCEA(2) /*RT_BITMAP*/);
    Check(found != nullptr, std::string("no bitmap ") + name);
    const auto* info =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(image, found)));
    Check(info != nullptr && SizeofResource(image, found) >= sizeof(BITMAPINFOHEADER) + 16 * 16 * 4,
          std::string("bitmap ") + name + " is short");
    Check(info->biWidth == 16 && std::abs(info->biHeight) == 16 && info->biBitCount == 32 &&
              info->biCompression == BI_RGB,
          std::string("bitmap ") + name + " is not 16 x 16 at 32 bpp");
    // Clear around the picture, solid inside, each colour premultiplied by its alpha.
    const auto* pixels = reinterpret_cast<const BYTE*>(info) + info->biSize;
    bool clear = false, solid = false, premultiplied = true;
    for (int i = 0; i < 16 * 16; ++i) {
      const BYTE* bgra = pixels + 4 * i;
      clear = clear || bgra[3] == 0;
      solid = solid || bgra[3] == 255;
      premultiplied = premultiplied && std::max({bgra[0], bgra[1], bgra[2]}) <= bgra[3];
    }
    Check(clear && solid && premultiplied,
          std::string("bitmap ") + name + " has no usable premultiplied alpha");
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
      {"start-and-close", StartAndClose},
      {"second-instance", SecondInstance},
      {"restart", Restart},
      {"taskbar-created", TaskbarCreated},
      {"tray-menu-exit", TrayMenuExit},
      {"system-messages", SystemMessages},
      {"start-after-kill", StartAfterKill},
      {"options-argument", OptionsArgument},
      {"resources", Resources},
      {"lock-refused-at-start", LockRefusedAtStart},
      {"tray-menu-open-door", TrayMenuOpenDoor},
      {"hot-key-conflict", HotKeyConflict},
      {"hot-key-pressed", HotKeyPressed},
      {"removal-dialog", RemovalDialog},
      {"shutdown-warning", ShutdownWarning},
      {"options-window", OptionsWindowCase},
      {"language-german", LanguageGerman},
      {"hot-key-dialog", HotKeyDialog},
      {"autostart", Autostart},
      {"dialog-keys", DialogKeys}};
  if (argc != 3 || cases.count(argv[1]) == 0) {
    std::printf("usage: orbl_e2e CASE PROGRAM\ncases:");
    for (const auto& [name, run] : cases) std::printf(" %s", name.c_str());
    std::printf("\n");
    return 2;
  }
  try {
    CheckNoProgramRunning();
    cases.at(argv[1])(argv[2]);
  } catch (const Failure& failure) {
    std::printf("  FAILED: %s\n", failure.what());
    return 1;
  }
  return 0;
}

}  // namespace orbl::e2e

int main(int argc, char** argv) {
  return orbl::e2e::Run(argc, argv);
}
