// CGeneralPpg: the Setup page. It holds the port and speed, the receiver
// scan, the session's Start/Stop and Cold Start buttons and the box of raw
// sentences, and follows the screen's shape. It owns the GPS session: the
// port and the reader thread that reads it, which reports back with
// WM_GPSUPDATE and WM_GPSLOST.
#pragma once

#include <string>

#include "acquisition/read_tap.h"
#include "acquisition/session_recorder.h"
#include "platform/afx/afx.h"
#include "quality/quality_statistics.h"
#include "quality/epoch_queue.h"
#include "serial/serial_com.h"

class CGPSReadThread;
struct ReceiverFamily;
class CStatusPpg;

// The page's window timers.
constexpr UINT_PTR IDT_PORT_REFRESH = 1;  // every 3000 ms: port labels, while no session runs
constexpr UINT_PTR IDT_START_GPS = 2;     // one-shot: the deferred session start

class CGeneralPpg : public CPropertyPage {
 public:
  // Creates the two handshake events and reads the settings.
  CGeneralPpg();
  ~CGeneralPpg() override;

  BOOL OnInitDialog() override;
  // Writes the settings.
  void OnOK() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // Shows `text` in the raw sentence box, scrolled to its end; a text equal
  // to the box's leaves the box alone.
  void ShowRawText(const std::wstring& text);

  // Whether a session runs (or waits to reconnect after the receiver fell
  // silent): the user has started GPS and not stopped it.
  BOOL SessionRunning() const;
  // Writes `bytes` to the receiver through the session's port; FALSE when
  // no port is open (between reconnects: ERROR_DEVICE_NOT_CONNECTED) or the
  // write failed (a read-only network source: ERROR_WRITE_PROTECT).
  BOOL WriteToReceiver(const std::string& bytes);
  // Whether the session's port is open now (not between reconnects).
  BOOL PortOpen() const { return m_serial.m_hCom != INVALID_HANDLE_VALUE; }
  // The family the running session's sentences named, or null.
  const ReceiverFamily* SessionFamily() const;

  // Every reader of the session copies its reads here; it keeps them only
  // while enabled (the TTFF page enables it while it tests or identifies).
  // Each new reader after a reconnect is given the same tap.
  CReadTap m_tap;
  // Every reader of the session also hands its reads to the recorder, which
  // keeps them in a file while a recording runs (Record, or --record).
  CSessionRecorder m_recorder;

  // The positioning figures of the session: every epoch (each RMC) of the
  // running session is counted here, whichever page is in front; starting
  // GPS starts them afresh. The Accuracy page shows them. The reader's
  // thread queues the epochs as it decodes them; each announcement of the
  // record, and the Accuracy page before it reads, counts those queued.
  CQualityStatistics m_quality;
  CEpochQueue m_qualityEpochs;
  void CountQualityEpochs();

  CStatusPpg* m_pStatusPage;      // the GPS Info page, not owned
  CSerialCom m_serial;            // the session's port; closed while none runs
  CGPSReadThread* m_pReadThread;  // the running session's worker, or null
  HANDLE m_hStartEvent;           // the workers' start handshake
  HANDLE m_hStopEvent;            // the workers' stop handshake
  std::wstring m_strPort;         // the port's label ("COM1: serial8250")
  int m_nBaudRate;
  std::wstring m_strBaudRate;  // the speed as the baud list shows it
  int m_nDemoMode;             // non-zero: canned sentences replace the received ones
  int m_nGpsOnly = 0;          // the saved GpsOnly setting: non-zero decodes $GP sentences only
  CComboBox m_cbPort;
  CComboBox m_cbBaudRate;
  CButton m_btnScan;
  CButton m_btnStartStop;
  CButton m_btnColdStart;
  CEdit m_editRaw;
  CButton m_btnRecord;
  CStatic m_stRecordFile;

 protected:
  void DoDataExchange(CDataExchange* dx) override;

  // The layout switch; button 1011 gets its caption back afterwards.
  void OnSize(UINT type, int cx, int cy);
  // Searches the ports at seven speeds for a receiver. The window keeps
  // painting while the scan listens; the user's input is held off, and
  // Escape cancels the scan.
  void OnScan();
  // Stops a running session, or starts one 100 ms from now.
  void OnStartStop();
  // Timer 1 refreshes the port list; any other timer is the start step.
  void OnTimer(UINT_PTR nIDEvent);
  // Shows an announced group on the GPS Info page and the raw text here.
  LRESULT OnGpsUpdate(WPARAM wParam, LPARAM lParam);
  // The receiver fell silent: the session is rebuilt 1500 ms from now.
  LRESULT OnGpsLost(WPARAM wParam, LPARAM lParam);
  // Sends the receiver the cold-start sentence.
  void OnColdStart();
  // Starts a recording of the running session into a new file of the data
  // folder, or ends the recording that runs.
  void OnRecord();
  void OnDestroy();

 private:
  // Opens the chosen port and starts a worker on it (timer 2).
  void StartGps(UINT_PTR nIDEvent);
  // Stops the worker, closes the port and shows the stopped look.
  void StopGps();
  // Stops the worker and closes the port, leaving the controls alone.
  void EndSession();
  // Lets go of the worker: clears both pointers to it, waits for its thread
  // to end and destroys it.
  void DropWorker();
  // The two looks of the controls: running (port and speed fixed, Stop GPS,
  // Cold Start) and stopped.
  void ShowRunningLook(BOOL bRunning);
  // Whether the chosen port is a network source, whose speed does not apply.
  BOOL SelectedPortIsNetwork() const;
  // The speed list is disabled while a network source is chosen (and while
  // a session runs), with a description that says why for screen readers.
  void ShowSpeedApplies();
  // Empties every field and view of the GPS Info page.
  void ClearStatusPage();
  // The message of a failed open: "Can not open port." and, unless the
  // handheld's $GP-only behaviour is chosen, a line with the system's reason.
  std::wstring CannotOpenText(DWORD dwError) const;

  // Starts recording the session into `path`; a message when it cannot.
  void StartRecording(const std::string& path);
  // Ends a running recording; the file line still says where it is.
  void StopRecording();
  // A recording that ended on its own (full disk, removed folder): its
  // message, once.
  void CheckRecording();
  // The Record button's caption and state, and the file line.
  void ShowRecordLook();

  BOOL m_bScanning = FALSE;
  std::wstring
      m_strRecordText;  // the recording's folder and file  // a scan is pumping messages: timers wait for its end
};
