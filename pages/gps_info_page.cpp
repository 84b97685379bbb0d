#include "pages/gps_info_page.h"

#include "acquisition/gps_read_thread.h"
#include "layout/dialog_layout.h"
#include "display/satellite_geometry.h"
#include "display/sky_description.h"
#include "pages/satellite_view.h"
#include "platform/core/clock.h"
#include "resources/resource_ids.h"

namespace {

// The memory images of the two views: the largest sky plot is 241 pixels
// square; the largest bar chart is 474 wide (VGA portrait) and 112 high, its
// lowest rows holding the PRN labels.
constexpr int kSkyImageSide = 241;
constexpr int kBarsImageWidth = 480;
constexpr int kBarsImageHeight = 112;

// The ids of the pictures screen readers see over the two views (no
// template control has them); their names are not in the string table,
// which stays the handheld's.
constexpr int kSkyPictureId = 2001;
constexpr int kBarsPictureId = 2002;

int CurrentScreenShape() { return ScreenShapeCode(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); }

}  // namespace

CStatusPpg::CStatusPpg()
    : CPropertyPage(IDD_GPSINFO_PORTRAIT),
      m_pReadThread(nullptr),
      m_brSlot(nullptr),
      m_brUsed(nullptr),
      m_brNotUsed(nullptr),
      m_brNull(nullptr),
      m_penGrid(nullptr),
      m_dcSkyBack{nullptr, nullptr, nullptr},
      m_dcSky(nullptr),
      m_rcSky{0, 0, 0, 0},
      m_dcBars(nullptr),
      m_rcBars{0, 0, 0, 0},
      m_nBarWidth(0),
      m_nBarHeight(0),
      m_nBarGap(0),
      m_nOrientation(CurrentScreenShape()) {
  m_descSky.nTimer = IDT_DESCRIBE_SKY;
  m_descBars.nTimer = IDT_DESCRIBE_BARS;
}

CStatusPpg::~CStatusPpg() = default;

const AFX_MSGMAP* CStatusPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                              {
                                  OnWmSize(&CStatusPpg::OnSize),
                                  OnWmPaint(&CStatusPpg::OnPaint),
                                  OnWmDestroy(&CStatusPpg::OnDestroy),
                                  OnWmTimer(&CStatusPpg::OnTimer),
                              }};
  return &map;
}

void CStatusPpg::SetField(CStatic& control, std::wstring& strMember, std::wstring strText) {
  if (!::IsWindowEnabled(m_hWnd)) {
    return;
  }
  std::wstring shown;
  control.GetWindowText(shown);
  if (shown != strText) {
    control.SetWindowText(strText.c_str());
  }
  strMember = std::move(strText);
}

void CStatusPpg::SetDateTime(std::wstring strDate, std::wstring strTime) {
  SetField(m_stcDate, m_strDate, std::move(strDate));
  SetField(m_stcTime, m_strTime, std::move(strTime));
}

void CStatusPpg::SetSpeed(std::wstring strSpeed) { SetField(m_stcSpeed, m_strSpeed, std::move(strSpeed)); }

void CStatusPpg::SetCourse(std::wstring strCourse) { SetField(m_stcCourse, m_strCourse, std::move(strCourse)); }

void CStatusPpg::SetFix(std::wstring strFix) { SetField(m_stcFix, m_strFix, std::move(strFix)); }

void CStatusPpg::SetLatitude(std::wstring strLatitude) {
  SetField(m_stcLatitude, m_strLatitude, std::move(strLatitude));
}

void CStatusPpg::SetLongitude(std::wstring strLongitude) {
  SetField(m_stcLongitude, m_strLongitude, std::move(strLongitude));
}

void CStatusPpg::SetAltitude(std::wstring strAltitude) {
  SetField(m_stcAltitude, m_strAltitude, std::move(strAltitude));
}

void CStatusPpg::SetPdop(std::wstring strPdop) { SetField(m_stcPdop, m_strPdop, std::move(strPdop)); }

SatelliteViewTools CStatusPpg::Tools() const { return {m_brNull, m_penGrid, m_brSlot, m_brUsed, m_brNotUsed}; }

void CStatusPpg::DrawSkyView(const SatelliteInfo* pSatellites) { DrawSkyPlan(PlanTable(pSatellites)); }

void CStatusPpg::DrawSkyView(const GPSRecordData& record) { DrawSkyPlan(PlanSky(record)); }

void CStatusPpg::DrawSignalBars(const SatelliteInfo* pSatellites) { DrawBarsPlan(PlanTable(pSatellites)); }

void CStatusPpg::DrawSignalBars(const GPSRecordData& record) { DrawBarsPlan(PlanSky(record)); }

void CStatusPpg::DrawSkyPlan(const SkyPlan& plan) {
  if (!::IsWindowEnabled(m_hWnd)) {
    return;
  }
  const SkyPlotGeometry sky = SkyPlotGeometryFor(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  m_rcSky = sky.rcSky;
  ComposeSkyView(m_dcSky, sky, m_dcSkyBack[sky.nBackground], Tools(), plan);
  Describe(m_descSky, m_rcSky, SkyDescription(plan));

  HDC dc = GetDC(m_hWnd);
  BitBlt(dc, m_rcSky.left, m_rcSky.top, sky.nSide, sky.nSide, m_dcSky, 0, 0, SRCCOPY);
  ReleaseDC(m_hWnd, dc);
}

void CStatusPpg::DrawBarsPlan(const SkyPlan& plan) {
  if (!::IsWindowEnabled(m_hWnd)) {
    return;
  }
  const SignalBarGeometry bars = SignalBarGeometryFor(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  m_rcBars = bars.rcBars;
  m_nBarWidth = bars.nBarWidth;
  m_nBarHeight = bars.nBarHeight;
  m_nBarGap = bars.nBarGap;
  ComposeSignalBars(m_dcBars, bars, Tools(), plan);
  Describe(m_descBars, m_rcBars, SignalBarsDescription(plan));

  HDC dc = GetDC(m_hWnd);
  BitBlt(dc, m_rcBars.left, m_rcBars.top, m_rcBars.right - m_rcBars.left, m_rcBars.bottom - m_rcBars.top, m_dcBars, 0,
         0, SRCCOPY);
  ReleaseDC(m_hWnd, dc);
}

void CStatusPpg::Describe(ViewDescription& view, const RECT& rc, std::wstring strText) {
  MoveWindow(view.hPicture, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, FALSE);
  view.strText = std::move(strText);
  if (view.bWaiting) {
    return;
  }
  const DWORD dwSince = GetTickCount() - view.dwShown;
  if (view.bShown && dwSince < kDescribeMs) {
    SetTimer(view.nTimer, kDescribeMs - dwSince, nullptr);
    view.bWaiting = TRUE;
    return;
  }
  ShowDescription(view);
}

void CStatusPpg::ShowDescription(ViewDescription& view) {
  SetWindowAccessibleDescription(view.hPicture, view.strText.c_str());
  view.dwShown = GetTickCount();
  view.bShown = TRUE;
}

void CStatusPpg::OnTimer(UINT_PTR nIDEvent) {
  for (ViewDescription* view : {&m_descSky, &m_descBars}) {
    if (nIDEvent == view->nTimer) {
      KillTimer(nIDEvent);
      view->bWaiting = FALSE;
      ShowDescription(*view);
      return;
    }
  }
  CPropertyPage::OnTimer(nIDEvent);
}

void CStatusPpg::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_INFO_DATE, m_stcDate);
  DDX_Text(dx, IDC_INFO_DATE, m_strDate);
  DDX_Control(dx, IDC_INFO_TIME, m_stcTime);
  DDX_Text(dx, IDC_INFO_TIME, m_strTime);
  DDX_Control(dx, IDC_INFO_SPEED, m_stcSpeed);
  DDX_Text(dx, IDC_INFO_SPEED, m_strSpeed);
  DDX_Control(dx, IDC_INFO_COURSE, m_stcCourse);
  DDX_Text(dx, IDC_INFO_COURSE, m_strCourse);
  DDX_Control(dx, IDC_INFO_FIX, m_stcFix);
  DDX_Text(dx, IDC_INFO_FIX, m_strFix);
  DDX_Control(dx, IDC_INFO_LAT, m_stcLatitude);
  DDX_Text(dx, IDC_INFO_LAT, m_strLatitude);
  DDX_Control(dx, IDC_INFO_LON, m_stcLongitude);
  DDX_Text(dx, IDC_INFO_LON, m_strLongitude);
  DDX_Control(dx, IDC_INFO_ALTITUDE, m_stcAltitude);
  DDX_Text(dx, IDC_INFO_ALTITUDE, m_strAltitude);
  DDX_Control(dx, IDC_INFO_PDOP, m_stcPdop);
  DDX_Text(dx, IDC_INFO_PDOP, m_strPdop);
}

BOOL CStatusPpg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  HDC dc = GetDC(m_hWnd);

  m_brSlot = CreateSolidBrush(RGB(192, 192, 192));
  m_brUsed = CreateSolidBrush(RGB(0, 0, 128));
  m_brNotUsed = CreateSolidBrush(RGB(255, 0, 0));
  m_brNull = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  m_penGrid = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));

  for (int i = 0; i < 3; ++i) {
    m_bmpSkyBack[i].LoadBitmap(IDB_SKY_PORTRAIT + i);
    m_dcSkyBack[i] = CreateImageContext(dc, m_bmpSkyBack[i]);
  }
  m_bmpSky.CreateCompatibleBitmap(dc, kSkyImageSide, kSkyImageSide);
  m_dcSky = CreateImageContext(dc, m_bmpSky);
  SetBkMode(m_dcSky, TRANSPARENT);
  m_bmpBars.CreateCompatibleBitmap(dc, kBarsImageWidth, kBarsImageHeight);
  m_dcBars = CreateImageContext(dc, m_bmpBars);
  SetBkMode(m_dcBars, TRANSPARENT);

  m_descSky.hPicture = CreateAccessiblePicture(m_hWnd, kSkyPictureId, 0, 0, 0, 0);
  SetWindowAccessibleName(m_descSky.hPicture, L"Sky plot");
  m_descBars.hPicture = CreateAccessiblePicture(m_hWnd, kBarsPictureId, 0, 0, 0, 0);
  SetWindowAccessibleName(m_descBars.hPicture, L"Signal bars");

  DrawSkyView(nullptr);
  DrawSignalBars(nullptr);

  ReleaseDC(m_hWnd, dc);
  return TRUE;
}

void CStatusPpg::OnSize(UINT, int, int) {
  const UINT layout = ChooseLayoutTemplate(IDD_GPSINFO_LANDSCAPE, IDD_GPSINFO_SQUARE, IDD_GPSINFO_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);

  const int shape = CurrentScreenShape();
  if (shape != m_nOrientation) {
    if (m_pReadThread != nullptr) {
      // One consistent copy for both views.
      const GPSRecordData record = m_pReadThread->Snapshot();
      DrawSkyView(record);
      DrawSignalBars(record);
    } else {
      DrawSkyView(nullptr);
      DrawSignalBars(nullptr);
    }
    m_nOrientation = shape;
  }
  UpdateData(FALSE);
}

void CStatusPpg::OnPaint() {
  CPaintDC dc(this);
  BitBlt(dc, m_rcSky.left, m_rcSky.top, m_rcSky.right - m_rcSky.left, m_rcSky.bottom - m_rcSky.top, m_dcSky, 0, 0,
         SRCCOPY);
  BitBlt(dc, m_rcBars.left, m_rcBars.top, m_rcBars.right - m_rcBars.left, m_rcBars.bottom - m_rcBars.top, m_dcBars, 0,
         0, SRCCOPY);
}

void CStatusPpg::OnDestroy() {
  CPropertyPage::OnDestroy();
  // Each memory context goes before the bitmap selected into it.
  DeleteDC(m_dcSky);
  m_bmpSky.DeleteObject();
  DeleteDC(m_dcBars);
  m_bmpBars.DeleteObject();
  for (int i = 0; i < 3; ++i) {
    DeleteDC(m_dcSkyBack[i]);
    m_bmpSkyBack[i].DeleteObject();
  }
  DeleteObject(m_brSlot);
  DeleteObject(m_brUsed);
  DeleteObject(m_brNotUsed);
  DeleteObject(m_penGrid);
  // The pictures and timers go with the window; a new window starts afresh.
  for (ViewDescription* view : {&m_descSky, &m_descBars}) {
    view->hPicture = nullptr;
    view->bShown = FALSE;
    view->bWaiting = FALSE;
  }
}
