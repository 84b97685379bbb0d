#include "platform/afx/property_sheet.h"

#include <algorithm>

#include "platform/ui/property_sheet_window.h"
#include "platform/ui/window_api.h"

// The sheet's side of the platform's property sheet window.
class CPropertySheet::Client : public PropertySheetClient {
 public:
  explicit Client(CPropertySheet& sheet) : m_sheet(sheet) {}

  int PageCount() const override { return m_sheet.GetPageCount(); }

  std::wstring PageCaption(int index) const override { return m_sheet.GetPage(index)->Caption(); }

  void SheetWindowChanged(HWND window) override {
    m_sheet.m_hWnd = window;
    if (window != nullptr) m_sheet.OnInitDialog();
  }

  HWND CreatePage(int index, HWND sheet) override { return m_sheet.GetPage(index)->CreatePageWindow(sheet); }

  bool PageActivated(int index, bool active) override {
    CPropertyPage* page = m_sheet.GetPage(index);
    return (active ? page->OnSetActive() : page->OnKillActive()) != FALSE;
  }

  bool ApplyPages() override {
    auto shown = reinterpret_cast<HWND>(::SendMessageW(m_sheet.m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    for (CPropertyPage* page : m_sheet.m_pages) {
      if (page->m_hWnd != nullptr && page->m_hWnd == shown && !page->OnKillActive()) return false;
    }
    for (CPropertyPage* page : m_sheet.m_pages) {
      if (::IsWindow(page->m_hWnd)) page->OnOK();
    }
    return true;
  }

 private:
  CPropertySheet& m_sheet;
};

CPropertySheet::CPropertySheet(LPCWSTR caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption != nullptr ? caption : L""), m_pParentWnd(parent), m_nStartPage(selectPage) {}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (page != nullptr) m_pages.push_back(page);
}

void CPropertySheet::RemovePage(CPropertyPage* page) {
  m_pages.erase(std::remove(m_pages.begin(), m_pages.end(), page), m_pages.end());
}

void CPropertySheet::RemovePage(int index) {
  if (index >= 0 && index < GetPageCount()) m_pages.erase(m_pages.begin() + index);
}

int CPropertySheet::GetPageCount() const { return static_cast<int>(m_pages.size()); }

CPropertyPage* CPropertySheet::GetPage(int index) const { return m_pages.at(static_cast<std::size_t>(index)); }

INT_PTR CPropertySheet::DoModal() {
  Client client(*this);
  HWND parent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
  return RunPropertySheet(client, parent, m_strCaption.c_str(), static_cast<int>(m_nStartPage));
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }

const AFX_MSGMAP* CPropertySheet::GetThisMessageMap() {
  static const AFX_MSGMAP map{CWnd::GetThisMessageMap(), {}};
  return &map;
}

const AFX_MSGMAP* CPropertySheet::GetMessageMap() const { return GetThisMessageMap(); }
