#include "pages/about_page.h"

#include "layout/dialog_layout.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kLogoWidth = 111;
constexpr int kLogoHeight = 37;

}  // namespace

CAboutPpg::CAboutPpg() : CPropertyPage(IDD_ABOUT_PORTRAIT) {}

CAboutPpg::~CAboutPpg() = default;

BOOL CAboutPpg::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CAboutPpg::OnOK() {}

void CAboutPpg::OnSize(UINT, int, int) {
  UINT layout = ChooseLayoutTemplate(IDD_ABOUT_LANDSCAPE, IDD_ABOUT_SQUARE, IDD_ABOUT_PORTRAIT);
  ApplyDialogLayout(AfxGetInstanceHandle(), m_hWnd, layout);
}

void CAboutPpg::OnPaint() {
  CPaintDC dc(this);
  CBitmap logo;
  logo.LoadBitmap(IDB_LOGO);
  HDC memory = CreateCompatibleDC(dc);
  SelectObject(memory, logo);
  int scale = GetSystemMetrics(SM_CXSCREEN) > 320 ? 2 : 1;
  StretchBlt(dc, 11 * scale, 10 * scale, kLogoWidth * scale, kLogoHeight * scale, memory, 0, 0, kLogoWidth, kLogoHeight,
             SRCCOPY);
  DeleteDC(memory);
}

const AFX_MSGMAP* CAboutPpg::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetThisMessageMap(),
                              {
                                  OnWmSize(&CAboutPpg::OnSize),
                                  OnWmDestroy(&CAboutPpg::OnDestroy),
                                  OnWmPaint(&CAboutPpg::OnPaint),
                              }};
  return &map;
}
