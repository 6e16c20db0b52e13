// Commands from a shell on the simulated computer: the hand-over between
// simulated processes, and what a process prints.
#pragma once

#include "platform/Commands.h"
#include "platform/sim/SimProcessState.h"

namespace orbl::sim {

// The program takes a request within this long, and replies within the next.
inline constexpr std::uint64_t kCommandTakeMs = 5'000;
inline constexpr std::uint64_t kCommandReplyMs = 300'000;

class SimCommandChannel final : public platform::CommandChannel {
 public:
  explicit SimCommandChannel(SimProcessState& state) : s_(state) {}
  void Listen(platform::WindowHandle owner,
              std::function<platform::CommandReply(const std::string&)> handler) override;
  // The request is posted to the listening process; this one waits, idle,
  // until the reply is back or the time is up.
  std::optional<platform::CommandReply> Send(const std::string& request) override;

 private:
  SimProcessState& s_;
};

class SimConsole final : public platform::Console {
 public:
  explicit SimConsole(SimProcessState& state) : s_(state) {}
  void Out(const std::string& text) override { s_.consoleOut += text; }
  void Err(const std::string& text) override { s_.consoleErr += text; }

 private:
  SimProcessState& s_;
};

}  // namespace orbl::sim
