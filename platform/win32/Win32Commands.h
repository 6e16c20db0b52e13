// Commands from a shell on Windows: the hand-over to the running program and
// the console of the shell that started this one.
#pragma once

#include "platform/Commands.h"

namespace orbl::win32 {

class Win32CommandChannel final : public platform::CommandChannel {
 public:
  void Listen(platform::WindowHandle owner,
              std::function<platform::CommandReply(const std::string&)> handler) override;
  std::optional<platform::CommandReply> Send(const std::string& request) override;
};

class Win32Console final : public platform::Console {
 public:
  void Out(const std::string& text) override;
  void Err(const std::string& text) override;
};

}  // namespace orbl::win32
