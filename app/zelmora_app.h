// CZelmoraApp: the application. Its start-up runs the whole program: the
// property sheet with the Setup, GPS Info and About pages, shown modally,
// then the teardown; it reports start-up as failed so that the process ends
// without a message loop of its own.
#pragma once

#include "platform/afx/afx.h"

class CZelmoraApp : public CWinApp {
 public:
  CZelmoraApp();
  ~CZelmoraApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;
};
