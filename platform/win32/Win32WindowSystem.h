// Windows, controls, timers, message boxes and the message loops on Win32:
// one object for the program, implemented in three files. Win32WindowSystem.cpp
// has the windows, their procedure, timers, boxes and loops; Win32Controls.cpp
// makes the child controls real and places them; Win32ControlState.cpp has
// their state and the messages sent on their behalf.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32/Win32Api.h"

namespace orbl::win32 {

class Win32WindowSystem final : public platform::WindowSystem {
 public:
  // Sees a message of one of our windows after WindowEvents::onMessage and the
  // window's own handling declined it; returns true with `result` set when it
  // answered the message. The tray uses it for its callback message, the
  // shell's "TaskbarCreated" and the commands of its menus.
  using MessageHook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT& result)>;

  explicit Win32WindowSystem(HINSTANCE instance);
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  void AddMessageHook(MessageHook hook);
  HINSTANCE Instance() const { return instance_; }

  // A window's controls are only recorded until it is first shown, and its
  // fonts and title-bar icons are made only then: a window the user never
  // opens costs no child windows, no common controls and no icons, and the
  // windows made before the tray icon cost as little as they can. This makes
  // the window complete now (ShowWindow and ShowModal do it themselves); the
  // tests use it to reach what a window they never show would have.
  void RealiseWindow(platform::WindowHandle window);
  // The control's own window, or null while it is only recorded.
  HWND ControlWindow(platform::ControlHandle control) const;

  platform::WindowHandle CreateTopWindow(const platform::WindowParams& params,
                                         platform::WindowEvents events) override;
  void SetWindowTitle(platform::WindowHandle window, const std::string& title) override;
  std::string WindowTitle(platform::WindowHandle window) const override;
  void ShowWindow(platform::WindowHandle window, bool visible) override;
  bool IsWindowVisible(platform::WindowHandle window) const override;
  void EnableWindow(platform::WindowHandle window, bool enabled) override;
  bool IsWindowEnabled(platform::WindowHandle window) const override;
  void SetForegroundWindow(platform::WindowHandle window) override;
  void RemoveSystemMenuItems(platform::WindowHandle window) override;
  void ShowModal(platform::WindowHandle window) override;

  platform::ControlHandle CreateControl(platform::WindowHandle parent,
                                        const platform::ControlParams& params,
                                        platform::ControlEvents events) override;
  void SetControlText(platform::ControlHandle control, const std::string& text) override;
  std::string ControlText(platform::ControlHandle control) const override;
  void SetControlVisible(platform::ControlHandle control, bool visible) override;
  bool IsControlVisible(platform::ControlHandle control) const override;
  void SetChecked(platform::ControlHandle control, bool checked) override;
  bool IsChecked(platform::ControlHandle control) const override;
  void ClearItems(platform::ControlHandle control) override;
  void AddItem(platform::ControlHandle control, const std::string& text) override;
  std::vector<std::string> Items(platform::ControlHandle control) const override;
  void SetSelection(platform::ControlHandle control, int index) override;
  int Selection(platform::ControlHandle control) const override;
  void SetArrowPosition(platform::ControlHandle control, int value) override;
  int ArrowPosition(platform::ControlHandle control) const override;
  int AddBarButton(platform::ControlHandle bar, const std::string& caption, int image) override;
  void SetBarButtonCaption(platform::ControlHandle bar, int index,
                           const std::string& caption) override;
  int AddBarSeparator(platform::ControlHandle bar) override;
  void SetLinkHighlighted(platform::ControlHandle control, bool highlighted) override;

  platform::TimerHandle StartTimer(platform::WindowHandle owner, std::uint32_t intervalMs,
                                   std::function<void()> onTick) override;
  void StopTimer(platform::TimerHandle timer) override;

  int ShowMessageBox(platform::WindowHandle owner, const std::string& text,
                     const std::string& caption, std::uint32_t flags) override;
  int ShowTimedMessageBox(platform::WindowHandle owner, const std::string& text,
                          const std::string& caption, std::uint32_t flags,
                          std::uint32_t timeoutMs) override;
  bool BlockShutdown(platform::WindowHandle window, const std::string& reason) override;
  bool UnblockShutdown(platform::WindowHandle window) override;
  bool ReplyToSender() override;
  bool Post(platform::WindowHandle window, std::uint32_t code, std::uint64_t wParam,
            std::int64_t lParam) override;
  void ProcessMessages() override;
  [[noreturn]] void RunLoop() override;

 private:
  struct BarEntry {
    std::string caption;
    int image = -1;
    bool separator = false;
  };
  // The ControlState is what the program set while the control is only
  // recorded; once it is real, its window holds the state and that is no
  // longer read.
  struct Control : platform::ControlState {
    std::uintptr_t handle = 0;  // what the program holds: stable before and after realising
    int id = 0;                 // the child window's identifier
    HWND hwnd = nullptr;        // null until the window is first shown
    HWND arrows = nullptr;      // NumberField: its up-down control
    platform::ControlParams params;
    platform::ControlEvents events;
    bool hovering = false;
    bool highlighted = false;  // LinkLabel: blue until the program says otherwise
    int barButtons = 0;
    HIMAGELIST images = nullptr;  // ButtonBar: its pictures, ours to destroy
    std::vector<BarEntry> bar;    // ButtonBar: recorded like the ControlState
  };
  struct Window {
    Win32WindowSystem* system = nullptr;
    HWND hwnd = nullptr;
    platform::WindowEvents events;
    // False while CreateTopWindow runs: the program gets no callbacks for a
    // window whose handle it has not been given yet.
    bool ready = false;
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    HFONT font = nullptr;
    HFONT boldFont = nullptr;
    HFONT linkFont = nullptr;
    std::string icon;  // the resource its title-bar icons are drawn from
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    std::vector<std::unique_ptr<Control>> controls;
    bool realised = false;  // it has its fonts, icons and real controls
  };
  struct Timer {
    HWND owner = nullptr;
    std::function<void()> onTick;
  };

  // Win32WindowSystem.cpp
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(Window& window, UINT msg, WPARAM wParam, LPARAM lParam);
  // Translates and dispatches one message taken from the queue.
  void Dispatch(MSG& msg);
  // Loads the window's icons at its DPI and shows them, destroying the ones
  // they replace.
  void SetWindowIcons(Window& window) const;
  static void FreeIcons(Window& window);
  // WM_DPICHANGED: the window takes the size the system suggests, and its
  // fonts, controls and icons follow the new DPI.
  void ChangeDpi(Window& window, UINT dpi, const RECT& suggested) const;
  // The id of the button Enter presses: the focused push button, else the
  // visible and enabled default button; 0 for none.
  static int DefaultButtonId(const Window& window);
  // Esc: the window's cancel button as if clicked, else its close request.
  static void PressCancel(const Window& window);
  void DispatchPending();
  // The message-only window that owns the timers started without an owner of
  // ours, made when the first of them starts.
  HWND TimerWindow();

  // Win32ControlState.cpp
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
  // A message a window receives on behalf of one of its controls; returns
  // true with `result` set when it was one.
  bool HandleControlMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleCommand(WPARAM wParam, LPARAM lParam);

  // Win32Controls.cpp
  void RealiseWindow(Window& window);
  bool RealiseControl(Window& window, Control& control);
  static void KeepGroupBoxesUnder(const Window& window, HWND child);
  static void PlaceControl(const Window& window, const Control& control);
  static void MakeFonts(Window& window);
  static void FreeFonts(Window& window);
  // The bar's pictures at the window's DPI, in a new image list that
  // replaces the one it had.
  static void SetBarPictures(HINSTANCE instance, const Window& window, Control& control);
  // After the window's DPI changed: new fonts and bar pictures, every control
  // placed again.
  static void RescaleControls(Window& window);
  // The controls die with their window; their handles must not be found again.
  void ForgetControls(const Window& window);
  Control* FindControl(platform::ControlHandle handle) const;

  HINSTANCE instance_;
  // InitCommonControlsEx has run; it does before the first real control is made.
  bool commonControlsReady_ = false;
  HWND timerWindow_ = nullptr;
  std::unordered_map<HWND, std::unique_ptr<Window>> windows_;
  // By the handle the program holds, and by the real child windows (an up-down
  // control included) for the messages they send.
  std::unordered_map<std::uintptr_t, Control*> handles_;
  std::unordered_map<HWND, Control*> controls_;
  std::uintptr_t nextControlHandle_ = 1;
  std::unordered_map<UINT_PTR, Timer> timers_;
  UINT_PTR nextTimerId_ = 1;
  int nextControlId_ = 100;
  std::vector<MessageHook> hooks_;
};

}  // namespace orbl::win32
