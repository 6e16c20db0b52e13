// Stands in for the program inside the guest: locks the drive's door and holds
// its guard exclusively, as the program does while its lock is in force, until
// it is killed.
#include <fcntl.h>
#include <linux/cdrom.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  // Non-blocking, as the program opens drives: a blocking open would close the tray.
  const int drive = open(argv[1], O_RDONLY | O_NONBLOCK);
  if (drive < 0 || ioctl(drive, CDROM_LOCKDOOR, 1) != 0) {
    perror("holder: lock");
    return 1;
  }
  const int guard = open(argv[2], O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (guard < 0 || flock(guard, LOCK_EX) != 0) {
    perror("holder: guard");
    return 1;
  }
  puts("held");
  fflush(stdout);
  for (;;) pause();
}
