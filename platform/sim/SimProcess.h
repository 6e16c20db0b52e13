// One simulated process: its windows and controls, timers, message queue,
// message boxes, tray icon and menus, and every platform interface bound to
// the shared SimWorld.
//
// The program runs on a thread of its own, but never at the same time as the
// test: control passes back and forth like a coroutine. A call of the test
// such as Start, Post or Answer hands control to the program and returns when
// the program waits for input with nothing left to do ("idle"), or has ended.
// So a program blocked in a message box simply looks like a program that shows
// a box, and the test answers it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimWorld.h"

namespace orbl::sim {

struct SimWindow {
  platform::WindowHandle handle;
  platform::WindowSpec params;
  std::string title;
  bool visible = false;
  bool enabled = true;
  bool systemMenuTrimmed = false;
  platform::WindowEvents events;
};

struct SimControl {
  platform::ControlHandle handle;
  platform::WindowHandle parent;
  platform::ControlSpec params;
  std::string text;
  bool visible = true;
  bool checked = false;
  std::vector<std::string> items;
  int selection = -1;
  int position = 0;
  std::vector<std::string> barButtons;
  platform::ControlEvents events;
};

struct SimBox {
  int serial = 0;
  platform::WindowHandle owner;
  std::string text;
  std::string caption;
  std::uint32_t flags = 0;
  int answer = 0;  // 0 while open
};

struct SimMenuItem {
  platform::MenuItemHandle handle;
  std::string text;
  bool separator = false;
  platform::MenuHandle subMenu;
  std::function<void()> onChosen;
};

struct SimTrayIcon {
  platform::WindowHandle owner;
  std::string icon;
  std::string tip;
  platform::TrayEvents events;
};

class SimProcess {
 public:
  struct Options {
    std::vector<std::string> arguments;
    std::string modulePath = "C:\\Program Files\\Orbelle\\orbl3.exe";
    bool shellRunning = true;  // false: the tray refuses icons
  };

  SimProcess(SimWorld& world, Options options);
  explicit SimProcess(SimWorld& world) : SimProcess(world, Options{}) {}
  ~SimProcess();  // kills the process if it still runs
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  platform::Platform& Platform() { return *platform_; }
  int Pid() const { return pid_; }

  // --- running ---------------------------------------------------------------
  // Starts `entry` on this process and returns once it is idle or has ended.
  void Start(std::function<void(platform::Platform&)> entry);
  bool Running() const { return state_ == State::Running; }
  bool Exited() const { return state_ == State::Exited; }
  std::optional<int> ExitCode() const { return exitCode_; }
  // Ends the process the hard way, as a crash or a kill would: no exit code,
  // no clean-up by the program. The system releases what the process held
  // (named locks, hot keys, windows); global atoms stay.
  void Kill();
  // Hands control to the program until it is idle again.
  void RunUntilIdle();

  // --- input from the test; each runs the program until it is idle ---------
  void Post(platform::WindowHandle window, std::uint32_t code, std::uint64_t wParam = 0,
            std::int64_t lParam = 0);
  // Delivers a message with a structure (its bytes copied), as SendMessage does.
  void Send(platform::WindowHandle window, std::uint32_t code, std::uint64_t wParam,
            std::vector<std::byte> data = {});
  // Runs `action` on the program's thread as the next input event.
  void Inject(std::function<void()> action);

  // --- windows and controls ------------------------------------------------
  const SimWindow* WindowTitled(const std::string& title) const;
  const SimWindow* Window(platform::WindowHandle handle) const;
  std::vector<const SimWindow*> Windows() const;
  std::vector<const SimControl*> Controls(platform::WindowHandle parent) const;
  const SimControl* FindControl(platform::WindowHandle parent, const std::string& text) const;
  void ClickControl(platform::ControlHandle control);
  void SelectItem(platform::ControlHandle control, int index);
  void PressArrow(platform::ControlHandle control, int steps);
  void CloseWindowByUser(platform::WindowHandle window);  // the title bar's close box
  void DestroyWindow(platform::WindowHandle window);

  // --- message boxes ---------------------------------------------------------
  std::vector<SimBox> OpenBoxes() const;  // innermost last
  std::vector<SimBox> BoxHistory() const { return boxHistory_; }
  // Answers the innermost open box and runs the program until idle.
  void AnswerBox(int answer = platform::mb::kIdOk);
  // Answers every box as it opens, without returning to the test.
  std::function<int(const SimBox&)> boxAnswerer;

  // --- tray ----------------------------------------------------------------
  const SimTrayIcon* TrayIcon() const { return trayIcon_ ? &*trayIcon_ : nullptr; }
  void TrayRightClick();
  void TrayDoubleClick();
  void TaskbarRecreated();
  bool MenuOpen() const { return static_cast<bool>(openMenu_); }
  // Texts of the open menu's items ("-" for a separator), or of a sub-menu
  // reached through the given item texts.
  std::vector<std::string> MenuTexts(const std::vector<std::string>& path = {}) const;
  // Chooses the item reached through `path` in the open menu (or closes the
  // menu with an empty path) and runs the program until idle.
  void ChooseMenuItem(const std::vector<std::string>& path);

  // --- state read by the world ------------------------------------------------
  bool HasDueWork() const;
  std::optional<std::uint64_t> NextTimerDue() const;

 private:
  friend class SimWindowSystem;
  friend class SimTray;
  friend class SimFiles;
  friend class SimSettings;
  friend class SimWorld;

  enum class State { NotStarted, Running, Exited, Killed };

  struct Timer {
    platform::TimerHandle handle;
    platform::WindowHandle owner;
    std::uint32_t interval = 0;
    std::uint64_t due = 0;
    std::function<void()> onTick;
  };
  struct Posted {
    platform::WindowHandle window;
    platform::Message message;
    std::vector<std::byte> data;
    std::function<void()> action;  // an input event instead of a message
  };

  // Program side.
  // Returns when `done` holds or there is work; yields to the test while idle.
  void WaitForWork(const std::function<bool()>& done);
  bool DispatchOne();  // false when nothing was due
  void Deliver(platform::WindowHandle window, const platform::Message& message);
  void YieldTurn();        // hands the baton to the test and waits for it back
  void GiveTurnAndWait();  // test side: hands the baton to this process
  void ReleaseSystemResources();
  SimWindow* MutableWindow(platform::WindowHandle handle);
  SimControl* MutableControl(platform::ControlHandle handle);
  const SimMenuItem* FindMenuItem(const std::vector<std::string>& path) const;

  SimWorld& world_;
  Options options_;
  int pid_ = 0;
  State state_ = State::NotStarted;
  bool killRequested_ = false;
  std::optional<int> exitCode_;
  std::thread thread_;

  std::map<platform::WindowHandle, SimWindow> windows_;
  std::map<platform::ControlHandle, SimControl> controls_;
  std::uintptr_t nextControl_ = 0x1000;
  std::map<platform::TimerHandle, Timer> timers_;
  std::uint32_t nextTimer_ = 1;
  std::deque<Posted> queue_;
  std::vector<SimBox> boxes_;  // open, innermost last
  std::vector<SimBox> boxHistory_;
  int nextBox_ = 1;

  std::optional<SimTrayIcon> trayIcon_;
  std::map<platform::MenuHandle, std::vector<SimMenuItem>> menus_;
  std::uintptr_t nextMenuHandle_ = 0x100;
  platform::MenuHandle openMenu_;
  const SimMenuItem* chosenItem_ = nullptr;
  bool menuDone_ = false;

  std::map<platform::SettingsStore::Key, std::pair<std::string, bool>> openKeys_;
  platform::SettingsStore::Key nextKey_ = 1;

  struct Backends;
  std::unique_ptr<Backends> backends_;
  std::unique_ptr<platform::Platform> platform_;
};

}  // namespace orbl::sim
