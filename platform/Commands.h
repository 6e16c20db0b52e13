// Commands from a shell: the hand-over of a command line to the running
// program, and the text a command prints for the user who typed it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Types.h"

namespace orbl::platform {

// What a command ended with: its exit code and the text it prints.
struct CommandReply {
  int exitCode = 0;
  std::string output;  // standard output
  std::string errors;  // standard error
};

// Requests and replies are short; anything longer is refused unread.
inline constexpr std::size_t kMaxRequestBytes = 64;
inline constexpr std::size_t kMaxReplyBytes = 4096;

class CommandChannel {
 public:
  virtual ~CommandChannel() = default;
  // The running program: from now on, a request of another process of this
  // user reaches `handler` through the message loop of the program's thread,
  // in its turn behind what was posted before (inside a modal loop too), and
  // the handler's reply goes back to the sender. The request's bytes are the
  // sender's: the handler must treat them as untrusted. `owner` is a window
  // of the program's that lives as long as it does.
  virtual void Listen(WindowHandle owner,
                      std::function<CommandReply(const std::string& request)> handler) = 0;
  // Another process: hands `request` to the running program and waits for
  // its reply. nullopt when no program listens or it did not answer in time:
  // it must take the request within a few seconds, and reply within minutes
  // (a box of its own may wait for the user meanwhile).
  virtual std::optional<CommandReply> Send(const std::string& request) = 0;
};

// The shell the program was started from, if any.
class Console {
 public:
  virtual ~Console() = default;
  // Text for standard output and standard error; "\n" ends a line. Lost
  // without a complaint when the program has neither (a shortcut started it).
  virtual void Out(const std::string& text) = 0;
  virtual void Err(const std::string& text) = 0;
};

}  // namespace orbl::platform
