// The smaller areas of the Linux program: the program file and the process,
// shell launches, the clocks, the console, and the command channel on the
// local socket watched by the event loop.
#pragma once

#include <QSocketNotifier>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Commands.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/linux/LinuxCommandSocket.h"

namespace orbl::qt {

class QtFiles final : public platform::Files {
 public:
  // `arguments`: the command line after the program name.
  explicit QtFiles(std::vector<std::string> arguments) : arguments_(std::move(arguments)) {}

  // /proc/self/exe, resolved.
  std::string ModulePath() const override;
  std::string ProgramFolder() const override;
  std::string JoinPath(const std::string& folder, const std::string& name) const override;
  std::vector<std::string> Arguments() const override { return arguments_; }
  std::vector<std::string> FindFiles(const std::string& folder,
                                     const std::string& pattern) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  // Flushes what is buffered for the console and ends at once: the settings
  // are on disk by now, and no destructor has anything to add.
  [[noreturn]] void ExitProcess(int code) override;

 private:
  std::vector<std::string> arguments_;
};

// The desktop's handler for a document or address (xdg-open on most
// desktops), started with the text as one argument, never through a shell.
class QtShell final : public platform::Shell {
 public:
  bool Open(platform::WindowHandle owner, const std::string& document, int showMode) override;
  // The address handed over: a text with a scheme as it is, a path as a file.
  static std::string AddressOf(const std::string& document);
};

class QtClock final : public platform::Clock {
 public:
  // CLOCK_BOOTTIME: time asleep counts.
  std::uint64_t UptimeMs() const override;
  std::int64_t WallClockSeconds() const override;
};

class QtConsole final : public platform::Console {
 public:
  void Out(const std::string& text) override;
  void Err(const std::string& text) override;
};

// The local socket of the Linux pieces, its requests taken through the event
// loop behind what was posted before them.
class QtCommandChannel final : public platform::CommandChannel {
 public:
  explicit QtCommandChannel(std::string runtimeDir) : socket_(std::move(runtimeDir)) {}

  void Listen(platform::WindowHandle owner,
              std::function<platform::CommandReply(const std::string& request)> handler) override;
  std::optional<platform::CommandReply> Send(const std::string& request) override;

 private:
  lnx::LinuxCommandSocket socket_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace orbl::qt
