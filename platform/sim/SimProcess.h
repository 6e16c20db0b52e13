// One simulated process and the control surface its tests drive: start, kill,
// input events, and what the program shows (windows, controls, boxes, the
// tray icon and its menu). The platform backends it hands to the program live
// in files of their own and share the process's SimProcessState.
//
// A call of the test such as Start, Post or AnswerBox hands control to the
// program and returns when the program waits for input with nothing left to
// do ("idle"), or has ended; see SimScheduler. So a program blocked in a
// message box simply looks like a program that shows a box, and the test
// answers it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimProcessState.h"
#include "platform/sim/SimWorld.h"

namespace orbl::sim {

class SimProcess {
  // First, so that it exists before the members that refer into it.
  std::unique_ptr<SimProcessState> state_;

 public:
  using Options = SimProcessOptions;

  SimProcess(SimWorld& world, Options options);
  explicit SimProcess(SimWorld& world) : SimProcess(world, Options{}) {}
  ~SimProcess();  // kills the process if it still runs
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  platform::Platform& Platform() { return *platform_; }
  int Pid() const { return state_->pid; }

  // --- running ---------------------------------------------------------------
  // Starts `entry` on this process and returns once it is idle or has ended.
  void Start(std::function<void(platform::Platform&)> entry);
  bool Running() const { return state_->run == SimProcessState::Run::Running; }
  bool Exited() const { return state_->run == SimProcessState::Run::Exited; }
  std::optional<int> ExitCode() const { return state_->exitCode; }
  // Ends the process the hard way, as a crash or a kill would: no exit code,
  // no clean-up by the program. The system releases what the process held
  // (named locks, hot keys, windows); global atoms stay.
  void Kill();
  // Hands control to the program until it is idle again.
  void RunUntilIdle();
  // The program hangs: from now on it never runs, and what it is sent or
  // posted waits unhandled. Kill still ends it.
  void Freeze() { state_->frozen = true; }

  // --- commands from a shell -------------------------------------------------
  // What the program printed to standard output and standard error.
  const std::string& Output() const { return state_->consoleOut; }
  const std::string& Errors() const { return state_->consoleErr; }

  // --- input from the test; each runs the program until it is idle ---------
  // Input a user could not give, or that names a window, box or menu the
  // program does not show, is a mistake of the test: it throws
  // std::logic_error instead of passing unnoticed.
  void Post(platform::WindowHandle window, std::uint32_t code, std::uint64_t wParam = 0,
            std::int64_t lParam = 0);
  // Delivers a message with a structure (its bytes copied), as SendMessage does.
  void Send(platform::WindowHandle window, std::uint32_t code, std::uint64_t wParam,
            std::vector<std::byte> data = {});
  // Runs `action` on the program's thread as the next input event.
  void Inject(std::function<void()> action);

  // --- windows and controls ------------------------------------------------
  const SimWindow* WindowTitled(const std::string& title) const;
  const SimWindow* Window(platform::WindowHandle handle) const { return state_->Window(handle); }
  std::vector<const SimWindow*> Windows() const;
  std::vector<const SimControl*> Controls(platform::WindowHandle parent) const;
  const SimControl* FindControl(platform::WindowHandle parent, const std::string& text) const;
  // The user's input on a control: only a visible control of a visible,
  // enabled window can take it.
  void ClickControl(platform::ControlHandle control);
  void SelectItem(platform::ControlHandle control, int index);
  void PressArrow(platform::ControlHandle control, int steps);
  // The mouse pointer enters (true) or leaves (false) a link label.
  void HoverControl(platform::ControlHandle control, bool inside);
  void CloseWindowByUser(platform::WindowHandle window);  // the title bar's close box
  // A double-click on the window's own surface; the window must be visible
  // and enabled.
  void DoubleClickWindow(platform::WindowHandle window);
  // The system destroys the window: WM_DESTROY reaches it, then its controls
  // and timers are gone and its handle is invalid.
  void DestroyWindow(platform::WindowHandle window);

  // --- message boxes ---------------------------------------------------------
  std::vector<SimBox> OpenBoxes() const { return state_->boxes; }  // innermost last
  std::vector<SimBox> BoxHistory() const { return state_->boxHistory; }
  // Answers the innermost open box and runs the program until idle; throws
  // when no box is open.
  void AnswerBox(int answer = platform::mb::kIdOk);
  // Answers every box as it opens, without returning to the test.
  std::function<int(const SimBox&)>& boxAnswerer;

  // --- tray ----------------------------------------------------------------
  // The icon the notification area shows for this process, or null. After
  // the process ended without removing it, it is still there with `ghost`
  // set, until the mouse passes over it (SimWorld::MouseOverTray) or the shell
  // restarts (SimWorld::RestartShell).
  const SimTrayIcon* TrayIcon() const { return state_->world.tray.IconOf(Pid()); }
  // Clicks on the program's icon; throws when it shows none. Clicking a ghost
  // only makes it vanish, as the mouse passing over it does.
  void TrayRightClick();
  void TrayDoubleClick();
  bool MenuOpen() const { return static_cast<bool>(state_->openMenu); }
  // Texts of the open menu's items ("-" for a separator), or of a sub-menu
  // reached through the given item texts.
  std::vector<std::string> MenuTexts(const std::vector<std::string>& path = {}) const;
  // The picture resources of the same items, in the same order ("" for none).
  std::vector<std::string> MenuImages(const std::vector<std::string>& path = {}) const;
  // Chooses the item reached through `path` in the open menu (or closes the
  // menu with an empty path) and runs the program until idle. Throws when no
  // menu is open or the path leads to no item that can be chosen.
  void ChooseMenuItem(const std::vector<std::string>& path);

  // --- sent messages and the end of the session ---------------------------
  // Whether a sender still waits for the program's answer to a message it sent.
  bool AwaitingReply() const;
  // The shutdown block reasons the program has registered, by window.
  const std::map<platform::WindowHandle, std::string>& ShutdownBlocks() const {
    return state_->shutdownBlocks;
  }

  // --- calls -------------------------------------------------------------------
  // This process's calls to the window system and the tray, in order.
  std::vector<std::string> Calls() const;
  // Those that Windows would have failed.
  std::vector<std::string> RefusedCalls() const;

  // --- used by the world and the scheduler ---------------------------------------
  bool HasDueWork() const { return !state_->frozen && state_->HasDueWork(); }
  std::optional<std::uint64_t> NextTimerDue() const {
    return state_->frozen ? std::nullopt : state_->NextTimerDue();
  }
  // Queues `action` for the program's thread without running the program.
  void Queue(std::function<void()> action);
  // The shell's "TaskbarCreated" reaches the window that asked for an icon.
  void DeliverTaskbarCreated();
  bool EndSessionOverdue() const { return state_->EndSessionOverdue(); }

 private:
  friend class SimCommandChannel;
  void ReleaseSystemResources();
  // Throws std::logic_error unless the user could give input to the control.
  SimControl& UsableControl(platform::ControlHandle control) const;
  void ClickTrayIcon(std::function<void()> platform::TrayEvents::*event);
  // The items of the open menu, or of the sub-menu reached through `path`.
  const std::vector<SimMenuItem>* MenuItems(const std::vector<std::string>& path) const;

  std::thread thread_;

  struct Backends;
  std::unique_ptr<Backends> backends_;
  std::unique_ptr<platform::Platform> platform_;
};

}  // namespace orbl::sim
