// Runs the scenarios of tests/scenarios tagged `wine` against the real
// orbl3.exe from inside the Wine session (docs/scenarios.md), one line of
// output per scenario, and the translators' check on the shipped languages:
//
//   orbl_e2e.exe SCENARIO-FILE PROGRAM     (exit code 0 when every scenario passed)
//   orbl_e2e.exe languages-fit PROGRAM
//
// Every wait is bounded. A check that waits for something to show polls until
// it does; a check that something does not show gives it a second to appear.
#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "../scenarios/ScenarioFile.h"
#include "e2e_windows.h"
#include "text_fit.h"

namespace orbl::e2e {
namespace {

constexpr DWORD kKilled = 0xDEAD;  // the exit code the runner ends a process with
constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The tray menu's items in order (Wine cannot read a menu of another process:
// an item is reached by the arrow keys); each drive item opens the drives D:, F:.
const std::vector<std::string> kTrayMenu = {"Unlock Device", "Lock Device", "Close Door",
                                            "Open Door",     "Options...",  "Help!",
                                            "About Orbelle", "Exit"};
const std::vector<std::string> kDrives = {"D:", "F:"};

// One line: the verb and its words (ScenarioFile.h), and the rest of the line
// after the verb as written.
struct Line {
  int number = 0;
  std::vector<std::string> words;
  std::string rest;
};

// --- what the runner reads from the program -----------------------------------------

// The program's windows a user sees, topmost first: boxes, dialogs, the options window.
std::vector<HWND> ShownWindows(DWORD pid) {
  std::vector<HWND> shown;
  for (HWND hwnd : TopWindows(pid, "", "")) {
    if (IsWindowVisible(hwnd) && ClassOf(hwnd) != "#32768") shown.push_back(hwnd);
  }
  return shown;
}

// Every control of a window, at any depth.
std::vector<HWND> Controls(HWND window) {
  std::vector<HWND> all;
  EnumChildWindows(
      window,
      [](HWND hwnd, LPARAM found) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return all;
}

bool IsBox(HWND hwnd) {
  return ClassOf(hwnd) == "#32770" && GetDlgItem(hwnd, 0xFFFF) != nullptr;
}

HWND OpenBox(DWORD pid) {
  for (HWND hwnd : ShownWindows(pid)) {
    if (IsBox(hwnd)) return hwnd;
  }
  return nullptr;
}

// Which of the system's box icons a box shows: its icon control as the
// screen shows it, against each icon drawn the same size on the same
// background (an icon handle of another process cannot be drawn, its pixels can).
std::string ShownIcon(HWND box) {
  HWND control = nullptr;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (ClassOf(c) == "Static" && (GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(c)) {
      control = c;
    }
  }
  RECT rect{};
  if (control == nullptr || !GetWindowRect(control, &rect)) return "none";
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  Canvas screen(w, h);
  HDC desktop = GetDC(nullptr);
  BitBlt(screen.Dc(), 0, 0, w, h, desktop, rect.left, rect.top, SRCCOPY);
  ReleaseDC(nullptr, desktop);
  const auto shown = screen.Pixels();
  HBRUSH background = CreateSolidBrush(GetPixel(screen.Dc(), 0, 0));
  std::string best = "none";
  long bestDifference = -1;
  const std::pair<const char*, LPCSTR> icons[] = {{"none", nullptr},
                                                  {"error", IDI_HAND},
                                                  {"info", IDI_ASTERISK},
                                                  {"warning", IDI_EXCLAMATION},
                                                  {"question", IDI_QUESTION}};
  for (const auto& [name, id] : icons) {
    Canvas drawn(w, h);
    RECT all{0, 0, w, h};
    FillRect(drawn.Dc(), &all, background);
    if (id != nullptr)
      DrawIconEx(drawn.Dc(), 0, 0, LoadIconA(nullptr, id), w, h, 0, nullptr, DI_NORMAL);
    const auto pixels = drawn.Pixels();
    long difference = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) difference += pixels[i] != shown[i] ? 1 : 0;
    if (bestDifference < 0 || difference < bestDifference) {
      bestDifference = difference;
      best = name;
    }
  }
  DeleteObject(background);
  return best;
}

// The tip of the one tray icon, from the tooltip the notification area made
// for it, read through memory of the process that owns it.
std::string TrayTip() {
  for (HWND tooltip = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); tooltip;
       tooltip = FindWindowExA(nullptr, tooltip, "tooltips_class32", nullptr)) {
    if (SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0) == 0) continue;
    RemoteBuffer remote(tooltip, sizeof(TTTOOLINFOA) + 256);
    TTTOOLINFOA info{};
    info.cbSize = sizeof info;
    info.lpszText = reinterpret_cast<char*>(remote.Address()) + sizeof info;
    remote.Write(&info, sizeof info);
    SendMessageA(tooltip, TTM_ENUMTOOLSA, 0, remote.Address());
    return remote.ReadText(sizeof info);
  }
  return {};
}

// A stored value as a scenario writes it: "TEXT" quoted, a number bare, none.
std::string StoredValue(const std::string& key, const std::string& name) {
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type,
                   data, &size) != ERROR_SUCCESS) {
    return "none";
  }
  if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
  return type == REG_SZ ? "\"" + std::string(data) + "\"" : "(type " + std::to_string(type) + ")";
}

using scenario::HotKey;

// What has reached a pipe so far; never waits for more.
void Drain(HANDLE pipe, std::string& into) {
  DWORD ready = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &ready, nullptr) != FALSE && ready > 0) {
    std::string chunk(ready, '\0');
    DWORD read = 0;
    if (ReadFile(pipe, chunk.data(), ready, &read, nullptr) == FALSE || read == 0) return;
    into.append(chunk, 0, read);
  }
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// --- one run of a scenario -------------------------------------------------------------

class Run {
 public:
  explicit Run(std::string program) : program_(std::move(program)) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Corvantis");
    RegDeleteTreeA(HKEY_CURRENT_USER, kRunKey);
  }
  ~Run() {
    for (auto& info : started_) {
      TerminateProcess(info.hProcess, kKilled);
      WaitForSingleObject(info.hProcess, kExitTimeout);
      CloseHandle(info.hThread);
      CloseHandle(info.hProcess);
    }
    if (sender_.joinable()) sender_.join();
    for (int id = 1; id <= takenKeys_; ++id) UnregisterHotKey(nullptr, id);
    for (HANDLE pipe : pipes_) CloseHandle(pipe);
  }
  Run(const Run&) = delete;
  Run& operator=(const Run&) = delete;

  void Do(const Line& line);

 private:
  const std::string& Word(const Line& line, std::size_t index) const {
    Check(line.words.size() > index, "too few words");
    return line.words[index];
  }
  HANDLE Last() const {
    Check(!started_.empty(), "nothing was started");
    return started_.back().hProcess;
  }
  // The instance that runs, and so answers the user: the first started of
  // those that still run (a command waiting for it was started later); 0 when none.
  DWORD RunningPid() const {
    for (const auto& info : started_) {
      if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) return info.dwProcessId;
    }
    return 0;
  }
  DWORD Pid() const {
    const DWORD pid = RunningPid();
    Check(pid != 0, "the program does not run");
    return pid;
  }
  void StartCommand(const std::string& arguments);
  void ReadPrinted() {
    for (std::size_t i = 0; i < pipes_.size(); ++i) Drain(pipes_[i], printed_[i]);
  }
  HWND Titled(const std::string& title) const {
    HWND found = TopWindow(Pid(), "", title);
    Check(found != nullptr, "no window \"" + title + "\"");
    return found;
  }
  HWND Topmost() const {
    HWND found = nullptr;
    WaitFor([&] { return !ShownWindows(Pid()).empty(); }, kStartTimeout);
    const auto shown = ShownWindows(Pid());
    found = shown.empty() ? nullptr : shown.front();
    Check(found != nullptr, "the program shows no window");
    return found;
  }
  // The visible control captioned `text` (the `nth` of them) in the topmost window.
  HWND Shown(const std::string& text, int nth = 1) const {
    HWND found = nullptr;
    WaitFor(
        [&] {
          int seen = 0;
          for (HWND c : Controls(Topmost())) {
            if (!found && IsWindowVisible(c) && ControlText(c) == text && ++seen == nth) found = c;
          }
          return found != nullptr;
        },
        3000);
    return found;
  }
  HWND BarWith(const std::string& caption) const {
    HWND bar = FindControl(Topmost(), TOOLBARCLASSNAMEA, "");
    if (bar == nullptr) return nullptr;
    for (const auto& button : BarButtons(bar)) {
      if (button.second == caption) return bar;
    }
    return nullptr;
  }
  // Waits until `done` holds; `why` tells what was seen last when it does not.
  void Until(const std::function<bool()>& done, const std::function<std::string()>& why) const {
    Check(WaitFor(done, kExitTimeout), why());
  }
  void Until(const std::function<bool()>& done, const char* why) const {
    Until(done, [=] { return std::string(why); });
  }
  // Returns once the program takes messages again, in its own loop or a box's:
  // what an input set going before it (a start-up's rest, a handler) is done.
  void Sync() const {
    DWORD_PTR ignored = 0;
    for (const auto& info : started_) {
      for (HWND hwnd : TopWindows(info.dwProcessId, "", "")) {
        SendWithin(hwnd, WM_NULL, 0, 0, 5000, ignored);
      }
    }
  }
  void Settle(const std::string& why, const std::function<bool()>& wrong) const {
    Sync();
    Check(!WaitFor(wrong, 1000), why);
  }
  // Sends a system message from a thread of its own, so that a box the
  // program opens inside its handling can be answered; `then` runs with the answer.
  void SendAside(HWND to, UINT msg, WPARAM wParam, LPARAM lParam,
                 std::function<void(DWORD_PTR)> then) {
    if (sender_.joinable()) sender_.join();
    sender_ = std::thread([=] {
      DWORD_PTR answer = 0;
      if (SendWithin(to, msg, wParam, lParam, 60000, answer)) then(answer);
    });
    WaitFor([&] { return OpenBox(Pid()) != nullptr; }, 1000);
  }

  std::string program_;
  std::vector<PROCESS_INFORMATION> started_;
  // The last command's standard output and error: pipes, and what came through.
  std::array<HANDLE, 2> pipes_{};
  std::array<std::string, 2> printed_;
  HANDLE command_ = nullptr;  // the last command's process
  std::thread sender_;
  int takenKeys_ = 0;
};

void Run::StartCommand(const std::string& arguments) {
  for (HANDLE& pipe : pipes_) CloseHandle(std::exchange(pipe, nullptr));
  printed_ = {};
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  std::array<HANDLE, 2> ends{};
  for (std::size_t i = 0; i < pipes_.size(); ++i) {
    Check(CreatePipe(&pipes_[i], &ends[i], &inherited, 1 << 16) != FALSE, "no pipe");
    SetHandleInformation(pipes_[i], HANDLE_FLAG_INHERIT, 0);
  }
  started_.push_back(StartProcess(program_, arguments, ends[0], ends[1]));
  command_ = Last();
  for (HANDLE end : ends) CloseHandle(end);
}

void Run::Do(const Line& line) {
  const std::string& verb = line.words[0];
  const std::string settings = kSettingsKey;
  if (verb == "tags" || verb == "log" || verb == "nolog" || verb == "beeps" || verb == "disc" ||
      verb == "freeze") {
    // The outside log cannot be read under Wine; every drive of Wine holds a
    // disc; a program of Wine cannot be made to hang from outside.
    return;
  } else if (verb == "drives") {
    Check(line.rest == "D F", "Wine's drives are D and F");
  } else if (verb == "fault") {
    Check(Word(line, 2) == "lock", "Wine's drives refuse every lock, and only that");
  } else if (verb == "set" || verb == "set-in") {
    const std::size_t at = verb == "set" ? 1 : 2;
    const bool text = line.rest.rfind('"') + 1 == line.rest.size();
    Store(at == 1 ? settings : Word(line, 1), Word(line, at), Word(line, at + 1), text);
  } else if (verb == "file") {
    std::string text;
    for (char c : Word(line, 2)) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::ofstream(Word(line, 1), std::ios::binary) << text;
  } else if (verb == "taken") {
    const auto [modifiers, key] = HotKey(Word(line, 1));
    Check(RegisterHotKey(nullptr, ++takenKeys_, modifiers, key) != FALSE,
          "the runner cannot take " + line.rest);
  } else if (verb == "start") {
    started_.push_back(StartProcess(program_, line.rest));
    // A second instance never idles: it ends on the close request it queued itself.
    WaitForInputIdle(Last(), kStartTimeout);
    HWND app = TopWindow(started_.back().dwProcessId, "", kAppTitle);
    // Per monitor, from the manifest: the system does not stretch the windows into blur.
    Check(app == nullptr || GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(
                                app)) == DPI_AWARENESS_PER_MONITOR_AWARE,
          "the program is not per-monitor DPI aware");
  } else if (verb == "command") {
    // It goes on until it has ended or waits for the running program, which
    // a box the program opens for it shows.
    const DWORD instance = RunningPid();
    HWND before = instance != 0 ? OpenBox(instance) : nullptr;
    StartCommand(line.rest);
    Check(WaitFor(
              [&] {
                ReadPrinted();  // a full pipe would hold the command up
                if (WaitForSingleObject(command_, 0) == WAIT_OBJECT_0) return true;
                HWND box = instance != 0 ? OpenBox(instance) : nullptr;
                return box != nullptr && box != before;
              },
              30000),
          "the command neither ends nor waits for a box of the program");
  } else if (verb == "output" || verb == "errors") {
    Check(command_ != nullptr, "no command was given");
    Check(WaitForSingleObject(command_, kExitTimeout) == WAIT_OBJECT_0, "the command still runs");
    ReadPrinted();
    const std::string printed = Replaced(printed_[verb == "output" ? 0 : 1], "\r\n", "\n");
    Check(printed == (line.words.size() > 1 ? Word(line, 1) : ""),
          "it printed \"" + Replaced(printed, "\n", "\\n") + "\"");
  } else if (verb == "menu") {
    std::vector<WPARAM> keys;
    std::stringstream path(line.rest);
    const std::vector<std::string>* items = &kTrayMenu;
    for (std::string item; std::getline(path, item, '>');) {
      item.erase(0, item.find_first_not_of(' '));
      item.erase(item.find_last_not_of(' ') + 1);
      const auto at = std::find(items->begin(), items->end(), item);
      Check(at != items->end(), "no menu item \"" + item + "\"");
      if (items == &kDrives) keys.push_back(VK_RIGHT);
      keys.insert(keys.end(),
                  static_cast<std::size_t>(at - items->begin()) + (items == &kDrives ? 0 : 1),
                  VK_DOWN);
      items = &kDrives;
    }
    keys.push_back(VK_RETURN);
    HWND menu = OpenTrayMenu(Pid());
    for (WPARAM key : keys) PostMessageA(menu, WM_KEYDOWN, key, 0);
    Until([&] { return !IsWindowVisible(menu); }, "the menu stays open");
  } else if (verb == "double-click") {
    const auto icons = TrayIcons();
    Check(icons.size() == 1, "not one tray icon");
    PostMessageA(icons.front(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
  } else if (verb == "hotkey") {
    const auto [modifiers, key] = HotKey(Word(line, 1));
    std::vector<WORD> keys;
    for (auto [mod, vk] : {std::pair<UINT, WORD>{MOD_CONTROL, VK_CONTROL},
                           {MOD_ALT, VK_MENU},
                           {MOD_SHIFT, VK_SHIFT},
                           {MOD_WIN, VK_LWIN}}) {
      if ((modifiers & mod) != 0) keys.push_back(vk);
    }
    keys.push_back(static_cast<WORD>(key));
    std::vector<INPUT> inputs(keys.size() * 2);
    for (std::size_t i = 0; i < keys.size(); ++i) {
      inputs[i].type = inputs[inputs.size() - 1 - i].type = INPUT_KEYBOARD;
      inputs[i].ki.wVk = inputs[inputs.size() - 1 - i].ki.wVk = keys[i];
      inputs[inputs.size() - 1 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    Check(
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size(),
        "the keys could not be sent");
  } else if (verb == "removal") {
    Broadcast removal{sizeof(Broadcast), 2 /*DBT_DEVTYP_VOLUME*/, 0, 0, 0};
    for (std::size_t i = 1; i < line.words.size(); ++i) {
      removal.unitMask |= 1u << (line.words[i][0] - 'A');
    }
    // The handler may open a modal window and answer only once it is gone.
    DWORD_PTR answer = 0;
    SendWithin(Titled(kOptionsTitle), WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
               reinterpret_cast<LPARAM>(&removal), 1000, answer);
  } else if (verb == "shutdown") {
    // When nobody refuses, Windows ends the session and with it the program.
    HANDLE process = Last();
    HWND options = Titled(kOptionsTitle);
    SendAside(options, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, [=](DWORD_PTR consent) {
      DWORD_PTR ignored = 0;
      if (consent == 0) return;
      SendWithin(options, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, 10000, ignored);
      TerminateProcess(process, kKilled);
    });
  } else if (verb == "power") {
    const std::map<std::string, WPARAM> events = {
        {"query-suspend", 0x0}, {"suspend", 0x4}, {"resume", 0x7}, {"resume-automatic", 0x12}};
    Check(events.count(Word(line, 1)) != 0, "no power event \"" + line.rest + "\"");
    DWORD_PTR answer = 0;
    Check(SendWithin(Titled(kOptionsTitle), WM_POWERBROADCAST, events.at(line.rest), 0, 10000,
                     answer) &&
              answer == TRUE,
          "answered " + std::to_string(answer) + ", not TRUE");
  } else if (verb == "answer") {
    const std::map<std::string, int> buttons = {
        {"OK", IDOK},         {"Cancel", IDCANCEL}, {"Abort", IDABORT}, {"Retry", IDRETRY},
        {"Ignore", IDIGNORE}, {"Yes", IDYES},       {"No", IDNO}};
    HWND box = nullptr;
    Until([&] { return (box = OpenBox(Pid())) != nullptr; }, "no box is open");
    HWND button = GetDlgItem(box, buttons.count(line.rest) ? buttons.at(line.rest) : 0);
    Check(button != nullptr, "the box has no button " + line.rest);
    PostMessageA(button, BM_CLICK, 0, 0);
    Until([&] { return !IsWindow(box); }, "the box stays open");
    Sync();
  } else if (verb == "click" || verb == "select") {
    const std::string text = line.rest[0] == '"' ? Word(line, 1) : line.rest;
    const int nth = line.rest[0] == '"' && line.words.size() > 2 ? std::stoi(line.words[2]) : 1;
    if (verb == "click" && BarWith(text) != nullptr) {
      ClickBarButton(BarWith(text), text);
    } else if (verb == "click") {
      HWND control = Shown(text, nth);
      Check(control != nullptr,
            "nothing captioned \"" + text + "\" in \"" + TextOf(Topmost()) + "\"");
      // Sent, so that the click has been handled (or opened a modal window) on return.
      DWORD_PTR ignored = 0;
      SendWithin(control, BM_CLICK, 0, 0, 1000, ignored);
    } else {
      HWND list = nullptr;
      int index = 0;
      for (HWND c : Controls(Topmost())) {
        const std::string cls = ClassOf(c);
        if (list || !IsWindowVisible(c) ||
            (lstrcmpiA(cls.c_str(), WC_LISTBOXA) != 0 &&
             lstrcmpiA(cls.c_str(), WC_COMBOBOXA) != 0)) {
          continue;
        }
        const auto entries = Entries(c);
        const auto at = std::find(entries.begin(), entries.end(), text);
        if (at == entries.end()) continue;
        list = c;
        index = static_cast<int>(at - entries.begin());
      }
      Check(list != nullptr, "no list with \"" + text + "\"");
      ChooseEntry(list, index);
    }
  } else if (verb == "close") {
    Check(PostMessageA(Titled(kAppTitle), WM_CLOSE, 0, 0) != FALSE, "cannot post WM_CLOSE");
  } else if (verb == "minimize") {
    // As the title bar's button sends it, with low bits the system uses itself.
    DWORD_PTR ignored = 0;
    SendWithin(Titled(kOptionsTitle), WM_SYSCOMMAND, SC_MINIMIZE | 2, 0, 10000, ignored);
  } else if (verb == "close-window") {
    HWND window = Titled(Word(line, 1));
    PostMessageA(window, WM_CLOSE, 0, 0);
    Until([&] { return !IsWindowVisible(window); }, "it stays up");
  } else if (verb == "shell" && line.rest == "restarts") {
    DWORD_PTR ignored = 0;
    for (HWND hwnd : TopWindows(Pid(), "", "")) {
      SendWithin(hwnd, RegisterWindowMessageA("TaskbarCreated"), 0, 0, 10000, ignored);
    }
  } else if (verb == "wait") {
    const double amount = std::stod(line.rest);
    Sleep(static_cast<DWORD>(line.rest.find("ms") != std::string::npos ? amount : amount * 1000));
  } else if (verb == "kill") {
    for (const auto& info : started_) TerminateProcess(info.hProcess, kKilled);
    for (const auto& info : started_) WaitForSingleObject(info.hProcess, kExitTimeout);
  } else if (verb == "box") {
    const std::string want = line.rest.substr(line.rest.find('"', 1) + 2);
    // A line break as the scenario writes it, and the report stays on one line.
    // Looked at until it matches: the box may still be painting its icon.
    const auto seen = [&] {
      HWND box = OpenBox(Pid());
      if (box == nullptr) return std::string("none");
      std::string text(1024, '\0');
      text.resize(static_cast<std::size_t>(GetDlgItemTextA(box, 0xFFFF, text.data(), 1024)));
      return "\"" + TextOf(box) + "\" " + ShownIcon(box) + " " + Replaced(text, "\r\n", "\\n");
    };
    Until([&] { return seen() == "\"" + Word(line, 1) + "\" " + want; },
          [&] { return "the box is " + seen(); });
  } else if (verb == "nobox") {
    Settle("a box is open", [&] { return OpenBox(Pid()) != nullptr; });
  } else if (verb == "window") {
    const auto title = [&] {
      const auto shown = ShownWindows(Pid());
      return shown.empty() ? std::string("none") : "\"" + TextOf(shown.front()) + "\"";
    };
    const std::string want = line.rest == "none" ? line.rest : "\"" + Word(line, 1) + "\"";
    Until([&] { return title() == want; }, [&] { return "the topmost window is " + title(); });
    // None shown may be the moment before one shows.
    if (want == "none") Settle("a window shows", [&] { return title() != want; });
  } else if (verb == "shows") {
    const std::string text = line.rest[0] == '"' ? Word(line, 1) : line.rest;
    Check(Shown(text) != nullptr || BarWith(text) != nullptr,
          "\"" + TextOf(Topmost()) + "\" shows no \"" + text + "\"");
  } else if (verb == "stored" || verb == "stored-in") {
    const std::size_t at = verb == "stored" ? 1 : 2;
    const std::string key = at == 1 ? settings : Word(line, 1);
    const std::string want = line.rest.substr(line.rest.rfind(' ') + 1) == "none" ? "none"
                             : line.rest.back() == '"' ? "\"" + Word(line, at + 1) + "\""
                                                       : Word(line, at + 1);
    Until([&] { return StoredValue(key, Word(line, at)) == want; },
          [&] { return "it is " + StoredValue(key, Word(line, at)); });
  } else if (verb == "tray") {
    const std::string want = line.rest == "none" ? "" : Word(line, 1);
    Until([&] { return TrayIcons().size() == (want.empty() ? 0u : 1u) && TrayTip() == want; },
          [&] {
            return std::to_string(TrayIcons().size()) + " tray icon(s), tip \"" + TrayTip() + "\"";
          });
  } else if (verb == "exit") {
    Check(WaitForSingleObject(Last(), kExitTimeout) == WAIT_OBJECT_0, "it still runs");
    DWORD code = 0;
    GetExitCodeProcess(Last(), &code);
    Check(code == (line.rest == "none" ? kKilled : std::stoul(line.rest)),
          "it ended with " + std::to_string(code));
  } else if (verb == "running") {
    Check(WaitForSingleObject(Last(), 0) == WAIT_TIMEOUT, "it has ended");
  } else {
    throw Failure("Wine cannot do \"" + verb + "\"");
  }
}

// Every text of every language file beside the program fits the control
// showing it; first proven on a file whose check box, wrapped label and push
// button texts are each a little too long.
bool LanguagesFit(const std::string& path) {
  const std::string folder = path.substr(0, path.find_last_of('\\'));
  const std::string planted = folder + "\\TooLong.ini";
  std::ofstream(planted, std::ios::binary)
      << "[Main]\r\nLangNameEng=Too long\r\n[Keys]\r\nShift_Key=Umschalt\r\n[DeviceOptions]\r\n"
         "HotKeyOpenClose=Hot key to open or close the door of this drive from any program\r\n"
         "[Buttons]\r\nHelp=Help on options\r\n";
  std::vector<std::string> reported;
  for (const Clipped& c : CheckLanguage(path, planted, "TooLong.ini")) {
    reported.push_back(c.control + (c.height ? " height" : " width"));
  }
  DeleteFileA(planted.c_str());
  std::sort(reported.begin(), reported.end());
  bool fits =
      reported == std::vector<std::string>{"check box width", "label height", "push button width"};
  std::printf("%s languages-fit: the planted long texts are %sreported\n", fits ? "PASS" : "FAIL",
              fits ? "" : "not ");
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((folder + "\\Language\\*.ini").c_str(), &found);
  Check(search != INVALID_HANDLE_VALUE, "no language files beside the program");
  do {
    const auto clipped =
        CheckLanguage(path, folder + "\\Language\\" + found.cFileName, found.cFileName);
    for (const Clipped& c : clipped) std::printf("  %s\n", Describe(c).c_str());
    std::printf("%s languages-fit/%s\n", clipped.empty() ? "PASS" : "FAIL", found.cFileName);
    fits = fits && clipped.empty();
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return fits;
}

}  // namespace
}  // namespace orbl::e2e

int main(int argc, char** argv) {
  using namespace orbl::e2e;
  if (argc != 3) {
    std::printf("usage: orbl_e2e SCENARIO-FILE|languages-fit PROGRAM\n");
    return 2;
  }
  if (std::string(argv[1]) == "languages-fit") return LanguagesFit(argv[2]) ? 0 : 1;
  bool passed = true;
  for (const orbl::scenario::Scenario& test : orbl::scenario::ReadScenarios(argv[1])) {
    if (!test.wine) continue;
    std::string failure;
    try {
      Check(TopWindows(0, "", kAppTitle).empty(), "an orbl3.exe of an earlier scenario runs");
      Run run(argv[2]);
      for (const orbl::scenario::Line& read : test.lines) {
        Line line{read.number, orbl::scenario::Words(read.rest), read.rest};
        line.words.insert(line.words.begin(), read.verb);
        try {
          run.Do(line);
        } catch (const std::exception& e) {
          throw Failure("line " + std::to_string(line.number) + " (" + line.words[0] + " " +
                        line.rest + "): " + e.what());
        }
      }
    } catch (const std::exception& e) {
      failure = e.what();
    }
    std::printf("%s %s/%s%s\n", failure.empty() ? "PASS" : "FAIL", test.file.c_str(),
                test.title.c_str(), failure.empty() ? "" : (": " + failure).c_str());
    std::fflush(stdout);
    passed = passed && failure.empty();
  }
  return passed ? 0 : 1;
}
