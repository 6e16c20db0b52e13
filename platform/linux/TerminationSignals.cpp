#include "platform/linux/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <utility>

namespace orbl::lnx {

namespace {

constexpr std::array kSignals = {SIGTERM, SIGINT, SIGHUP};

// A signal handler reaches only globals: the pipe's write end, and the
// handlers ours replaced.
// NOLINTBEGIN(cppcoreguidelines-avoid-non-const-global-variables)
volatile std::sig_atomic_t gWriteFd = -1;
std::array<struct sigaction, kSignals.size()> gPrevious{};
// NOLINTEND(cppcoreguidelines-avoid-non-const-global-variables)

extern "C" void OnTerminationSignal(int signal) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(signal);
  // A full pipe already holds a wake-up: the byte may be dropped.
  [[maybe_unused]] const ssize_t written = ::write(gWriteFd, &byte, 1);
  errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
  std::array<int, 2> ends{};
  // Both ends non-blocking: the handler must never wait, nor a read after a
  // spurious wake.
  if (::pipe2(ends.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
  readFd_ = ends[0];
  writeFd_ = ends[1];
  gWriteFd = writeFd_;
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  // Interrupted system calls elsewhere in the program carry on.
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &action, &gPrevious[i]);
  }
}

TerminationSignals::~TerminationSignals() {
  if (readFd_ < 0) return;
  for (std::size_t i = 0; i < kSignals.size(); ++i) {
    ::sigaction(kSignals[i], &gPrevious[i], nullptr);
  }
  gWriteFd = -1;
  ::close(readFd_);
  ::close(writeFd_);
}

void TerminationSignals::HandleReadable() {
  if (readFd_ < 0) return;
  std::array<unsigned char, 64> bytes{};
  bool any = false;
  for (;;) {
    const ssize_t got = ::read(readFd_, bytes.data(), bytes.size());
    if (got > 0) {
      any = true;
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    break;
  }
  if (any) onSignal_();
}

}  // namespace orbl::lnx
