#include "pages/setup_page.h"

#include <optional>

#include "acquisition/gps_read_thread.h"
#include "layout/dialog_layout.h"
#include "pages/gps_update.h"
#include "pages/gps_info_page.h"
#include "platform/core/clock.h"
#include "platform/core/last_error.h"
#include "platform/core/numbers.h"
#include "platform/core/utf8.h"
#include "platform/ui/ui_application.h"
#include "receivers/receiver_family.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "session/port_list.h"
#include "session/decoding_mode.h"
#include "session/receiver_scan.h"
#include "session/setup_settings.h"

namespace {

constexpr UINT kStartDelayMs = 100;     // after a Start GPS click
constexpr UINT kRestartDelayMs = 1500;  // after a failed open the user retries, or a lost receiver
constexpr UINT kPortRefreshMs = 3000;
constexpr int kReadBufferSize = 1024;  // bytes per read, and the raw text's length

}  // namespace

CGeneralPpg::CGeneralPpg()
    : CPropertyPage(IDD_SETUP_PORTRAIT),
      m_pStatusPage(nullptr),
      m_pReadThread(nullptr),
      m_hStartEvent(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      m_hStopEvent(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      m_nBaudRate(0),
      m_nDemoMode(0) {
  const SetupSettings settings = ReadSetupSettings(*AfxGetApp());
  m_strPort = settings.strPort;
  m_nBaudRate = settings.nBaudRate;
  m_nDemoMode = settings.nDemoMode;
  m_nGpsOnly = settings.nGpsOnly;
}

CGeneralPpg::~CGeneralPpg() {
  CloseHandle(m_hStartEvent);
  CloseHandle(m_hStopEvent);
}

void CGeneralPpg::DoDataExchange(CDataExchange* dx) {
  DDX_CBStringExact(dx, IDC_SETUP_PORT, m_strPort);
  DDX_Control(dx, IDC_SETUP_PORT, m_cbPort);
  DDX_CBStringExact(dx, IDC_SETUP_BAUD, m_strBaudRate);
  DDX_Control(dx, IDC_SETUP_BAUD, m_cbBaudRate);
  DDX_Control(dx, IDC_SETUP_SCAN, m_btnScan);
  DDX_Control(dx, IDC_SETUP_START_STOP, m_btnStartStop);
  DDX_Control(dx, IDC_SETUP_COLD_START, m_btnColdStart);
  DDX_Control(dx, IDC_SETUP_RAW_TEXT, m_editRaw);
}

BOOL CGeneralPpg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  FillPortList(m_cbPort, m_strPort);
  m_strBaudRate = FormatText(L"%d", {m_nBaudRate});
  m_btnStartStop.SetWindowText(AfxLoadString(IDS_START_GPS).c_str());
  // Screen readers' name of the raw box, which has no caption.
  SetWindowAccessibleName(::GetDlgItem(m_hWnd, IDC_SETUP_RAW_TEXT), L"Raw sentences");
  UpdateData(FALSE);
  SetTimer(IDT_PORT_REFRESH, kPortRefreshMs, nullptr);
  return TRUE;
}

void CGeneralPpg::OnOK() {
  m_nBaudRate = WriteSetupSettings(*AfxGetApp(), m_strPort, m_strBaudRate, m_nDemoMode);
  CPropertyPage::OnOK();
}

void CGeneralPpg::OnSize(UINT, int, int) {
  UINT layout = ChooseLayoutTemplate(IDD_SETUP_LANDSCAPE, IDD_SETUP_SQUARE, IDD_SETUP_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);
  m_btnStartStop.SetWindowText(AfxLoadString(m_btnColdStart.IsWindowEnabled() ? IDS_STOP_GPS : IDS_START_GPS).c_str());
}

void CGeneralPpg::OnScan() {
  BeginWaitCursor();
  m_btnScan.EnableWindow(FALSE);
  m_bScanning = TRUE;
  const bool bGpsOnly = GpsOnlyDecoding(m_nGpsOnly);
  const ScanPortList list{[this] { return m_cbPort.GetCount(); },
                          [this](int n) {
                            std::wstring text;
                            m_cbPort.GetLBText(n, text);
                            return text;
                          }};
  // The raw box, idle while no session runs, tells what the scan tries; the
  // handheld's look leaves it as it was.
  std::wstring strLog;
  const auto log = [&](const std::wstring& line) {
    if (bGpsOnly) return;
    strLog += line + L"\r\n";
    ShowRawText(strLog);
  };
  log(AfxLoadString(IDS_SCAN_STARTED));
  bool bCancelled = false;
  ScanHooks hooks;
  hooks.trying = [&](const std::wstring& device, DWORD baudRate) {
    log(FormatText(AfxLoadString(IDS_SCAN_TRYING).c_str(), {device.c_str(), static_cast<int>(baudRate)}));
  };
  hooks.listen = [&](DWORD ms) { return !(bCancelled = !WaitPumpingMessages(ms)); };
  const std::optional<ReceiverFound> found =
      ScanForReceiver(list, bGpsOnly ? ScanTalkers::GpsOnly : ScanTalkers::Any, hooks);
  if (found) {
    m_cbPort.GetLBText(found->entry, m_strPort);
    m_strBaudRate = FormatText(L"%d", {static_cast<int>(found->baudRate)});
    UpdateData(FALSE);
    log(FormatText(AfxLoadString(IDS_SCAN_FOUND).c_str(),
                   {DeviceNameOf(m_strPort).c_str(), static_cast<int>(found->baudRate)}));
  } else {
    log(AfxLoadString(bCancelled ? IDS_SCAN_CANCELLED : IDS_GPS_NOT_FOUND));
  }
  m_bScanning = FALSE;
  m_btnScan.EnableWindow(TRUE);
  EndWaitCursor();
  // A scan the user cancelled needs no message.
  if (!found && !bCancelled) AfxMessageBox(IDS_GPS_NOT_FOUND, MB_ICONEXCLAMATION | MB_OK);
}

void CGeneralPpg::OnStartStop() {
  // Whether a session runs is told by the Cold Start button alone.
  if (m_btnColdStart.IsWindowEnabled()) {
    StopGps();
  } else {
    m_quality.Reset();
    m_qualityEpochs = CEpochFeed();
    SetTimer(IDT_START_GPS, kStartDelayMs, nullptr);
  }
}

void CGeneralPpg::OnTimer(UINT_PTR nIDEvent) {
  // The scan walks the port list and owns the ports meanwhile; both timers
  // come again after it.
  if (m_bScanning) return;
  if (nIDEvent == IDT_PORT_REFRESH) {
    if (m_cbPort.IsWindowEnabled()) RefreshPortList(m_cbPort);
  } else {
    StartGps(nIDEvent);
  }
  CPropertyPage::OnTimer(nIDEvent);
}

void CGeneralPpg::StartGps(UINT_PTR nIDEvent) {
  KillTimer(nIDEvent);
  ShowRunningLook(TRUE);
  ShowRawText(L"");
  ClearStatusPage();

  UpdateData(TRUE);
  const std::wstring strDevice = DeviceNameOf(m_strPort);
  m_nBaudRate = WcsToLong(m_strBaudRate);
  BeginWaitCursor();
  const BOOL bOpened = m_serial.Open(strDevice.c_str(), static_cast<DWORD>(m_nBaudRate), 8, NOPARITY, ONESTOPBIT);
  const DWORD dwOpenError = bOpened ? ERROR_SUCCESS : GetLastError();
  EndWaitCursor();

  if (!bOpened) {
    AfxMessageBox(CannotOpenText(dwOpenError).c_str(), MB_ICONEXCLAMATION | MB_OK);
    if (AfxMessageBox(IDS_TRY_AGAIN, MB_ICONQUESTION | MB_YESNO) == IDYES) {
      SetTimer(IDT_START_GPS, kRestartDelayMs, nullptr);
    }
  } else {
    m_pReadThread = new CGPSReadThread(this, &m_serial, kReadBufferSize, m_hStartEvent, m_hStopEvent);
    m_pStatusPage->m_pReadThread = m_pReadThread;
    m_pReadThread->m_pTap = &m_tap;
    m_pReadThread->SetGpsOnly(GpsOnlyDecoding(m_nGpsOnly));
    if (m_nDemoMode != 0) {
      m_pReadThread->LoadDemoSentences();
      m_pReadThread->m_bDemo = TRUE;
    }
    // A thread the system will not give would leave the handshake waiting
    // for ever: the session ends here as if the port had not opened.
    if (!m_pReadThread->StartThread(m_hStartEvent)) {
      DropWorker();
      m_serial.Close();
      AfxMessageBox(IDS_CANNOT_OPEN_PORT, MB_ICONEXCLAMATION | MB_OK);
    }
  }
  ShowRunningLook(m_serial.m_hCom != INVALID_HANDLE_VALUE);
}

void CGeneralPpg::StopGps() {
  // A reconnect still pending belongs to the session the user stops here.
  KillTimer(IDT_START_GPS);
  EndSession();
  ShowRunningLook(FALSE);
}

void CGeneralPpg::EndSession() {
  if (m_pReadThread != nullptr) {
    m_pReadThread->StopThread(m_hStopEvent);
    DropWorker();
  }
  if (m_serial.m_hCom != INVALID_HANDLE_VALUE) m_serial.Close();
}

void CGeneralPpg::DropWorker() {
  CGPSReadThread* pWorker = m_pReadThread;
  m_pStatusPage->m_pReadThread = nullptr;
  m_pReadThread = nullptr;
  // The worker may still be on its way out of the thread after the stop
  // handshake; the object goes once the thread has ended.
  pWorker->Join();
  delete pWorker;
}

void CGeneralPpg::ShowRunningLook(BOOL bRunning) {
  m_cbPort.EnableWindow(!bRunning);
  m_cbBaudRate.EnableWindow(!bRunning);
  m_btnScan.EnableWindow(!bRunning);
  m_btnStartStop.SetWindowText(AfxLoadString(bRunning ? IDS_STOP_GPS : IDS_START_GPS).c_str());
  m_btnColdStart.EnableWindow(bRunning);
}

void CGeneralPpg::ClearStatusPage() {
  m_pStatusPage->SetDateTime(L"", L"");
  m_pStatusPage->SetSpeed(L"");
  m_pStatusPage->SetCourse(L"");
  m_pStatusPage->SetFix(L"");
  m_pStatusPage->SetLatitude(L"");
  m_pStatusPage->SetLongitude(L"");
  m_pStatusPage->SetAltitude(L"");
  m_pStatusPage->SetPdop(L"");
  m_pStatusPage->DrawSkyView(nullptr);
  m_pStatusPage->DrawSignalBars(nullptr);
}

std::wstring CGeneralPpg::CannotOpenText(DWORD dwError) const {
  std::wstring text = AfxLoadString(IDS_CANNOT_OPEN_PORT);
  if (GpsOnlyDecoding(m_nGpsOnly)) return text;
  UINT reason = IDS_OPEN_FAILED;
  switch (dwError) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_DEVICE_NOT_CONNECTED:
      reason = IDS_OPEN_NO_DEVICE;
      break;
    case ERROR_ACCESS_DENIED:
      reason = IDS_OPEN_DENIED;
      break;
    case ERROR_SHARING_VIOLATION:
      reason = IDS_OPEN_BUSY;
      break;
    case ERROR_INVALID_PARAMETER:
      reason = IDS_OPEN_NOT_SERIAL;
      break;
    default:
      break;
  }
  return text + L"\n" + FormatText(AfxLoadString(reason), {static_cast<int>(dwError)});
}

LRESULT CGeneralPpg::OnGpsUpdate(WPARAM wParam, LPARAM) {
  // Notices of a worker already given up find no worker and are dropped.
  if (m_pReadThread == nullptr) return 0;
  const GPSRecordData record = m_pReadThread->Snapshot();
  if (m_qualityEpochs.EndsEpoch(static_cast<int>(wParam))) m_quality.AddEpoch(EpochOfRecord(record), GetTickCount());
  ShowGpsGroup(*m_pStatusPage, record, wParam);
  ShowRawText(record.m_strRawText);
  return 0;
}

LRESULT CGeneralPpg::OnGpsLost(WPARAM, LPARAM) {
  // A notice still queued from a worker that was stopped meanwhile must not
  // start a session the user has ended.
  if (m_pReadThread == nullptr) return 0;
  EndSession();
  SetTimer(IDT_START_GPS, kRestartDelayMs, nullptr);
  return 0;
}

void CGeneralPpg::OnColdStart() {
  if (m_serial.m_hCom == INVALID_HANDLE_VALUE) return;
  DWORD dwWritten = 0;
  // A receiver whose own sentences named another family than SiRF gets its
  // family's cold start, which the raw box then mentions; the handheld's
  // $GP-only behaviour always sends its own.
  const ReceiverFamily* pFamily =
      (m_pReadThread != nullptr && !GpsOnlyDecoding(m_nGpsOnly)) ? m_pReadThread->Family() : nullptr;
  if (pFamily != nullptr && pFamily->id != "sirf") {
    const std::string bytes = StartCommandBytes(*pFamily, StartKind::Cold);
    m_serial.Write(bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten);
    m_pReadThread->AppendRawText(FormatText(AfxLoadString(IDS_COLD_START_SENT).c_str(),
                                            {Utf8ToWide(std::string(pFamily->name)), static_cast<int>(bytes.size())}),
                                 kReadBufferSize);
    ShowRawText(m_pReadThread->Snapshot().m_strRawText);
    return;
  }
  // SiRF input message 104: navigation initialisation, reset configuration 4
  // (cold start), sent without its terminating zero.
  char szColdStart[] = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";
  static_assert(sizeof(szColdStart) == 43);
  m_serial.Write(szColdStart, 42, &dwWritten);
}

BOOL CGeneralPpg::SessionRunning() const { return m_btnColdStart.IsWindowEnabled(); }

BOOL CGeneralPpg::WriteToReceiver(const std::string& bytes) {
  if (m_serial.m_hCom == INVALID_HANDLE_VALUE) return FALSE;
  DWORD offset = 0;
  while (offset < bytes.size()) {
    DWORD written = 0;
    if (!m_serial.Write(bytes.data() + offset, static_cast<DWORD>(bytes.size() - offset), &written) || written == 0) {
      return FALSE;
    }
    offset += written;
  }
  return TRUE;
}

const ReceiverFamily* CGeneralPpg::SessionFamily() const {
  return m_pReadThread != nullptr ? m_pReadThread->Family() : nullptr;
}

void CGeneralPpg::OnDestroy() {
  CPropertyPage::OnDestroy();
  KillTimer(IDT_PORT_REFRESH);
  KillTimer(IDT_START_GPS);
  StopGps();
}

void CGeneralPpg::ShowRawText(const std::wstring& text) {
  std::wstring current;
  m_editRaw.GetWindowText(current);
  if (current == text) return;
  m_editRaw.SetWindowText(text.c_str());
  const int nLines = m_editRaw.GetLineCount();
  const int nCaretLine = m_editRaw.LineIndex(-1);
  m_editRaw.LineScroll(nLines - nCaretLine);
  const int nLength = static_cast<int>(text.size());
  m_editRaw.SetSel(nLength, nLength);  // EM_SETSEL, then EM_SCROLLCARET
}

const AFX_MSGMAP* CGeneralPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                              {
                                  OnWmSize(&CGeneralPpg::OnSize),
                                  OnBnClicked(IDC_SETUP_SCAN, &CGeneralPpg::OnScan),
                                  OnBnClicked(IDC_SETUP_START_STOP, &CGeneralPpg::OnStartStop),
                                  OnWmTimer(&CGeneralPpg::OnTimer),
                                  OnMessage(WM_GPSUPDATE, &CGeneralPpg::OnGpsUpdate),
                                  OnMessage(WM_GPSLOST, &CGeneralPpg::OnGpsLost),
                                  OnBnClicked(IDC_SETUP_COLD_START, &CGeneralPpg::OnColdStart),
                                  OnWmDestroy(&CGeneralPpg::OnDestroy),
                              }};
  return &map;
}
