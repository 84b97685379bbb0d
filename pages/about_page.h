// CAboutPpg: the About page. It shows the logo above the version line and
// the maker's notice of its template and follows the screen's shape.
#pragma once

#include "platform/afx/afx.h"

class CAboutPpg : public CPropertyPage {
 public:
  CAboutPpg();
  ~CAboutPpg() override;

  BOOL OnInitDialog() override;
  void OnOK() override;

  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  // The layout switch: the template for the screen's shape.
  void OnSize(UINT type, int cx, int cy);
  // The logo from bitmap 128 at (11, 10), doubled at (22, 20) on screens
  // wider than 320 pixels.
  void OnPaint();
};
