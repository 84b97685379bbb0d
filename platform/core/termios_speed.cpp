#include "platform/core/termios_speed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace {

// The speeds with a B-constant of their own. They are set through it, so
// that programs reading the line with cfgetospeed (the simulated receiver on
// the other side of a pseudo-terminal, say) see the usual value; any other
// speed goes through BOTHER.
struct StandardSpeed {
  std::uint32_t baud;
  unsigned int code;
};
constexpr StandardSpeed kStandardSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

unsigned int SpeedCode(std::uint32_t baud) {
  for (const StandardSpeed& speed : kStandardSpeeds) {
    if (speed.baud == baud) return speed.code;
  }
  return BOTHER;
}

}  // namespace

bool SetLineSpeed(int fd, std::uint32_t baud, std::uint32_t* applied) {
  struct termios2 tio {};
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  unsigned int code = SpeedCode(baud);
  tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= code | (code << IBSHIFT);
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
