// Windows, controls, timers, message boxes and the loops on Qt Widgets, in two
// files: QtWindowSystem.cpp has the windows, timers, boxes and loops,
// QtControls.cpp the controls and their state.
//
// The core's texts are bytes: they are shown as UTF-8 when they are UTF-8,
// else as Windows-1252, and read back as the bytes the core gave. Its layout
// is in pixels for the font of the Windows dialogs; every rectangle grows by
// how much larger the desktop's font is, so that no text is clipped.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowSystem.h"

class QTimer;

namespace orbl::qt {

class QtWindowSystem final : public platform::WindowSystem {
 public:
  // Needs the QApplication made.
  QtWindowSystem();
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  // System messages go to every top-level window, as broadcasts do. Now, in
  // the order the windows were made, each through its onMessage and its own
  // handling:
  void SendToAll(const platform::Message& message);
  // and the same later, from the event queue, keeping the bytes until then.
  void PostToAll(std::uint32_t code, std::uint64_t wParam, std::int64_t lParam,
                 std::vector<std::byte> data = {});
  // The first top-level window made: the one a close request from the
  // session goes to.
  platform::WindowHandle ApplicationWindow() const;
  // What BlockShutdown answers: whether the session waits for the program.
  // Without a probe it never does.
  void SetShutdownBlockProbe(std::function<bool()> probe);

  // The window's widget, and a control's; null for an unknown handle.
  QWidget* Widget(platform::WindowHandle window) const;
  QWidget* ControlWidget(platform::ControlHandle control) const;
  // How much the core's layout grows on this desktop.
  double LayoutScale() const;

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

  struct Window;
  struct Control;

 private:
  friend class TopWidget;
  // A message for the window: its onMessage first, then the window's own
  // handling (a close asks onCloseRequest).
  static void Deliver(Window& window, const platform::Message& message);
  static void PostTo(Window& window, std::uint32_t code, std::uint64_t wParam, std::int64_t lParam,
                     std::shared_ptr<const std::vector<std::byte>> data);
  Window* WindowOf(platform::WindowHandle handle) const;
  Control* ControlOf(platform::ControlHandle handle) const;
  // A box of the core's; `timeoutMs` 0 for none.
  int RunBox(platform::WindowHandle owner, const std::string& text, const std::string& caption,
             std::uint32_t flags, std::uint32_t timeoutMs) const;
  // QtControls.cpp
  void BuildWindow(Window& window) const;
  void BuildControl(Window& window, Control& control) const;
  void AddBarWidget(Control& bar, std::size_t index) const;
  void PlaceControl(Control& control) const;

  // Measured at the first window or control with a size: the fonts load then,
  // after the icon is up, not before.
  mutable double scale_ = 0.0;
  std::map<std::uintptr_t, std::unique_ptr<Window>> windows_;  // in the order they were made
  std::map<std::uintptr_t, Control*> controls_;
  std::map<std::uintptr_t, QPointer<QTimer>> timers_;
  std::set<std::uintptr_t> blocked_;
  std::function<bool()> shutdownProbe_;
  std::uintptr_t nextWindow_ = 1;
  std::uintptr_t nextControl_ = 1;
  std::uintptr_t nextTimer_ = 1;
};

}  // namespace orbl::qt
