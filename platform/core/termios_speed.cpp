#include "platform/core/termios_speed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

bool SetLineSpeed(int fd, std::uint32_t baud, std::uint32_t* applied) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  tio.c_ospeed = baud;
  tio.c_ispeed = baud;
  if (ioctl(fd, TCSETS2, &tio) != 0) return false;
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  *applied = tio.c_ospeed;
  return true;
}

std::uint32_t GetLineSpeed(int fd) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
  return tio.c_ospeed;
}
