// SIGTERM, SIGINT and SIGHUP as a close request: the session's end (systemd
// stops the autostarted program with SIGTERM), Ctrl+C and a closed terminal.
// The handler only writes to a pipe; the program reads it in its event loop,
// modal loops included, and closes as the user would.
#pragma once

#include <functional>

namespace orbl::lnx {

class TerminationSignals {
 public:
  // Installs the handlers (one instance at a time); the previous ones come
  // back with the destructor.
  explicit TerminationSignals(std::function<void()> onSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

  // To be watched for readability; -1 when the pipe could not be made.
  int Fd() const { return readFd_; }
  // Takes the signals that came and calls onSignal once for them.
  void HandleReadable();

 private:
  std::function<void()> onSignal_;
  int readFd_ = -1;
  int writeFd_ = -1;
};

}  // namespace orbl::lnx
