// CStatusPpg: the GPS Info page. It shows the nine texts the Setup page
// hands it and the satellite view (sky plot and signal bars), and puts them
// back at their new places when the screen changes shape. It reads nothing
// from the receiver itself.
#pragma once

#include <string>

#include "acquisition/gps_record_data.h"
#include "acquisition/satellite_info.h"
#include "display/sky_plan.h"
#include "platform/afx/afx.h"

class CGPSReadThread;

constexpr UINT_PTR IDT_DESCRIBE = 1;  // one-shot: the views' descriptions held back by the once-a-second limit
constexpr DWORD kDescribeMs = 1000;   // screen readers hear of the views at most this often
struct SatelliteViewTools;

class CStatusPpg : public CPropertyPage {
 public:
  CStatusPpg();
  ~CStatusPpg() override;

  // Each setter shows its text while the page's window exists (and is
  // enabled); the control is only touched when its text changes. Texts given
  // while there is no window are dropped.
  void SetDateTime(std::wstring strDate, std::wstring strTime);
  void SetSpeed(std::wstring strSpeed);
  void SetCourse(std::wstring strCourse);
  void SetFix(std::wstring strFix);
  void SetLatitude(std::wstring strLatitude);
  void SetLongitude(std::wstring strLongitude);
  void SetAltitude(std::wstring strAltitude);
  void SetPdop(std::wstring strPdop);

  // Redraw the sky plot and the signal bars from a table of kSatelliteCount
  // entries, or empty with null, and show them; nothing happens while the
  // page's window does not exist or is disabled.
  void DrawSkyView(const SatelliteInfo* pSatellites);
  void DrawSignalBars(const SatelliteInfo* pSatellites);
  // The same for what a record holds: its 12-entry table when it was
  // decoded $GP only, else its merged sky (sky_plan.h).
  void DrawSkyView(const GPSRecordData& record);
  void DrawSignalBars(const GPSRecordData& record);

  BOOL OnInitDialog() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  CGPSReadThread* m_pReadThread;  // the running reader thread, not owned; set by the Setup page

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  void OnSize(UINT type, int cx, int cy);
  void OnPaint();
  void OnDestroy();
  void OnTimer(UINT_PTR nIDEvent);

 private:
  // Shows a field's new text and remembers it; see the setters.
  void SetField(CStatic& control, std::wstring& strMember, std::wstring strText);
  // The drawing objects the two views use.
  SatelliteViewTools Tools() const;
  void DrawSkyPlan(const SkyPlan& plan);
  void DrawBarsPlan(const SkyPlan& plan);
  // Screen readers learn what the views show (display/sky_description.h):
  // the pictures over them are placed at once, their descriptions at most
  // once every kDescribeMs, a later one when the timer comes.
  void PlacePicture(HWND hPicture, const RECT& rc);
  void DescribeViews();
  void ShowDescriptions();

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
  CBitmap m_bmpSkyBack[3];  // backgrounds: portrait, landscape, square
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
  int m_nOrientation;  // screen shape the views were placed for: 1 portrait, -1 landscape, 0 square

  HWND m_hSkyPicture;   // what screen readers see of the sky plot
  HWND m_hBarsPicture;  // and of the signal bars
  std::wstring m_strSkyDescription;
  std::wstring m_strBarsDescription;
  DWORD m_dwDescribed;  // GetTickCount when the descriptions were last shown
  BOOL m_bDescribed;
  BOOL m_bDescribeTimer;

  CStatic m_stcDate;
  CStatic m_stcTime;
  CStatic m_stcSpeed;
  CStatic m_stcCourse;
  CStatic m_stcFix;
  CStatic m_stcLatitude;
  CStatic m_stcLongitude;
  CStatic m_stcAltitude;
  CStatic m_stcPdop;

  friend class StatusPageProbe;
};
