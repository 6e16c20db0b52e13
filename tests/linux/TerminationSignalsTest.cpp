#include "platform/linux/TerminationSignals.h"

#include <gtest/gtest.h>

#include <csignal>

namespace orbl::lnx {
namespace {

TEST(TerminationSignals, EachBurstOfSignalsIsOneCloseRequestAndTheOldHandlersComeBack) {
  {
    int requests = 0;
    TerminationSignals signals([&] { ++requests; });
    ASSERT_GE(signals.Fd(), 0);
    std::raise(SIGTERM);
    std::raise(SIGHUP);
    signals.HandleReadable();
    EXPECT_EQ(requests, 1);
    signals.HandleReadable();  // a spurious wake reads nothing and does not wait
    EXPECT_EQ(requests, 1);
    std::raise(SIGINT);
    signals.HandleReadable();
    EXPECT_EQ(requests, 2);
    struct sigaction installed {};
    sigaction(SIGTERM, nullptr, &installed);
    EXPECT_NE(installed.sa_flags & SA_RESTART, 0);  // other calls are not cut short
  }
  struct sigaction restored {};
  sigaction(SIGHUP, nullptr, &restored);
  EXPECT_EQ(restored.sa_handler, SIG_DFL);
}

}  // namespace
}  // namespace orbl::lnx
