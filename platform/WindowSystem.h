// Window system: top-level windows, the controls inside them, window timers,
// message boxes, the run loop with its nested modal loops, and posting.
//
// Everything here runs on the one GUI thread. Calls that wait for the user
// (ShowModal, MessageBox, the run loop) keep dispatching messages, timer ticks
// and posted requests while they wait, so any callback may run inside them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace orbl::platform {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct WindowParams {
  std::string title;
  int clientWidth = 0;
  int clientHeight = 0;
  // Name of the program's icon resource ("TRAY"); empty for none.
  std::string icon;
  bool minimizeBox = false;
  bool maximizeBox = false;
  bool centered = false;
  // Stays above the windows of other programs (WS_EX_TOPMOST).
  bool topmost = false;
};

// Callbacks of a top-level window. Every member may be left empty.
struct WindowEvents {
  // Sees every message of the window before the window's own handling.
  // Returning true means "handled": the own handling is skipped. When false is
  // returned the backend's default handling answers the sender; for
  // WM_QUERYENDSESSION and WM_POWERBROADCAST that answer is consent.
  std::function<bool(const Message&)> onMessage;
  // A close request (WM_CLOSE, the title bar's close box, Esc when the window
  // has no cancel button). The window is
  // neither hidden nor destroyed by the backend: the callback decides.
  std::function<void()> onCloseRequest;
  // The window became visible (true) or hidden (false).
  std::function<void(bool visible)> onVisibleChanged;
  // A double-click with any mouse button on the window's own surface,
  // not on one of its controls.
  std::function<void()> onDoubleClick;
  // The window is being destroyed by the system.
  std::function<void()> onDestroy;
};

enum class ControlKind {
  Label,
  LinkLabel,  // underlined, hand pointer, reports clicks and mouse enter/leave
  CheckBox,
  Button,
  DropDownList,  // choose only, no typing
  List,
  NumberField,  // a read-only number with up/down arrows
  Group,
  Divider,
  Picture,
  ButtonBar,  // a row of buttons with images; items are added with AddBarButton
};

struct ControlParams {
  ControlKind kind = ControlKind::Label;
  Rect rect;
  std::string text;
  bool visible = true;
  bool bold = false;
  // NumberField: the arrows' range and step; Picture/ButtonBar: image resource.
  int minimum = 0;
  int maximum = 100;
  int step = 1;
  std::string image;
  // Button: the one a window's keyboard input goes to when it is shown
  // (BS_DEFPUSHBUTTON with the focus); at most one per window.
  bool defaultButton = false;
  // Button: the one Esc presses; a window without one takes Esc as its close
  // box (onCloseRequest). At most one per window.
  bool cancelButton = false;
};

// What a control shows and holds, as the program last set it: the simulated
// controls keep it as the control itself, the Windows backend only until the
// control's window is made.
struct ControlState {
  std::string text;
  bool visible = true;
  bool checked = false;
  std::vector<std::string> items;  // DropDownList, List
  int selection = -1;              // DropDownList, List
  int position = 0;                // NumberField: the arrows' position
};

// Callbacks of a control; which ones fire depends on the kind.
struct ControlEvents {
  std::function<void()> onClick;  // Button, LinkLabel, CheckBox (after the tick changed)
  std::function<void(int index)>
      onSelect;  // DropDownList, List: selection changed; ButtonBar: button pressed
  std::function<void(int value)>
      onArrow;  // NumberField: an arrow step, with the arrows' new position
  std::function<void(bool inside)>
      onMouseHover;  // LinkLabel: the pointer entered (true) or left (false)
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // Creates a hidden top-level window. Returns 0 on failure. No callback of
  // `events` runs before this returns: the object that owns the window may
  // still be under construction.
  virtual WindowHandle CreateTopWindow(const WindowParams& params, WindowEvents events) = 0;
  virtual void SetWindowTitle(WindowHandle window, const std::string& title) = 0;
  virtual std::string WindowTitle(WindowHandle window) const = 0;
  // Shows or hides the window without activating a modal loop.
  virtual void ShowWindow(WindowHandle window, bool visible) = 0;
  virtual bool IsWindowVisible(WindowHandle window) const = 0;
  virtual void EnableWindow(WindowHandle window, bool enabled) = 0;
  virtual bool IsWindowEnabled(WindowHandle window) const = 0;
  virtual void SetForegroundWindow(WindowHandle window) = 0;
  // Removes the minimise and close entries from the window's system menu.
  virtual void RemoveSystemMenuItems(WindowHandle window) = 0;

  // Shows the window, disables the program's other visible top-level windows
  // and runs a nested loop that returns once the window is hidden again.
  virtual void ShowModal(WindowHandle window) = 0;

  // Controls. Every handle stays valid for the life of its window. Setting a
  // control's state from the program (text, tick, selection, arrows) fires no
  // event; events report the user's input only.
  virtual ControlHandle CreateControl(WindowHandle parent, const ControlParams& params,
                                      ControlEvents events) = 0;
  virtual void SetControlText(ControlHandle control, const std::string& text) = 0;
  virtual std::string ControlText(ControlHandle control) const = 0;
  virtual void SetControlVisible(ControlHandle control, bool visible) = 0;
  virtual bool IsControlVisible(ControlHandle control) const = 0;
  virtual void SetChecked(ControlHandle control, bool checked) = 0;
  virtual bool IsChecked(ControlHandle control) const = 0;
  // Lists and drop-down lists. Selection -1 means no entry is selected; a
  // selection beyond the entries clears it.
  virtual void ClearItems(ControlHandle control) = 0;
  virtual void AddItem(ControlHandle control, const std::string& text) = 0;
  virtual std::vector<std::string> Items(ControlHandle control) const = 0;
  virtual void SetSelection(ControlHandle control, int index) = 0;
  virtual int Selection(ControlHandle control) const = 0;
  // Number field: the arrows' position; setting it also writes the text.
  virtual void SetArrowPosition(ControlHandle control, int value) = 0;
  virtual int ArrowPosition(ControlHandle control) const = 0;
  // Button bar: appends a button (captioned, with an image index, -1 for
  // none); returns its index.
  virtual int AddBarButton(ControlHandle bar, const std::string& caption, int image) = 0;
  virtual void SetBarButtonCaption(ControlHandle bar, int index, const std::string& caption) = 0;
  // Button bar: appends a gap that is no button and takes no click; it counts
  // as an index all the same. Returns its index, -1 on failure.
  virtual int AddBarSeparator(ControlHandle bar) = 0;
  // Link label: drawn in the highlight colour (blue) while true, in the
  // window-text colour otherwise. The program decides when, from onMouseHover.
  virtual void SetLinkHighlighted(ControlHandle control, bool highlighted) = 0;

  // Window timers, ticking on the GUI thread through the run loop. A started
  // timer fires every `intervalMs` until it is stopped. Returns 0 on failure.
  virtual TimerHandle StartTimer(WindowHandle owner, std::uint32_t intervalMs,
                                 std::function<void()> onTick) = 0;
  virtual void StopTimer(TimerHandle timer) = 0;

  // A modal message box (MessageBoxA); owner 0 for none. Runs a nested loop
  // and returns the answer (mb::kIdOk ...), or 0 when the box could not be shown.
  virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, std::uint32_t flags) = 0;
  // The same box, which closes itself once `timeoutMs` have passed as if its
  // OK button had been pressed: it then returns mb::kIdOk. `flags` must
  // offer an OK button (mb::kOk, mb::kOkCancel). The user may answer it
  // before; the time-out ends with the call and never closes another box,
  // one opened inside this box's loop included.
  virtual int ShowTimedMessageBox(WindowHandle owner, const std::string& text,
                                  const std::string& caption, std::uint32_t flags,
                                  std::uint32_t timeoutMs) = 0;

  // While a shutdown block is registered on `window`, Windows does not end
  // the program for taking long over WM_QUERYENDSESSION: it lists it with
  // `reason` on its shutdown screen and lets the user decide. One reason per
  // window; registering again replaces it. False when the system refused.
  virtual bool BlockShutdown(WindowHandle window, const std::string& reason) = 0;
  // Takes the block of `window` back; false when it had none.
  virtual bool UnblockShutdown(WindowHandle window) = 0;
  // Answers the sender of the message being handled now (with "done"), so
  // that a broadcast goes on to the other programs while this one still
  // works on it. False when the message being handled was not sent by
  // another thread; answering again changes nothing.
  virtual bool ReplyToSender() = 0;

  // Posts a message to a window's queue; it is handled by a later dispatch.
  virtual bool Post(WindowHandle window, std::uint32_t code, std::uint64_t wParam,
                    std::int64_t lParam) = 0;
  // Dispatches every message that is already pending, then returns.
  virtual void ProcessMessages() = 0;
  // The run loop: waits for messages and dispatches them. It does not return;
  // the program leaves it only by ending the process.
  [[noreturn]] virtual void RunLoop() = 0;
};

}  // namespace orbl::platform
