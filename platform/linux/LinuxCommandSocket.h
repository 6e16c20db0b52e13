// The local socket that carries commands from a shell to the running
// program: <runtime>/orbelle/commands, in a folder only this user can enter,
// and answered only for peers of this user.
//
// One connection carries one exchange: the sender writes the request and
// shuts its side; the program answers with the exit code (32 bits), the
// lengths of the output and of the errors (32 bits each, little-endian)
// and their bytes, then closes. A request over kMaxRequestBytes gets no
// answer.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/Commands.h"

namespace orbl::lnx {

class LinuxCommandSocket {
 public:
  using Handler = std::function<platform::CommandReply(const std::string& request)>;

  // `peerUid`: whose requests are answered, this process's user by default.
  explicit LinuxCommandSocket(std::string runtimeDir,
                              std::optional<std::uint32_t> peerUid = std::nullopt);
  ~LinuxCommandSocket();
  LinuxCommandSocket(const LinuxCommandSocket&) = delete;
  LinuxCommandSocket& operator=(const LinuxCommandSocket&) = delete;

  // The program's side. Takes the socket over from a program that ended
  // without removing it; false when another program listens or the socket
  // cannot be made.
  bool Listen(Handler handler);
  // To be watched for readability; -1 while not listening.
  int ListeningFd() const { return listenFd_; }
  // Takes one waiting connection (waiting up to `waitMs` for it), checks its
  // peer, reads the request, runs the handler and writes its reply.
  void HandleReadable(int waitMs = 0);

  // The sender's side: nullopt when no program listens, or it did not answer
  // within `replyTimeoutMs` or answered with something that is no reply.
  std::optional<platform::CommandReply> Send(const std::string& request,
                                             int replyTimeoutMs = 5 * 60 * 1000) const;

  static std::uint32_t OwnUid();

 private:
  std::optional<std::string> SocketPath() const;

  std::string runtimeDir_;
  std::uint32_t peerUid_;
  Handler handler_;
  std::string boundPath_;
  int listenFd_ = -1;
};

}  // namespace orbl::lnx
