// CPropertyPage: one page of a property sheet, built from its dialog
// template when the sheet first shows it.
#pragma once

#include <string>

#include "platform/afx/wnd.h"

class CPropertyPage : public CWnd {
 public:
  // The page on dialog template `templateId`; its caption is string
  // `captionId`, or the template's title when that is 0.
  explicit CPropertyPage(UINT templateId, UINT captionId = 0);
  ~CPropertyPage() override;

  // WM_INITDIALOG: runs the template's dialog-initialisation resource (the
  // combo box strings) and UpdateData(FALSE); TRUE lets the framework set
  // the focus.
  virtual BOOL OnInitDialog();
  // The sheet was closed with OK; called for every page whose window exists.
  virtual void OnOK();
  // The page comes to the front: the second and later times it reloads its
  // controls (UpdateData(FALSE)).
  virtual BOOL OnSetActive();
  // The page is left or OK is pressed on it: UpdateData(TRUE).
  virtual BOOL OnKillActive();

  // Creates the page's window in the sheet (WM_INITDIALOG runs inside).
  HWND CreatePageWindow(HWND sheet);
  UINT TemplateId() const;
  const std::wstring& Caption() const;

  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();

 private:
  LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

  UINT m_nIDTemplate;
  std::wstring m_strCaption;
  bool m_bFirstSetActive;
};
