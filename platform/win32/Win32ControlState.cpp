// The control half of Win32WindowSystem, second part: the state of the child
// controls (texts, checks, items, selections, toolbar buttons) and the messages
// a window receives on their behalf. Making them real, their fonts and places
// are in Win32Controls.cpp.
#include <string>
#include <vector>

#include "platform/win32/Win32Controls.h"
#include "platform/win32/Win32WindowSystem.h"

namespace orbl::win32 {

namespace {

// A link under the pointer. Not COLOR_HOTLIGHT: that is no blue in every
// colour scheme (Wine's default has it light grey).
constexpr COLORREF kLinkBlue = RGB(0, 0, 255);

// A link label's text on the button face. High Contrast gives the button face
// the user's own colour, black in the dark themes, where blue is unreadable:
// then only the theme's colours are sure to stand out, its hot-track colour
// for a link under the pointer and its button text for the rest.
COLORREF LinkTextColour(bool highlighted) {
  HIGHCONTRASTA contrast{};
  contrast.cbSize = sizeof contrast;
  if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0) {
    return GetSysColor(highlighted ? COLOR_HOTLIGHT : COLOR_BTNTEXT);
  }
  return highlighted ? kLinkBlue : GetSysColor(COLOR_WINDOWTEXT);
}

bool IsPushButton(HWND hwnd) {
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, WC_BUTTONA) != 0) return false;
  const LONG type = GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool HasItems(platform::ControlKind kind) {
  return kind == platform::ControlKind::DropDownList || kind == platform::ControlKind::List;
}

}  // namespace

void Win32WindowSystem::SetControlText(platform::ControlHandle control, const std::string& text) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  if (c->hwnd == nullptr) {
    c->text = text;
    return;
  }
  SetWindowTextA(c->hwnd, ShownText(c->params.kind, text).c_str());
}

std::string Win32WindowSystem::ControlText(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  if (c == nullptr) return {};
  if (c->hwnd == nullptr) {
    // A drop-down list's text is its selected entry.
    if (c->params.kind != platform::ControlKind::DropDownList) return c->text;
    return c->selection < 0 ? std::string() : c->items[static_cast<std::size_t>(c->selection)];
  }
  return ProgramText(c->params.kind, WindowText(c->hwnd));
}

void Win32WindowSystem::SetControlVisible(platform::ControlHandle control, bool visible) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  if (c->hwnd == nullptr) {
    c->visible = visible;
    return;
  }
  ::ShowWindow(c->hwnd, visible ? SW_SHOW : SW_HIDE);
  if (c->arrows != nullptr) ::ShowWindow(c->arrows, visible ? SW_SHOW : SW_HIDE);
}

bool Win32WindowSystem::IsControlVisible(platform::ControlHandle control) const {
  // The control's own style bit: a control on a hidden window still counts as
  // visible, as it will be once its window is shown.
  const Control* c = FindControl(control);
  if (c == nullptr) return false;
  if (c->hwnd == nullptr) return c->visible;
  return (GetWindowLongA(c->hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

void Win32WindowSystem::SetChecked(platform::ControlHandle control, bool checked) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  if (c->hwnd == nullptr) {
    c->checked = checked;
    return;
  }
  SendMessageA(c->hwnd, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32WindowSystem::IsChecked(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  if (c == nullptr) return false;
  // Only a check box keeps a tick.
  if (c->hwnd == nullptr) return c->checked && c->params.kind == platform::ControlKind::CheckBox;
  return SendMessageA(c->hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32WindowSystem::ClearItems(platform::ControlHandle control) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  if (c->hwnd == nullptr) {
    c->items.clear();
    c->selection = -1;
    return;
  }
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  SendMessageA(c->hwnd, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
}

void Win32WindowSystem::AddItem(platform::ControlHandle control, const std::string& text) {
  Control* c = FindControl(control);
  if (c == nullptr) return;
  if (c->hwnd == nullptr) {
    if (HasItems(c->params.kind)) c->items.push_back(text);
    return;
  }
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  SendMessageA(c->hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
               reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::string> Win32WindowSystem::Items(platform::ControlHandle control) const {
  std::vector<std::string> items;
  const Control* c = FindControl(control);
  if (c == nullptr) return items;
  if (c->hwnd == nullptr) return c->items;
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
  if (c->hwnd == nullptr) {
    const bool inside = index >= 0 && static_cast<std::size_t>(index) < c->items.size();
    c->selection = inside ? index : -1;
    return;
  }
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  // Beyond the entries means no selection; a list box would otherwise keep its old one.
  const LRESULT count = SendMessageA(c->hwnd, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
  if (index < 0 || index >= count) index = -1;
  SendMessageA(c->hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int Win32WindowSystem::Selection(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  // Other controls would answer a list's question with 0.
  if (c == nullptr || !HasItems(c->params.kind)) return -1;
  if (c->hwnd == nullptr) return c->selection;
  const bool combo = c->params.kind == platform::ControlKind::DropDownList;
  const LRESULT selection = SendMessageA(c->hwnd, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0);
  return selection < 0 ? -1 : static_cast<int>(selection);
}

void Win32WindowSystem::SetArrowPosition(platform::ControlHandle control, int value) {
  Control* c = FindControl(control);
  if (c == nullptr || c->params.kind != platform::ControlKind::NumberField) return;
  if (c->hwnd == nullptr) {
    // As the arrows would: held to their range, and the field shows where they are.
    const int low = std::min(c->params.minimum, c->params.maximum);
    const int high = std::max(c->params.minimum, c->params.maximum);
    c->position = std::clamp(value, low, high);
    c->text = std::to_string(c->position);
    return;
  }
  if (c->arrows == nullptr) return;
  SendMessageA(c->arrows, UDM_SETPOS32, 0, value);
  // The arrows clamp to their range; the text shows where they really are.
  const int position = ArrowPosition(control);
  SetWindowTextA(c->hwnd, std::to_string(position).c_str());
}

int Win32WindowSystem::ArrowPosition(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  if (c == nullptr || c->params.kind != platform::ControlKind::NumberField) return 0;
  if (c->hwnd == nullptr) return c->position;
  if (c->arrows == nullptr) return 0;
  return static_cast<int>(SendMessageA(c->arrows, UDM_GETPOS32, 0, 0));
}

int Win32WindowSystem::AddBarButton(platform::ControlHandle bar, const std::string& caption,
                                    int image) {
  Control* c = FindControl(bar);
  if (c == nullptr || c->params.kind != platform::ControlKind::ButtonBar) return -1;
  if (c->hwnd == nullptr) {
    c->bar.push_back({caption, image, false});
    return static_cast<int>(c->bar.size()) - 1;
  }
  const int index = c->barButtons;
  if (!AddRealBarButton(c->hwnd, index, caption, image)) return -1;
  ++c->barButtons;
  return index;
}

int Win32WindowSystem::AddBarSeparator(platform::ControlHandle bar) {
  Control* c = FindControl(bar);
  if (c == nullptr || c->params.kind != platform::ControlKind::ButtonBar) return -1;
  if (c->hwnd == nullptr) {
    c->bar.push_back({{}, -1, true});
    return static_cast<int>(c->bar.size()) - 1;
  }
  const int index = c->barButtons;
  if (!AddRealBarSeparator(c->hwnd, index)) return -1;
  ++c->barButtons;
  return index;
}

void Win32WindowSystem::SetBarButtonCaption(platform::ControlHandle bar, int index,
                                            const std::string& caption) {
  Control* c = FindControl(bar);
  if (c == nullptr || c->params.kind != platform::ControlKind::ButtonBar || index < 0) return;
  if (c->hwnd == nullptr) {
    if (static_cast<std::size_t>(index) < c->bar.size()) {
      c->bar[static_cast<std::size_t>(index)].caption = caption;
    }
    return;
  }
  if (index >= c->barButtons) return;
  TBBUTTONINFOA info{};
  info.cbSize = sizeof info;
  info.dwMask = TBIF_TEXT;
  std::string text = caption;
  info.pszText = text.data();
  SendMessageA(c->hwnd, TB_SETBUTTONINFOA, static_cast<WPARAM>(kBarCommandBase + index),
               reinterpret_cast<LPARAM>(&info));
  SendMessageA(c->hwnd, TB_AUTOSIZE, 0, 0);
}

void Win32WindowSystem::SetLinkHighlighted(platform::ControlHandle control, bool highlighted) {
  Control* c = FindControl(control);
  if (c == nullptr || c->params.kind != platform::ControlKind::LinkLabel) return;
  if (c->highlighted == highlighted) return;
  c->highlighted = highlighted;
  // Its colour is asked for when it paints; a recorded link paints first when shown.
  if (c->hwnd != nullptr) InvalidateRect(c->hwnd, nullptr, TRUE);
}

// --- messages ----------------------------------------------------------------

bool Win32WindowSystem::HandleControlMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                             LRESULT& result) {
  result = 0;
  switch (msg) {
    case WM_COMMAND:
      return HandleCommand(wParam, lParam);
    case WM_VSCROLL:
    case WM_HSCROLL: {
      auto it = controls_.find(reinterpret_cast<HWND>(lParam));
      if (it == controls_.end() || it->second->arrows != reinterpret_cast<HWND>(lParam)) {
        return false;
      }
      if (LOWORD(wParam) == SB_THUMBPOSITION && it->second->events.onArrow) {
        const std::function<void(int)> onArrow = it->second->events.onArrow;
        onArrow(static_cast<int>(SendMessageA(it->second->arrows, UDM_GETPOS32, 0, 0)));
      }
      return true;
    }
    case WM_CTLCOLORSTATIC: {
      auto it = controls_.find(reinterpret_cast<HWND>(lParam));
      if (it == controls_.end() || it->second->params.kind != platform::ControlKind::LinkLabel) {
        return false;
      }
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, LinkTextColour(it->second->highlighted));
      SetBkMode(dc, TRANSPARENT);
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    default:
      return false;
  }
}

bool Win32WindowSystem::HandleCommand(WPARAM wParam, LPARAM lParam) {
  if (lParam == 0) return false;  // a menu or an accelerator: for the hooks
  auto it = controls_.find(reinterpret_cast<HWND>(lParam));
  if (it == controls_.end()) return false;
  Control& control = *it->second;
  const platform::ControlEvents events = control.events;  // a copy: handlers may run long
  const UINT code = HIWORD(wParam);
  using platform::ControlKind;
  switch (control.params.kind) {
    // BN_CLICKED and STN_CLICKED are both 0; each kind names its own notification.
    case ControlKind::Button:  // NOLINT(bugprone-branch-clone)
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

int Win32WindowSystem::DefaultButtonId(const Window& window) {
  // A push button with the focus is the default while it has it.
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(window.hwnd, focus) && IsPushButton(focus)) {
    return GetDlgCtrlID(focus);
  }
  for (const auto& control : window.controls) {
    if (control->params.defaultButton && ::IsWindowVisible(control->hwnd) &&
        ::IsWindowEnabled(control->hwnd)) {
      return GetDlgCtrlID(control->hwnd);
    }
  }
  return 0;
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
