// CGeneralPpg: the Setup page. It holds the port and speed, the receiver
// scan, the session's Start/Stop and Cold Start buttons and the box of raw
// sentences, and follows the screen's shape.
#pragma once

#include <string>

#include "platform/afx/afx.h"
#include "serial/serial_com.h"

class CGPSReadThread;
class CStatusPpg;

class CGeneralPpg : public CPropertyPage {
 public:
  CGeneralPpg();
  ~CGeneralPpg() override;

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  CStatusPpg* m_pStatusPage;      // the GPS Info page, not owned
  CSerialCom m_serial;            // the session's port
  CGPSReadThread* m_pReadThread;  // the running session's worker, or null
  HANDLE m_hStartEvent;           // start and stop handshakes with the worker
  HANDLE m_hStopEvent;
  std::wstring m_strPort;         // device name of the chosen port ("COM1:")
  int m_nBaudRate;
  std::wstring m_strBaudRate;     // the speed as the baud list shows it
  int m_nDemoMode;
  CComboBox m_cbPort;
  CComboBox m_cbBaudRate;
  CButton m_btnScan;
  CButton m_btnStartStop;
  CButton m_btnColdStart;
  CEdit m_editRaw;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  // The layout switch; button 1011 gets its caption back afterwards.
  void OnSize(UINT type, int cx, int cy);
};
