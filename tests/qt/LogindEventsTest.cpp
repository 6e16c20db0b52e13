// The X session manager's log-off as the program's windows hear of it
// (logind's shutdown and sleep are checked through the running program, in
// linux_e2e.sh).
#include "platform/qt/LogindEvents.h"

#include <gtest/gtest.h>

namespace orbl::qt {
namespace {

using platform::Message;
namespace msg = platform::msg;

TEST(XsmpLogOff, EachLogOffAsksOnceEvenFromInsideItsOwnQuery) {
  int asked = 0;
  XsmpLogOff* self = nullptr;
  XsmpLogOff logOff([&](const Message& message) {
    EXPECT_EQ(message.code, msg::kQueryEndSession);
    ++asked;
    self->OnCommitDataRequest("nested");
  });
  self = &logOff;
  logOff.OnCommitDataRequest("1");
  logOff.OnCommitDataRequest("1");
  EXPECT_EQ(asked, 1);
  logOff.OnCommitDataRequest("2");  // the first was called off
  EXPECT_EQ(asked, 2);
}

}  // namespace
}  // namespace orbl::qt
