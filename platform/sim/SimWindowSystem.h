// The simulated window system: top-level windows and their controls, window
// timers on the virtual clock, message boxes the test answers, posting, and
// the nested loops that keep dispatching while the program waits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/WindowSystem.h"
#include "platform/sim/SimProcessState.h"

namespace orbl::sim {

class SimWindowSystem final : public platform::WindowSystem {
 public:
  explicit SimWindowSystem(SimProcessState& state) : s_(state) {}

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

  // SetTimer's USER_TIMER_MINIMUM.
  static constexpr std::uint32_t kTimerMinimumMs = 10;

 private:
  // The window or control a call acts on, recording the call; null, and the
  // call recorded as refused, for a handle this process does not have.
  SimWindow* Target(platform::WindowHandle window, const std::string& call);
  SimControl* Target(platform::ControlHandle control, const char* call);
  int RunBox(platform::WindowHandle owner, const std::string& text, const std::string& caption,
             std::uint32_t flags, std::optional<std::uint32_t> timeoutMs);

  SimProcessState& s_;
};

}  // namespace orbl::sim
