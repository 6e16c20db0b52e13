#include "platform/qt/LogindEvents.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QGuiApplication>
#include <QSessionManager>

namespace orbl::qt {

using platform::Message;
namespace msg = platform::msg;

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
// The start must not hang on a bus that does not answer.
constexpr int kInhibitTimeoutMs = 2000;

}  // namespace

LogindEvents::LogindEvents(Deliver deliver, QDBusConnection bus)
    : deliver_(std::move(deliver)), bus_(std::move(bus)) {
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kManager, QStringLiteral("PrepareForShutdown"), this,
               SLOT(OnPrepareForShutdown(bool)));
  bus_.connect(kService, kPath, kManager, QStringLiteral("PrepareForSleep"), this,
               SLOT(OnPrepareForSleep(bool)));
  TakeInhibitor();
}

LogindEvents::~LogindEvents() {
  ReleaseInhibitor();
}

void LogindEvents::OnPrepareForShutdown(bool starting) {
  // A shutdown called off: the next one must wait for us again.
  if (!starting) {
    TakeInhibitor();
    return;
  }
  DeliverAndRelease({msg::kQueryEndSession, 0, 0, {}});
}

void LogindEvents::OnPrepareForSleep(bool starting) {
  if (starting) {
    DeliverAndRelease({msg::kPowerBroadcast, msg::kPbtApmSuspend, 0, {}});
    return;
  }
  // Taken before the core hears of the wake, so that a sleep right after it
  // waits for the core's work too.
  TakeInhibitor();
  deliver_({msg::kPowerBroadcast, msg::kPbtApmResumeAutomatic, 0, {}});
}

void LogindEvents::TakeInhibitor() {
  if (InhibitorHeld() || !bus_.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Inhibit"));
  call << QStringLiteral("shutdown:sleep") << QStringLiteral("Orbelle")
       << QStringLiteral("Closing CD/DVD drive doors") << QStringLiteral("delay");
  const QDBusMessage reply = bus_.call(call, QDBus::Block, kInhibitTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1) return;
  const auto descriptor = qvariant_cast<QDBusUnixFileDescriptor>(reply.arguments().front());
  if (!descriptor.isValid()) return;
  // Our own copy: logind waits until every copy is closed.
  inhibitor_ = ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
}

void LogindEvents::ReleaseInhibitor() {
  if (!InhibitorHeld()) return;
  ::close(inhibitor_);
  inhibitor_ = -1;
}

void LogindEvents::DeliverAndRelease(const Message& message) {
  deliver_(message);
  ReleaseInhibitor();
}

void XsmpLogOff::Attach(QGuiApplication& application) {
  connect(&application, &QGuiApplication::commitDataRequest, this,
          [this](QSessionManager& manager) { OnCommitDataRequest(manager.sessionKey()); });
}

void XsmpLogOff::OnCommitDataRequest(const QString& sessionKey) {
  if (delivering_ || sessionKey == answeredKey_) return;
  answeredKey_ = sessionKey;
  delivering_ = true;
  deliver_({msg::kQueryEndSession, 0, 0, {}});
  delivering_ = false;
}

}  // namespace orbl::qt
