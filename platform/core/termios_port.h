// A serial device opened through termios: the CommPort behind every "COMn:".
//
// How COMMTIMEOUTS map onto reads (the port is non-blocking; waits are poll):
//   Interval  Multiplier  Constant   ReadFile
//   MAXDWORD  0           0          returns at once with what has arrived, TRUE with 0 bytes when nothing
//   MAXDWORD  MAXDWORD    C          waits up to C ms for the first byte, then returns with what has arrived
//   0         0           0          waits until every byte asked for has arrived
//   I         M           C          waits at most M * n + C ms in all (no limit when both are 0) and, once a
//                                    byte has come, at most I ms for the next (no limit when I is 0)
// A read that runs out of time returns TRUE with the bytes it got, as on the
// handheld. Writes wait at most WriteTotalTimeoutMultiplier * n +
// WriteTotalTimeoutConstant ms (no limit when both are 0) and then return TRUE
// with the bytes written so far.
#pragma once

#include "platform/core/comm.h"
#include "platform/core/sysfs_serial_scan.h"

#include <mutex>
#include <string>

// Whether `path` may be opened as a port, without opening it: 0 for a
// character device whose class in `sysfsRoot`/dev/char is "tty", or a
// pseudo-terminal slave, other than the terminal aliases (/dev/tty,
// /dev/console, /dev/ptmx); else ENOTTY, or stat's errno (ENOENT ...), with
// the reason in `why`.
int CheckSerialDevicePath(const std::string& path, std::string* why, const std::string& sysfsRoot = kSysfsRoot);

class TermiosPort final : public CommPort {
 public:
  // Opens `path` exclusively as a raw 8N1 line without flow control, keeping
  // its speed; nullptr with the last error set on failure (the descriptor is
  // closed on every failure path). The path is checked first
  // (CheckSerialDevicePath) and never opened when it fails; after the open
  // (O_NOCTTY, so it never becomes the process's controlling terminal) it
  // must be a terminal, then it is locked and put in exclusive mode (lifted
  // again on close and on the program's way out: exclusive_mode.h). Refusals
  // say why on standard error with ERROR_INVALID_PARAMETER as the last error.
  static std::unique_ptr<CommPort> Open(const std::string& path, DWORD access);
  ~TermiosPort() override;

  BOOL GetState(DCB* dcb) override;
  BOOL SetState(const DCB& dcb) override;
  BOOL SetTimeouts(const COMMTIMEOUTS& timeouts) override;
  BOOL Purge(DWORD flags) override;
  BOOL Escape(DWORD function) override;
  BOOL SetMask(DWORD mask) override;
  BOOL Read(void* buffer, DWORD toRead, DWORD* read) override;
  BOOL Write(const void* buffer, DWORD toWrite, DWORD* written) override;
  BOOL ClearErrors(DWORD* errors) override;

 private:
  explicit TermiosPort(int fd);
  COMMTIMEOUTS Timeouts();
  // Polls for `events` up to `milliseconds` (-1: no limit); false with the
  // last error set when the device failed or went away.
  bool WaitFor(short events, int milliseconds);

  int m_fd;
  std::mutex m_lock;
  COMMTIMEOUTS m_timeouts{};
  // The driver's overrun counts when last asked (from the open on).
  int m_overruns = 0;
  int m_bufferOverruns = 0;
};
