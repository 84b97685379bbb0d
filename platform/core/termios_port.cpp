#include "platform/core/termios_port.h"

#include "platform/core/diagnostics.h"
#include "platform/core/exclusive_mode.h"
#include "platform/core/last_error.h"
#include "platform/core/sysfs_serial_scan.h"
#include "platform/core/termios_speed.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

namespace {

using SteadyClock = std::chrono::steady_clock;

// Tolerance between the speed asked for and the one the driver applied; a
// UART that cannot come this close would not talk to the receiver anyway.
constexpr std::uint32_t kSpeedTolerancePercent = 3;

// TIOCEXCL is a flag of the tty, not of the descriptor: it outlives our close
// while another descriptor of the tty stays open (the simulated receiver keeps
// one), and would then refuse the next open of an unprivileged program.
void CloseExclusive(int fd) {
  LeaveExclusiveMode(fd);
  close(fd);
}

std::unique_ptr<CommPort> Fail(int fd, int err, const char* call, const std::string& path) {
  ZELMORA_DEBUG_LOG("serial: %s(%s) failed: %s", call, path.c_str(), std::strerror(err));
  if (fd >= 0) CloseExclusive(fd);
  SetLastError(ErrorFromErrno(err));
  return nullptr;
}

// A failed call on an open port: said on the debug channel, then reported as
// the last error.
BOOL FailCall(const char* call, int fd, int err) {
  ZELMORA_DEBUG_LOG("serial: %s on descriptor %d failed: %s", call, fd, std::strerror(err));
  return FailWithErrno(err);
}

// Milliseconds left until `deadline`, clamped to what poll takes.
int MillisecondsUntil(SteadyClock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
  if (left <= 0) return 0;
  return left > INT32_MAX ? INT32_MAX : static_cast<int>(left);
}

SteadyClock::time_point After(std::uint64_t milliseconds) {
  return SteadyClock::now() + std::chrono::milliseconds(milliseconds);
}

// The devices of major 5 are aliases, not ports: /dev/tty (the caller's own
// terminal), /dev/console, /dev/ptmx (every open makes a new
// pseudo-terminal) and /dev/ttyprintk.
constexpr unsigned kTtyAuxMajor = 5;

// Unix98 pseudo-terminal slaves (/dev/pts/N): devpts makes them without a
// device in sysfs, so /sys/dev/char has no entry that could name their
// class; their majors are fixed instead.
constexpr unsigned kPtySlaveFirstMajor = 136;
constexpr unsigned kPtySlaveLastMajor = 143;

// Why the device `info` describes is no port, or empty when it is one.
// Decided from the stat and sysfs alone, before any open: opening a device
// can do something by itself (a watchdog starts its countdown, a tape
// rewinds).
std::string RefusalOf(const struct stat& info, const std::string& sysfsRoot) {
  if (!S_ISCHR(info.st_mode)) return "not a character device";
  const unsigned devMajor = major(info.st_rdev);
  if (devMajor == kTtyAuxMajor) {
    switch (minor(info.st_rdev)) {
      case 0:
        return "the controlling terminal, not a serial port";
      case 2:
        return "the pseudo-terminal multiplexer, not a serial port";
      default:
        return "a terminal alias, not a serial port";
    }
  }
  if (devMajor >= kPtySlaveFirstMajor && devMajor <= kPtySlaveLastMajor) return {};
  const std::string deviceClass = CharDeviceClass(sysfsRoot, devMajor, minor(info.st_rdev));
  if (deviceClass == "tty") return {};
  if (deviceClass.empty()) return "not a terminal device (" + sysfsRoot + "/dev/char does not list it)";
  return "not a terminal device (a " + deviceClass + " device)";
}

std::unique_ptr<CommPort> Refuse(int fd, const std::string& path, const std::string& why) {
  std::fprintf(stderr, "Zelmora: %s: %s; not opened as a port\n", path.c_str(), why.c_str());
  if (fd >= 0) close(fd);
  SetLastError(ErrorFromErrno(ENOTTY));
  return nullptr;
}

}  // namespace

int CheckSerialDevicePath(const std::string& path, std::string* why, const std::string& sysfsRoot) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    const int err = errno;
    if (why != nullptr) *why = std::strerror(err);
    return err;
  }
  std::string refusal = RefusalOf(info, sysfsRoot);
  if (refusal.empty()) return 0;
  if (why != nullptr) *why = std::move(refusal);
  return ENOTTY;
}

std::unique_ptr<CommPort> TermiosPort::Open(const std::string& path, DWORD access) {
  int mode = (access & GENERIC_READ) && (access & GENERIC_WRITE) ? O_RDWR
             : (access & GENERIC_WRITE)                          ? O_WRONLY
                                                                 : O_RDONLY;
  // Only a character device that is a terminal is opened, checked before the
  // open: opening a file, a FIFO, /dev/ptmx or a device of another class
  // would already do harm.
  struct stat before {};
  if (stat(path.c_str(), &before) != 0) return Fail(-1, errno, "stat", path);
  if (std::string why = RefusalOf(before, kSysfsRoot); !why.empty()) return Refuse(-1, path, why);
  int fd = open(path.c_str(), mode | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return Fail(-1, errno, "open", path);
  // The path may have been swapped between the check and the open.
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || opened.st_rdev != before.st_rdev || !S_ISCHR(opened.st_mode)) {
    return Refuse(fd, path, "replaced while it was opened");
  }
  if (!isatty(fd)) return Refuse(fd, path, "a character device that is not a terminal");
  // The handheld's exclusive open: a second program (or a second open in this
  // one) must not steal the receiver. flock holds against privileged
  // processes too; TIOCEXCL then stops other opens of the tty. The lock comes
  // first, so a failed open never touches the exclusivity of the holder.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    close(fd);
    return Fail(-1, err, "flock", path);
  }
  if (const int err = EnterExclusiveMode(fd); err != 0) return Fail(fd, err, "ioctl TIOCEXCL", path);
  // Turn off all line-discipline processing: a raw 8-bit channel without echo,
  // translation or flow control, whose reads never wait inside the kernel.
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return Fail(fd, errno, "tcgetattr", path);
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~(CSTOPB | CRTSCTS);
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return Fail(fd, errno, "tcsetattr", path);
  ZELMORA_DEBUG_LOG("serial: opened %s (descriptor %d)", path.c_str(), fd);
  return std::unique_ptr<CommPort>(new TermiosPort(fd));
}

// The overrun counts start from what the driver has counted before this open.
TermiosPort::TermiosPort(int fd) : m_fd(fd) {
  DWORD ignored = 0;
  ClearErrors(&ignored);
}

TermiosPort::~TermiosPort() {
  ZELMORA_DEBUG_LOG("serial: closing descriptor %d", m_fd);
  CloseExclusive(m_fd);
}

BOOL TermiosPort::GetState(DCB* dcb) {
  termios tio{};
  if (tcgetattr(m_fd, &tio) != 0) return FailCall("tcgetattr", m_fd, errno);
  errno = 0;
  std::uint32_t speed = GetLineSpeed(m_fd);
  if (speed == 0 && errno != 0) return FailCall("reading the line speed", m_fd, errno);
  *dcb = DCB{};
  dcb->DCBlength = sizeof(DCB);
  dcb->BaudRate = speed;
  dcb->fBinary = 1;
  dcb->fParity = (tio.c_iflag & INPCK) ? 1 : 0;
  dcb->fOutxCtsFlow = (tio.c_cflag & CRTSCTS) ? 1 : 0;
  dcb->fDtrControl = DTR_CONTROL_ENABLE;
  dcb->fRtsControl = (tio.c_cflag & CRTSCTS) ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb->fOutX = (tio.c_iflag & IXON) ? 1 : 0;
  dcb->fInX = (tio.c_iflag & IXOFF) ? 1 : 0;
  switch (tio.c_cflag & CSIZE) {
    case CS5:
      dcb->ByteSize = 5;
      break;
    case CS6:
      dcb->ByteSize = 6;
      break;
    case CS7:
      dcb->ByteSize = 7;
      break;
    default:
      dcb->ByteSize = 8;
      break;
  }
  dcb->Parity = !(tio.c_cflag & PARENB) ? NOPARITY : (tio.c_cflag & PARODD) ? ODDPARITY : EVENPARITY;
  dcb->StopBits = (tio.c_cflag & CSTOPB) ? TWOSTOPBITS : ONESTOPBIT;
  dcb->XonChar = static_cast<char>(tio.c_cc[VSTART]);
  dcb->XoffChar = static_cast<char>(tio.c_cc[VSTOP]);
  return TRUE;
}

BOOL TermiosPort::SetState(const DCB& dcb) {
  // Speed 0 would hang the line up (B0): refuse it like a speed the driver cannot do.
  bool valid = dcb.BaudRate != 0 && dcb.ByteSize >= 5 && dcb.ByteSize <= 8 && dcb.Parity <= EVENPARITY &&
               (dcb.StopBits == ONESTOPBIT || dcb.StopBits == TWOSTOPBITS);
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  termios tio{};
  if (tcgetattr(m_fd, &tio) != 0) return FailCall("tcgetattr", m_fd, errno);
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  tio.c_cflag |= kSizes[dcb.ByteSize - 5];
  if (dcb.Parity != NOPARITY) tio.c_cflag |= PARENB;
  if (dcb.Parity == ODDPARITY) tio.c_cflag |= PARODD;
  if (dcb.StopBits == TWOSTOPBITS) tio.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) tio.c_cflag |= CRTSCTS;
  tio.c_iflag &= ~(INPCK | IXON | IXOFF);
  if (dcb.fParity && dcb.Parity != NOPARITY) tio.c_iflag |= INPCK;
  if (dcb.fOutX) tio.c_iflag |= IXON;
  if (dcb.fInX) tio.c_iflag |= IXOFF;
  if (dcb.fOutX || dcb.fInX) {
    tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  }
  if (tcsetattr(m_fd, TCSANOW, &tio) != 0) return FailCall("tcsetattr", m_fd, errno);
  std::uint32_t applied = 0;
  if (!SetLineSpeed(m_fd, dcb.BaudRate, &applied)) return FailCall("setting the line speed", m_fd, errno);
  std::uint64_t difference = applied > dcb.BaudRate ? applied - dcb.BaudRate : dcb.BaudRate - applied;
  if (difference * 100 > std::uint64_t{dcb.BaudRate} * kSpeedTolerancePercent) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

BOOL TermiosPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  std::lock_guard lock(m_lock);
  m_timeouts = timeouts;
  return TRUE;
}

COMMTIMEOUTS TermiosPort::Timeouts() {
  std::lock_guard lock(m_lock);
  return m_timeouts;
}

BOOL TermiosPort::Purge(DWORD flags) {
  bool rx = flags & PURGE_RXCLEAR;
  bool tx = flags & PURGE_TXCLEAR;
  if (!rx && !tx) return TRUE;
  int queue = rx && tx ? TCIOFLUSH : rx ? TCIFLUSH : TCOFLUSH;
  return tcflush(m_fd, queue) == 0 ? TRUE : FailCall("tcflush", m_fd, errno);
}

BOOL TermiosPort::Escape(DWORD function) {
  int line = (function == SETDTR || function == CLRDTR) ? TIOCM_DTR : TIOCM_RTS;
  unsigned long request;
  switch (function) {
    case SETDTR:
    case SETRTS:
      request = TIOCMBIS;
      break;
    case CLRDTR:
    case CLRRTS:
      request = TIOCMBIC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  // A pseudo-terminal has no modem lines and refuses this.
  return ioctl(m_fd, request, &line) == 0 ? TRUE : FailCall("ioctl TIOCMBIS/TIOCMBIC", m_fd, errno);
}

BOOL TermiosPort::SetMask(DWORD) { return TRUE; }

bool TermiosPort::WaitFor(short events, int milliseconds) {
  pollfd pfd{m_fd, events, 0};
  int ready = poll(&pfd, 1, milliseconds);
  if (ready < 0 && errno != EINTR) return FailCall("poll", m_fd, errno);
  // The device went away (a USB adapter pulled, the other end of a
  // pseudo-terminal closed): the tty is hung up and reads give nothing for ever.
  if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
    ZELMORA_DEBUG_LOG("serial: descriptor %d is hung up: the device has gone", m_fd);
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return false;
  }
  return true;
}

BOOL TermiosPort::Read(void* buffer, DWORD toRead, DWORD* read) {
  const COMMTIMEOUTS t = Timeouts();
  const ReadTimeoutPlan plan = PlanRead(t, toRead);
  const bool immediate = plan.immediate;
  const bool firstByteOnly = plan.firstByteOnly;
  const bool hasTotal = plan.hasTotal;
  const bool hasInterval = plan.hasInterval;
  const SteadyClock::time_point totalDeadline = After(plan.totalMs);
  SteadyClock::time_point intervalDeadline{};

  auto* bytes = static_cast<unsigned char*>(buffer);
  DWORD got = 0;
  while (got < toRead) {
    ssize_t n = ::read(m_fd, bytes + got, toRead - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      if (hasInterval) intervalDeadline = After(t.ReadIntervalTimeout);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      *read = got;
      return FailCall("read", m_fd, errno);
    }
    // Nothing more has arrived (a raw tty with VMIN 0 reads 0 bytes then),
    // or the device has gone, which only poll tells apart.
    if (immediate || (firstByteOnly && got > 0)) {
      if (got == 0 && !WaitFor(POLLIN, 0)) {
        *read = got;
        return FALSE;
      }
      break;
    }
    int wait = -1;
    if (hasTotal) wait = MillisecondsUntil(totalDeadline);
    if (hasInterval && got > 0) {
      int interval = MillisecondsUntil(intervalDeadline);
      wait = wait < 0 ? interval : std::min(wait, interval);
    }
    if (wait == 0) break;
    if (!WaitFor(POLLIN, wait)) {
      *read = got;
      return FALSE;
    }
  }
  *read = got;
  return TRUE;
}

BOOL TermiosPort::Write(const void* buffer, DWORD toWrite, DWORD* written) {
  const COMMTIMEOUTS t = Timeouts();
  const bool hasTotal = t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0;
  const SteadyClock::time_point deadline =
      After(std::uint64_t{t.WriteTotalTimeoutMultiplier} * toWrite + t.WriteTotalTimeoutConstant);
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  DWORD done = 0;
  while (done < toWrite) {
    ssize_t n = ::write(m_fd, bytes + done, toWrite - done);
    if (n > 0) {
      done += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      *written = done;
      return FailCall("write", m_fd, errno);
    }
    int wait = hasTotal ? MillisecondsUntil(deadline) : -1;
    if (wait == 0) break;
    if (!WaitFor(POLLOUT, wait)) {
      *written = done;
      return FALSE;
    }
  }
  *written = done;
  return TRUE;
}

BOOL TermiosPort::ClearErrors(DWORD* errors) {
  *errors = 0;
  // UART and USB serial drivers count overruns; a pseudo-terminal keeps no
  // counts (ENOTTY) and so never reports a loss.
  serial_icounter_struct counts{};
  if (ioctl(m_fd, TIOCGICOUNT, &counts) != 0) return TRUE;
  std::lock_guard lock(m_lock);
  if (counts.overrun != m_overruns) *errors |= CE_OVERRUN;
  if (counts.buf_overrun != m_bufferOverruns) *errors |= CE_RXOVER;
  m_overruns = counts.overrun;
  m_bufferOverruns = counts.buf_overrun;
  return TRUE;
}
