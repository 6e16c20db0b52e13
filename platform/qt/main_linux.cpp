// orbl3 on Linux: the program core on Qt 6 and the Linux system.
#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  std::fputs("orbl3: the Linux program is not complete yet\n", stderr);
  return 1;
}
