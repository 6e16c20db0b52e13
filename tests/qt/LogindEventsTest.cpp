// Shutdown, sleep and log-off as the program's windows hear of them: a mock
// logind on a private bus emits the signals, and its list of inhibitors
// shows when logind would be kept waiting.
#include "platform/qt/LogindEvents.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <string>
#include <vector>

namespace orbl::qt {
namespace {

using platform::Message;
namespace msg = platform::msg;

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
constexpr int kFailAfterMs = 30000;  // bounds a broken setup; never a pause

// A bus daemon of the test's own, where the mock logind is started on demand.
class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address")});
    if (daemon_.waitForReadyRead(kFailAfterMs)) address_ = daemon_.readLine().trimmed();
    bus = QDBusConnection::connectToBus(address_, QStringLiteral("test"));
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("test"));
    for (QProcess* process : {&logind_, &daemon_}) {
      process->kill();
      process->waitForFinished();
    }
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // True once the mock owns logind's name on the bus.
  bool StartLogind() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address_);
    logind_.setProcessEnvironment(environment);
    QDBusServiceWatcher watcher(kLogind, bus, QDBusServiceWatcher::WatchForRegistration);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusServiceWatcher::serviceRegistered, &loop, &QEventLoop::quit);
    QObject::connect(&logind_, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kFailAfterMs, &loop, &QEventLoop::quit);
    logind_.start(QStringLiteral(ORBL_SYSTEM_PYTHON),
                  {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                   QStringLiteral(ORBL_LOGIND_MOCK)});
    if (!bus.interface()->isServiceRegistered(kLogind)) loop.exec();
    return bus.interface()->isServiceRegistered(kLogind);
  }

  // Returns once the signal is queued for the program: it precedes the
  // mock's reply on the same connection.
  void Emit(const QString& name, bool starting) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kLogind, kPath, QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("EmitSignal"));
    call << kManager << name << QStringLiteral("b")
         << QVariant::fromValue(QVariantList{QVariant::fromValue(QDBusVariant(starting))});
    EXPECT_EQ(bus.call(call).type(), QDBusMessage::ReplyMessage) << name.toStdString();
    QCoreApplication::processEvents();
  }

  // "what mode" of each inhibitor logind holds.
  std::vector<std::string> Inhibitors() {
    const QDBusMessage reply = bus.call(
        QDBusMessage::createMethodCall(kLogind, kPath, kManager, QStringLiteral("ListInhibitors")));
    std::vector<std::string> found;
    if (reply.arguments().size() != 1) return {"no answer"};
    const auto list = reply.arguments().front().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
      QString what, who, why, mode;
      uint uid = 0, pid = 0;
      list.beginStructure();
      list >> what >> who >> why >> mode >> uid >> pid;
      list.endStructure();
      found.push_back((what + u' ' + mode).toStdString());
    }
    list.endArray();
    return found;
  }

  QDBusConnection bus{QString()};

 private:
  QProcess daemon_;
  QProcess logind_;
  QString address_;
};

TEST(LogindEvents, SleepWakeAndShutdownAreDeliveredWhileLogindWaitsForUs) {
  PrivateBus bus;
  std::vector<std::pair<std::uint32_t, std::uint64_t>> delivered;
  std::vector<std::vector<std::string>> inhibitorsDuring;
  const auto record = [&](const Message& message) {
    delivered.emplace_back(message.code, message.wParam);
    inhibitorsDuring.push_back(bus.Inhibitors());
  };
  // Without logind, or without a bus, the program runs on and holds nothing.
  EXPECT_FALSE(LogindEvents(record, bus.bus).InhibitorHeld());
  EXPECT_FALSE(LogindEvents(record, QDBusConnection(QStringLiteral("none"))).InhibitorHeld());

  ASSERT_TRUE(bus.StartLogind());
  const std::vector<std::string> one = {"shutdown:sleep delay"}, none;
  LogindEvents events(record, bus.bus);
  EXPECT_TRUE(events.InhibitorHeld());
  EXPECT_EQ(bus.Inhibitors(), one);

  bus.Emit(QStringLiteral("PrepareForSleep"), true);
  EXPECT_FALSE(events.InhibitorHeld());
  EXPECT_EQ(bus.Inhibitors(), none);
  bus.Emit(QStringLiteral("PrepareForSleep"), false);
  EXPECT_TRUE(events.InhibitorHeld());
  EXPECT_EQ(bus.Inhibitors(), one);
  bus.Emit(QStringLiteral("PrepareForShutdown"), true);
  EXPECT_FALSE(events.InhibitorHeld());
  EXPECT_EQ(bus.Inhibitors(), none);
  bus.Emit(QStringLiteral("PrepareForShutdown"), false);  // called off: wait for us again
  EXPECT_EQ(bus.Inhibitors(), one);

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
    self->OnCommitDataRequest(QStringLiteral("nested"));
  });
  self = &logOff;
  logOff.OnCommitDataRequest(QStringLiteral("1"));
  logOff.OnCommitDataRequest(QStringLiteral("1"));
  EXPECT_EQ(asked, 1);
  logOff.OnCommitDataRequest(QStringLiteral("2"));  // the first was called off
  EXPECT_EQ(asked, 2);
}

}  // namespace
}  // namespace orbl::qt

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
