// Pages for the framework's tests, built on the program's templates, that
// log what the framework does to them.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/afx.h"

// What happened to the test pages, in order ("About:init", "About:ok" ...).
std::vector<std::string>& PageLog();

// A page on the About templates that logs its initialisation, activation,
// OK and destruction, and the sizes it is given.
class CLoggingPage : public CPropertyPage {
 public:
  CLoggingPage(UINT templateId, std::string name);

  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnSetActive() override;
  BOOL OnKillActive() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  bool m_bRefuseLeaving = false;
  int m_nSizes = 0;

 protected:
  void OnSize(UINT type, int cx, int cy);
  void OnDestroy();

 private:
  std::string m_name;
};

// The Setup template's combo boxes exchanged by exact text.
class CComboPage : public CPropertyPage {
 public:
  CComboPage();

  std::wstring m_strPort;
  std::wstring m_strBaudRate;
  std::wstring m_strLabel;
  CComboBox m_cbPort;
  CComboBox m_cbBaudRate;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
};
