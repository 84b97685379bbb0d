#include "display/ui/status_ppg.h"

#include "app/layout/dialog_layout.h"
#include "resources/resource_ids.h"

namespace {

int ScreenShape() {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  return height > width ? 1 : height < width ? -1 : 0;
}

}  // namespace

CStatusPpg::CStatusPpg()
    : CPropertyPage(IDD_GPSINFO_PORTRAIT),
      m_pReadThread(nullptr),
      m_brSlot(nullptr),
      m_brUsed(nullptr),
      m_brNotUsed(nullptr),
      m_brNull(nullptr),
      m_penGrid(nullptr),
      m_dcSkyBack{},
      m_dcSky(nullptr),
      m_rcSky{},
      m_dcBars(nullptr),
      m_rcBars{},
      m_nBarWidth(0),
      m_nBarHeight(0),
      m_nBarGap(0),
      m_nOrientation(ScreenShape()) {}

CStatusPpg::~CStatusPpg() = default;

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

void CStatusPpg::OnSize(UINT, int, int) {
  UINT layout = ChooseLayoutTemplate(IDD_GPSINFO_LANDSCAPE, IDD_GPSINFO_SQUARE, IDD_GPSINFO_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);
  m_nOrientation = ScreenShape();
  UpdateData(FALSE);
}

const AFX_MSGMAP* CStatusPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(), {
      OnWmSize(&CStatusPpg::OnSize),
  }};
  return &map;
}
