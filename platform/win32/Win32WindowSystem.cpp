#include "platform/win32/Win32WindowSystem.h"

#include <array>
#include <cstring>
#include <string_view>
#include <tuple>
#include <utility>

#include "platform/win32/Win32Helpers.h"

namespace orbl::win32 {

namespace {

constexpr char kWindowClass[] = "OrbelleWindow";

// How many bytes from `address` on are committed and readable, up to `wanted`.
std::size_t ReadableBytes(const void* address, std::size_t wanted) {
  const auto* p = static_cast<const std::byte*>(address);
  std::size_t total = 0;
  while (total < wanted) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(p + total, &info, sizeof info) == 0) break;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (info.State != MEM_COMMIT || (info.Protect & kReadable) == 0 ||
        (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) {
      break;
    }
    const auto* regionEnd = static_cast<const std::byte*>(info.BaseAddress) + info.RegionSize;
    total += static_cast<std::size_t>(regionEnd - (p + total));
  }
  return total < wanted ? total : wanted;
}

// The bytes of a device broadcast, as far as the sender declared them. Only
// the events from DBT_DEVICEARRIVAL (0x8000) up carry a structure; for the
// others lParam is no pointer at all.
std::vector<std::byte> CopyBroadcast(WPARAM event, LPARAM lParam) {
  if (lParam == 0 || (event & 0x8000) == 0) return {};
  const auto* p = reinterpret_cast<const std::byte*>(lParam);
  const std::size_t readable = ReadableBytes(p, kBroadcastCap);
  if (readable < sizeof(DWORD)) return {};
  DWORD declared = 0;
  std::memcpy(&declared, p, sizeof declared);
  const std::size_t length = BroadcastLength(declared, readable);
  return {p, p + length};
}

// A timed box of this thread while its call runs: the thread timer that
// presses its OK, and the box, caught by a hook as MessageBoxA makes it.
// Timed boxes shown inside one another's loop form a chain, innermost first.
struct TimedBox {
  UINT_PTR timer = 0;
  HWND box = nullptr;
  TimedBox* outer = nullptr;
};

// The program's windows live on one thread; the chain is that thread's.
thread_local TimedBox* innermostTimedBox = nullptr;  // NOLINT(*-avoid-non-const-global-variables)

// The first top-level dialog made on this thread once the hook is set is the
// box MessageBoxA makes: it makes its box before it runs any loop, and
// nothing of the program runs in between.
LRESULT CALLBACK CatchTimedBox(int code, WPARAM wParam, LPARAM lParam) {
  TimedBox* timed = innermostTimedBox;
  if (code == HCBT_CREATEWND && timed != nullptr && timed->box == nullptr) {
    const HWND hwnd = reinterpret_cast<HWND>(wParam);
    const CREATESTRUCTA* create = reinterpret_cast<const CBT_CREATEWNDA*>(lParam)->lpcs;
    std::array<char, 8> name{};
    const int length = GetClassNameA(hwnd, name.data(), static_cast<int>(name.size()));
    if ((create->style & WS_CHILD) == 0 && std::string_view(name.data(), length) == "#32770") {
      timed->box = hwnd;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The timer of one timed call ran out: its own box, and no other, gets OK
// as if the button were pressed. Once, whatever the box does with it.
void CALLBACK PressOkOfTimedBox(HWND /*window*/, UINT /*message*/, UINT_PTR timer, DWORD /*time*/) {
  KillTimer(nullptr, timer);
  for (TimedBox* timed = innermostTimedBox; timed != nullptr; timed = timed->outer) {
    if (timed->timer != timer) continue;
    timed->timer = 0;
    if (timed->box != nullptr && IsWindow(timed->box) != FALSE) {
      PostMessageA(timed->box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(timed->box, IDOK)));
    }
    return;
  }
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  // CS_DBLCLKS: without it a window gets two clicks instead of a double-click.
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Win32WindowSystem::WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExA(&wc);
}

HWND Win32WindowSystem::TimerWindow() {
  // Made at the first timer that needs it: until then the program has one
  // window less to create on its way to the tray icon.
  if (timerWindow_ != nullptr) return timerWindow_;
  auto state = std::make_unique<Window>();
  state->system = this;
  timerWindow_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance_, state.get());
  if (timerWindow_ != nullptr) {
    state->ready = true;
    windows_[timerWindow_] = std::move(state);
  }
  return timerWindow_;
}

Win32WindowSystem::~Win32WindowSystem() {
  for (auto& [hwnd, window] : windows_) {
    FreeFonts(*window);
    FreeIcons(*window);
  }
}

void Win32WindowSystem::SetWindowIcons(Window& window) const {
  for (auto [which, metric, held] : {std::tuple{ICON_BIG, SM_CXICON, &window.bigIcon},
                                     std::tuple{ICON_SMALL, SM_CXSMICON, &window.smallIcon}}) {
    HICON icon = LoadIconAtDpi(instance_, window.icon, metric, window.dpi);
    if (icon == nullptr) continue;
    SendMessageA(window.hwnd, WM_SETICON, static_cast<WPARAM>(which),
                 reinterpret_cast<LPARAM>(icon));
    // Only now that the window shows the new one.
    if (*held != nullptr) DestroyIcon(*held);
    *held = icon;
  }
}

void Win32WindowSystem::FreeIcons(Window& window) {
  for (HICON* icon : {&window.bigIcon, &window.smallIcon}) {
    if (*icon != nullptr) DestroyIcon(*icon);
    *icon = nullptr;
  }
}

void Win32WindowSystem::AddMessageHook(MessageHook hook) {
  hooks_.push_back(std::move(hook));
}

// --- windows -------------------------------------------------------------

platform::WindowHandle Win32WindowSystem::CreateTopWindow(const platform::WindowParams& params,
                                                          platform::WindowEvents events) {
  auto state = std::make_unique<Window>();
  state->system = this;
  state->events = std::move(events);

  // No WS_CLIPCHILDREN: a group box draws only its frame and caption, so the
  // window's own background must show through it.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  if (params.minimizeBox) style |= WS_MINIMIZEBOX;
  if (params.maximizeBox) style |= WS_MAXIMIZEBOX;
  // WS_EX_CONTROLPARENT: Tab reaches the controls of a child that holds others.
  DWORD exStyle = WS_EX_CONTROLPARENT;
  if (params.topmost) exStyle |= WS_EX_TOPMOST;

  auto outerSize = [&](UINT dpi) {
    RECT rc{0, 0, ScaleToDpi(params.clientWidth, dpi), ScaleToDpi(params.clientHeight, dpi)};
    AdjustWindowRectExForDpi(&rc, style, FALSE, exStyle, dpi);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
  };
  const SIZE first = outerSize(GetDpiForSystem());
  HWND hwnd =
      CreateWindowExA(exStyle, kWindowClass, params.title.c_str(), style, CW_USEDEFAULT,
                      CW_USEDEFAULT, first.cx, first.cy, nullptr, nullptr, instance_, state.get());
  if (hwnd == nullptr) return {};

  Window& window = *state;
  windows_[hwnd] = std::move(state);
  window.dpi = GetDpiForWindow(hwnd);
  if (window.dpi == 0) window.dpi = USER_DEFAULT_SCREEN_DPI;
  window.icon = params.icon;

  // Placed again only when the window's DPI or its centring asks for it: the
  // hidden application window, made before the tray icon, skips the call.
  const SIZE size = outerSize(window.dpi);
  int x = 0;
  int y = 0;
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE;
  if (params.centered) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
      const RECT& work = monitor.rcWork;
      x = work.left + (work.right - work.left - size.cx) / 2;
      y = work.top + (work.bottom - work.top - size.cy) / 2;
      flags &= ~static_cast<UINT>(SWP_NOMOVE);
    }
  }
  if ((flags & SWP_NOMOVE) == 0 || size.cx != first.cx || size.cy != first.cy) {
    SetWindowPos(hwnd, nullptr, x, y, size.cx, size.cy, flags);
  }
  window.ready = true;
  return FromHwnd(hwnd);
}

void Win32WindowSystem::SetWindowTitle(platform::WindowHandle window, const std::string& title) {
  SetWindowTextA(ToHwnd(window), title.c_str());
}

std::string Win32WindowSystem::WindowTitle(platform::WindowHandle window) const {
  return WindowText(ToHwnd(window));
}

void Win32WindowSystem::ShowWindow(platform::WindowHandle window, bool visible) {
  if (visible) RealiseWindow(window);
  ::ShowWindow(ToHwnd(window), visible ? SW_SHOW : SW_HIDE);
}

bool Win32WindowSystem::IsWindowVisible(platform::WindowHandle window) const {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

void Win32WindowSystem::EnableWindow(platform::WindowHandle window, bool enabled) {
  ::EnableWindow(ToHwnd(window), enabled ? TRUE : FALSE);
}

bool Win32WindowSystem::IsWindowEnabled(platform::WindowHandle window) const {
  return ::IsWindowEnabled(ToHwnd(window)) != FALSE;
}

void Win32WindowSystem::SetForegroundWindow(platform::WindowHandle window) {
  ::SetForegroundWindow(ToHwnd(window));
}

void Win32WindowSystem::RemoveSystemMenuItems(platform::WindowHandle window) {
  HMENU menu = GetSystemMenu(ToHwnd(window), FALSE);
  if (menu == nullptr) return;
  DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
  DeleteMenu(menu, SC_CLOSE, MF_BYCOMMAND);
  // The separator that stood above "Close" would now end the menu.
  const int count = GetMenuItemCount(menu);
  if (count > 0 &&
      (GetMenuState(menu, static_cast<UINT>(count - 1), MF_BYPOSITION) & MF_SEPARATOR)) {
    DeleteMenu(menu, static_cast<UINT>(count - 1), MF_BYPOSITION);
  }
}

void Win32WindowSystem::ShowModal(platform::WindowHandle window) {
  HWND modal = ToHwnd(window);
  if (!IsWindow(modal)) return;
  RealiseWindow(window);

  struct Collect {
    HWND modal;
    std::vector<HWND> disabled;
  } collect{modal, {}};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* c = reinterpret_cast<Collect*>(param);
        if (hwnd != c->modal && ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
          c->disabled.push_back(hwnd);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&collect));
  // Where the user was: a modal window opened from inside another hands the
  // keyboard back to it when it goes.
  const HWND previousActive = GetActiveWindow();
  const HWND previousFocus = GetFocus();

  ::ShowWindow(modal, SW_SHOW);
  for (HWND hwnd : collect.disabled) ::EnableWindow(hwnd, FALSE);
  ::SetForegroundWindow(modal);
  // Keys typed on, meant for the window that was in front, reach the default
  // button and not whichever control happens to come first.
  if (auto it = windows_.find(modal); it != windows_.end()) {
    for (const auto& control : it->second->controls) {
      if (control->params.defaultButton) SetFocus(control->hwnd);
    }
  }

  MSG msg;
  while (IsWindow(modal) && ::IsWindowVisible(modal)) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Not ours to swallow: the outer loop sees it again.
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      Dispatch(msg);
    } else {
      WaitMessage();
    }
  }

  for (HWND hwnd : collect.disabled) {
    if (IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
  }
  // Hidden while the others were still disabled, the modal window passed the
  // activation to no window of ours: take it back.
  if (previousActive != nullptr && previousActive != modal && IsWindow(previousActive) &&
      ::IsWindowVisible(previousActive) && ::IsWindowEnabled(previousActive)) {
    ::SetForegroundWindow(previousActive);
    SetActiveWindow(previousActive);
    if (previousFocus != nullptr && IsWindow(previousFocus) &&
        IsChild(previousActive, previousFocus)) {
      SetFocus(previousFocus);
    }
  }
}

void Win32WindowSystem::PressCancel(const Window& window) {
  for (const auto& control : window.controls) {
    if (!control->params.cancelButton) continue;
    // A cancel button the window cannot press now makes Esc do nothing.
    if (!::IsWindowVisible(control->hwnd) || !::IsWindowEnabled(control->hwnd)) return;
    const std::function<void()> onClick = control->events.onClick;  // may run long
    if (onClick) onClick();
    return;
  }
  const std::function<void()> onCloseRequest = window.events.onCloseRequest;
  if (onCloseRequest) onCloseRequest();
}

// --- timers, boxes, loops --------------------------------------------------

platform::TimerHandle Win32WindowSystem::StartTimer(platform::WindowHandle owner,
                                                    std::uint32_t intervalMs,
                                                    std::function<void()> onTick) {
  HWND hwnd = ToHwnd(owner);
  // WM_TIMER only reaches a window procedure of ours.
  if (windows_.find(hwnd) == windows_.end()) hwnd = TimerWindow();
  if (hwnd == nullptr) return {};
  const UINT_PTR id = nextTimerId_++;
  if (SetTimer(hwnd, id, intervalMs, nullptr) == 0) return {};
  timers_[id] = Timer{hwnd, std::move(onTick)};
  return platform::TimerHandle{id};
}

void Win32WindowSystem::StopTimer(platform::TimerHandle timer) {
  auto it = timers_.find(timer.value);
  if (it == timers_.end()) return;
  KillTimer(it->second.owner, it->first);
  timers_.erase(it);
}

int Win32WindowSystem::ShowMessageBox(platform::WindowHandle owner, const std::string& text,
                                      const std::string& caption, std::uint32_t flags) {
  return MessageBoxA(ToHwnd(owner), text.c_str(), caption.c_str(), flags);
}

// MessageBoxA with a thread timer beside it. The timer goes with the call,
// so it cannot reach a box shown later; it knows its box by the handle the
// hook caught, so it cannot reach a box shown inside this one's loop either.
int Win32WindowSystem::ShowTimedMessageBox(platform::WindowHandle owner, const std::string& text,
                                           const std::string& caption, std::uint32_t flags,
                                           std::uint32_t timeoutMs) {
  TimedBox timed;
  timed.outer = innermostTimedBox;
  innermostTimedBox = &timed;
  const HHOOK hook = SetWindowsHookExA(WH_CBT, &CatchTimedBox, nullptr, GetCurrentThreadId());
  timed.timer = SetTimer(nullptr, 0, timeoutMs, &PressOkOfTimedBox);
  const int answer = MessageBoxA(ToHwnd(owner), text.c_str(), caption.c_str(), flags);
  if (timed.timer != 0) KillTimer(nullptr, timed.timer);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  innermostTimedBox = timed.outer;
  return answer;
}

bool Win32WindowSystem::BlockShutdown(platform::WindowHandle window, const std::string& reason) {
  // The call takes the reason in UTF-16 only.
  const int length = MultiByteToWideChar(CP_ACP, 0, reason.c_str(), -1, nullptr, 0);
  if (length <= 0) return false;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, reason.c_str(), -1, wide.data(), length);
  return ShutdownBlockReasonCreate(ToHwnd(window), wide.c_str()) != FALSE;
}

bool Win32WindowSystem::UnblockShutdown(platform::WindowHandle window) {
  return ShutdownBlockReasonDestroy(ToHwnd(window)) != FALSE;
}

bool Win32WindowSystem::ReplyToSender() {
  // TRUE is the answer the default handling would give to what is answered early.
  return ReplyMessage(TRUE) != FALSE;
}

bool Win32WindowSystem::Post(platform::WindowHandle window, std::uint32_t code,
                             std::uint64_t wParam, std::int64_t lParam) {
  return PostMessageA(ToHwnd(window), code, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam)) != FALSE;
}

void Win32WindowSystem::Dispatch(MSG& msg) {
  // A window of ours with controls takes the keys of a dialog: Tab and
  // Shift+Tab between controls, Enter for the default button, Esc as Cancel.
  // IsDialogMessage sends the window what it decided (DM_GETDEFID, WM_COMMAND
  // with IDCANCEL); HandleMessage answers as a dialog's procedure would.
  if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST && msg.hwnd != nullptr) {
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto it = windows_.find(root);
    if (it != windows_.end() && !it->second->controls.empty() &&
        IsDialogMessageA(root, &msg) != FALSE) {
      return;
    }
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void Win32WindowSystem::DispatchPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // The program ends only through its own exit path; a stray WM_QUIT is no
    // reason to leave the loop.
    if (msg.message == WM_QUIT) continue;
    Dispatch(msg);
  }
}

void Win32WindowSystem::ProcessMessages() {
  DispatchPending();
}

void Win32WindowSystem::RunLoop() {
  for (;;) {
    DispatchPending();
    WaitMessage();
  }
}

// --- window procedures -----------------------------------------------------

LRESULT CALLBACK Win32WindowSystem::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    auto* window = static_cast<Window*>(create->lpCreateParams);
    window->hwnd = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
  }
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (window == nullptr || !window->ready) return DefWindowProcA(hwnd, msg, wParam, lParam);

  Win32WindowSystem& system = *window->system;
  const LRESULT result = system.HandleMessage(*window, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    system.ForgetControls(*window);
    for (auto it = system.timers_.begin(); it != system.timers_.end();) {
      it = it->second.owner == hwnd ? system.timers_.erase(it) : std::next(it);
    }
    FreeFonts(*window);
    FreeIcons(*window);
    system.windows_.erase(hwnd);
  }
  return result;
}

void Win32WindowSystem::ChangeDpi(Window& window, UINT dpi, const RECT& suggested) const {
  window.dpi = dpi;
  SetWindowPos(window.hwnd, nullptr, suggested.left, suggested.top,
               suggested.right - suggested.left, suggested.bottom - suggested.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // A window not yet shown has neither fonts nor icons: it gets them at the
  // new DPI when it is.
  if (window.realised) {
    RescaleControls(window);
    SetWindowIcons(window);
  }
}

LRESULT Win32WindowSystem::HandleMessage(Window& window, UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = window.hwnd;
  const platform::WindowEvents& events = window.events;

  if (events.onMessage) {
    std::vector<std::byte> bytes;
    if (msg == WM_DEVICECHANGE) bytes = CopyBroadcast(wParam, lParam);
    platform::Message message;
    message.code = msg;
    message.wParam = static_cast<std::uint64_t>(wParam);
    message.lParam = static_cast<std::int64_t>(lParam);
    message.data = std::span<const std::byte>(bytes.data(), bytes.size());
    if (events.onMessage(message)) return 0;
  }

  switch (msg) {
    case DM_GETDEFID: {
      const int id = DefaultButtonId(window);
      return id == 0 ? 0 : MAKELRESULT(id, DC_HASDEFID);
    }
    case WM_NEXTDLGCTL: {
      // What a dialog's procedure does for it; IsDialogMessage may ask this
      // of any window it handles Tab for.
      HWND next = LOWORD(lParam) != 0
                      ? reinterpret_cast<HWND>(wParam)
                      : GetNextDlgTabItem(hwnd, GetFocus(), wParam != 0 ? TRUE : FALSE);
      if (next != nullptr && GetAncestor(next, GA_ROOT) == hwnd) SetFocus(next);
      return 0;
    }
    case WM_COMMAND:
      // Esc, from IsDialogMessage (no control has the id IDCANCEL): the
      // window's cancel button, else the close box's request.
      if (wParam == IDCANCEL && lParam == 0) {
        PressCancel(window);
        return 0;
      }
      {
        LRESULT result = 0;
        if (HandleControlMessage(msg, wParam, lParam, result)) return result;
      }
      break;
    case WM_CLOSE:
      // Never DefWindowProc: it would destroy the window behind the program's back.
      if (events.onCloseRequest) events.onCloseRequest();
      return 0;
    case WM_WINDOWPOSCHANGED: {
      // Rather than WM_SHOWWINDOW, which arrives before the change is made and
      // not for every way a window can be shown.
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
      if (events.onVisibleChanged && (pos->flags & SWP_SHOWWINDOW)) events.onVisibleChanged(true);
      if (events.onVisibleChanged && (pos->flags & SWP_HIDEWINDOW)) events.onVisibleChanged(false);
      break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      if (events.onDoubleClick) events.onDoubleClick();
      return 0;
    case WM_DESTROY:
      if (events.onDestroy) events.onDestroy();
      return 0;
    case WM_QUERYENDSESSION:
    case WM_POWERBROADCAST:
      // Consent, said outright: not every DefWindowProc answers TRUE here.
      return TRUE;
    case WM_TIMER: {
      auto it = timers_.find(wParam);
      if (it != timers_.end() && it->second.owner == hwnd) {
        // A copy: the tick may stop its own timer.
        const std::function<void()> onTick = it->second.onTick;
        if (onTick) onTick();
        return 0;
      }
      break;
    }
    case WM_DPICHANGED:
      ChangeDpi(window, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      break;  // the hooks see it too: the tray's icon follows the DPI
    default: {
      // Notifications and colour requests of our controls come to their window.
      LRESULT result = 0;
      if (HandleControlMessage(msg, wParam, lParam, result)) return result;
      break;
    }
  }

  for (const MessageHook& hook : hooks_) {
    LRESULT result = 0;
    if (hook(hwnd, msg, wParam, lParam, result)) return result;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace orbl::win32
