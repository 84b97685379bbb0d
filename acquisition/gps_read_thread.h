// The reader thread: the only reader of the serial port while a session
// runs. Every 200 ms it takes what the port has received, cuts it into lines,
// publishes each line to the raw text at once, decodes it into the GPS data
// record, and announces the decoded groups at most about once a second.
// When bytes arrive for three seconds without one checksum-valid sentence
// (the receiver talks at another speed), the raw text is a two-line hint
// instead ("No NMEA sentences at 4800 bps." / "Wrong speed? Try Scan.", with
// the port's speed) until the first sentence replaces it. Until it knows
// the receiver's family, it also looks at what the receiver sends anyway
// (proprietary sentences, banners, UBX frames) to name it. Every read also
// goes to its tap, which keeps it only while enabled, and to its recorder,
// which keeps it only while recording. It reports to the
// Setup page only by posted messages and never waits for the user
// interface.
#pragma once

#include <atomic>

#include "acquisition/gps_messages.h"
#include "acquisition/gps_record.h"
#include "platform/core/win_thread.h"
#include "platform/core/wnd_handle.h"
#include "receivers/receiver_family.h"

class CDecodeSink;
class CReadTap;
class CSerialCom;
class CSessionRecorder;

class CGPSReadThread : public CWinThread, public CGPSRecord {
 public:
  // The owner window, the open port, the bytes per read (also the raw
  // text's character cap) and the two handshake events, which stay the
  // owner's. Puts the start event into the non-signalled state.
  CGPSReadThread(CWndHandle* pParent, CSerialCom* pSerial, int nBufSize, HANDLE hStartEvent, HANDLE hStopEvent);
  ~CGPSReadThread() override;

  BOOL InitInstance() override;
  int Run() override;
  int ExitInstance() override;

  // Creates the thread and returns once its polling loop runs; FALSE at once
  // when the thread cannot be created.
  BOOL StartThread(HANDLE hStartEvent);
  BOOL RequestStop();
  // Asks the loop to end and returns once it has (within one poll).
  BOOL StopThread(HANDLE hStopEvent);

  CWndHandle* m_pParent;
  CSerialCom* m_pSerial;
  int m_nBufSize;
  HANDLE m_hStartEvent;
  HANDLE m_hStopEvent;
  std::atomic<BOOL> m_bStop{FALSE};
  // Where the reads are copied with their ticks, or null; set before
  // StartThread and kept by the owner for the worker's whole life.
  CReadTap* m_pTap = nullptr;
  // Where the reads are recorded, or null; set and kept as m_pTap is.
  CSessionRecorder* m_pRecorder = nullptr;
  // Told of every decoded line, or null; set and kept as m_pTap is.
  CDecodeSink* m_pDecodeSink = nullptr;

  // The receiver's family as its own sentences or frames named it in this
  // session, or null while they have not. Safe from any thread.
  const ReceiverFamily* Family() const { return m_pFamily.load(); }

 private:
  void Post(UINT message, WPARAM wParam) const;
  // Names the family from a received line, once.
  void RecogniseFamily(const std::wstring& line);

  std::atomic<const ReceiverFamily*> m_pFamily{nullptr};
};
