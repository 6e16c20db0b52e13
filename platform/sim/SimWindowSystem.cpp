#include "platform/sim/SimWindowSystem.h"

#include <algorithm>

namespace orbl::sim {

using namespace orbl::platform;

WindowHandle SimWindowSystem::CreateTopWindow(const WindowSpec& params, WindowEvents events) {
  SimWindow window;
  window.handle = s_.world.NewWindowHandle();
  window.params = params;
  window.title = params.title;
  window.events = std::move(events);
  const WindowHandle handle = window.handle;
  s_.windows[handle] = std::move(window);
  return handle;
}

void SimWindowSystem::SetWindowTitle(WindowHandle window, const std::string& title) {
  if (SimWindow* w = s_.Window(window)) w->title = title;
}

std::string SimWindowSystem::WindowTitle(WindowHandle window) const {
  const SimWindow* w = s_.Window(window);
  return w ? w->title : std::string();
}

void SimWindowSystem::ShowWindow(WindowHandle window, bool visible) {
  SimWindow* w = s_.Window(window);
  if (!w || w->visible == visible) return;
  w->visible = visible;
  auto handler = w->events.onVisibleChanged;
  if (handler) handler(visible);
}

bool SimWindowSystem::IsWindowVisible(WindowHandle window) const {
  const SimWindow* w = s_.Window(window);
  return w && w->visible;
}

void SimWindowSystem::EnableWindow(WindowHandle window, bool enabled) {
  if (SimWindow* w = s_.Window(window)) w->enabled = enabled;
}

bool SimWindowSystem::IsWindowEnabled(WindowHandle window) const {
  const SimWindow* w = s_.Window(window);
  return w && w->enabled;
}

void SimWindowSystem::SetForegroundWindow(WindowHandle) {}

void SimWindowSystem::RemoveSystemMenuItems(WindowHandle window) {
  if (SimWindow* w = s_.Window(window)) w->systemMenuTrimmed = true;
}

void SimWindowSystem::ShowModal(WindowHandle window) {
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
  for (WindowHandle handle : disabled) EnableWindow(handle, true);
}

ControlHandle SimWindowSystem::CreateControl(WindowHandle parent, const ControlSpec& params,
                                             ControlEvents events) {
  if (!s_.Window(parent)) return {};
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
  if (SimControl* c = s_.Control(control)) c->text = text;
}

std::string SimWindowSystem::ControlText(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->text : std::string();
}

void SimWindowSystem::SetControlVisible(ControlHandle control, bool visible) {
  if (SimControl* c = s_.Control(control)) c->visible = visible;
}

bool SimWindowSystem::IsControlVisible(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c && c->visible;
}

void SimWindowSystem::SetChecked(ControlHandle control, bool checked) {
  if (SimControl* c = s_.Control(control)) c->checked = checked;
}

bool SimWindowSystem::IsChecked(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c && c->checked;
}

void SimWindowSystem::ClearItems(ControlHandle control) {
  if (SimControl* c = s_.Control(control)) {
    c->items.clear();
    c->selection = -1;
  }
}

void SimWindowSystem::AddItem(ControlHandle control, const std::string& text) {
  if (SimControl* c = s_.Control(control)) c->items.push_back(text);
}

std::vector<std::string> SimWindowSystem::Items(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->items : std::vector<std::string>{};
}

void SimWindowSystem::SetSelection(ControlHandle control, int index) {
  if (SimControl* c = s_.Control(control)) {
    c->selection = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
  }
}

int SimWindowSystem::Selection(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->selection : -1;
}

void SimWindowSystem::SetArrowPosition(ControlHandle control, int value) {
  if (SimControl* c = s_.Control(control)) {
    c->position = std::clamp(value, c->params.minimum, c->params.maximum);
    c->text = std::to_string(c->position);
  }
}

int SimWindowSystem::ArrowPosition(ControlHandle control) const {
  const SimControl* c = s_.Control(control);
  return c ? c->position : 0;
}

int SimWindowSystem::AddBarButton(ControlHandle bar, const std::string& caption, int) {
  SimControl* c = s_.Control(bar);
  if (!c) return -1;
  c->barButtons.push_back(caption);
  return static_cast<int>(c->barButtons.size()) - 1;
}

void SimWindowSystem::SetBarButtonCaption(ControlHandle bar, int index,
                                          const std::string& caption) {
  SimControl* c = s_.Control(bar);
  if (c && index >= 0 && index < static_cast<int>(c->barButtons.size())) {
    c->barButtons[static_cast<std::size_t>(index)] = caption;
  }
}

TimerHandle SimWindowSystem::StartTimer(WindowHandle owner, std::uint32_t intervalMs,
                                        std::function<void()> onTick) {
  // Like SetTimer, intervals below the platform's minimum are raised to it.
  const std::uint32_t interval = std::max<std::uint32_t>(intervalMs, 10);
  const TimerHandle handle{s_.nextTimer++};
  s_.timers[handle] =
      SimTimer{handle, owner, interval, s_.world.Now() + interval, std::move(onTick)};
  return handle;
}

void SimWindowSystem::StopTimer(TimerHandle timer) {
  s_.timers.erase(timer);
}

int SimWindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                                    const std::string& caption, std::uint32_t flags) {
  SimBox box{s_.nextBox++, owner, text, caption, flags, 0};
  s_.world.Log("message box \"" + caption + "\": " + text);
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
  return closed.answer;
}

bool SimWindowSystem::Post(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                           std::int64_t lParam) {
  if (!s_.Window(window)) return false;
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
