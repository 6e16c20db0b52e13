#include "platform/sim/SimProcessState.h"

#include <algorithm>
#include <exception>
#include <iomanip>
#include <sstream>

namespace orbl::sim {

using namespace orbl::platform;

SimWindow* SimProcessState::Window(WindowHandle handle) {
  auto it = windows.find(handle);
  return it == windows.end() ? nullptr : &it->second;
}

const SimWindow* SimProcessState::Window(WindowHandle handle) const {
  auto it = windows.find(handle);
  return it == windows.end() ? nullptr : &it->second;
}

SimControl* SimProcessState::Control(ControlHandle handle) {
  auto it = controls.find(handle);
  return it == controls.end() ? nullptr : &it->second;
}

const SimControl* SimProcessState::Control(ControlHandle handle) const {
  auto it = controls.find(handle);
  return it == controls.end() ? nullptr : &it->second;
}

std::string SimProcessState::Describe(WindowHandle handle) const {
  const SimWindow* w = Window(handle);
  if (w && !w->title.empty()) return "\"" + w->title + "\"";
  std::ostringstream text;
  text << (w ? "window 0x" : "unknown window 0x") << std::hex << handle.value;
  return text.str();
}

void SimProcessState::DestroyWindow(WindowHandle handle) {
  std::erase_if(controls, [&](const auto& entry) { return entry.second.parent == handle; });
  std::erase_if(timers, [&](const auto& entry) { return entry.second.owner == handle; });
  std::erase_if(queue,
                [&](const SimPosted& posted) { return !posted.action && posted.window == handle; });
  windows.erase(handle);
}

const SimMenuItem* SimProcessState::FindMenuItem(const std::vector<std::string>& path) const {
  MenuHandle menu = openMenu;
  const SimMenuItem* found = nullptr;
  for (const std::string& text : path) {
    auto it = menus.find(menu);
    if (it == menus.end()) return nullptr;
    found = nullptr;
    for (const SimMenuItem& item : it->second) {
      if (!item.separator && item.text == text) found = &item;
    }
    if (!found) return nullptr;
    menu = found->subMenu;
  }
  return found;
}

void SimProcessState::YieldToTest() {
  world.Scheduler().YieldToTest(pid);
  if (killRequested && std::uncaught_exceptions() == 0) throw SimProcessKilled{};
  // The test may have moved the clock on while the program waited in a box.
  EnforceEndSessionTimeout();
}

bool SimProcessState::EndSessionOverdue() const {
  if (!shutdownBlocks.empty()) return false;
  return std::any_of(sentMessages.begin(), sentMessages.end(), [&](const SimSentMessage& sent) {
    return sent.code == msg::kQueryEndSession && !sent.replied &&
           world.Now() - sent.since > kEndSessionTimeoutMs;
  });
}

void SimProcessState::EnforceEndSessionTimeout() {
  if (run != Run::Running || !EndSessionOverdue() || std::uncaught_exceptions() != 0) return;
  killRequested = true;
  run = Run::Killed;
  world.Log("process " + std::to_string(pid) +
            " ended by the system: no answer to the end of the session within 5 s");
  throw SimProcessKilled{};
}

void SimProcessState::WaitForWork(const std::function<bool()>& done) {
  while (!done() && !HasDueWork()) YieldToTest();
  if (killRequested && std::uncaught_exceptions() == 0) throw SimProcessKilled{};
}

bool SimProcessState::HasDueWork() const {
  if (!queue.empty() || (commandDeadline && commandReply)) return true;
  auto due = NextTimerDue();
  return due && *due <= world.Now();
}

std::optional<std::uint64_t> SimProcessState::NextTimerDue() const {
  std::optional<std::uint64_t> earliest = commandDeadline;
  for (const auto& [handle, timer] : timers) {
    if (!earliest || timer.due < *earliest) earliest = timer.due;
  }
  for (const SimBox& box : boxes) {
    if (box.answer == 0 && box.closesAt && (!earliest || *box.closesAt < *earliest)) {
      earliest = box.closesAt;
    }
  }
  return earliest;
}

bool SimProcessState::DispatchOne() {
  if (!queue.empty()) {
    SimPosted posted = std::move(queue.front());
    queue.pop_front();
    if (posted.action) {
      posted.action();
    } else {
      Message message = posted.message;
      message.data = posted.data;
      if (posted.sent) sentMessages.push_back(SimSentMessage{message.code, world.Now(), false});
      Deliver(posted.window, message);
      if (posted.sent) sentMessages.pop_back();
    }
    return true;
  }
  // Timer ticks come only when no posted message waits, as WM_TIMER does.
  SimTimer* next = nullptr;
  for (auto& [handle, timer] : timers) {
    if (timer.due <= world.Now() && (!next || timer.due < next->due)) next = &timer;
  }
  // A box's own time-out is a timer of the system's: it presses OK on that
  // box alone, which returns once the boxes opened inside it are gone.
  SimBox* expired = nullptr;
  for (SimBox& box : boxes) {
    if (box.answer == 0 && box.closesAt && *box.closesAt <= world.Now() &&
        (!expired || *box.closesAt < *expired->closesAt)) {
      expired = &box;
    }
  }
  if (expired && (!next || *expired->closesAt <= next->due)) {
    expired->answer = mb::kIdOk;
    expired->closedItself = true;
    Call("box \"" + expired->caption + "\" closed itself");
    world.Log("message box \"" + expired->caption + "\" closed itself");
    return true;
  }
  if (!next) return false;
  next->due = world.Now() + next->interval;
  auto onTick = next->onTick;
  if (onTick) onTick();
  return true;
}

void SimProcessState::Deliver(WindowHandle window, const Message& message) {
  SimWindow* target = Window(window);
  if (!target) return;
  auto onMessage = target->events.onMessage;
  if (onMessage && onMessage(message)) return;
  // The window's own handling, as the default window procedure does it.
  target = Window(window);
  if (!target) return;
  if (message.code == msg::kClose) {
    auto onClose = target->events.onCloseRequest;
    if (onClose) onClose();
  } else if (message.code == msg::kSysCommand && (message.wParam & 0xFFF0) == msg::kScClose) {
    Deliver(window, Message{msg::kClose, 0, 0, {}});
  } else if (message.code == msg::kSysCommand && (message.wParam & 0xFFF0) == msg::kScMinimize) {
    target->visible = false;
  }
}

}  // namespace orbl::sim
