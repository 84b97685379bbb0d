#include "app/sheet.h"

CSheet::CSheet(LPCWSTR caption, CWnd* parent, UINT selectPage) : CPropertySheet(caption, parent, selectPage) {}

CSheet::~CSheet() = default;

BOOL CSheet::DestroyWindow() { return CPropertySheet::DestroyWindow(); }

BOOL CSheet::OnInitDialog() { return CPropertySheet::OnInitDialog(); }

const AFX_MSGMAP* CSheet::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertySheet::GetThisMessageMap(), {}};
  return &map;
}
