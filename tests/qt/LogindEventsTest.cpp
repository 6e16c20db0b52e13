// Shutdown, sleep and log-off as the program's windows hear of them: a mock
// logind on a bus daemon of the test's own emits the signals, and its list of
// inhibitors shows when logind would wait for us.
#include "platform/qt/LogindEvents.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <string>
#include <vector>

namespace orbl::qt {
namespace {

using platform::Message;
namespace msg = platform::msg;

const QString kLogind = "org.freedesktop.login1";
const QString kManager = "org.freedesktop.login1.Manager";
constexpr int kFailAfterMs = 30000;  // bounds a broken setup; never a pause

QDBusMessage Call(QDBusConnection& bus, const QString& interface, const QString& method,
                  const QVariantList& arguments = {}) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kLogind, "/org/freedesktop/login1", interface, method);
  call.setArguments(arguments);
  return bus.call(call);
}

// "what mode" of each inhibitor logind holds.
std::vector<std::string> Inhibitors(QDBusConnection& bus) {
  const QDBusMessage reply = Call(bus, kManager, "ListInhibitors");
  if (reply.arguments().size() != 1) return {"no answer"};
  const auto list = reply.arguments().front().value<QDBusArgument>();
  std::vector<std::string> found;
  list.beginArray();
  while (!list.atEnd()) {
    QString what, who, why, mode;
    uint uid = 0, pid = 0;
    list.beginStructure();
    list >> what >> who >> why >> mode >> uid >> pid;
    list.endStructure();
    found.push_back((what + ' ' + mode).toStdString());
  }
  list.endArray();
  return found;
}

// Returns with the signal queued for the program: on the connection both
// share, it comes before the mock's reply.
void Emit(QDBusConnection& bus, const QString& name, bool starting) {
  const QVariantList values = {QVariant::fromValue(QDBusVariant(starting))};
  Call(bus, "org.freedesktop.DBus.Mock", "EmitSignal", {kManager, name, "b", values});
  QCoreApplication::processEvents();
}

TEST(LogindEvents, SleepWakeAndShutdownAreDeliveredWhileLogindWaitsForUs) {
  QProcess daemon;
  QProcess logind;
  daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
  ASSERT_TRUE(daemon.waitForReadyRead(kFailAfterMs));
  const QString address = daemon.readLine().trimmed();
  QDBusConnection bus = QDBusConnection::connectToBus(address, "test");
  std::vector<std::pair<std::uint32_t, std::uint64_t>> delivered;
  std::vector<std::vector<std::string>> inhibitorsDuring;
  const auto record = [&](const Message& message) {
    delivered.emplace_back(message.code, message.wParam);
    inhibitorsDuring.push_back(Inhibitors(bus));
  };
  // Without logind, or without a bus, the program runs on and holds nothing.
  EXPECT_FALSE(LogindEvents(record, bus).InhibitorHeld());
  EXPECT_FALSE(LogindEvents(record, QDBusConnection("none")).InhibitorHeld());

  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address);
  logind.setProcessEnvironment(environment);
  QDBusServiceWatcher watcher(kLogind, bus, QDBusServiceWatcher::WatchForRegistration);
  QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
  logind.start(ORBL_SYSTEM_PYTHON, {"-m", "dbusmock", "--template", ORBL_LOGIND_MOCK});
  ASSERT_TRUE(registered.wait(kFailAfterMs));

  const std::vector<std::string> one = {"shutdown:sleep delay"}, none;
  LogindEvents events(record, bus);
  EXPECT_TRUE(events.InhibitorHeld());
  EXPECT_EQ(Inhibitors(bus), one);
  Emit(bus, "PrepareForSleep", true);
  EXPECT_FALSE(events.InhibitorHeld());
  EXPECT_EQ(Inhibitors(bus), none);
  Emit(bus, "PrepareForSleep", false);
  EXPECT_TRUE(events.InhibitorHeld());
  EXPECT_EQ(Inhibitors(bus), one);
  Emit(bus, "PrepareForShutdown", true);
  EXPECT_FALSE(events.InhibitorHeld());
  EXPECT_EQ(Inhibitors(bus), none);
  Emit(bus, "PrepareForShutdown", false);  // called off: the next one waits for us again
  EXPECT_EQ(Inhibitors(bus), one);

  using Delivery = std::pair<std::uint32_t, std::uint64_t>;
  EXPECT_EQ(delivered, (std::vector<Delivery>{{msg::kPowerBroadcast, msg::kPbtApmSuspend},
                                              {msg::kPowerBroadcast, msg::kPbtApmResumeAutomatic},
                                              {msg::kQueryEndSession, 0}}));
  EXPECT_EQ(inhibitorsDuring, (std::vector<std::vector<std::string>>{one, one, one}));
}

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

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
