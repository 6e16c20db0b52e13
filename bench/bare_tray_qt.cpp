// The yardstick of the Linux benchmark: one tray icon and the event loop,
// nothing else. SIGTERM ends it as it ends orbl3: through the loop.
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSocketNotifier>
#include <QSystemTrayIcon>

namespace {
int termPipe[2] = {-1, -1};
void OnTerm(int /*signal*/) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(termPipe[1], &byte, 1);
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (pipe(termPipe) != 0) return 1;
  struct sigaction action {};
  action.sa_handler = OnTerm;
  sigaction(SIGTERM, &action, nullptr);
  QSocketNotifier notifier(termPipe[0], QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, &application, &QApplication::quit);
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::darkBlue);
  QSystemTrayIcon icon{QIcon(pixmap)};
  icon.setToolTip("Bare tray");
  icon.show();
  return QApplication::exec();
}
