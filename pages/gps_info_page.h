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

// One-shot: a view's description held back by the once-a-second limit.
constexpr UINT_PTR IDT_DESCRIBE_SKY = 1;
constexpr UINT_PTR IDT_DESCRIBE_BARS = 2;
constexpr DWORD kDescribeMs = 1000;  // screen readers hear of each view at most this often
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
  // What screen readers see of a view: the picture over it and its
  // description (display/sky_description.h), shown at most once every
  // kDescribeMs; one that comes sooner waits for the view's timer, and the
  // newest text goes out then.
  struct ViewDescription {
    HWND hPicture = nullptr;
    UINT_PTR nTimer = 0;
    std::wstring strText;
    DWORD dwShown = 0;  // GetTickCount when a description was last shown
    BOOL bShown = FALSE;
    BOOL bWaiting = FALSE;
  };
  void Describe(ViewDescription& view, const RECT& rc, std::wstring strText);
  void ShowDescription(ViewDescription& view);

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

  ViewDescription m_descSky;
  ViewDescription m_descBars;

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
