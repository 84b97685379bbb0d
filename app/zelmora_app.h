// CZelmoraApp: the application. Its start-up runs the whole program: the
// property sheet with the Setup, GPS Info, TTFF, Accuracy and About pages, shown modally,
// then the teardown; it reports start-up as failed so that the process ends
// without a message loop of its own.
#pragma once

#include <optional>

#include "platform/afx/afx.h"
#include "quality/local_tangent_plane.h"

class CZelmoraApp : public CWinApp {
 public:
  CZelmoraApp();
  ~CZelmoraApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

  // The point the Accuracy page measures from (--reference), or nothing for
  // the mean of the fixes.
  std::optional<Geodetic> m_reference;
};
