#include "platform/linux/LinuxCommandSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/linux/LinuxFolders.h"

namespace orbl::lnx {

using platform::CommandReply;
using platform::kMaxReplyBytes;
using platform::kMaxRequestBytes;

namespace {

constexpr std::size_t kHeaderBytes = 12;
// How long the program's thread waits on a sender that connected but is slow
// to write or to read: a sender of this user, so a short stall at worst.
constexpr int kPeerTimeoutMs = 2000;

std::optional<sockaddr_un> AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

int Connect(int fd, const sockaddr_un& address) {
  return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

// Waits for `events` until `deadline`; false on time-out or error.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) return false;
    pollfd watched{fd, events, 0};
    const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
    if (ready > 0) return true;
    if (ready == 0 || errno != EINTR) return false;
  }
}

bool SendAll(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline) {
  while (!bytes.empty()) {
    if (!WaitFor(fd, POLLOUT, deadline)) return false;
    const ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Everything up to the end of the stream, or nullopt when it is longer than
// `maxBytes`, breaks off or does not end by `deadline`.
std::optional<std::string> ReceiveAll(int fd, std::size_t maxBytes,
                                      std::chrono::steady_clock::time_point deadline) {
  std::string bytes;
  std::array<char, 1024> buffer{};
  for (;;) {
    if (!WaitFor(fd, POLLIN, deadline)) return std::nullopt;
    const ssize_t n = ::recv(fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) return bytes;
    if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) return std::nullopt;
    bytes.append(buffer.data(), static_cast<std::size_t>(n));
  }
}

void PutWord(std::string& out, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>(word >> shift & 0xFF);
}

std::uint32_t WordAt(std::string_view bytes, std::size_t at) {
  std::uint32_t word = 0;
  for (int i = 3; i >= 0; --i) {
    word = word << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  }
  return word;
}

std::string EncodeReply(const CommandReply& reply) {
  const std::string_view output =
      std::string_view(reply.output).substr(0, kMaxReplyBytes - kHeaderBytes);
  const std::string_view errors =
      std::string_view(reply.errors).substr(0, kMaxReplyBytes - kHeaderBytes - output.size());
  std::string out;
  PutWord(out, static_cast<std::uint32_t>(reply.exitCode));
  PutWord(out, static_cast<std::uint32_t>(output.size()));
  PutWord(out, static_cast<std::uint32_t>(errors.size()));
  out.append(output);
  out.append(errors);
  return out;
}

std::optional<CommandReply> DecodeReply(std::string_view bytes) {
  if (bytes.size() < kHeaderBytes) return std::nullopt;
  const std::size_t outputSize = WordAt(bytes, 4);
  const std::size_t errorsSize = WordAt(bytes, 8);
  if (outputSize > bytes.size() || errorsSize != bytes.size() - kHeaderBytes - outputSize) {
    return std::nullopt;
  }
  CommandReply reply;
  reply.exitCode = static_cast<int>(WordAt(bytes, 0));
  reply.output.assign(bytes.substr(kHeaderBytes, outputSize));
  reply.errors.assign(bytes.substr(kHeaderBytes + outputSize));
  return reply;
}

}  // namespace

LinuxCommandSocket::LinuxCommandSocket(std::string runtimeDir, std::optional<std::uint32_t> peerUid)
    : runtimeDir_(std::move(runtimeDir)), peerUid_(peerUid.value_or(OwnUid())) {}

LinuxCommandSocket::~LinuxCommandSocket() {
  if (listenFd_ < 0) return;
  ::close(listenFd_);
  ::unlink(boundPath_.c_str());
}

std::uint32_t LinuxCommandSocket::OwnUid() {
  return ::geteuid();
}

std::optional<std::string> LinuxCommandSocket::SocketPath() const {
  const std::optional<std::string> folder = PrivateRuntimeFolder(runtimeDir_);
  if (!folder) return std::nullopt;
  return *folder + "/commands";
}

bool LinuxCommandSocket::Listen(Handler handler) {
  if (listenFd_ >= 0) return false;
  const std::optional<std::string> path = SocketPath();
  const std::optional<sockaddr_un> address = path ? AddressOf(*path) : std::nullopt;
  if (!address) return false;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  const auto bind = [&] {
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
  };
  bool bound = bind();
  if (!bound && errno == EADDRINUSE) {
    // Left behind by a program that died: nobody accepts on it any more.
    const FileDescriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (probe.Get() >= 0 && Connect(probe.Get(), *address) != 0 && errno == ECONNREFUSED) {
      ::unlink(path->c_str());
      bound = bind();
    }
  }
  if (!bound || ::listen(fd, 8) != 0) {
    ::close(fd);
    return false;
  }
  listenFd_ = fd;
  boundPath_ = *path;
  handler_ = std::move(handler);
  return true;
}

void LinuxCommandSocket::HandleReadable(int waitMs) {
  if (listenFd_ < 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (!WaitFor(listenFd_, POLLIN, now + std::chrono::milliseconds(waitMs))) return;
  const FileDescriptor peer(::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC));
  if (peer.Get() < 0) return;
  ucred credentials{};
  socklen_t size = sizeof credentials;
  if (::getsockopt(peer.Get(), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
      credentials.uid != peerUid_) {
    return;
  }
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(kPeerTimeoutMs);
  const std::optional<std::string> request = ReceiveAll(peer.Get(), kMaxRequestBytes, deadline);
  // Nothing at all is no command: a second program probing whether we live.
  if (!request || request->empty()) return;
  // The handler may run a modal loop for minutes; the peer's time starts after it.
  const std::string reply = EncodeReply(handler_(*request));
  SendAll(peer.Get(), reply,
          std::chrono::steady_clock::now() + std::chrono::milliseconds(kPeerTimeoutMs));
}

std::optional<CommandReply> LinuxCommandSocket::Send(const std::string& request,
                                                     int replyTimeoutMs) const {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(replyTimeoutMs);
  const std::optional<std::string> path = SocketPath();
  const std::optional<sockaddr_un> address = path ? AddressOf(*path) : std::nullopt;
  if (!address) return std::nullopt;
  const FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (fd.Get() < 0 || Connect(fd.Get(), *address) != 0) return std::nullopt;
  if (!SendAll(fd.Get(), request, deadline) || ::shutdown(fd.Get(), SHUT_WR) != 0) {
    return std::nullopt;
  }
  const std::optional<std::string> bytes = ReceiveAll(fd.Get(), kMaxReplyBytes, deadline);
  return bytes ? DecodeReply(*bytes) : std::nullopt;
}

}  // namespace orbl::lnx
