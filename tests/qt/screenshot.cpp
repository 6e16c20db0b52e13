// Writes a PNG of a window of the display (its id, as xwininfo gives it), or
// of the whole screen: orbl_qt_shot OUT.png [WINDOW]
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  if (argc < 2) return 2;
  const WId window = argc > 2 ? QString(argv[2]).toULongLong(nullptr, 0) : 0;
  return QGuiApplication::primaryScreen()->grabWindow(window).save(argv[1]) ? 0 : 1;
}
