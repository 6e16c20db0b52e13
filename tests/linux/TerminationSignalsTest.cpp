#include "platform/linux/TerminationSignals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace orbl::lnx {
namespace {

TEST(TerminationSignals, EachBurstOfSignalsIsOneCloseRequestAndTheOldHandlersComeBack) {
  int requests = 0;
  auto signals = std::make_unique<TerminationSignals>([&] { ++requests; });
  std::raise(SIGTERM);
  std::raise(SIGHUP);
  signals->HandleReadable();
  signals->HandleReadable();  // a spurious wake reads nothing and does not wait
  std::raise(SIGINT);
  signals->HandleReadable();
  EXPECT_EQ(requests, 2);
  struct sigaction action {};
  sigaction(SIGTERM, nullptr, &action);
  EXPECT_NE(action.sa_flags & SA_RESTART, 0);  // other calls are not cut short
  signals.reset();
  sigaction(SIGHUP, nullptr, &action);
  EXPECT_EQ(action.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace orbl::lnx
