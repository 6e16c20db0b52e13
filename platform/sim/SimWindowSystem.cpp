#include "platform/sim/SimWindowSystem.h"

#include <algorithm>
#include <string_view>

namespace orbl::sim {

using namespace orbl::platform;

namespace {

std::string Hex(std::uint32_t code) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[code & 0xFu]);
    code >>= 4;
  } while (code != 0 || text.size() < 4);
  return "0x" + text;
}

}  // namespace

WindowHandle SimWindowSystem::CreateTopWindow(const WindowParams& params, WindowEvents events) {
  SimWindow window;
  window.handle = s_.world.NewWindowHandle();
  window.params = params;
  window.title = params.title;
  window.events = std::move(events);
  const WindowHandle handle = window.handle;
  s_.windows[handle] = std::move(window);
  return handle;
}

SimWindow* SimWindowSystem::Target(WindowHandle window, const std::string& call) {
  SimWindow* w = s_.Window(window);
  s_.Call(call + " " + s_.Describe(window) + (w ? "" : " refused"));
  return w;
}

SimControl* SimWindowSystem::Target(ControlHandle control, const char* call) {
  SimControl* c = s_.Control(control);
  if (!c) s_.Call(std::string(call) + " on unknown control refused");
  return c;
}

void SimWindowSystem::SetWindowTitle(WindowHandle window, const std::string& title) {
  SimWindow* w = s_.Window(window);
  if (!w) s_.Call("title of " + s_.Describe(window) + " refused");
  if (w) w->title = title;
}

std::string SimWindowSystem::WindowTitle(WindowHandle window) const {
  const SimWindow* w = s_.Window(window);
  return w ? w->title : std::string();
}

void SimWindowSystem::ShowWindow(WindowHandle window, bool visible) {
  SimWindow* w = Target(window, visible ? "show" : "hide");
  if (!w || w->visible == visible) return;
  w->visible = visible;
  auto handler = w->events.onVisibleChanged;
  if (handler) handler(visible);
}

bool SimWindowSystem::IsWindowVisible(WindowHandle window) const {
  const SimWindow* w = s_.Window(window);
  return w != nullptr && w->visible;
}

void SimWindowSystem::EnableWindow(WindowHandle window, bool enabled) {
  if (SimWindow* w = Target(window, enabled ? "enable" : "disable")) w->enabled = enabled;
}

bool SimWindowSystem::IsWindowEnabled(WindowHandle window) const {
  const SimWindow* w = s_.Window(window);
  return w != nullptr && w->enabled;
}

void SimWindowSystem::SetForegroundWindow(WindowHandle window) {
  Target(window, "foreground");
}

void SimWindowSystem::RemoveSystemMenuItems(WindowHandle window) {
  if (SimWindow* w = Target(window, "trim system menu of")) w->systemMenuTrimmed = true;
}

void SimWindowSystem::ShowModal(WindowHandle window) {
  if (Target(window, "modal loop for") == nullptr) return;
  const std::string name = s_.Describe(window);
  std::vector<WindowHandle> disabled;
  for (auto& [handle, w] : s_.windows) {
    if (handle != window && w.visible && w.enabled) {
      w.enabled = false;
      disabled.push_back(handle);
    }
  }
  ShowWindow(window, true);
  while (IsWindowVisible(window)) {
    s_.WaitForWork([&] { return !IsWindowVisible(window); });
    s_.DispatchOne();
  }
  // The system enables the windows again, not the program: no call of its own.
  for (WindowHandle handle : disabled) {
    if (SimWindow* w = s_.Window(handle)) w->enabled = true;
  }
  s_.Call("modal loop for " + name + " left");
}

ControlHandle SimWindowSystem::CreateControl(WindowHandle parent, const ControlParams& params,
                                             ControlEvents events) {
  if (!s_.Window(parent)) {
    s_.Call("control in " + s_.Describe(parent) + " refused");
    return {};
  }
  SimControl control;
  control.handle = ControlHandle{s_.nextControl++};
  control.parent = parent;
  control.params = params;
  control.text = params.text;
  control.visible = params.visible;
  control.position = params.minimum;
  control.events = std::move(events);
  const ControlHandle handle = control.handle;
  s_.controls[handle] = std::move(control);
  return handle;
}

void SimWindowSystem::SetControlText(ControlHandle control, const std::string& text) {
  if (SimControl* c = Target(control, "text")) c->text = text;
}

std::string SimWindowSystem::ControlText(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->text : std::string();
}

void SimWindowSystem::SetControlVisible(ControlHandle control, bool visible) {
  if (SimControl* c = Target(control, "visibility")) c->visible = visible;
}

bool SimWindowSystem::IsControlVisible(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c != nullptr && c->visible;
}

void SimWindowSystem::SetChecked(ControlHandle control, bool checked) {
  if (SimControl* c = Target(control, "tick")) c->checked = checked;
}

bool SimWindowSystem::IsChecked(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c != nullptr && c->checked;
}

void SimWindowSystem::ClearItems(ControlHandle control) {
  if (SimControl* c = Target(control, "clear items")) {
    c->items.clear();
    c->selection = -1;
  }
}

void SimWindowSystem::AddItem(ControlHandle control, const std::string& text) {
  if (SimControl* c = Target(control, "add item")) c->items.push_back(text);
}

std::vector<std::string> SimWindowSystem::Items(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->items : std::vector<std::string>{};
}

void SimWindowSystem::SetSelection(ControlHandle control, int index) {
  if (SimControl* c = Target(control, "selection")) {
    c->selection = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
  }
}

int SimWindowSystem::Selection(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->selection : -1;
}

void SimWindowSystem::SetArrowPosition(ControlHandle control, int value) {
  if (SimControl* c = Target(control, "arrow position")) {
    c->position = std::clamp(value, c->params.minimum, c->params.maximum);
    c->text = std::to_string(c->position);
  }
}

int SimWindowSystem::ArrowPosition(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->position : 0;
}

int SimWindowSystem::AddBarButton(ControlHandle bar, const std::string& caption, int /*image*/) {
  SimControl* c = Target(bar, "add bar button");
  if (!c) return -1;
  c->barButtons.push_back(caption);
  c->barSeparators.push_back(false);
  return static_cast<int>(c->barButtons.size()) - 1;
}

int SimWindowSystem::AddBarSeparator(ControlHandle bar) {
  SimControl* c = Target(bar, "add bar separator");
  if (!c) return -1;
  c->barButtons.emplace_back();
  c->barSeparators.push_back(true);
  return static_cast<int>(c->barButtons.size()) - 1;
}

void SimWindowSystem::SetLinkHighlighted(ControlHandle control, bool highlighted) {
  if (SimControl* c = Target(control, "link colour")) c->highlighted = highlighted;
}

void SimWindowSystem::SetBarButtonCaption(ControlHandle bar, int index,
                                          const std::string& caption) {
  SimControl* c = Target(bar, "bar button caption");
  if (c && index >= 0 && index < static_cast<int>(c->barButtons.size())) {
    c->barButtons[static_cast<std::size_t>(index)] = caption;
  }
}

TimerHandle SimWindowSystem::StartTimer(WindowHandle owner, std::uint32_t intervalMs,
                                        std::function<void()> onTick) {
  if (!s_.Window(owner)) {
    s_.Call("timer on " + s_.Describe(owner) + " refused");
    return {};
  }
  // Like SetTimer, intervals below USER_TIMER_MINIMUM, 0 included, are raised to it.
  const std::uint32_t interval = std::max<std::uint32_t>(intervalMs, kTimerMinimumMs);
  const TimerHandle handle{s_.nextTimer++};
  s_.Call("timer " + std::to_string(handle.value) + " started on " + s_.Describe(owner) + ", " +
          std::to_string(interval) + " ms");
  s_.timers[handle] =
      SimTimer{handle, owner, interval, s_.world.Now() + interval, std::move(onTick)};
  return handle;
}

void SimWindowSystem::StopTimer(TimerHandle timer) {
  // A handle that is stopped already, or never was, makes KillTimer fail.
  const bool stopped = s_.timers.erase(timer) != 0;
  s_.Call("timer " + std::to_string(timer.value) + (stopped ? " stopped" : " stop refused"));
}

int SimWindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                                    const std::string& caption, std::uint32_t flags) {
  return RunBox(owner, text, caption, flags, std::nullopt);
}

int SimWindowSystem::ShowTimedMessageBox(WindowHandle owner, const std::string& text,
                                         const std::string& caption, std::uint32_t flags,
                                         std::uint32_t timeoutMs) {
  return RunBox(owner, text, caption, flags, timeoutMs);
}

int SimWindowSystem::RunBox(WindowHandle owner, const std::string& text, const std::string& caption,
                            std::uint32_t flags, std::optional<std::uint32_t> timeoutMs) {
  if (owner && !s_.Window(owner)) {
    s_.Call("box \"" + caption + "\" owned by " + s_.Describe(owner) + " refused");
    return 0;
  }
  SimBox box{s_.nextBox++, owner, text, caption, flags, 0};
  // The foreground rule: a tray program is in the background, and its box
  // comes to the front only through a visible owner or by asking for it.
  const SimWindow* ownerWindow = s_.Window(owner);
  const std::uint32_t front = mb::kSetForeground | mb::kTopmost;
  box.behind = (ownerWindow == nullptr || !ownerWindow->visible) && (flags & front) != front;
  std::string timing;
  if (timeoutMs) {
    box.closesAt = s_.world.Now() + *timeoutMs;
    timing = " (closes itself after " + std::to_string(*timeoutMs) + " ms)";
  }
  s_.Call("box \"" + caption + "\" opened" + (box.behind ? " behind" : "") + timing);
  s_.world.Log("message box \"" + caption + "\"" + timing + ": " + text);
  if (s_.boxAnswerer) box.answer = s_.boxAnswerer(box);
  s_.boxes.push_back(box);
  const int serial = box.serial;
  auto find = [&]() -> SimBox& {
    return *std::find_if(s_.boxes.begin(), s_.boxes.end(),
                         [&](const SimBox& b) { return b.serial == serial; });
  };
  while (find().answer == 0) {
    s_.WaitForWork([&] { return find().answer != 0; });
    s_.DispatchOne();
  }
  SimBox closed = find();
  s_.boxes.erase(std::find_if(s_.boxes.begin(), s_.boxes.end(),
                              [&](const SimBox& b) { return b.serial == serial; }));
  s_.boxHistory.push_back(closed);
  s_.Call("box \"" + caption + "\" answered " + std::to_string(closed.answer));
  return closed.answer;
}

bool SimWindowSystem::BlockShutdown(WindowHandle window, const std::string& reason) {
  SimWindow* w = Target(window, "shutdown block on");
  if (!w) return false;
  s_.shutdownBlocks[window] = reason;
  s_.world.Log("shutdown blocked: \"" + reason + "\"");
  return true;
}

bool SimWindowSystem::UnblockShutdown(WindowHandle window) {
  if (s_.shutdownBlocks.erase(window) == 0) {
    s_.Call("shutdown block of " + s_.Describe(window) + " taken back refused");
    return false;
  }
  s_.Call("shutdown block of " + s_.Describe(window) + " taken back");
  s_.world.Log("shutdown block removed");
  return true;
}

bool SimWindowSystem::ReplyToSender() {
  if (s_.sentMessages.empty()) {
    s_.Call("reply to sender refused");
    return false;
  }
  if (!s_.sentMessages.back().replied) s_.Call("reply to sender");
  s_.sentMessages.back().replied = true;
  return true;
}

bool SimWindowSystem::Post(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                           std::int64_t lParam) {
  // Only this process's windows: the sim runs a process only when the test
  // hands it the baton, so a message to another one would wait unseen.
  const bool known = s_.Window(window) != nullptr;
  s_.Call("post " + Hex(code) + " to " + s_.Describe(window) + (known ? "" : " refused"));
  if (!known) return false;
  SimPosted posted;
  posted.window = window;
  posted.message = Message{code, wParam, lParam, {}};
  s_.queue.push_back(std::move(posted));
  return true;
}

void SimWindowSystem::ProcessMessages() {
  while (s_.DispatchOne()) {
  }
}

void SimWindowSystem::RunLoop() {
  for (;;) {
    s_.WaitForWork([] { return false; });
    s_.DispatchOne();
  }
}

}  // namespace orbl::sim
