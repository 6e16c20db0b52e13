// The control half of Win32WindowSystem, first part: the child controls of our
// windows made real, their handles, and their fonts and places at the window's
// DPI. Their state and the messages a window receives on their behalf are in
// Win32ControlState.cpp; the windows themselves, the timers and the loops in
// Win32WindowSystem.cpp.
#include "platform/win32/Win32Controls.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>

#include "platform/win32/Win32WindowSystem.h"

namespace orbl::win32 {

namespace {

// Buttons, check boxes and group boxes read '&' as the mark of an underlined
// access key. The program's texts (and a language file's) mean the character
// itself: "Closing & locking" must not show "Closing _locking".
bool MarksAccessKeys(platform::ControlKind kind) {
  return kind == platform::ControlKind::Button || kind == platform::ControlKind::CheckBox ||
         kind == platform::ControlKind::Group;
}

// Rows a drop-down list shows when opened, before it needs its scroll bar.
constexpr int kDropDownRows = 12;

// The 32-bit straight-alpha strip `strip` (square pictures side by side)
// with each picture `side` pixels wide; a new bitmap the caller deletes, or
// null. Each target pixel averages a 4 x 4 grid of source samples, the colours
// weighted by their alpha so that transparent pixels lend no colour to edges.
HBITMAP ScaleStrip(HBITMAP strip, int side) {
  BITMAP info{};
  if (GetObjectA(strip, sizeof info, &info) != sizeof info || info.bmBitsPixel != 32 ||
      info.bmBits == nullptr || info.bmHeight <= 0) {
    return nullptr;
  }
  const int fromSide = info.bmHeight;
  const int count = info.bmWidth / fromSide;
  const int width = side * count;
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = width;
  header.bmiHeader.biHeight = side;  // bottom-up, as the loaded strip
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP scaled = CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (scaled == nullptr) return nullptr;
  const auto* from = static_cast<const BYTE*>(info.bmBits);
  auto* to = static_cast<BYTE*>(bits);
  constexpr int kSamples = 4;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < width; ++x) {
      const int picture = x / side;
      unsigned sum[4] = {};  // blue, green, red weighted by alpha; alpha
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const int fx =
              picture * fromSide + ((x % side) * kSamples + sx) * fromSide / (side * kSamples);
          const int fy = (y * kSamples + sy) * fromSide / (side * kSamples);
          const BYTE* p = from + static_cast<std::ptrdiff_t>(fy) * info.bmWidthBytes +
                          static_cast<std::ptrdiff_t>(fx) * 4;
          for (int c = 0; c < 3; ++c) sum[c] += static_cast<unsigned>(p[c]) * p[3];
          sum[3] += p[3];
        }
      }
      BYTE* q = to + (static_cast<std::ptrdiff_t>(y) * width + x) * 4;
      for (int c = 0; c < 3; ++c) q[c] = static_cast<BYTE>(sum[3] == 0 ? 0 : sum[c] / sum[3]);
      q[3] = static_cast<BYTE>(sum[3] / (kSamples * kSamples));
    }
  }
  return scaled;
}

}  // namespace

std::string ShownText(platform::ControlKind kind, const std::string& text) {
  if (!MarksAccessKeys(kind)) return text;
  std::string shown;
  for (char c : text) {
    shown.push_back(c);
    if (c == '&') shown.push_back('&');
  }
  return shown;
}

std::string ProgramText(platform::ControlKind kind, const std::string& shown) {
  if (!MarksAccessKeys(kind)) return shown;
  std::string text;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    text.push_back(shown[i]);
    if (shown[i] == '&' && i + 1 < shown.size() && shown[i + 1] == '&') ++i;
  }
  return text;
}

bool AddRealBarButton(HWND bar, int index, const std::string& caption, int image) {
  TBBUTTON button{};
  button.idCommand = kBarCommandBase + index;
  std::string text = caption;
  text.push_back('\0');  // TB_ADDSTRING takes a double-NUL-terminated list
  button.iString = SendMessageA(bar, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(text.c_str()));
  button.iBitmap = image >= 0 ? image : I_IMAGENONE;
  button.fsState = TBSTATE_ENABLED;
  button.fsStyle = BTNS_BUTTON | BTNS_SHOWTEXT;
  if (!SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button))) return false;
  SendMessageA(bar, TB_AUTOSIZE, 0, 0);
  return true;
}

bool AddRealBarSeparator(HWND bar, int index) {
  TBBUTTON button{};
  button.iBitmap = 8;  // the gap's width
  button.idCommand = kBarCommandBase + index;
  button.fsStyle = BTNS_SEP;
  if (!SendMessageA(bar, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button))) return false;
  SendMessageA(bar, TB_AUTOSIZE, 0, 0);
  return true;
}

// --- the handle map, fonts and places ------------------------------------

Win32WindowSystem::Control* Win32WindowSystem::FindControl(platform::ControlHandle handle) const {
  auto it = handles_.find(handle.value);
  return it == handles_.end() ? nullptr : it->second;
}

void Win32WindowSystem::ForgetControls(const Window& window) {
  for (const auto& control : window.controls) {
    handles_.erase(control->handle);
    if (control->hwnd != nullptr) controls_.erase(control->hwnd);
    if (control->arrows != nullptr) controls_.erase(control->arrows);
    // The toolbar that showed them is gone by now.
    if (control->images != nullptr) ImageList_Destroy(control->images);
  }
}

void Win32WindowSystem::MakeFonts(Window& window) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  LOGFONTW font{};
  if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                 window.dpi)) {
    font = metrics.lfMessageFont;
  } else if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font) == sizeof font) {
    // The stock font is made for 96 dpi.
    font.lfHeight = ScaleToDpi(font.lfHeight, window.dpi);
  } else {
    return;  // the controls keep the system font
  }
  const LONG weight = font.lfWeight;
  window.font = CreateFontIndirectW(&font);
  font.lfWeight = FW_BOLD;
  window.boldFont = CreateFontIndirectW(&font);
  font.lfWeight = weight;
  font.lfUnderline = TRUE;
  window.linkFont = CreateFontIndirectW(&font);
}

void Win32WindowSystem::FreeFonts(Window& window) {
  for (HFONT* font : {&window.font, &window.boldFont, &window.linkFont}) {
    if (*font != nullptr) DeleteObject(*font);
    *font = nullptr;
  }
}

void Win32WindowSystem::PlaceControl(const Window& window, const Control& control) {
  const platform::Rect& r = control.params.rect;
  const UINT dpi = window.dpi;
  int x = ScaleToDpi(r.x, dpi);
  int y = ScaleToDpi(r.y, dpi);
  int width = ScaleToDpi(r.width, dpi);
  int height = ScaleToDpi(r.height, dpi);

  HFONT font = window.font;
  if (control.params.kind == platform::ControlKind::LinkLabel) font = window.linkFont;
  if (control.params.bold) font = window.boldFont;
  if (font != nullptr) SendMessageA(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);

  if (control.params.kind == platform::ControlKind::DropDownList) {
    // Common controls 6 (the program's manifest asks for them) size the opened
    // list by its rows, not by the control's rectangle.
    SendMessageA(control.hwnd, CB_SETMINVISIBLE, kDropDownRows, 0);
  }
  if (control.arrows != nullptr) {
    const int arrowWidth = GetSystemMetricsForDpi(SM_CXVSCROLL, dpi);
    MoveWindow(control.arrows, x + width - arrowWidth, y, arrowWidth, height, TRUE);
    width -= arrowWidth;
  }
  MoveWindow(control.hwnd, x, y, width, height, TRUE);
  if (control.params.kind == platform::ControlKind::ButtonBar) {
    SendMessageA(control.hwnd, TB_AUTOSIZE, 0, 0);
  }
}

void Win32WindowSystem::SetBarPictures(HINSTANCE instance, const Window& window, Control& control) {
  if (control.params.image.empty()) return;
  // A strip of square pictures with an alpha channel, as high as each is wide,
  // drawn for 96 dpi.
  auto* strip = static_cast<HBITMAP>(
      LoadImageA(instance, control.params.image.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  BITMAP info{};
  if (strip == nullptr || GetObjectA(strip, sizeof info, &info) != sizeof info ||
      info.bmHeight <= 0) {
    if (strip != nullptr) DeleteObject(strip);
    return;
  }
  const int side = ScaleToDpi(info.bmHeight, window.dpi);
  if (side != info.bmHeight) {
    if (HBITMAP scaled = ScaleStrip(strip, side)) {
      DeleteObject(strip);
      strip = scaled;
    }
  }
  GetObjectA(strip, sizeof info, &info);
  HIMAGELIST images =
      ImageList_Create(info.bmHeight, info.bmHeight, ILC_COLOR32, info.bmWidth / info.bmHeight, 1);
  if (images != nullptr) {
    ImageList_Add(images, strip, nullptr);
    SendMessageA(control.hwnd, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    // The bar no longer draws from the old list.
    if (control.images != nullptr) ImageList_Destroy(control.images);
    control.images = images;
  }
  DeleteObject(strip);
}

void Win32WindowSystem::RescaleControls(Window& window) {
  // The controls hold the old fonts until they are given the new ones: a
  // control asked to paint in between would draw with a deleted font.
  Window old;
  old.font = std::exchange(window.font, nullptr);
  old.boldFont = std::exchange(window.boldFont, nullptr);
  old.linkFont = std::exchange(window.linkFont, nullptr);
  MakeFonts(window);
  for (const auto& control : window.controls) {
    if (control->hwnd == nullptr) continue;
    if (control->params.kind == platform::ControlKind::ButtonBar) {
      SetBarPictures(window.system->instance_, window, *control);
    }
    PlaceControl(window, *control);
  }
  FreeFonts(old);
}

// --- creation and state ------------------------------------------------------

platform::ControlHandle Win32WindowSystem::CreateControl(platform::WindowHandle parent,
                                                         const platform::ControlParams& params,
                                                         platform::ControlEvents events) {
  auto it = windows_.find(ToHwnd(parent));
  if (it == windows_.end()) return {};
  Window& window = *it->second;

  auto control = std::make_unique<Control>();
  control->handle = nextControlHandle_++;
  control->id = nextControlId_++;
  control->params = params;
  control->events = std::move(events);
  control->visible = params.visible;
  if (params.kind != platform::ControlKind::Picture) control->text = params.text;
  if (params.kind == platform::ControlKind::NumberField) {
    // The arrows start at the bottom of their range and write it into the field.
    control->position = params.minimum;
    control->text = std::to_string(params.minimum);
  }
  Control& made = *control;
  handles_[made.handle] = &made;
  window.controls.push_back(std::move(control));
  // A window already shown gets its new control at once.
  if (window.realised) RealiseControl(window, made);
  return platform::ControlHandle{made.handle};
}

void Win32WindowSystem::RealiseWindow(platform::WindowHandle window) {
  auto it = windows_.find(ToHwnd(window));
  if (it != windows_.end()) RealiseWindow(*it->second);
}

void Win32WindowSystem::RealiseWindow(Window& window) {
  if (window.realised) return;
  window.realised = true;
  MakeFonts(window);
  SetWindowIcons(window);
  for (const auto& control : window.controls) RealiseControl(window, *control);
}

HWND Win32WindowSystem::ControlWindow(platform::ControlHandle control) const {
  const Control* c = FindControl(control);
  return c == nullptr ? nullptr : c->hwnd;
}

bool Win32WindowSystem::RealiseControl(Window& window, Control& control) {
  // The common controls library is delay-loaded (see CMakeLists.txt): its
  // start-up is costly, and only a window the user opens needs it.
  if (!commonControlsReady_) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_LINK_CLASS};
    commonControlsReady_ = InitCommonControlsEx(&controls) != FALSE;
  }

  using platform::ControlKind;
  const platform::ControlParams& params = control.params;
  const char* cls = WC_STATICA;
  // WS_CLIPSIBLINGS: a group box never paints over the controls inside it.
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (control.visible ? WS_VISIBLE : 0);
  DWORD exStyle = 0;
  HANDLE image = nullptr;
  switch (params.kind) {
    case ControlKind::Label:
    case ControlKind::LinkLabel:
      // SS_NOTIFY: a link reports its clicks, and a click on a plain label
      // does not count as one on the window.
      style |= SS_LEFT | SS_NOTIFY | SS_NOPREFIX;
      break;
    case ControlKind::CheckBox:
      cls = WC_BUTTONA;
      style |= BS_AUTOCHECKBOX | WS_TABSTOP;
      break;
    case ControlKind::Button:
      cls = WC_BUTTONA;
      style |= (params.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
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
    case ControlKind::Picture: {
      style |= SS_NOTIFY | SS_CENTERIMAGE;
      // An icon as large as its place at the window's DPI: the system picks
      // the nearest of the resource's sizes rather than stretching a small one.
      const int side = ScaleToDpi(std::min(params.rect.width, params.rect.height), window.dpi);
      image = LoadImageA(instance_, params.image.c_str(), IMAGE_ICON, side, side,
                         side > 0 ? 0 : LR_DEFAULTSIZE);
      if (image != nullptr) {
        style |= SS_ICON;
      } else {
        image =
            LoadImageA(instance_, params.image.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
        style |= SS_BITMAP;
      }
      break;
    }
    case ControlKind::ButtonBar:
      // Without TBSTYLE_LIST each caption sits under its picture.
      cls = TOOLBARCLASSNAMEA;
      style |= TBSTYLE_FLAT | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
      break;
  }

  const std::string text = ShownText(params.kind, control.text);
  HWND hwnd = CreateWindowExA(exStyle, cls, text.c_str(), style, 0, 0, 0, 0, window.hwnd,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_,
                              nullptr);
  if (hwnd == nullptr) return false;
  control.hwnd = hwnd;

  switch (params.kind) {
    case ControlKind::CheckBox:
      if (control.checked) SendMessageA(hwnd, BM_SETCHECK, BST_CHECKED, 0);
      break;
    case ControlKind::DropDownList:
    case ControlKind::List: {
      const bool combo = params.kind == ControlKind::DropDownList;
      for (const std::string& item : control.items) {
        SendMessageA(hwnd, combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(item.c_str()));
      }
      if (control.selection >= 0) {
        SendMessageA(hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL,
                     static_cast<WPARAM>(control.selection), 0);
      }
      break;
    }
    case ControlKind::NumberField: {
      control.arrows = CreateWindowExA(0, UPDOWN_CLASSA, "",
                                       WS_CHILD | (control.visible ? WS_VISIBLE : 0) |
                                           UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                       0, 0, 0, 0, window.hwnd, nullptr, instance_, nullptr);
      if (control.arrows != nullptr) {
        SendMessageA(control.arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd), 0);
        SendMessageA(control.arrows, UDM_SETRANGE32, static_cast<WPARAM>(params.minimum),
                     params.maximum);
        // One speed: a held arrow steps by the field's step however long it is held.
        UDACCEL accel{0, static_cast<UINT>(params.step > 0 ? params.step : 1)};
        SendMessageA(control.arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
        SendMessageA(control.arrows, UDM_SETPOS32, 0, control.position);
        controls_[control.arrows] = &control;
      }
      // The arrows write their position into the field; the text recorded
      // last is what the program asked to see.
      SetWindowTextA(hwnd, text.c_str());
      break;
    }
    case ControlKind::ButtonBar: {
      SendMessageA(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
      SetBarPictures(instance_, window, control);
      for (const BarEntry& entry : control.bar) {
        if (entry.separator) {
          AddRealBarSeparator(hwnd, control.barButtons);
        } else {
          AddRealBarButton(hwnd, control.barButtons, entry.caption, entry.image);
        }
        ++control.barButtons;
      }
      control.bar.clear();
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
                        reinterpret_cast<DWORD_PTR>(&control));
      break;
    default:
      break;
  }

  PlaceControl(window, control);
  controls_[hwnd] = &control;
  KeepGroupBoxesUnder(window, hwnd);
  return true;
}

// A new child goes to the bottom of the z-order, under any group box made
// before it: the group boxes go back under it, in the order they were made.
void Win32WindowSystem::KeepGroupBoxesUnder(const Window& window, HWND child) {
  for (const auto& c : window.controls) {
    if (c->params.kind == platform::ControlKind::Group && c->hwnd != nullptr && c->hwnd != child) {
      SetWindowPos(c->hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

}  // namespace orbl::win32
