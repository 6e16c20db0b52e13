// The window system's rules that every backend keeps, written once against
// platform::WindowSystem and run on the simulation (orbl_tests) and on the
// Windows backend (orbl_win32_tests, under Wine). A backend takes part by
// giving a Backend and instantiating the suite:
//
//   INSTANTIATE_TEST_SUITE_P(Sim, WindowSystemContract, ::testing::Values(&MakeSimBackend),
//                            [](const auto&) { return std::string("sim"); });
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/WindowSystem.h"

namespace orbl::contract {

// How the suite drives one backend. The program's side runs through Run on
// the GUI thread; the user and other programs act through the rest, called
// from inside the program, and each acts once the program next waits for
// input, as a person would.
class Backend {
 public:
  virtual ~Backend() = default;
  // Runs `program` on the GUI thread and returns once it has returned; time
  // passes (on the virtual clock, or the real one) while it waits.
  virtual void Run(const std::function<void(platform::WindowSystem&)>& program) = 0;
  // The user answers the innermost box once it is the one captioned so.
  virtual void AnswerBox(const std::string& caption, int answer) = 0;
  // The user clicks a button or a check box with the mouse.
  virtual void Click(platform::ControlHandle control) = 0;
  // The user clicks the window's close box.
  virtual void CloseBox(platform::WindowHandle window) = 0;
  // Another program sends the message and waits for the answer.
  virtual void SendFromOutside(platform::WindowHandle window, std::uint32_t code) = 0;
  // False where other programs only post to a window (Qt): then no message
  // has a sender to answer early.
  virtual bool Sends() const { return true; }
};

using BackendMaker = std::unique_ptr<Backend> (*)();

class WindowSystemContract : public ::testing::TestWithParam<BackendMaker> {
 protected:
  void SetUp() override { backend = GetParam()(); }
  std::unique_ptr<Backend> backend;
};

}  // namespace orbl::contract
