// CPropertySheet: the modal sheet of pages with tabs at the bottom, OK and a
// way to close without OK.
#pragma once

#include <string>
#include <vector>

#include "platform/afx/property_page.h"

class CPropertySheet : public CWnd {
 public:
  CPropertySheet(LPCWSTR caption, CWnd* parent = nullptr, UINT selectPage = 0);
  ~CPropertySheet() override;

  // Adds a page as the last tab; the sheet does not own it.
  void AddPage(CPropertyPage* page);
  // Removes a page (not while the sheet runs).
  void RemovePage(CPropertyPage* page);
  void RemovePage(int index);
  int GetPageCount() const;
  CPropertyPage* GetPage(int index) const;

  // Shows the sheet and runs it until OK (IDOK) or close (IDCANCEL). The
  // parent is disabled meanwhile. On OK, the shown page is left
  // (OnKillActive), then OnOK runs for every page whose window exists, in
  // tab order; then the page windows are destroyed, and then it returns.
  virtual INT_PTR DoModal();
  // The sheet's window has been created.
  virtual BOOL OnInitDialog();

  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();

 private:
  class Client;

  std::wstring m_strCaption;
  CWnd* m_pParentWnd;
  UINT m_nStartPage;
  std::vector<CPropertyPage*> m_pages;
};
