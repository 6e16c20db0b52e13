#include "platform/sim/SimCommands.h"

#include "platform/sim/SimProcess.h"

namespace orbl::sim {

using platform::CommandReply;

void SimCommandChannel::Listen(platform::WindowHandle owner,
                               std::function<CommandReply(const std::string&)> handler) {
  s_.Call("Listen for commands " + s_.Describe(owner));
  s_.commandHandler = std::move(handler);
  s_.world.commandListener = s_.pid;
}

std::optional<CommandReply> SimCommandChannel::Send(const std::string& request) {
  SimWorld& world = s_.world;
  SimProcess* target = world.Process(world.commandListener);
  if (!target || target->Pid() == s_.pid || !target->Running()) return std::nullopt;
  s_.commandReply.reset();
  s_.commandDeadline = world.Now() + kCommandTakeMs;
  const int sender = s_.pid;
  target->Queue([&world, sender, request, &listener = target->state_] {
    SimProcess* from = world.Process(sender);
    if (!from || !from->Running() || !listener->commandHandler) return;
    from->state_->commandDeadline = world.Now() + kCommandReplyMs;
    CommandReply reply = listener->commandHandler(request);
    // The sender may have given up or ended while a box waited.
    if (world.IsAlive(sender) && from->state_->commandDeadline) {
      from->state_->commandReply = std::move(reply);
    }
  });
  // Idle until the reply is back; the deadline is due work of its own. What
  // this process is sent meanwhile is handled, as a waiting sender does.
  while (!s_.commandReply && world.Now() < *s_.commandDeadline) {
    s_.WaitForWork([&] { return s_.commandReply.has_value(); });
    if (!s_.commandReply) s_.DispatchOne();
  }
  s_.commandDeadline.reset();
  return std::exchange(s_.commandReply, std::nullopt);
}

}  // namespace orbl::sim
