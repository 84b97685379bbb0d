#include "test_pages.h"

#include "resources/resource_ids.h"

std::vector<std::string>& PageLog() {
  static std::vector<std::string> log;
  return log;
}

CLoggingPage::CLoggingPage(UINT templateId, std::string name) : CPropertyPage(templateId), m_name(std::move(name)) {}

BOOL CLoggingPage::OnInitDialog() {
  PageLog().push_back(m_name + ":init");
  return CPropertyPage::OnInitDialog();
}

void CLoggingPage::OnOK() { PageLog().push_back(m_name + (::IsWindow(m_hWnd) ? ":ok" : ":ok-without-window")); }

BOOL CLoggingPage::OnSetActive() {
  PageLog().push_back(m_name + ":active");
  return CPropertyPage::OnSetActive();
}

BOOL CLoggingPage::OnKillActive() {
  PageLog().push_back(m_name + ":leave");
  return m_bRefuseLeaving ? FALSE : CPropertyPage::OnKillActive();
}

void CLoggingPage::OnSize(UINT, int, int) { ++m_nSizes; }

void CLoggingPage::OnDestroy() {
  PageLog().push_back(m_name + ":destroy");
  CPropertyPage::OnDestroy();
}

const AFX_MSGMAP* CLoggingPage::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                              {
                                  OnWmSize(&CLoggingPage::OnSize),
                                  OnWmDestroy(&CLoggingPage::OnDestroy),
                              }};
  return &map;
}

CComboPage::CComboPage() : CPropertyPage(IDD_SETUP_PORTRAIT) {}

void CComboPage::DoDataExchange(CDataExchange* dx) {
  DDX_CBStringExact(dx, IDC_SETUP_PORT, m_strPort);
  DDX_Control(dx, IDC_SETUP_PORT, m_cbPort);
  DDX_CBStringExact(dx, IDC_SETUP_BAUD, m_strBaudRate);
  DDX_Control(dx, IDC_SETUP_BAUD, m_cbBaudRate);
  DDX_Text(dx, IDC_SETUP_PORT_LABEL, m_strLabel);
}
