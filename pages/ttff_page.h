// CTtffPpg: the TTFF page. Over the Setup page's running session it names
// the receiver (passively from its sentences, or by the probes of
// ttff/identification.h on Identify) and runs the time-to-first-fix test of
// ttff/ttff_runner.h: its start commands go out through the session's port,
// and the session's reads come back through the Setup page's tap, which is
// enabled only while a test or an identification runs and is drained every
// 200 ms. A reconnect of the session does not end the test. The finished
// test is saved as CSV (ttff/ttff_csv.h) and the file's place shown.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "acquisition/byte_lines.h"
#include "platform/afx/afx.h"

class CGeneralPpg;
class CIdentification;
class CTtffRunner;
struct ReceiverFamily;
struct TappedRead;

// The page's window timer: every 200 ms while a test or an identification runs.
constexpr UINT_PTR IDT_TTFF_POLL = 1;

class CTtffPpg : public CPropertyPage {
 public:
  static constexpr UINT kPollMs = 200;
  static constexpr int kDefaultRuns = 10;
  static constexpr int kDefaultTimeoutSeconds = 120;
  static constexpr int kLastRunsShown = 4;

  CTtffPpg();
  ~CTtffPpg() override;

  BOOL OnInitDialog() override;
  BOOL OnSetActive() override;
  void OnOK() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  // Whether a test (or the identification before one) runs.
  bool Testing() const { return m_pRunner != nullptr || m_bStartAfterIdentify; }
  bool Identifying() const { return m_pIdentification != nullptr; }
  // The last test's file, empty while none was saved.
  const std::string& SavedPath() const { return m_strSavedPath; }
  // The test under way or last finished, or null.
  const CTtffRunner* Runner() const { return m_pRunner ? m_pRunner.get() : m_pLastRunner.get(); }

  CGeneralPpg* m_pSetupPage;  // owner of the session, not owned
  // The seed of the waits between runs; 0 draws one from the clock.
  std::uint32_t m_nSeed = 0;

 protected:
  void OnSize(UINT type, int cx, int cy);
  void OnIdentify();
  void OnStartStop();
  void OnTimer(UINT_PTR nIDEvent);
  void OnDestroy();
  void DoDataExchange(CDataExchange* dx) override;

 private:
  // The family the page knows: the probe's answer, else the session's own.
  const ReceiverFamily* Family() const;
  // The family whose commands a test sends: Family(), or once the probes
  // found none, SiRF's, as the Setup page's Cold Start does for a receiver
  // that has not named its family.
  const ReceiverFamily* CommandFamily() const;
  void StartIdentification();
  void StartRunner();
  void StopTest();
  // Saves the runs, shows the summary and lets the tap go.
  void FinishTest();
  // Saves the runs of the test under way or just ended as CSV.
  void SaveRuns(const CTtffRunner& runner);
  // Hands the reads to the identification and, cut into lines with the tick
  // of their first byte, to the runner.
  void Feed(const TappedRead& read);
  void FillKinds();
  // Buttons' state and texts from the session and what runs.
  void ShowState();
  void ShowResults();
  void StopPolling();

  CComboBox m_cbKind;
  CComboBox m_cbRuns;
  CComboBox m_cbTimeout;
  CButton m_btnIdentify;
  CButton m_btnStartStop;
  CEdit m_editResults;

  std::unique_ptr<CIdentification> m_pIdentification;
  std::unique_ptr<CTtffRunner> m_pRunner;
  std::unique_ptr<CTtffRunner> m_pLastRunner;
  bool m_bStartAfterIdentify = false;
  const ReceiverFamily* m_pIdentified = nullptr;  // by probe, or passively by the identification
  bool m_bNoFamilyAnswered = false;               // the last identification found none
  bool m_bIdentified = false;                     // an identification finished
  std::string m_strVersion;
  const ReceiverFamily* m_pKindsFamily = nullptr;  // whose kinds the combo lists
  bool m_bKindsFilled = false;
  CByteLines m_lines;      // the session's lines, for the test
  DWORD m_dwRunStart = 0;  // when the current run's command went out
  int m_nCommands = 0;     // commands written in this test
  std::int64_t m_nTestStartUtcMs = 0;
  std::string m_strSavedPath;
  std::wstring m_strMessage;    // the results box's message line(s)
  std::wstring m_strSavedText;  // where the runs went, or why not
  std::wstring m_strElapsed;
};
