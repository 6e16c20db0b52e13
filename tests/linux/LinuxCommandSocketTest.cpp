// A command goes from a sender to the listening program and its reply comes
// back; what is too long, or comes from another user, is never handled.
#include "platform/linux/LinuxCommandSocket.h"

#include <gtest/gtest.h>

#include <future>

#include "tests/linux/TempFolder.h"

namespace orbl::lnx {
namespace {

using platform::CommandReply;

// Enough for a thread to connect on any machine; the exchange ends as soon as
// it has, so a passing test never waits this long.
constexpr int kConnectBoundMs = 20000;

TEST(LinuxCommandSocket, CarriesARequestAndItsBoundedReplyOnlyForThisUser) {
  TempFolder runtime;
  std::vector<std::string> handled;
  CommandReply answer{3, "D: closed\n", "one error\n"};
  LinuxCommandSocket program(runtime.path.string());
  ASSERT_TRUE(program.Listen([&](const std::string& request) {
    handled.push_back(request);
    return answer;
  }));
  const LinuxCommandSocket sender(runtime.path.string());
  const auto exchange = [&](LinuxCommandSocket& listener, const std::string& request) {
    auto reply = std::async(std::launch::async, [&] { return sender.Send(request); });
    listener.HandleReadable(kConnectBoundMs);
    return reply.get();
  };

  const std::string longest(platform::kMaxRequestBytes, 'r');
  std::optional<CommandReply> reply = exchange(program, longest);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->exitCode, 3);
  EXPECT_EQ(reply->output, answer.output);
  EXPECT_EQ(reply->errors, answer.errors);
  EXPECT_FALSE(exchange(program, longest + "r"));
  EXPECT_EQ(handled, std::vector<std::string>{longest});

  answer = {-1, std::string(platform::kMaxReplyBytes, 'o'), "lost"};
  reply = exchange(program, "status");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->exitCode, -1);
  EXPECT_EQ(reply->output.size() + 12, platform::kMaxReplyBytes);
  EXPECT_EQ(reply->errors, "");
}

TEST(LinuxCommandSocket, ARequestOfAnotherUserOrToNoProgramGetsNoReply) {
  TempFolder runtime;
  const LinuxCommandSocket sender(runtime.path.string());
  EXPECT_FALSE(sender.Send("status"));
  bool handled = false;
  std::filesystem::create_directory(runtime.path / "orbelle");
  std::filesystem::permissions(runtime.path / "orbelle", std::filesystem::perms::owner_all);
  WriteText(runtime / "orbelle/commands", "");  // left behind by a program that died
  {
    LinuxCommandSocket program(runtime.path.string(), LinuxCommandSocket::OwnUid() + 1);
    ASSERT_TRUE(program.Listen([&](const std::string&) {
      handled = true;
      return CommandReply{};
    }));
    auto reply = std::async(std::launch::async, [&] { return sender.Send("status"); });
    program.HandleReadable(kConnectBoundMs);
    EXPECT_FALSE(reply.get());
    EXPECT_FALSE(LinuxCommandSocket(runtime.path.string()).Listen({}));  // one listener
  }
  EXPECT_FALSE(handled);
  EXPECT_FALSE(sender.Send("status"));  // the socket left with its program
}

}  // namespace
}  // namespace orbl::lnx
