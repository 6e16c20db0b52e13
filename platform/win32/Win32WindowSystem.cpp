#include "platform/win32/Win32WindowSystem.h"

#include <cstring>
#include <utility>

#include "platform/win32/Win32Helpers.h"

namespace orbl::win32 {

namespace {

constexpr char kWindowClass[] = "OrbelleWindow";
// Toolbar button commands start here so that index 0 is a real command.
constexpr int kBarCommandBase = 1000;
// Extra height of a drop-down list's rectangle for its opened list.
constexpr int kDropDownListHeight = 200;

int Scale(int value, UINT dpi) {
  return MulDiv(value, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

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
  return std::vector<std::byte>(p, p + length);
}

std::string TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

HICON LoadIconResource(HINSTANCE instance, const std::string& name, int metric) {
  if (name.empty()) return nullptr;
  const int size = GetSystemMetrics(metric);
  return static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(HINSTANCE instance) : instance_(instance) {
  INITCOMMONCONTROLSEX controls{
      sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);

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

  auto state = std::make_unique<Window>();
  state->system = this;
  timerWindow_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance_, state.get());
  if (timerWindow_ != nullptr) {
    state->ready = true;
    windows_[timerWindow_] = std::move(state);
  }
}

Win32WindowSystem::~Win32WindowSystem() {
  for (auto& [hwnd, window] : windows_) FreeFonts(*window);
}

void Win32WindowSystem::AddMessageHook(MessageHook hook) {
  hooks_.push_back(std::move(hook));
}

// --- windows -------------------------------------------------------------

platform::WindowHandle Win32WindowSystem::CreateTopWindow(const platform::WindowSpec& params,
                                                          platform::WindowEvents events) {
  auto state = std::make_unique<Window>();
  state->system = this;
  state->events = std::move(events);

  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (params.minimizeBox) style |= WS_MINIMIZEBOX;
  if (params.maximizeBox) style |= WS_MAXIMIZEBOX;

  auto outerSize = [&](UINT dpi) {
    RECT rc{0, 0, Scale(params.clientWidth, dpi), Scale(params.clientHeight, dpi)};
    AdjustWindowRectExForDpi(&rc, style, FALSE, 0, dpi);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
  };
  const SIZE first = outerSize(GetDpiForSystem());
  HWND hwnd =
      CreateWindowExA(0, kWindowClass, params.title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                      first.cx, first.cy, nullptr, nullptr, instance_, state.get());
  if (hwnd == nullptr) return {};

  Window& window = *state;
  windows_[hwnd] = std::move(state);
  window.dpi = GetDpiForWindow(hwnd);
  if (window.dpi == 0) window.dpi = USER_DEFAULT_SCREEN_DPI;
  MakeFonts(window);

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
  SetWindowPos(hwnd, nullptr, x, y, size.cx, size.cy, flags);

  if (HICON big = LoadIconResource(instance_, params.icon, SM_CXICON)) {
    SendMessageA(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
  }
  if (HICON small = LoadIconResource(instance_, params.icon, SM_CXSMICON)) {
    SendMessageA(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
  }
  window.ready = true;
  return FromHwnd(hwnd);
}

void Win32WindowSystem::SetWindowTitle(platform::WindowHandle window, const std::string& title) {
  SetWindowTextA(ToHwnd(window), title.c_str());
}

std::string Win32WindowSystem::WindowTitle(platform::WindowHandle window) const {
  return TextOf(ToHwnd(window));
}

void Win32WindowSystem::ShowWindow(platform::WindowHandle window, bool visible) {
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

  ::ShowWindow(modal, SW_SHOW);
  for (HWND hwnd : collect.disabled) ::EnableWindow(hwnd, FALSE);
  ::SetForegroundWindow(modal);

  MSG msg;
  while (IsWindow(modal) && ::IsWindowVisible(modal)) {
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // Not ours to swallow: the outer loop sees it again.
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      WaitMessage();
    }
  }

  for (HWND hwnd : collect.disabled) {
    if (IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
  }
}

// --- controls ------------------------------------------------------------

Win32WindowSystem::Control* Win32WindowSystem::FindControl(platform::ControlHandle handle) const {
  auto it = controls_.find(reinterpret_cast<HWND>(handle.value));
  return it == controls_.end() ? nullptr : it->second;
}

void Win32WindowSystem::MakeFonts(Window& window) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                  window.dpi)) {
    return;  // the controls keep the system font
  }
  LOGFONTW font = metrics.lfMessageFont;
  window.font = CreateFontIndirectW(&font);
  font.lfWeight = FW_BOLD;
  window.boldFont = CreateFontIndirectW(&font);
  font.lfWeight = metrics.lfMessageFont.lfWeight;
  font.lfUnderline = TRUE;
  window.linkFont = CreateFontIndirectW(&font);
}

void Win32WindowSystem::FreeFonts(Window& window) {
  for (HFONT* font : {&window.font, &window.boldFont, &window.linkFont}) {
    if (*font != nullptr) DeleteObject(*font);
    *font = nullptr;
  }
}

void Win32WindowSystem::PlaceControl(const Window& window, const Control& control) const {
  const platform::Rect& r = control.params.rect;
  const UINT dpi = window.dpi;
  int x = Scale(r.x, dpi);
  int y = Scale(r.y, dpi);
  int width = Scale(r.width, dpi);
  int height = Scale(r.height, dpi);
  if (control.params.kind == platform::ControlKind::DropDownList) {
    height += Scale(kDropDownListHeight, dpi);
  }
  if (control.arrows != nullptr) {
    const int arrowWidth = GetSystemMetricsForDpi(SM_CXVSCROLL, dpi);
    MoveWindow(control.arrows, x + width - arrowWidth, y, arrowWidth, height, TRUE);
    width -= arrowWidth;
  }
  MoveWindow(control.hwnd, x, y, width, height, TRUE);

  HFONT font = window.font;
  if (control.params.kind == platform::ControlKind::LinkLabel) font = window.linkFont;
  if (control.params.bold) font = window.boldFont;
  if (font != nullptr) SendMessageA(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

platform::ControlHandle Win32WindowSystem::CreateControl(platform::WindowHandle parent,
                                                         const platform::ControlSpec& params,
                                                         platform::ControlEvents events) {
  auto it = windows_.find(ToHwnd(parent));
  if (it == windows_.end()) return {};
  Window& window = *it->second;

  using platform::ControlKind;
  const char* cls = WC_STATICA;
  DWORD style = WS_CHILD | (params.visible ? WS_VISIBLE : 0);
  DWORD exStyle = 0;
  HANDLE image = nullptr;
  switch (params.kind) {
    case ControlKind::Label:
      // SS_NOTIFY keeps a click on a label from counting as one on the window.
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case ControlKind::LinkLabel:
      style |= SS_LEFT | SS_NOTIFY;
      break;
    case ControlKind::CheckBox:
      cls = WC_BUTTONA;
      style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::Button:
      cls = WC_BUTTONA;
      style |= BS_PUSHBUTTON | WS_TABSTOP;
      break;
    case ControlKind::DropDownList:
      cls = WC_COMBOBOXA;
      style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      break;
    case ControlKind::List:
      cls = WC_LISTBOXA;
      style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
      break;
    case ControlKind::NumberField:
      cls = WC_EDITA;
      style |= ES_READONLY | ES_NUMBER | ES_RIGHT;
      exStyle |= WS_EX_CLIENTEDGE;
      break;
    case ControlKind::Group:
      cls = WC_BUTTONA;
      style |= BS_GROUPBOX;
      break;
    case ControlKind::Divider:
      style |= SS_ETCHEDHORZ;
      break;
    case ControlKind::Picture:
      style |= SS_NOTIFY | SS_CENTERIMAGE;
      image = LoadImageA(instance_, params.image.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE);
      if (image != nullptr) {
        style |= SS_ICON;
      } else {
        image =
            LoadImageA(instance_, params.image.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        style |= SS_BITMAP;
      }
      break;
    case ControlKind::ButtonBar:
      cls = TOOLBARCLASSNAMEA;
      style |= TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
      break;
  }

  const int id = nextControlId_++;
  const char* text = params.kind == ControlKind::Picture ? "" : params.text.c_str();
  HWND hwnd =
      CreateWindowExA(exStyle, cls, text, style, 0, 0, 0, 0, window.hwnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
  if (hwnd == nullptr) return {};

  auto control = std::make_unique<Control>();
  control->hwnd = hwnd;
  control->params = params;
  control->events = std::move(events);

  switch (params.kind) {
    case ControlKind::NumberField: {
      control->arrows = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                        WS_CHILD | (params.visible ? WS_VISIBLE : 0) |
                                            UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                        0, 0, 0, 0, window.hwnd, nullptr, instance_, nullptr);
      if (control->arrows != nullptr) {
        SendMessageA(control->arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd), 0);
        SendMessageA(control->arrows, UDM_SETRANGE32, static_cast<WPARAM>(params.minimum),
                     params.maximum);
        UDACCEL accel{0, static_cast<UINT>(params.step > 0 ? params.step : 1)};
        SendMessageA(control->arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
        SendMessageA(control->arrows, UDM_SETPOS32, 0, params.minimum);
        controls_[control->arrows] = control.get();
      }
      break;
    }
    case ControlKind::ButtonBar: {
      SendMessageA(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
      if (!params.image.empty()) {
        HIMAGELIST images = ImageList_LoadImageA(instance_, params.image.c_str(), 16, 0,
                                                 CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION);
        if (images != nullptr)
          SendMessageA(hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
      }
      break;
    }
    case ControlKind::Picture:
      if (image != nullptr) {
        SendMessageA(hwnd, STM_SETIMAGE, (style & SS_ICON) ? IMAGE_ICON : IMAGE_BITMAP,
                     reinterpret_cast<LPARAM>(image));
      }
      break;
    case ControlKind::LinkLabel:
      SetWindowSubclass(hwnd, &Win32WindowSystem::ControlProc, 1,
                        reinterpret_cast<DWORD_PTR>(control.get()));
      break;
    default:
      break;
  }

  PlaceControl(window, *control);
  controls_[hwnd] = control.get();
  window.controls.push_back(std::move(control));
  return platform::ControlHandle{reinterpret_cast<std::uintptr_t>(hwnd)};
}

void Win32WindowSystem::SetControlText(platform::ControlHandle control, const std::string& text) {
  if (Control* c = FindControl(control)) SetWindowTextA(c->hwnd, text.c_str());
}

std::string Win32WindowSystem::ControlText(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  return c == nullptr ? std::string() : TextOf(c->hwnd);
}

void Win32WindowSystem::SetControlVisible(platform::ControlHandle control, bool visible) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  ::ShowWindow(c->hwnd, visible ? SW_SHOW : SW_HIDE);
  if (c->arrows != nullptr) ::ShowWindow(c->arrows, visible ? SW_SHOW : SW_HIDE);
}

bool Win32WindowSystem::IsControlVisible(platform::ControlHandle control) const {
  // The control's own style bit: a control on a hidden window still counts as
  // visible, as it will be once its window is shown.
  const Control* c = FindControl(control);
  return c != nullptr && (GetWindowLongA(c->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32WindowSystem::SetChecked(platform::ControlHandle control, bool checked) {
  if (Control* c = FindControl(control)) {
    SendMessageA(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool Win32WindowSystem::IsChecked(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  return c != nullptr && SendMessageA(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32WindowSystem::ClearItems(platform::ControlHandle control) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  SendMessageA(c->hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

void Win32WindowSystem::AddItem(platform::ControlHandle control, const std::string& text) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  SendMessageA(c->hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::string> Win32WindowSystem::Items(platform::ControlHandle control) const {
  std::vector<std::string> items;
  const Control* c = FindControl(control);
  if (c == nullptr) return items;
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  const LRESULT count = SendMessageA(c->hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length =
        SendMessageA(c->hwnd, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) {
      items.emplace_back();
      continue;
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        SendMessageA(c->hwnd, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    items.push_back(std::move(text));
  }
  return items;
}

void Win32WindowSystem::SetSelection(platform::ControlHandle control, int index) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  // Beyond the entries means no selection; a list box would otherwise keep its old one.
  const LRESULT count = SendMessageA(c->hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  if (index < 0 || index >= count) index = -1;
  SendMessageA(c->hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32WindowSystem::Selection(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  if (c == nullptr) return -1;
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  const LRESULT selection = SendMessageA(c->hwnd, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  return selection < 0 ? -1 : static_cast<int>(selection);
}

void Win32WindowSystem::SetArrowPosition(platform::ControlHandle control, int value) {
  Control* c = FindControl(control);
  if (c == nullptr || c->arrows == nullptr) return;
  SendMessageA(c->arrows, UDM_SETPOS32, 0, value);
  // The arrows clamp to their range; the text shows where they really are.
  const int position = ArrowPosition(control);
  SetWindowTextA(c->hwnd, std::to_string(position).c_str());
}

int Win32WindowSystem::ArrowPosition(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  if (c == nullptr || c->arrows == nullptr) return 0;
  return static_cast<int>(SendMessageA(c->arrows, UDM_GETPOS32, 0, 0));
}

int Win32WindowSystem::AddBarButton(platform::ControlHandle bar, const std::string& caption,
                                    int image) {
  Control* c = FindControl(bar);
  if (c == nullptr || c->params.kind != platform::ControlKind::ButtonBar) return -1;
  const int index = c->barButtons;
  std::string text = caption;
  text.push_back('\0');  // TB_ADDSTRING takes a double-NUL-terminated list
  const LRESULT stringIndex =
      SendMessageA(c->hwnd, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(text.c_str()));
  TBBUTTON button{};
  button.iBitmap = image >= 0 ? image : I_IMAGENONE;
  button.idCommand = kBarCommandBase + index;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
  button.iString = stringIndex;
  if (!SendMessageA(c->hwnd, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button))) return -1;
  ++c->barButtons;
  return index;
}

void Win32WindowSystem::SetBarButtonCaption(platform::ControlHandle bar, int index,
                                            const std::string& caption) {
  Control* c = FindControl(bar);
  if (c == nullptr || index < 0 || index >= c->barButtons) return;
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  std::string text = caption;
  info.pszText = text.data();
  SendMessageA(c->hwnd, TB_SETBUTTONINFOA, static_cast<WPARAM>(kBarCommandBase + index),
               reinterpret_cast<LPARAM>(&info));
}

// --- timers, boxes, loops --------------------------------------------------

platform::TimerHandle Win32WindowSystem::StartTimer(platform::WindowHandle owner,
                                                    std::uint32_t intervalMs,
                                                    std::function<void()> onTick) {
  HWND hwnd = ToHwnd(owner);
  // WM_TIMER only reaches a window procedure of ours.
  if (windows_.find(hwnd) == windows_.end()) hwnd = timerWindow_;
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

bool Win32WindowSystem::Post(platform::WindowHandle window, std::uint32_t code,
                             std::uint64_t wParam, std::int64_t lParam) {
  return PostMessageA(ToHwnd(window), code, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam)) != FALSE;
}

void Win32WindowSystem::DispatchPending() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // The program ends only through its own exit path; a stray WM_QUIT is no
    // reason to leave the loop.
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
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
    for (auto& control : window->controls) {
      system.controls_.erase(control->hwnd);
      if (control->arrows != nullptr) system.controls_.erase(control->arrows);
    }
    for (auto it = system.timers_.begin(); it != system.timers_.end();) {
      it = it->second.owner == hwnd ? system.timers_.erase(it) : std::next(it);
    }
    system.FreeFonts(*window);
    system.windows_.erase(hwnd);
  }
  return result;
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
    case WM_COMMAND:
      if (HandleCommand(window, wParam, lParam)) return 0;
      break;
    case WM_VSCROLL:
    case WM_HSCROLL: {
      auto it = controls_.find(reinterpret_cast<HWND>(lParam));
      if (it != controls_.end() && it->second->arrows == reinterpret_cast<HWND>(lParam)) {
        if (LOWORD(wParam) == SB_THUMBPOSITION && it->second->events.onArrow) {
          const std::function<void(int)> onArrow = it->second->events.onArrow;
          onArrow(static_cast<int>(SendMessageA(it->second->arrows, UDM_GETPOS32, 0, 0)));
        }
        return 0;
      }
      break;
    }
    case WM_CTLCOLORSTATIC: {
      auto it = controls_.find(reinterpret_cast<HWND>(lParam));
      if (it != controls_.end() && it->second->params.kind == platform::ControlKind::LinkLabel) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    }
    case WM_DPICHANGED: {
      window.dpi = HIWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      FreeFonts(window);
      MakeFonts(window);
      for (const auto& control : window.controls) PlaceControl(window, *control);
      return 0;
    }
    default:
      break;
  }

  for (const MessageHook& hook : hooks_) {
    LRESULT result = 0;
    if (hook(hwnd, msg, wParam, lParam, result)) return result;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool Win32WindowSystem::HandleCommand(Window& /*window*/, WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) return false;  // a menu or an accelerator: for the hooks
  auto it = controls_.find(reinterpret_cast<HWND>(lParam));
  if (it == controls_.end()) return false;
  Control& control = *it->second;
  const platform::ControlEvents events = control.events;  // a copy: handlers may run long
  const UINT code = HIWORD(wParam);
  using platform::ControlKind;
  switch (control.params.kind) {
    case ControlKind::Button:
    case ControlKind::CheckBox:
      if (code == BN_CLICKED && events.onClick) events.onClick();
      return true;
    case ControlKind::LinkLabel:
      if (code == STN_CLICKED && events.onClick) events.onClick();
      return true;
    case ControlKind::DropDownList:
      if (code == CBN_SELCHANGE && events.onSelect) {
        events.onSelect(static_cast<int>(SendMessageA(control.hwnd, CB_GETCURSEL, 0, 0)));
      }
      return true;
    case ControlKind::List:
      if (code == LBN_SELCHANGE && events.onSelect) {
        events.onSelect(static_cast<int>(SendMessageA(control.hwnd, LB_GETCURSEL, 0, 0)));
      }
      return true;
    case ControlKind::ButtonBar: {
      const int index = static_cast<int>(LOWORD(wParam)) - kBarCommandBase;
      if (index >= 0 && index < control.barButtons && events.onSelect) events.onSelect(index);
      return true;
    }
    default:
      return true;
  }
}

LRESULT CALLBACK Win32WindowSystem::ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                                UINT_PTR /*id*/, DWORD_PTR data) {
  auto* control = reinterpret_cast<Control*>(data);
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(LoadCursor(nullptr, IDC_HAND));
      return TRUE;
    case WM_MOUSEMOVE:
      if (!control->hovering) {
        control->hovering = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
        if (control->events.onMouseHover) control->events.onMouseHover(true);
      }
      break;
    case WM_MOUSELEAVE:
      control->hovering = false;
      if (control->events.onMouseHover) control->events.onMouseHover(false);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, &Win32WindowSystem::ControlProc, 1);
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace orbl::win32
