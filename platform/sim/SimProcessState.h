// What one simulated process holds, shared by its platform backends and its
// test control surface: windows and controls, timers, the message queue,
// message boxes, the tray icon and menus, open registry keys, and how the
// process stands. The message loop that every waiting call runs lives here
// too, since all of them wait the same way.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Commands.h"
#include "platform/SettingsStore.h"
#include "platform/Tray.h"
#include "platform/WindowSystem.h"
#include "platform/sim/SimWorld.h"

namespace orbl::sim {

struct SimWindow {
  platform::WindowHandle handle;
  platform::WindowParams params;
  std::string title;
  bool visible = false;
  bool enabled = true;
  bool systemMenuTrimmed = false;
  platform::WindowEvents events;
};

struct SimControl : platform::ControlState {
  platform::ControlHandle handle;
  platform::WindowHandle parent;
  platform::ControlParams params;
  std::vector<std::string> barButtons;
  std::vector<bool> barSeparators;  // per bar index: a gap, not a button
  bool highlighted = false;         // LinkLabel: drawn blue
  platform::ControlEvents events;
};

struct SimBox {
  int serial = 0;
  platform::WindowHandle owner;
  std::string text;
  std::string caption;
  std::uint32_t flags = 0;
  int answer = 0;  // 0 while open
  // Opened behind the active window: the program was in the background and
  // the box had no visible owner nor asked to come to the front.
  bool behind = false;
  // Virtual time at which the box closes itself as if OK were pressed; none
  // for a box that waits for its answer.
  std::optional<std::uint64_t> closesAt = std::nullopt;
  bool closedItself = false;
};

struct SimMenuItem {
  platform::MenuItemHandle handle;
  std::string text;
  // The picture resource shown beside the text; empty for none.
  std::string image;
  bool separator = false;
  platform::MenuHandle subMenu;
  std::function<void()> onChosen;
};

struct SimTimer {
  platform::TimerHandle handle;
  platform::WindowHandle owner;
  std::uint32_t interval = 0;
  std::uint64_t due = 0;
  std::function<void()> onTick;
};

// A queued message, or an input event of the test (`action`) in its place.
struct SimPosted {
  platform::WindowHandle window;
  platform::Message message;
  std::vector<std::byte> data;
  std::function<void()> action;
  // Sent (SendMessage): the sender waits for the answer.
  bool sent = false;
};

// A sent message while the program handles it.
struct SimSentMessage {
  std::uint32_t code = 0;
  std::uint64_t since = 0;  // virtual time its handling began
  bool replied = false;
};

struct SimProcessOptions {
  std::vector<std::string> arguments;
  std::string modulePath = "C:\\Program Files\\Orbelle\\orbl3.exe";
};

// Thrown on the program's thread to unwind it when it ends. Neither derives
// from std::exception, so the program's own error handling cannot swallow it.
struct SimProcessEnded {};
struct SimProcessKilled {};

struct SimProcessState {
  enum class Run { NotStarted, Running, Exited, Killed };

  SimProcessState(SimWorld& theWorld, SimProcessOptions theOptions)
      : world(theWorld), options(std::move(theOptions)), pid(theWorld.Scheduler().NewPid()) {}

  SimWorld& world;
  const SimProcessOptions options;
  const int pid;
  Run run = Run::NotStarted;
  bool killRequested = false;
  std::optional<int> exitCode;

  std::map<platform::WindowHandle, SimWindow> windows;
  std::map<platform::ControlHandle, SimControl> controls;
  std::uintptr_t nextControl = 0x1000;
  std::map<platform::TimerHandle, SimTimer> timers;
  std::uint32_t nextTimer = 1;
  std::deque<SimPosted> queue;
  std::vector<SimBox> boxes;  // open, innermost last
  std::vector<SimBox> boxHistory;
  // Sent messages being handled, innermost last.
  std::vector<SimSentMessage> sentMessages;
  // Shutdown block reasons by window.
  std::map<platform::WindowHandle, std::string> shutdownBlocks;
  int nextBox = 1;
  // Answers every box as it opens, without returning to the test.
  std::function<int(const SimBox&)> boxAnswerer;

  // What the last AddIcon asked for, kept also when the shell refused the
  // icon: its owner window hears about the shell's restart and the clicks.
  platform::WindowHandle trayOwner;
  platform::TrayEvents trayEvents;
  std::map<platform::MenuHandle, std::vector<SimMenuItem>> menus;
  std::uintptr_t nextMenuHandle = 0x100;
  platform::MenuHandle openMenu;
  const SimMenuItem* chosenItem = nullptr;
  bool menuDone = false;

  // Commands from a shell: what this process printed, the listener's
  // handler, and the reply a sender waits for until its deadline.
  std::string consoleOut;
  std::string consoleErr;
  std::function<platform::CommandReply(const std::string&)> commandHandler;
  std::optional<platform::CommandReply> commandReply;
  std::optional<std::uint64_t> commandDeadline;
  // A hung program: the test never hands it the baton.
  bool frozen = false;

  // Open registry keys: path and whether they were opened for writing.
  std::map<platform::SettingsStore::Key, std::pair<std::string, bool>> openKeys;
  platform::SettingsStore::Key nextKey = 1;

  SimWindow* Window(platform::WindowHandle handle);
  const SimWindow* Window(platform::WindowHandle handle) const;
  SimControl* Control(platform::ControlHandle handle);
  const SimControl* Control(platform::ControlHandle handle) const;
  // How a call names a window: its title, or its handle when it has none.
  std::string Describe(platform::WindowHandle handle) const;
  // Records a call of this process in the world's calls.
  void Call(const std::string& text) { world.Call(pid, text); }
  // Destroys the window as the system does after WM_DESTROY: its controls and
  // timers go with it, and its handle is invalid from then on.
  void DestroyWindow(platform::WindowHandle handle);
  // The menu item reached through the item texts in the open menu.
  const SimMenuItem* FindMenuItem(const std::vector<std::string>& path) const;

  // --- the message loop (program side) ---------------------------------------
  // Returns when `done` holds or there is work; yields to the test while idle.
  void WaitForWork(const std::function<bool()>& done);
  // Dispatches one posted message or, when none waits, one due timer tick;
  // false when nothing was due.
  bool DispatchOne();
  void Deliver(platform::WindowHandle window, const platform::Message& message);
  bool HasDueWork() const;
  // The earliest due time of a timer or of an open box that closes itself.
  std::optional<std::uint64_t> NextTimerDue() const;
  // Hands the baton to the test until it hands it back.
  void YieldToTest();

  // --- the end of the session ------------------------------------------------
  // Windows ends a program that has not answered WM_QUERYENDSESSION within
  // this long, unless the program registered a shutdown block reason.
  static constexpr std::uint64_t kEndSessionTimeoutMs = 5000;
  // Whether Windows would have ended the process by now.
  bool EndSessionOverdue() const;
  // Program side: ends the process as Windows would, when it is overdue.
  void EnforceEndSessionTimeout();
};

}  // namespace orbl::sim
