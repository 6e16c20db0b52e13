// The Windows side of scripts/bench.sh, run inside its Wine session: starts the
// programs under test, times them, and stands in as the notification area.
// It reads one command a line from standard input and answers one line each:
//
//   start NAME TITLE PATH  -> started NAME PID ICON_MS IDLE_MS
//   close NAME             -> closed NAME MS EXIT_CODE   (WM_CLOSE to TITLE)
//   removal NAME           -> removed NAME               (D:'s medium went)
//   quit
//
// Answers that went wrong start with "error". Times are milliseconds after
// the CreateProcess call, on one clock of this process.
//
// The tray icon is timed where Shell_NotifyIcon delivers it: Wine's shell32
// looks up the top-level window of class "Shell_TrayWnd" and sends it the
// icon as WM_COPYDATA, whose dwData is the NIM_ code. A window of that class
// made after explorer.exe's own is found first, so it sees every request at
// the moment the program makes it, without polling. It hands each request on
// to explorer's window, so the program gets the answer and the icon it would
// get without us. Polling the standalone tray's icon windows instead would add
// explorer's work and the poll interval to every figure.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr DWORD kStepTimeoutMs = 20000;

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

double MsBetween(LARGE_INTEGER from, LARGE_INTEGER to) {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / frequency;
}

// --- the stand-in notification area ------------------------------------------

std::mutex iconMutex;
std::condition_variable iconAdded;
std::map<DWORD, LARGE_INTEGER> firstAdd;  // process id -> its first NIM_ADD
HWND explorerTray = nullptr;

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const LARGE_INTEGER at = Now();
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(wParam), &pid);
    if (data != nullptr && data->dwData == 0 /*NIM_ADD*/ && pid != 0) {
      std::lock_guard<std::mutex> lock(iconMutex);
      firstAdd.emplace(pid, at);
      iconAdded.notify_all();
    }
    if (explorerTray == nullptr) return TRUE;
    return SendMessageW(explorerTray, WM_COPYDATA, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Runs the stand-in on a thread of its own: it must answer while the main
// thread waits on a program.
void ServeTray(HANDLE ready) {
  // Explorer.exe starts with the session's desktop, and makes its tray window
  // a moment later. Ours must come after it, or explorer's would be found
  // first by the programs.
  GetDesktopWindow();
  for (int i = 0; i < 100 && explorerTray == nullptr; ++i) {
    explorerTray = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (explorerTray == nullptr) Sleep(50);
  }
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = TrayProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&windowClass);
  CreateWindowExW(WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  windowClass.hInstance, nullptr);
  SetEvent(ready);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

// --- the programs under test --------------------------------------------------

struct Subject {
  std::string title;
  PROCESS_INFORMATION info{};
};

std::map<std::string, Subject> subjects;

struct WindowSearch {
  DWORD pid;
  const std::string* title;
  HWND found;
};

HWND TopWindow(DWORD pid, const std::string& title) {
  WindowSearch search{pid, &title, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<WindowSearch*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        if (owner != s->pid || *s->title != text) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Answer(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

std::string Ms(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", ms);
  return text;
}

void Start(const std::string& name, const std::string& title, const std::string& path) {
  Subject subject;
  subject.title = title;
  std::string commandLine = "\"" + path + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  const LARGE_INTEGER exec = Now();
  if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &subject.info)) {
    Answer("error cannot start " + path);
    return;
  }
  const DWORD pid = subject.info.dwProcessId;
  // The first moment the program waits for messages with none queued.
  const DWORD idleResult = WaitForInputIdle(subject.info.hProcess, kStepTimeoutMs);
  const LARGE_INTEGER idle = Now();
  LARGE_INTEGER icon{};
  bool iconSeen = false;
  {
    std::unique_lock<std::mutex> lock(iconMutex);
    iconSeen = iconAdded.wait_for(lock, std::chrono::milliseconds(kStepTimeoutMs),
                                  [&] { return firstAdd.count(pid) != 0; });
    if (iconSeen) icon = firstAdd[pid];
  }
  subjects[name] = subject;
  if (idleResult != 0 || !iconSeen) {
    Answer("error " + name + (iconSeen ? " never idle" : " asked for no tray icon"));
    return;
  }
  Answer("started " + name + " " + std::to_string(pid) + " " + Ms(MsBetween(exec, icon)) + " " +
         Ms(MsBetween(exec, idle)));
}

void Close(const std::string& name) {
  auto it = subjects.find(name);
  if (it == subjects.end()) return Answer("error " + name + " not started");
  Subject& subject = it->second;
  HWND window = TopWindow(subject.info.dwProcessId, subject.title);
  if (window == nullptr) return Answer("error no window \"" + subject.title + "\" of " + name);
  const LARGE_INTEGER asked = Now();
  PostMessageA(window, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(subject.info.hProcess, kStepTimeoutMs);
  const LARGE_INTEGER ended = Now();
  if (waited != WAIT_OBJECT_0) {
    TerminateProcess(subject.info.hProcess, 9);
    return Answer("error " + name + " still running after WM_CLOSE");
  }
  DWORD code = 0;
  GetExitCodeProcess(subject.info.hProcess, &code);
  CloseHandle(subject.info.hThread);
  CloseHandle(subject.info.hProcess);
  subjects.erase(it);
  Answer("closed " + name + " " + Ms(MsBetween(asked, ended)) + " " + std::to_string(code));
}

// What the system broadcasts when D:'s medium is taken out, sent where the
// end-to-end harness sends it: the program's options window.
void Removal(const std::string& name) {
  auto it = subjects.find(name);
  if (it == subjects.end()) return Answer("error " + name + " not started");
  HWND window = TopWindow(it->second.info.dwProcessId, "Orbelle 3");
  if (window == nullptr) return Answer("error no window \"Orbelle 3\" of " + name);
  struct {
    DWORD size, type, reserved, unitMask;
    WORD flags;
  } removal{20, 2 /*DBT_DEVTYP_VOLUME*/, 0, 1u << 3, 1 /*DBTF_MEDIA*/};
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(window, WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
                          reinterpret_cast<LPARAM>(&removal), SMTO_NORMAL, kStepTimeoutMs,
                          &result) == 0) {
    return Answer("error " + name + " did not take the removal");
  }
  Answer("removed " + name);
}

}  // namespace

int main() {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::thread tray(ServeTray, ready);
  tray.detach();  // ends with the process
  WaitForSingleObject(ready, kStepTimeoutMs);
  Answer(std::string("ready ") + (explorerTray != nullptr ? "forwarding" : "alone"));

  char line[2048];
  while (std::fgets(line, sizeof line, stdin) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t first = text.find(' ');
    const std::string command = text.substr(0, first);
    const std::string rest = first == std::string::npos ? "" : text.substr(first + 1);
    const std::size_t second = rest.find(' ');
    const std::string name = rest.substr(0, second);
    if (command == "start") {
      // TITLE holds no spaces in a command; "_" stands for one.
      const std::string after = second == std::string::npos ? "" : rest.substr(second + 1);
      const std::size_t third = after.find(' ');
      std::string title = after.substr(0, third);
      for (char& c : title) c = c == '_' ? ' ' : c;
      Start(name, title, third == std::string::npos ? "" : after.substr(third + 1));
    } else if (command == "close") {
      Close(name);
    } else if (command == "removal") {
      Removal(name);
    } else if (command == "quit") {
      break;
    } else {
      Answer("error unknown command " + command);
    }
  }
  for (auto& [name, subject] : subjects) TerminateProcess(subject.info.hProcess, 9);
  return 0;
}
