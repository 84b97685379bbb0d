// CStatusPpg: the GPS Info page. It shows the nine texts the Setup page
// hands it and the satellite view, and follows the screen's shape.
#pragma once

#include <string>

#include "platform/afx/afx.h"

class CGPSReadThread;

class CStatusPpg : public CPropertyPage {
 public:
  CStatusPpg();
  ~CStatusPpg() override;

  const AFX_MSGMAP* GetMessageMap() const override;

  CGPSReadThread* m_pReadThread;  // the running reader thread, not owned

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  // The layout switch; the value fields get their texts back afterwards.
  void OnSize(UINT type, int cx, int cy);

 private:
  std::wstring m_strDate;
  std::wstring m_strTime;
  std::wstring m_strSpeed;
  std::wstring m_strCourse;
  std::wstring m_strFix;
  std::wstring m_strLatitude;
  std::wstring m_strLongitude;
  std::wstring m_strAltitude;
  std::wstring m_strPdop;
  HBRUSH m_brSlot;
  HBRUSH m_brUsed;
  HBRUSH m_brNotUsed;
  HBRUSH m_brNull;
  HPEN m_penGrid;
  CBitmap m_bmpSkyBack[3];
  HDC m_dcSkyBack[3];
  CBitmap m_bmpSky;
  HDC m_dcSky;
  RECT m_rcSky;
  CBitmap m_bmpBars;
  HDC m_dcBars;
  RECT m_rcBars;
  int m_nBarWidth;
  int m_nBarHeight;
  int m_nBarGap;
  int m_nOrientation;  // 1 portrait, -1 landscape, 0 square
  CStatic m_stcDate;
  CStatic m_stcTime;
  CStatic m_stcSpeed;
  CStatic m_stcCourse;
  CStatic m_stcFix;
  CStatic m_stcLatitude;
  CStatic m_stcLongitude;
  CStatic m_stcAltitude;
  CStatic m_stcPdop;
};
