#include "platform/sim/SimProcess.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "platform/RegistryAutostart.h"
#include "platform/sim/SimCommands.h"
#include "platform/sim/SimDevices.h"
#include "platform/sim/SimSession.h"
#include "platform/sim/SimSettings.h"
#include "platform/sim/SimTray.h"
#include "platform/sim/SimWindowSystem.h"

namespace orbl::sim {

using namespace orbl::platform;
using Run = SimProcessState::Run;

struct SimProcess::Backends {
  explicit Backends(SimProcessState& s)
      : windows(s),
        tray(s),
        atoms(s.world),
        instanceLock(s.world, s.pid),
        hotKeys(s.world, s.pid),
        drives(s.world),
        door(s.world),
        sound(s.world, [&s] { s.EnforceEndSessionTimeout(); }),
        settings(s),
        autostart(settings, [&s] { return s.options.modulePath; }),
        files(s),
        shell(s.world),
        clock(s.world),
        commands(s),
        console(s) {}
  SimWindowSystem windows;
  SimTray tray;
  SimAtoms atoms;
  SimInstanceLock instanceLock;
  SimHotKeys hotKeys;
  SimDrives drives;
  SimDoor door;
  SimSound sound;
  SimSettings settings;
  RegistryAutostart autostart;
  SimFiles files;
  SimShell shell;
  SimClock clock;
  SimCommandChannel commands;
  SimConsole console;
};

SimProcess::SimProcess(SimWorld& world, Options options)
    : state_(std::make_unique<SimProcessState>(world, std::move(options))),
      boxAnswerer(state_->boxAnswerer) {
  backends_ = std::make_unique<Backends>(*state_);
  Backends& b = *backends_;
  platform_ = std::make_unique<platform::Platform>(platform::Platform{
      b.windows, b.tray, b.atoms, b.instanceLock, b.hotKeys, b.drives, b.door, b.drives, b.drives,
      b.sound, b.settings, b.autostart, b.files, b.shell, b.clock, b.commands, b.console});
  world.Scheduler().Register(this);
}

SimProcess::~SimProcess() {
  if (Running()) Kill();
  if (thread_.joinable()) thread_.join();
  state_->world.Scheduler().Unregister(this);
}

void SimProcess::Start(std::function<void(platform::Platform&)> entry) {
  SimProcessState& s = *state_;
  if (s.run != Run::NotStarted) throw std::logic_error("a simulated process starts once");
  s.run = Run::Running;
  thread_ = std::thread([this, &s, entry = std::move(entry)] {
    s.world.Scheduler().WaitForTurn(s.pid);
    try {
      if (!s.killRequested) {
        entry(*platform_);
        // A program that returns from its entry ends like one that exits with 0.
        s.exitCode = 0;
        s.run = Run::Exited;
      }
    } catch (const SimProcessEnded&) {
    } catch (const SimProcessKilled&) {
    } catch (const std::exception& e) {
      s.world.Log(std::string("process crashed: ") + e.what());
      s.run = Run::Killed;
    }
    ReleaseSystemResources();
    s.world.Scheduler().ReturnToTest();
  });
  s.world.Scheduler().RunProcess(s.pid);
}

void SimProcess::Kill() {
  SimProcessState& s = *state_;
  if (s.run != Run::Running) return;
  s.killRequested = true;
  s.run = Run::Killed;
  s.world.Log("process " + std::to_string(s.pid) + " killed");
  s.world.Scheduler().RunProcess(s.pid);
  if (thread_.joinable()) thread_.join();
}

bool SimProcess::AwaitingReply() const {
  return std::any_of(state_->sentMessages.begin(), state_->sentMessages.end(),
                     [](const SimSentMessage& sent) { return !sent.replied; });
}

void SimProcess::RunUntilIdle() {
  if (Running() && !state_->frozen) state_->world.Scheduler().RunProcess(state_->pid);
}

void SimProcess::Queue(std::function<void()> action) {
  if (!Running()) return;
  SimPosted posted;
  posted.action = std::move(action);
  state_->queue.push_back(std::move(posted));
}

void SimProcess::ReleaseSystemResources() {
  SimProcessState& s = *state_;
  SimWorld& world = s.world;
  for (auto it = world.namedLocks.begin(); it != world.namedLocks.end();) {
    it = it->second == s.pid ? world.namedLocks.erase(it) : std::next(it);
  }
  for (auto it = world.hotKeys.begin(); it != world.hotKeys.end();) {
    it = it->second.pid == s.pid ? world.hotKeys.erase(it) : std::next(it);
  }
  if (world.tray.OwnerEnded(s.pid)) {
    world.Log("tray icon of process " + std::to_string(s.pid) + " stays behind as a ghost");
  }
  for (auto& [handle, window] : s.windows) window.visible = false;
  s.timers.clear();
  s.queue.clear();
}

// ---------------------------------------------------------------------------
// Input from the test.

void SimProcess::Post(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                      std::int64_t lParam) {
  if (!Running()) return;
  if (!state_->Window(window)) throw std::logic_error("Post: not a window of this process");
  SimPosted posted;
  posted.window = window;
  posted.message = Message{code, wParam, lParam, {}};
  state_->queue.push_back(std::move(posted));
  RunUntilIdle();
}

void SimProcess::Send(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                      std::vector<std::byte> data) {
  if (!Running()) return;
  if (!state_->Window(window)) throw std::logic_error("Send: not a window of this process");
  SimPosted sent;
  sent.window = window;
  sent.message = Message{code, wParam, data.empty() ? 0 : 0x12340000, {}};
  sent.data = std::move(data);
  sent.sent = true;
  // Sent messages are handled before anything posted.
  state_->queue.push_front(std::move(sent));
  RunUntilIdle();
}

void SimProcess::Inject(std::function<void()> action) {
  Queue(std::move(action));
  RunUntilIdle();
}

// ---------------------------------------------------------------------------
// Windows and controls.

const SimWindow* SimProcess::WindowTitled(const std::string& title) const {
  for (const auto& [handle, window] : state_->windows) {
    if (window.title == title) return &window;
  }
  return nullptr;
}

std::vector<const SimWindow*> SimProcess::Windows() const {
  std::vector<const SimWindow*> out;
  for (const auto& [handle, window] : state_->windows) out.push_back(&window);
  return out;
}

std::vector<const SimControl*> SimProcess::Controls(WindowHandle parent) const {
  std::vector<const SimControl*> out;
  for (const auto& [handle, control] : state_->controls) {
    if (control.parent == parent) out.push_back(&control);
  }
  return out;
}

const SimControl* SimProcess::FindControl(WindowHandle parent, const std::string& text) const {
  for (const auto& [handle, control] : state_->controls) {
    if (control.parent == parent && control.text == text) return &control;
  }
  return nullptr;
}

SimControl& SimProcess::UsableControl(ControlHandle control) const {
  SimControl* c = state_->Control(control);
  if (!c) throw std::logic_error("no such control");
  const SimWindow* parent = state_->Window(c->parent);
  if (!c->visible || !parent || !parent->visible || !parent->enabled) {
    throw std::logic_error("the user cannot reach control \"" + c->text + "\"");
  }
  return *c;
}

void SimProcess::ClickControl(ControlHandle control) {
  UsableControl(control);
  Inject([this, control] {
    SimControl* c = state_->Control(control);
    if (!c) return;
    if (c->params.kind == ControlKind::CheckBox) c->checked = !c->checked;
    auto onClick = c->events.onClick;
    if (onClick) onClick();
  });
}

void SimProcess::SelectItem(ControlHandle control, int index) {
  const SimControl& target = UsableControl(control);
  const bool bar = target.params.kind == ControlKind::ButtonBar;
  const auto count = static_cast<int>(bar ? target.barButtons.size() : target.items.size());
  if (index < 0 || index >= count) throw std::logic_error("SelectItem: no such entry");
  if (bar && target.barSeparators.at(static_cast<std::size_t>(index))) {
    throw std::logic_error("SelectItem: a bar's separator cannot be pressed");
  }
  Inject([this, control, index] {
    SimControl* c = state_->Control(control);
    if (!c) return;
    if (c->params.kind != ControlKind::ButtonBar) c->selection = index;
    auto onSelect = c->events.onSelect;
    if (onSelect) onSelect(index);
  });
}

void SimProcess::PressArrow(ControlHandle control, int steps) {
  UsableControl(control);
  Inject([this, control, steps] {
    SimControl* c = state_->Control(control);
    if (!c) return;
    c->position =
        std::clamp(c->position + steps * c->params.step, c->params.minimum, c->params.maximum);
    c->text = std::to_string(c->position);
    auto onArrow = c->events.onArrow;
    if (onArrow) onArrow(c->position);
  });
}

void SimProcess::HoverControl(ControlHandle control, bool inside) {
  UsableControl(control);
  Inject([this, control, inside] {
    SimControl* c = state_->Control(control);
    if (!c) return;
    auto onMouseHover = c->events.onMouseHover;
    if (onMouseHover) onMouseHover(inside);
  });
}

void SimProcess::CloseWindowByUser(WindowHandle window) {
  Inject([this, window] {
    state_->Deliver(window, Message{msg::kSysCommand, msg::kScClose, 0, {}});
  });
}

void SimProcess::DoubleClickWindow(WindowHandle window) {
  const SimWindow* target = state_->Window(window);
  if (!target || !target->visible || !target->enabled) {
    throw std::logic_error("the user cannot double-click a window that is not shown and enabled");
  }
  Inject([this, window] {
    const SimWindow* w = state_->Window(window);
    if (!w) return;
    auto onDoubleClick = w->events.onDoubleClick;
    if (onDoubleClick) onDoubleClick();
  });
}

void SimProcess::DestroyWindow(WindowHandle window) {
  Inject([this, window] {
    SimWindow* w = state_->Window(window);
    if (!w) return;
    auto onDestroy = w->events.onDestroy;
    if (onDestroy) onDestroy();
    state_->DestroyWindow(window);
  });
}

// ---------------------------------------------------------------------------
// Message boxes, the tray icon and its menu.

void SimProcess::AnswerBox(int answer) {
  if (state_->boxes.empty()) throw std::logic_error("AnswerBox: no box is open");
  Inject([this, answer] { state_->boxes.back().answer = answer; });
}

void SimProcess::ClickTrayIcon(std::function<void()> TrayEvents::*event) {
  const SimTrayIcon* icon = TrayIcon();
  if (!icon) throw std::logic_error("no tray icon of this process to click");
  if (icon->ghost) {
    state_->world.MouseOverTray();
    return;
  }
  Inject([this, event] {
    // A copy: the handler may add the icon again, which replaces the events.
    auto handler = state_->trayEvents.*event;
    if (handler) handler();
  });
}

void SimProcess::TrayRightClick() {
  ClickTrayIcon(&TrayEvents::onRightButtonUp);
}

void SimProcess::TrayDoubleClick() {
  ClickTrayIcon(&TrayEvents::onDoubleClick);
}

void SimProcess::DeliverTaskbarCreated() {
  if (!Running() || !state_->trayOwner) return;
  Inject([this] {
    if (!state_->Window(state_->trayOwner)) return;
    auto handler = state_->trayEvents.onTaskbarCreated;
    if (handler) handler();
  });
}

const std::vector<SimMenuItem>* SimProcess::MenuItems(const std::vector<std::string>& path) const {
  MenuHandle menu = state_->openMenu;
  if (!path.empty()) {
    const SimMenuItem* item = state_->FindMenuItem(path);
    menu = item ? item->subMenu : MenuHandle{};
  }
  auto it = state_->menus.find(menu);
  return it == state_->menus.end() ? nullptr : &it->second;
}

std::vector<std::string> SimProcess::MenuTexts(const std::vector<std::string>& path) const {
  std::vector<std::string> texts;
  if (const auto* items = MenuItems(path)) {
    for (const SimMenuItem& item : *items) texts.push_back(item.separator ? "-" : item.text);
  }
  return texts;
}

std::vector<std::string> SimProcess::MenuImages(const std::vector<std::string>& path) const {
  std::vector<std::string> images;
  if (const auto* items = MenuItems(path)) {
    for (const SimMenuItem& item : *items) images.push_back(item.image);
  }
  return images;
}

void SimProcess::ChooseMenuItem(const std::vector<std::string>& path) {
  if (!state_->openMenu) throw std::logic_error("ChooseMenuItem: no menu is open");
  const SimMenuItem* item = path.empty() ? nullptr : state_->FindMenuItem(path);
  if (!path.empty() && (!item || item->subMenu)) {
    throw std::logic_error("ChooseMenuItem: no item to choose at that path");
  }
  Inject([this, item] {
    state_->chosenItem = item;
    state_->menuDone = true;
  });
}

std::vector<std::string> SimProcess::Calls() const {
  std::vector<std::string> texts;
  for (const SimCall& call : state_->world.calls) {
    if (call.pid == Pid()) texts.push_back(call.text);
  }
  return texts;
}

std::vector<std::string> SimProcess::RefusedCalls() const {
  std::vector<std::string> refused = Calls();
  std::erase_if(refused, [](const std::string& text) { return !text.ends_with(" refused"); });
  return refused;
}

}  // namespace orbl::sim
