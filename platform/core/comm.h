// The handheld's serial interface over Linux ttys. "COMn:" names an entry of
// the COM device table (com_device_table.h); an open port is a handle in the
// kernel handle table whose operations go to a CommPort: a termios port for a
// tty, a network port (network_port.h) for a tcp://, udp:// or gpsd://
// source; tests may install another (CoreSetCommOpener).
#pragma once

#include "platform/core/handle_table.h"
#include "platform/core/win_types.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;
constexpr DWORD OPEN_EXISTING = 3;

constexpr DWORD PURGE_TXABORT = 0x0001;
constexpr DWORD PURGE_RXABORT = 0x0002;
constexpr DWORD PURGE_TXCLEAR = 0x0004;
constexpr DWORD PURGE_RXCLEAR = 0x0008;

constexpr DWORD SETRTS = 3;
constexpr DWORD CLRRTS = 4;
constexpr DWORD SETDTR = 5;
constexpr DWORD CLRDTR = 6;

constexpr BYTE NOPARITY = 0;
constexpr BYTE ODDPARITY = 1;
constexpr BYTE EVENPARITY = 2;
constexpr BYTE ONESTOPBIT = 0;
constexpr BYTE TWOSTOPBITS = 2;

// Errors ClearCommError reports: the driver's input buffer overflowed (the
// program did not read in time), or the UART's own buffer overran (bytes
// came faster than the driver took them).
constexpr DWORD CE_RXOVER = 0x0001;
constexpr DWORD CE_OVERRUN = 0x0002;

constexpr DWORD DTR_CONTROL_DISABLE = 0;
constexpr DWORD DTR_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_DISABLE = 0;
constexpr DWORD RTS_CONTROL_ENABLE = 1;
constexpr DWORD RTS_CONTROL_HANDSHAKE = 2;

// The device control block in the Windows layout: 28 bytes, the flag bits in
// one 32-bit word at offset 8 (fBinary is bit 0). DcbFlags and SetDcbFlags
// read and write that word whole.
struct DCB {
  DWORD DCBlength;
  DWORD BaudRate;
  DWORD fBinary : 1;
  DWORD fParity : 1;
  DWORD fOutxCtsFlow : 1;
  DWORD fOutxDsrFlow : 1;
  DWORD fDtrControl : 2;
  DWORD fDsrSensitivity : 1;
  DWORD fTXContinueOnXoff : 1;
  DWORD fOutX : 1;
  DWORD fInX : 1;
  DWORD fErrorChar : 1;
  DWORD fNull : 1;
  DWORD fRtsControl : 2;
  DWORD fAbortOnError : 1;
  DWORD fDummy2 : 17;
  WORD wReserved;
  WORD XonLim;
  WORD XoffLim;
  BYTE ByteSize;
  BYTE Parity;
  BYTE StopBits;
  char XonChar;
  char XoffChar;
  char ErrorChar;
  char EofChar;
  char EvtChar;
  WORD wReserved1;
};
using LPDCB = DCB*;
static_assert(sizeof(DCB) == 28, "DCB must have the Windows layout");
static_assert(offsetof(DCB, wReserved) == 12, "the DCB flag word lies at offset 8");

constexpr std::size_t kDcbFlagsOffset = 8;
DWORD DcbFlags(const DCB& dcb);
void SetDcbFlags(DCB& dcb, DWORD flags);

struct COMMTIMEOUTS {
  DWORD ReadIntervalTimeout;
  DWORD ReadTotalTimeoutMultiplier;
  DWORD ReadTotalTimeoutConstant;
  DWORD WriteTotalTimeoutMultiplier;
  DWORD WriteTotalTimeoutConstant;
};
using LPCOMMTIMEOUTS = COMMTIMEOUTS*;

// What a port's COMMTIMEOUTS ask of one read of `toRead` bytes (the table
// in termios_port.h), for every kind of port alike.
struct ReadTimeoutPlan {
  bool immediate;      // returns at once with what has arrived
  bool firstByteOnly;  // waits for the first byte only, then returns
  bool hasTotal;       // gives up `totalMs` after the read began
  std::uint64_t totalMs;
  bool hasInterval;  // gives up ReadIntervalTimeout ms after the last byte
};
ReadTimeoutPlan PlanRead(const COMMTIMEOUTS& timeouts, DWORD toRead);

// One open serial device. Failing members set the last error and return FALSE.
// Read and Write may run at the same time on two threads.
class CommPort {
 public:
  virtual ~CommPort();
  virtual BOOL GetState(DCB* dcb) = 0;
  virtual BOOL SetState(const DCB& dcb) = 0;
  virtual BOOL SetTimeouts(const COMMTIMEOUTS& timeouts) = 0;
  virtual BOOL Purge(DWORD flags) = 0;
  virtual BOOL Escape(DWORD function) = 0;
  virtual BOOL SetMask(DWORD mask) = 0;
  virtual BOOL Read(void* buffer, DWORD toRead, DWORD* read) = 0;
  virtual BOOL Write(const void* buffer, DWORD toWrite, DWORD* written) = 0;
  // The CE_* errors since the last call; a port that keeps no account of
  // lost bytes reports none.
  virtual BOOL ClearErrors(DWORD* errors);
};

// Opens the device `name`: a port, or nullptr with the last error set.
using CommOpener =
    std::function<std::unique_ptr<CommPort>(LPCWSTR name, DWORD access, DWORD shareMode, DWORD creation, DWORD flags)>;
// Tests only: routes CreateFileW to `opener`; an empty one restores the termios ports.
void CoreSetCommOpener(CommOpener opener);

// Maps to open(2) of the tty the COM device table gives for "COMn:", made
// exclusive (TIOCEXCL and flock) and raw, or to connect(2) (bind(2) for UDP)
// when the table gives a network source. Only share mode 0 and OPEN_EXISTING.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Maps to tcgetattr plus TCGETS2 for the speed.
BOOL GetCommState(HANDLE file, LPDCB dcb);
// Maps to tcsetattr plus TCSETS2/BOTHER for the speed; speed 0 is refused.
BOOL SetCommState(HANDLE file, LPDCB dcb);
// Maps to the port's read and write deadlines (poll).
BOOL SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts);
// Maps to tcflush.
BOOL PurgeComm(HANDLE file, DWORD flags);
// Maps to TIOCMBIS/TIOCMBIC for DTR and RTS.
BOOL EscapeCommFunction(HANDLE file, DWORD function);
// Maps to nothing: no comm events are offered, so there is nothing to mask.
BOOL SetCommMask(HANDLE file, DWORD mask);
// Maps to read(2) and poll under the port's time-outs; no overlapped I/O.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
// Maps to the TIOCGICOUNT overrun counts (CE_OVERRUN, CE_RXOVER) that grew
// since the last call; 0 on a tty without them (a pseudo-terminal). No COMSTAT.
BOOL ClearCommError(HANDLE file, LPDWORD errors, void* stat);
// Maps to write(2) and poll under the port's time-outs; no overlapped I/O.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
