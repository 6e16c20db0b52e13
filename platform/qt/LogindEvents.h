// Shutdown and sleep as logind announces them on the system bus, handed to
// the program's windows as the shutdown query and the power broadcasts.
//
// logind waits for a program that holds a "delay" inhibitor, up to its
// InhibitDelayMaxSec, before it shuts down or sleeps: the program holds one
// from the start, lets go of it once the query or the suspend has been
// handled, and takes a new one when the computer wakes. Without a system bus
// or without logind nothing is taken and nothing arrives.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <optional>
#include <utility>

#include "platform/Types.h"

class QGuiApplication;

namespace orbl::qt {

class LogindEvents final : public QObject {
  Q_OBJECT

 public:
  using Deliver = std::function<void(const platform::Message&)>;

  // `bus`: where logind is asked; the system bus but in tests.
  explicit LogindEvents(Deliver deliver, QDBusConnection bus = QDBusConnection::systemBus());
  ~LogindEvents() override;
  LogindEvents(const LogindEvents&) = delete;
  LogindEvents& operator=(const LogindEvents&) = delete;

  // Whether logind is kept waiting for us: the answer to the window system's
  // question whether the program blocks the shutdown.
  bool InhibitorHeld() const { return inhibitor_ >= 0; }

 private slots:
  void OnPrepareForShutdown(bool starting);
  void OnPrepareForSleep(bool starting);

  // The slots above must be Qt's to be connected by their names.
 private:  // NOLINT(readability-redundant-access-specifiers)
  void TakeInhibitor();
  void ReleaseInhibitor();
  // Delivers, then lets logind go on.
  void DeliverAndRelease(const platform::Message& message);

  Deliver deliver_;
  QDBusConnection bus_;
  int inhibitor_ = -1;
};

// The X session manager's log-off (XSMP): its request to commit data is the
// shutdown query. Each log-off asks once (the session manager's request
// carries a new session key each time): a request with the key already
// answered, or one that comes while the query is still being handled (the
// core's boxes and waits run event loops), is not asked again. A log-off
// that was cancelled and tried again is a new one.
class XsmpLogOff final : public QObject {
  Q_OBJECT

 public:
  explicit XsmpLogOff(LogindEvents::Deliver deliver) : deliver_(std::move(deliver)) {}

  // Listens to the application's session manager.
  void Attach(QGuiApplication& application);
  void OnCommitDataRequest(const QString& sessionKey);

 private:
  LogindEvents::Deliver deliver_;
  std::optional<QString> answeredKey_;
  bool delivering_ = false;
};

}  // namespace orbl::qt
