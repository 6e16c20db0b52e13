// Commands from a shell on Windows: the hand-over to the running program and
// the console of the shell that started this one.
#pragma once

#include <deque>
#include <string>

#include "platform/Commands.h"
#include "platform/win32/Win32Api.h"

namespace orbl::win32 {

// The running program listens on a message-only window of a class of its
// own; a command finds it by that class and hands its request over with
// WM_COPYDATA. Message-only windows are reachable from the same desktop
// only, so another user's or session's process cannot send to it.
class Win32CommandChannel final : public platform::CommandChannel {
 public:
  Win32CommandChannel() = default;
  ~Win32CommandChannel() override;
  Win32CommandChannel(const Win32CommandChannel&) = delete;
  Win32CommandChannel& operator=(const Win32CommandChannel&) = delete;

  void Listen(platform::WindowHandle owner,
              std::function<platform::CommandReply(const std::string&)> handler) override;
  std::optional<platform::CommandReply> Send(const std::string& request) override;

 private:
  struct Request {
    std::string bytes;
    HWND replyTo = nullptr;
  };
  static LRESULT CALLBACK ListenerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool Take(HWND replyTo, const COPYDATASTRUCT& data);
  void RunNext();

  HWND listener_ = nullptr;
  std::function<platform::CommandReply(const std::string&)> handler_;
  std::deque<Request> pending_;
};

// Standard output and error when the starter gave them (a pipe or a file:
// a script, a redirection), else the console of the parent process (cmd,
// PowerShell), else nowhere (a shortcut).
class Win32Console final : public platform::Console {
 public:
  Win32Console() = default;
  ~Win32Console() override;
  Win32Console(const Win32Console&) = delete;
  Win32Console& operator=(const Win32Console&) = delete;

  void Out(const std::string& text) override;
  void Err(const std::string& text) override;

 private:
  void Write(DWORD which, const std::string& text);
  HANDLE ParentConsole();

  bool attachTried_ = false;
  HANDLE console_ = INVALID_HANDLE_VALUE;
};

}  // namespace orbl::win32
