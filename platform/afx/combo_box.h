// CComboBox: the combo box messages the program sends.
#pragma once

#include <string>

#include "platform/afx/wnd.h"

class CComboBox : public CWnd {
 public:
  int AddString(LPCWSTR text);                  // CB_ADDSTRING
  int InsertString(int index, LPCWSTR text);    // CB_INSERTSTRING
  int DeleteString(UINT index);                 // CB_DELETESTRING
  int GetCount() const;                         // CB_GETCOUNT
  int GetCurSel() const;                        // CB_GETCURSEL
  int SetCurSel(int index);                     // CB_SETCURSEL
  int GetLBTextLen(int index) const;            // CB_GETLBTEXTLEN
  int GetLBText(int index, LPWSTR text) const;  // CB_GETLBTEXT
  void GetLBText(int index, std::wstring& text) const;
  int FindStringExact(int startAfter, LPCWSTR text) const;  // CB_FINDSTRINGEXACT
  int SelectString(int startAfter, LPCWSTR text);           // CB_SELECTSTRING
};
