// Dialog data exchange: a page's DoDataExchange binds its control members
// and moves values between its members and its controls, toward the
// controls for UpdateData(FALSE) and from them for UpdateData(TRUE).
#pragma once

#include <string>

#include "platform/ui/ui_types.h"

class CWnd;

class CDataExchange {
 public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate);

  // The dialog item `id`, or null when the dialog has none.
  HWND PrepareCtrl(int id) const;

  BOOL m_bSaveAndValidate;  // TRUE: from the controls into the members
  CWnd* m_pDlgWnd;
};

// Binds the control member to dialog item `id` (once per window; a member
// bound to a window that has gone is bound again).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

// A drop-down list combo box by exact text. Toward the control: selects the
// entry whose whole text equals `value` without regard to case, and leaves
// the selection alone when there is none. From the control: the selected
// entry's text, or the empty text when none is selected.
void DDX_CBStringExact(CDataExchange* dx, int id, std::wstring& value);

// A control's window text (statics): toward the control it is set when it
// differs; from the control it is read.
void DDX_Text(CDataExchange* dx, int id, std::wstring& value);
