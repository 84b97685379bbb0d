// A tty's exclusive mode (TIOCEXCL), lifted again on every way out of the
// program that runs code. The mode is a flag of the tty, not of the
// descriptor: on a pseudo-terminal whose other side stays open it outlives
// the process and refuses every later open by an unprivileged program (a
// second Zelmora included). So besides the port's own close, the program's
// exit, the termination signals (SIGTERM, SIGINT, SIGHUP) and the fatal ones
// (SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL) lift it before the process ends
// as it would have ended anyway. A SIGKILL runs no code and cannot be mended.
#pragma once

// Puts the tty behind `fd` in exclusive mode and remembers `fd` for the ways
// out; the first call installs their handlers. 0, or the ioctl's errno.
// Linux: ioctl(TIOCEXCL), an atexit hook and sigaction for the signals above.
int EnterExclusiveMode(int fd);

// Lifts the exclusive mode of the tty behind `fd` and forgets `fd`; called
// before `fd` is closed.
// Linux: ioctl(TIOCNXCL).
void LeaveExclusiveMode(int fd);
