#include "pages/setup_page.h"

#include <cstdlib>
#include <ctime>
#include <optional>

#include "acquisition/gps_read_thread.h"
#include "layout/dialog_layout.h"
#include "pages/gps_update.h"
#include "pages/gps_info_page.h"
#include "display/ttff_text.h"
#include "platform/core/clock.h"
#include "platform/core/config_files.h"
#include "platform/core/last_error.h"
#include "platform/core/network_port.h"
#include "platform/core/numbers.h"
#include "platform/core/resources.h"
#include "platform/core/utf8.h"
#include "platform/ui/ui_application.h"
#include "receivers/receiver_family.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "session/port_list.h"
#include "session/decoding_mode.h"
#include "session/receiver_scan.h"
#include "session/recording_request.h"
#include "session/setup_settings.h"

namespace {

constexpr UINT kStartDelayMs = 100;     // after a Start GPS click
constexpr UINT kRestartDelayMs = 1500;  // after a failed open the user retries, or a lost receiver
constexpr UINT kPortRefreshMs = 3000;
constexpr int kReadBufferSize = 1024;  // bytes per read, and the raw text's length

// The recording's file below the Record button: its folder (the home
// folder written "~"), and its name on a second line.
std::wstring RecordFileText(const std::string& path) {
  const char* home = std::getenv("HOME");
  const std::wstring shown = Utf8ToWide(PathFromHome(path, home != nullptr ? home : ""));
  const std::size_t slash = shown.rfind(L'/');
  return slash == std::wstring::npos ? shown : shown.substr(0, slash + 1) + L"\n" + shown.substr(slash + 1);
}

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
  DDX_Control(dx, IDC_SETUP_RECORD, m_btnRecord);
  DDX_Control(dx, IDC_SETUP_RECORD_FILE, m_stRecordFile);
}

BOOL CGeneralPpg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  FillPortList(m_cbPort, m_strPort);
  m_strBaudRate = FormatText(L"%d", {m_nBaudRate});
  m_btnStartStop.SetWindowText(AfxLoadString(IDS_START_GPS).c_str());
  // Screen readers' name of the raw box, which has no caption.
  SetWindowAccessibleName(::GetDlgItem(m_hWnd, IDC_SETUP_RAW_TEXT), L"Raw sentences");
  // The handheld's $GP-only look has no recording controls (--record still
  // records).
  if (GpsOnlyDecoding(m_nGpsOnly)) {
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SETUP_RECORD), SW_HIDE);
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_SETUP_RECORD_FILE), SW_HIDE);
  }
  UpdateData(FALSE);
  ShowSpeedApplies();
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
  ShowRecordLook();
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
    log(baudRate == 0
            ? FormatText(AfxLoadString(IDS_SCAN_TRYING_NETWORK).c_str(), {device})
            : FormatText(AfxLoadString(IDS_SCAN_TRYING).c_str(), {device.c_str(), static_cast<int>(baudRate)}));
  };
  hooks.listen = [&](DWORD ms) { return !(bCancelled = !WaitPumpingMessages(ms)); };
  const std::optional<ReceiverFound> found =
      ScanForReceiver(list, bGpsOnly ? ScanTalkers::GpsOnly : ScanTalkers::Any, hooks);
  if (found) {
    m_cbPort.GetLBText(found->entry, m_strPort);
    // A network source has no speed: the speed shown stays as it was.
    if (found->baudRate != 0) m_strBaudRate = FormatText(L"%d", {static_cast<int>(found->baudRate)});
    UpdateData(FALSE);
    ShowSpeedApplies();
    log(found->baudRate == 0 ? FormatText(AfxLoadString(IDS_SCAN_FOUND_NETWORK).c_str(), {DeviceNameOf(m_strPort)})
                             : FormatText(AfxLoadString(IDS_SCAN_FOUND).c_str(),
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
    m_qualityEpochs.Reset();
    SetTimer(IDT_START_GPS, kStartDelayMs, nullptr);
  }
}

void CGeneralPpg::OnTimer(UINT_PTR nIDEvent) {
  // The scan walks the port list and owns the ports meanwhile; both timers
  // come again after it.
  if (m_bScanning) return;
  if (nIDEvent == IDT_PORT_REFRESH) {
    if (m_cbPort.IsWindowEnabled()) {
      RefreshPortList(m_cbPort);
      ShowSpeedApplies();
    }
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

  if (!bOpened && dwOpenError == ERROR_OPERATION_ABORTED) {
    // The user gave up a network open that waited (Escape): nothing to say.
  } else if (!bOpened) {
    AfxMessageBox(CannotOpenText(dwOpenError).c_str(), MB_ICONEXCLAMATION | MB_OK);
    if (AfxMessageBox(IDS_TRY_AGAIN, MB_ICONQUESTION | MB_YESNO) == IDYES) {
      SetTimer(IDT_START_GPS, kRestartDelayMs, nullptr);
    }
  } else {
    m_pReadThread = new CGPSReadThread(this, &m_serial, kReadBufferSize, m_hStartEvent, m_hStopEvent);
    m_pStatusPage->m_pReadThread = m_pReadThread;
    m_pReadThread->m_pTap = &m_tap;
    m_pReadThread->m_pRecorder = &m_recorder;
    m_pReadThread->m_pDecodeSink = &m_qualityEpochs;
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
  // --record: the first session that opens its port is recorded; a
  // reconnect goes on with the recording that runs.
  if (m_pReadThread != nullptr && !m_recorder.Recording()) {
    if (const std::string path = TakeRequestedRecording(); !path.empty()) StartRecording(path);
  }
}

void CGeneralPpg::StopGps() {
  // A reconnect still pending belongs to the session the user stops here.
  KillTimer(IDT_START_GPS);
  EndSession();
  StopRecording();
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
  m_cbBaudRate.EnableWindow(!bRunning && !SelectedPortIsNetwork());
  m_btnScan.EnableWindow(!bRunning);
  m_btnStartStop.SetWindowText(AfxLoadString(bRunning ? IDS_STOP_GPS : IDS_START_GPS).c_str());
  m_btnColdStart.EnableWindow(bRunning);
  ShowRecordLook();
}

void CGeneralPpg::OnRecord() {
  if (m_recorder.Recording()) {
    StopRecording();
    return;
  }
  if (!SessionRunning()) return;
  const std::string folder = DataDirectory();
  if (folder.empty()) {
    AfxMessageBox(
        FormatText(AfxLoadString(IDS_RECORD_CANNOT_START), {L"neither XDG_DATA_HOME nor HOME is set"}).c_str(),
        MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  StartRecording(NewRecordingPath(folder, std::time(nullptr), m_strPort));
}

void CGeneralPpg::StartRecording(const std::string& path) {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%SZ", &utc);
  const unsigned speed = SelectedPortIsNetwork() ? 0 : static_cast<unsigned>(m_nBaudRate);
  const RecordingHeader header{date, WideToUtf8(m_strPort), speed, "Zelmora " + ModuleFileVersion(nullptr)};
  std::string error;
  if (!m_recorder.Start(path, header, GetTickCount(), &error)) {
    m_strRecordText.clear();
    ShowRecordLook();
    AfxMessageBox(FormatText(AfxLoadString(IDS_RECORD_CANNOT_START), {Utf8ToWide(error)}).c_str(),
                  MB_ICONEXCLAMATION | MB_OK);
    return;
  }
  m_strRecordText = RecordFileText(path);
  ShowRecordLook();
}

void CGeneralPpg::StopRecording() {
  // A recording that ended on its own meanwhile still has its message.
  m_recorder.Stop();
  CheckRecording();
  ShowRecordLook();
}

void CGeneralPpg::CheckRecording() {
  const std::string failure = m_recorder.TakeFailure();
  if (failure.empty()) return;
  m_recorder.Stop();
  ShowRecordLook();
  const char* home = std::getenv("HOME");
  const std::wstring file = Utf8ToWide(PathFromHome(m_recorder.Path(), home != nullptr ? home : ""));
  AfxMessageBox(FormatText(AfxLoadString(IDS_RECORD_FAILED), {file, Utf8ToWide(failure)}).c_str(),
                MB_ICONEXCLAMATION | MB_OK);
}

void CGeneralPpg::ShowRecordLook() {
  const bool recording = m_recorder.Recording();
  m_btnRecord.SetWindowText(AfxLoadString(recording ? IDS_STOP_RECORD : IDS_RECORD).c_str());
  m_btnRecord.EnableWindow(recording || m_btnColdStart.IsWindowEnabled());
  std::wstring current;
  m_stRecordFile.GetWindowText(current);
  if (current != m_strRecordText) m_stRecordFile.SetWindowText(m_strRecordText.c_str());
}

BOOL CGeneralPpg::SelectedPortIsNetwork() const {
  const int selection = m_cbPort.GetCurSel();
  if (selection < 0) return FALSE;
  std::wstring label;
  m_cbPort.GetLBText(selection, label);
  return IsNetworkPort(DeviceNameOf(label)) ? TRUE : FALSE;
}

void CGeneralPpg::ShowSpeedApplies() {
  const BOOL bNetwork = SelectedPortIsNetwork();
  m_cbBaudRate.EnableWindow(!bNetwork && m_cbPort.IsWindowEnabled());
  SetWindowAccessibleDescription(m_cbBaudRate.m_hWnd,
                                 bNetwork ? L"The speed does not apply to a network source." : L"");
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
  // gpsd's devices, when it has none of the name or several.
  const std::wstring devices = Utf8ToWide(NetworkOpenDetail());
  switch (dwError) {
    case ERROR_CONNECTION_REFUSED:
      reason = IDS_OPEN_REFUSED;
      break;
    case WSAHOST_NOT_FOUND:
    case ERROR_HOST_UNREACHABLE:
      reason = IDS_OPEN_NO_HOST;
      break;
    case ERROR_TIMEOUT:
      reason = IDS_OPEN_TIMED_OUT;
      break;
    case ERROR_BAD_NET_RESP:
      reason = IDS_OPEN_NOT_GPSD;
      break;
    case ERROR_DEV_NOT_EXIST:
      return text + L"\n" + FormatText(AfxLoadString(IDS_OPEN_GPSD_NO_DEVICE), {devices.empty() ? L"-" : devices});
    case ERROR_AMBIGUOUS_SYSTEM_DEVICE:
      return text + L"\n" + FormatText(AfxLoadString(IDS_OPEN_GPSD_SEVERAL), {devices});
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
  CountQualityEpochs();
  ShowGpsGroup(*m_pStatusPage, record, wParam);
  ShowRawText(record.m_strRawText);
  CheckRecording();
  return 0;
}

void CGeneralPpg::CountQualityEpochs() {
  for (const QueuedEpoch& queued : m_qualityEpochs.Take()) m_quality.AddEpoch(queued.epoch, queued.nTickMs);
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
    const BOOL bSent = m_serial.Write(bytes.data(), static_cast<DWORD>(bytes.size()), &dwWritten);
    m_pReadThread->AppendRawText(
        !bSent && GetLastError() == ERROR_WRITE_PROTECT
            ? AfxLoadString(IDS_READ_ONLY_SENT_NOTHING)
            : FormatText(AfxLoadString(IDS_COLD_START_SENT).c_str(),
                         {Utf8ToWide(std::string(pFamily->name)), static_cast<int>(bytes.size())}),
        kReadBufferSize);
    ShowRawText(m_pReadThread->Snapshot().m_strRawText);
    return;
  }
  // SiRF input message 104: navigation initialisation, reset configuration 4
  // (cold start), sent without its terminating zero.
  char szColdStart[] = "$PSRF104,0,0,0,96000,237759,1946,12,4*1D\r\n";
  static_assert(sizeof(szColdStart) == 43);
  if (!m_serial.Write(szColdStart, 42, &dwWritten) && GetLastError() == ERROR_WRITE_PROTECT &&
      m_pReadThread != nullptr && !GpsOnlyDecoding(m_nGpsOnly)) {
    // A network source that takes no bytes (gpsd, UDP): the raw box says so.
    m_pReadThread->AppendRawText(AfxLoadString(IDS_READ_ONLY_SENT_NOTHING), kReadBufferSize);
    ShowRawText(m_pReadThread->Snapshot().m_strRawText);
  }
}

BOOL CGeneralPpg::SessionRunning() const { return m_btnColdStart.IsWindowEnabled(); }

BOOL CGeneralPpg::WriteToReceiver(const std::string& bytes) {
  if (m_serial.m_hCom == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_DEVICE_NOT_CONNECTED);
    return FALSE;
  }
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
                                  OnCbnSelchange(IDC_SETUP_PORT, &CGeneralPpg::ShowSpeedApplies),
                                  OnBnClicked(IDC_SETUP_START_STOP, &CGeneralPpg::OnStartStop),
                                  OnWmTimer(&CGeneralPpg::OnTimer),
                                  OnMessage(WM_GPSUPDATE, &CGeneralPpg::OnGpsUpdate),
                                  OnMessage(WM_GPSLOST, &CGeneralPpg::OnGpsLost),
                                  OnBnClicked(IDC_SETUP_COLD_START, &CGeneralPpg::OnColdStart),
                                  OnBnClicked(IDC_SETUP_RECORD, &CGeneralPpg::OnRecord),
                                  OnWmDestroy(&CGeneralPpg::OnDestroy),
                              }};
  return &map;
}
