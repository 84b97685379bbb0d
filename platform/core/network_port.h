// A network source (network_source.h) opened as a port: the CommPort behind
// a COM number the user gave a tcp://, udp:// or gpsd:// address.
//
// Opening waits at most the open time-out (5 s) in all for the name, the
// connection and gpsd's answers, and never blocks the window meanwhile: on
// the thread that installed a wait hook (the user-interface thread) the
// waits run through it in short slices, so the window keeps painting, and
// the hook's cancel (Escape) gives the open up. Names are resolved on a
// thread of their own, since getaddrinfo cannot be interrupted; one that
// answers after the time-out is left to finish and its answer dropped.
// Failures set the last error: ERROR_CONNECTION_REFUSED,
// WSAHOST_NOT_FOUND (no such host), ERROR_TIMEOUT (no answer),
// ERROR_SHARING_VIOLATION (a UDP port another program has bound),
// ERROR_BAD_NET_RESP (a server that does not speak gpsd's protocol),
// ERROR_DEV_NOT_EXIST and ERROR_AMBIGUOUS_SYSTEM_DEVICE (gpsd has no such
// device, or several and none was named; NetworkOpenDetail lists them),
// ERROR_OPERATION_ABORTED (cancelled).
//
// On the open port:
// - Reads return what has arrived, under the time-outs of a tty
//   (termios_port.h) but for the interval between bytes, which is not
//   applied (nothing asks for it on a network port); the kernel's receive buffer is bounded (64 KB), so a
//   peer that sends faster than the program reads is held back by TCP's flow
//   control (UDP's surplus datagrams are dropped by the kernel) and memory
//   stays bounded whatever it sends. A connection the peer closed or reset
//   fails every read with ERROR_DEVICE_NOT_CONNECTED: the reader then sees
//   a receiver that fell silent, and the session's reconnect opens it again.
// - Writes go to a TCP peer. gpsd takes no bytes for a device over its
//   client socket, and a UDP source has no one to answer: writes fail with
//   ERROR_WRITE_PROTECT (the source is read-only).
// - The line settings do not apply: SetState accepts any DCB and keeps it
//   for GetState, which reports speed 0 (no line speed); Escape (DTR, RTS) does nothing; Purge drops what the port
//   holds and has not yet handed out.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/core/comm.h"
#include "platform/core/last_error.h"
#include "platform/core/network_source.h"

inline constexpr DWORD kNetworkOpenTimeoutMs = 5000;
// The receive buffer asked of the kernel for every network port.
inline constexpr int kNetworkReceiveBuffer = 64 * 1024;

// Waits `milliseconds` while the caller's windows keep working; FALSE when
// the user cancelled.
using NetworkOpenWait = std::function<BOOL(DWORD milliseconds)>;
// Installs `wait` for the calling thread's opens (the user-interface
// thread's); other threads wait in poll. An empty one removes it.
void SetNetworkOpenWait(NetworkOpenWait wait);
// Tests only: the open time-out (kNetworkOpenTimeoutMs when 0).
void SetNetworkOpenTimeout(DWORD milliseconds);
// After an open on this thread failed with ERROR_DEV_NOT_EXIST or
// ERROR_AMBIGUOUS_SYSTEM_DEVICE: the devices gpsd has, comma-separated
// (empty when it has none); empty after any other outcome.
std::string NetworkOpenDetail();

class NetworkPort final : public CommPort {
 public:
  // Opens `source`; nullptr with the last error set on failure.
  static std::unique_ptr<CommPort> Open(const NetworkSource& source, DWORD access);
  ~NetworkPort() override;

  // Maps to nothing: the DCB is kept and handed back with speed 0.
  BOOL GetState(DCB* dcb) override;
  BOOL SetState(const DCB& dcb) override;
  BOOL SetTimeouts(const COMMTIMEOUTS& timeouts) override;
  // Maps to dropping the bytes the port holds (not the kernel's).
  BOOL Purge(DWORD flags) override;
  // Maps to nothing: a socket has no modem lines.
  BOOL Escape(DWORD function) override;
  BOOL SetMask(DWORD mask) override;
  // Maps to recv(2) and poll under the port's time-outs.
  BOOL Read(void* buffer, DWORD toRead, DWORD* read) override;
  // Maps to send(2) and poll for TCP; ERROR_WRITE_PROTECT otherwise.
  BOOL Write(const void* buffer, DWORD toWrite, DWORD* written) override;

 private:
  NetworkPort(int fd, NetworkKind kind, std::string pending);
  // Takes what the socket holds into m_pending (for gpsd, without its own
  // reports); false with the last error set when the connection is gone.
  bool Fill(std::size_t atMost);
  // gpsd's stream: its report lines ({"class":...}) are dropped, the
  // device's bytes pass unchanged.
  void FilterGpsd(const char* data, std::size_t size);

  int m_fd;
  NetworkKind m_kind;
  bool m_closed = false;
  std::string m_pending;  // received, not yet read (bounded by one receive)
  // gpsd's stream: whether the next byte begins a line, and a line begun
  // with "{" held until its end tells whether it is one of gpsd's reports.
  bool m_atLineStart = true;
  bool m_holding = false;
  std::string m_held;
  std::mutex m_readLock;  // the pending bytes and gpsd's stream state
  std::mutex m_lock;      // the DCB and time-outs
  DCB m_dcb{};
  COMMTIMEOUTS m_timeouts{};
};
