// The line settings of a terminal, read and written through the kernel's
// termios2 interface so that any speed, standard or not, is seen as the
// number of bits per second it is.
#pragma once

#include <cstdint>

namespace sim {

// Raw 8N1 without flow control or echo, at baud: ioctl(TCGETS2/TCSETS2) with
// BOTHER. False when the terminal refuses.
bool SetRawLine(int fd, std::uint32_t baud);

// The input speed in bits per second (ioctl TCGETS2; the output speed when
// no separate input speed is set); 0 when it cannot be read.
std::uint32_t ReadLineSpeed(int fd);

}  // namespace sim
