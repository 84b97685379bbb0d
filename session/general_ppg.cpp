#include "session/general_ppg.h"

#include <cstdio>

#include "app/layout/dialog_layout.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"

CGeneralPpg::CGeneralPpg()
    : CPropertyPage(IDD_SETUP_PORTRAIT),
      m_pStatusPage(nullptr),
      m_pReadThread(nullptr),
      m_hStartEvent(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      m_hStopEvent(CreateEventW(nullptr, FALSE, TRUE, nullptr)),
      m_nBaudRate(0),
      m_nDemoMode(0) {
  CWinApp* app = AfxGetApp();
  m_strPort = app->GetProfileString(L"", L"PortName", L"COM1:");
  m_nBaudRate = static_cast<int>(app->GetProfileInt(L"", L"BaudRate", 4800));
  m_nDemoMode = static_cast<int>(app->GetProfileInt(L"", L"DemoMode", 0));
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
  // The nine device names; the entry the saved port begins with is selected.
  for (int port = 1; port <= 9; ++port) {
    wchar_t name[8];
    std::swprintf(name, 8, L"COM%d:", port);
    int index = m_cbPort.AddString(name);
    if (m_strPort.rfind(name, 0) == 0) m_cbPort.SetCurSel(index);
  }
  wchar_t speed[16];
  std::swprintf(speed, 16, L"%d", m_nBaudRate);
  m_strBaudRate = speed;
  m_btnStartStop.SetWindowText(AfxLoadString(IDS_START_GPS).c_str());
  UpdateData(FALSE);
  return TRUE;
}

void CGeneralPpg::OnSize(UINT, int, int) {
  UINT layout = ChooseLayoutTemplate(IDD_SETUP_LANDSCAPE, IDD_SETUP_SQUARE, IDD_SETUP_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);
  m_btnStartStop.SetWindowText(AfxLoadString(m_btnColdStart.IsWindowEnabled() ? IDS_STOP_GPS : IDS_START_GPS).c_str());
}

const AFX_MSGMAP* CGeneralPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(), {
      OnWmSize(&CGeneralPpg::OnSize),
  }};
  return &map;
}
