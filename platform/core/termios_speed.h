// Line speeds through termios2, so that any speed the driver accepts can be
// set, not only the B-constants. Kept apart because <asm/termbits.h> clashes
// with <termios.h>.
#pragma once

#include <cstdint>

// Sets input and output speed of tty `fd` to `baud` (BOTHER) and reads back
// what the driver applied into `applied`. false with errno set on failure.
bool SetLineSpeed(int fd, std::uint32_t baud, std::uint32_t* applied);
// The output speed of tty `fd`, or 0 with errno set on failure.
std::uint32_t GetLineSpeed(int fd);
