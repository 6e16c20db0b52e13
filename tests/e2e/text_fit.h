// Whether every text orbl3.exe shows fits the control that shows it, in one
// language file: the program is started with that file stored as its
// language, each window is brought up as the user would bring it up, and each
// visible text is measured in the control's font at the window's DPI.
//
// What counts as fitting: a check box's or radio button's text on one line
// beside its box, a push button's or group's caption on one line inside its
// edges, a label's text in as many wrapped lines as its height holds.
// Used by the end-to-end case "languages-fit" and by orbl_fit.exe, the
// translators' check (scripts/check-language.sh).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_windows.h"

namespace orbl::e2e {

// One text that does not fit. `lacking` is in the layout's pixels (96 dpi),
// the units of the rectangles in ui/.
struct Clipped {
  std::string language;
  std::string window;
  std::string control;  // "check box", "label", ...
  std::string text;
  bool height = false;  // short in height, else in width
  int lacking = 0;
};

inline std::string Describe(const Clipped& c) {
  return c.language + ": " + c.window + ": " + c.control + " \"" + c.text + "\" lacks " +
         std::to_string(c.lacking) + " px of " + (c.height ? "height" : "width");
}

namespace fit {

// The report is read on the host's terminal, whatever code page Wine runs in.
inline std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(std::max(size, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

inline HFONT FontHandle(HWND control) {
  DWORD_PTR font = 0;
  SendWithin(control, WM_GETFONT, 0, 0, 5000, font);
  return reinterpret_cast<HFONT>(font);
}

// The font a control of `window` draws with. Another process's font handle
// means nothing here, so the font is made again the way the program makes
// its fonts: the system's message font at the window's DPI, plain, bold or
// underlined. A control whose font is not the one its window's push buttons
// use is measured in bold, the widest of the others.
class Fonts {
 public:
  explicit Fonts(HWND window) : dpi_(GetDpiForWindow(window)) {
    if (dpi_ == 0) dpi_ = 96;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi_);
    LOGFONTW font = metrics.lfMessageFont;
    plain_ = CreateFontIndirectW(&font);
    font.lfWeight = FW_BOLD;
    bold_ = CreateFontIndirectW(&font);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
      if (ClassOf(child) == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
        buttonFont_ = FontHandle(child);
        break;
      }
    }
  }
  ~Fonts() {
    DeleteObject(plain_);
    DeleteObject(bold_);
  }
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  HFONT For(HWND control) const {
    return buttonFont_ == nullptr || FontHandle(control) == buttonFont_ ? plain_ : bold_;
  }
  UINT Dpi() const { return dpi_; }
  // Layout pixels (96 dpi) from the window's, rounded up.
  int Layout(int pixels) const {
    return static_cast<int>((pixels * 96 + static_cast<int>(dpi_) - 1) / static_cast<int>(dpi_));
  }
  int Scaled(int layoutPixels) const { return MulDiv(layoutPixels, static_cast<int>(dpi_), 96); }

 private:
  UINT dpi_;
  HFONT plain_ = nullptr;
  HFONT bold_ = nullptr;
  HFONT buttonFont_ = nullptr;
};

// The rectangle DrawText needs for `text` in `font`, `width` wide to start with.
inline RECT TextRect(HFONT font, const std::wstring& text, int width, UINT format) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  RECT rect{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format | DT_CALCRECT);
  SelectObject(dc, old);
  DeleteDC(dc);
  return rect;
}

// The half of a '0' the button control leaves between its box and its text.
inline int BoxTextGap(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE zero{};
  GetTextExtentPoint32W(dc, L"0", 1, &zero);
  SelectObject(dc, old);
  DeleteDC(dc);
  return (zero.cx + 1) / 2;
}

}  // namespace fit

// Every visible text of `window` that does not fit its control, leaving out
// the controls in `seen` and adding the measured ones to it (the options
// window's buttons show under both pages).
inline std::vector<Clipped> MeasureWindow(HWND window, const std::string& language,
                                          const std::string& windowName, std::vector<HWND>& seen) {
  // The window's own pixels: a caller unaware of DPI would be given scaled ones.
  const DPI_AWARENESS_CONTEXT before =
      SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
  const fit::Fonts fonts(window);
  const int edge = GetSystemMetricsForDpi(SM_CXEDGE, fonts.Dpi());
  const int box = GetSystemMetricsForDpi(SM_CXMENUCHECK, fonts.Dpi());
  std::vector<Clipped> clipped;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || std::find(seen.begin(), seen.end(), child) != seen.end()) {
      continue;
    }
    seen.push_back(child);
    const std::wstring text = WideText(child);  // "&&" in a button is one '&'
    if (text.empty()) continue;
    const std::string cls = ClassOf(child);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    RECT client{};
    GetClientRect(child, &client);
    const int width = client.right;
    const int height = client.bottom;
    const HFONT font = fonts.For(child);

    std::string kind;
    int needWidth = 0;
    int needHeight = 0;
    if (cls == "Button") {
      // No DT_NOPREFIX: a button draws "&&" as '&' and a single '&' not at all.
      const RECT line = fit::TextRect(font, text, 0, DT_SINGLELINE);
      const LONG type = style & BS_TYPEMASK;
      if (type == BS_GROUPBOX) {
        // The caption sits in the frame's top edge, a gap in from each side.
        kind = "group";
        needWidth = line.right + 2 * fonts.Scaled(8);
      } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        // Inside the raised edge and the focus rectangle, with room to spare.
        kind = "push button";
        needWidth = line.right + 4 * edge + 2;
        needHeight = line.bottom + 2 * edge;
      } else if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                 type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        kind = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ? "radio button" : "check box";
        // The box, the gap, the text and its focus rectangle.
        needWidth = box + fit::BoxTextGap(font) + line.right + 2;
        needHeight = line.bottom;
      } else {
        continue;
      }
    } else if (cls == "Static") {
      const LONG type = style & SS_TYPEMASK;
      if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP) {
        continue;  // pictures and dividers
      }
      kind = "label";
      UINT format = DT_EXPANDTABS | ((style & SS_NOPREFIX) != 0 ? DT_NOPREFIX : 0);
      if (type != SS_LEFTNOWORDWRAP) format |= DT_WORDBREAK;
      // A word longer than the line widens the rectangle DrawText gives back.
      const RECT wrapped = fit::TextRect(font, text, width, format);
      needWidth = wrapped.right;
      needHeight = wrapped.bottom;
    } else {
      continue;  // lists, fields and the drive bar size their entries themselves
    }
    const std::string shown = fit::Utf8(text);
    if (needWidth > width) {
      clipped.push_back(
          {language, windowName, kind, shown, false, fonts.Layout(needWidth - width)});
    } else if (needHeight > height) {
      clipped.push_back(
          {language, windowName, kind, shown, true, fonts.Layout(needHeight - height)});
    }
  }
  SetThreadDpiAwarenessContext(before);
  return clipped;
}

namespace fit {

// A visible top-level window of process `pid` that is none of `known`, waited for.
inline HWND NewWindow(DWORD pid, const std::vector<HWND>& known, const std::string& what) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND hwnd : TopWindows(pid, "", "")) {
          if (IsWindowVisible(hwnd) && ClassOf(hwnd) != "#32768" &&
              std::find(known.begin(), known.end(), hwnd) == known.end()) {
            found = hwnd;
          }
        }
        return found != nullptr;
      },
      kStartTimeout);
  Check(found != nullptr, what + " did not show");
  // Its texts are set while it comes up: let it finish what it was told first.
  Check(Responds(found), what + " does not answer");
  return found;
}

inline void WaitHidden(HWND window, const std::string& what) {
  Check(WaitFor([&] { return !IsWindowVisible(window); }, kExitTimeout), what + " stays up");
}

// The visible push buttons of `window`, from the top and then from the left.
inline std::vector<HWND> PushButtons(HWND window) {
  std::vector<HWND> buttons;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
    if (IsWindowVisible(child) && ClassOf(child) == "Button" &&
        (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
      buttons.push_back(child);
    }
  }
  const auto place = [](HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return std::pair{r.top, r.left};
  };
  std::sort(buttons.begin(), buttons.end(), [&](HWND a, HWND b) { return place(a) < place(b); });
  return buttons;
}

}  // namespace fit

// Starts `program` with the language file `file` (a full Windows path) and
// measures the options window's common page and drive D's page, the hot key
// dialog, the close-now dialog and the About window. The settings are
// cleared before and after. `language` names the file in the report.
inline std::vector<Clipped> CheckLanguage(const std::string& program, const std::string& file,
                                          const std::string& language) {
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  Store(kSettingsKey, "Currently used language", file);
  Store(kSettingsKey, "D ShowDialogToCloseDriveImmediately", "1");
  // The longest hot key text the drive page can show: every modifier and the
  // longest key name.
  for (const char* modifier : {"Ctrl", "Alt", "Shift", "Win"}) {
    Store(kSettingsKey, std::string("D HotKeyClose-") + modifier, "1");
  }
  Store(kSettingsKey, "D HotKeyClose-Key", "8");  // BackSpace

  PROCESS_INFORMATION info = StartProcess(program, "options");
  std::vector<Clipped> clipped;
  std::vector<HWND> seen;
  const auto add = [&](HWND window, const std::string& name) {
    const std::vector<Clipped> found = MeasureWindow(window, language, name, seen);
    clipped.insert(clipped.end(), found.begin(), found.end());
  };
  try {
    Check(WaitForInputIdle(info.hProcess, kStartTimeout) == 0, "the program did not start");
    const DWORD pid = info.dwProcessId;
    HWND options = WaitForWindow(pid, kOptionsTitle);
    HWND app = TopWindow(pid, "", kAppTitle);
    Check(Responds(options), "the options window does not answer");
    add(options, "options window, common page");

    HWND list = NeedControl(options, WC_LISTBOXA, "");
    Check(ClickBarButton(NeedControl(options, TOOLBARCLASSNAMEA, ""), "D:"),
          "no button \"D:\" on the drive bar");
    Check(WaitFor([&] { return !IsWindowVisible(list); }, kExitTimeout),
          "drive D's page did not show");
    add(options, "options window, drive page");

    // The first button of the page from the top is the open/close hot key's "Change...".
    ClickButton(fit::PushButtons(options).front());
    HWND hotKey = fit::NewWindow(pid, {options, app}, "the hot key dialog");
    add(hotKey, "hot key dialog");
    PostMessageA(hotKey, WM_CLOSE, 0, 0);
    fit::WaitHidden(hotKey, "the hot key dialog");
    PostMessageA(options, WM_CLOSE, 0, 0);
    fit::WaitHidden(options, "the options window");

    // Drive D's medium removed: its dialog comes up with D's option on. The
    // handler answers only once the dialog is gone.
    const Broadcast removal{sizeof(Broadcast), 2 /*DBT_DEVTYP_VOLUME*/, 0, 1u << 3, 0};
    DWORD_PTR answer = 0;
    SendWithin(options, WM_DEVICECHANGE, 0x8004 /*DBT_DEVICEREMOVECOMPLETE*/,
               reinterpret_cast<LPARAM>(&removal), 1000, answer);
    HWND closeNow = fit::NewWindow(pid, {options, app, hotKey}, "the close-now dialog");
    add(closeNow, "close-now dialog");
    ClickButton(fit::PushButtons(closeNow).back());  // Cancel, right of Close
    fit::WaitHidden(closeNow, "the close-now dialog");

    // Up from no selection: Exit, then About.
    HWND menu = OpenTrayMenu(pid);
    for (WPARAM key : {VK_UP, VK_UP, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
    HWND about = fit::NewWindow(pid, {options, app, hotKey, closeNow}, "the About window");
    add(about, "About window");
    PostMessageA(about, WM_CLOSE, 0, 0);
    fit::WaitHidden(about, "the About window");

    PostMessageA(app, WM_CLOSE, 0, 0);
    Check(WaitForSingleObject(info.hProcess, kExitTimeout) == WAIT_OBJECT_0,
          "the program did not end");
  } catch (...) {
    TerminateProcess(info.hProcess, 9);
    WaitForSingleObject(info.hProcess, kExitTimeout);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    throw;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
  return clipped;
}

}  // namespace orbl::e2e
