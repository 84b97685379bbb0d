// A reader thread at work as the Setup page runs one, for the tests and
// benchmarks of the reader: a window that records what the reader posts to
// it, the window handle it posts to, the start and stop events (auto-reset,
// created signalled), the serial port it reads, and the reader itself. The
// object undoes all of it when it goes: it stops a reader still running,
// closes the port and the events and unregisters the window.
#pragma once

#include <memory>
#include <vector>

#include "acquisition/gps_read_thread.h"
#include "platform/core/window_core.h"
#include "serial/serial_com.h"

// A message as the window received it, with the tick count at its delivery.
struct PostedMessage {
  UINT message;
  WPARAM wParam;
  DWORD tick;
};

class ReaderSession {
 public:
  ReaderSession();
  ~ReaderSession();
  ReaderSession(const ReaderSession&) = delete;
  ReaderSession& operator=(const ReaderSession&) = delete;

  // Opens the port named `com` ("COM1:") at `speed` bps, 8 data bits, no
  // parity, one stop bit, as the Setup page opens the receiver's port.
  bool Open(LPCWSTR com, DWORD speed);
  // A new reader on the open port, reading 1024 bytes a poll as the Setup
  // page's does; the one before it is stopped and destroyed. The caller may
  // set it up (demo mode) before Start.
  CGPSReadThread& Create();
  // Starts the reader Create made, or a new one when it was not called since
  // the last start; returns once the reader polls (StartThread), false when
  // its thread cannot be created.
  bool Start();
  // Asks the running reader to stop and returns once its loop has ended
  // (StopThread); nothing when no reader runs.
  void Stop();
  // Stop, then waits for the reader's thread to end; its exit code (0 when
  // none ran). The reader stays, for its record, until the next Create.
  int StopAndJoin();
  // Hands the messages posted to this thread to their windows.
  void Deliver();

  // The reader (nullptr before the first Create or Start), what the window
  // received so far, and the parts the reader is made with.
  CGPSReadThread* Reader() { return m_reader.get(); }
  std::vector<PostedMessage>& Received() { return m_window.received; }
  const std::vector<PostedMessage>& Received() const { return m_window.received; }
  CWndHandle* Owner() { return &m_owner; }
  CSerialCom* Serial() { return &m_serial; }
  HANDLE StartEvent() const { return m_hStart; }
  HANDLE StopEvent() const { return m_hStop; }

 private:
  // Records every message it receives: the reader posts it WM_GPSUPDATE and
  // WM_GPSLOST, and nothing else should arrive.
  class RecordingWindow : public CoreWindow {
   public:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM) override;
    std::vector<PostedMessage> received;
  };

  RecordingWindow m_window;
  CWndHandle m_owner;
  HANDLE m_hStart = nullptr;
  HANDLE m_hStop = nullptr;
  CSerialCom m_serial;
  std::unique_ptr<CGPSReadThread> m_reader;
  bool m_started = false;  // Start ran on m_reader
  bool m_running = false;  // and Stop did not yet
};
