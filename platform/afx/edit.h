// CEdit: the edit control's messages the program sends.
#pragma once

#include "platform/afx/wnd.h"

class CEdit : public CWnd {
 public:
  // EM_GETLINECOUNT.
  int GetLineCount() const;
  // EM_LINEINDEX: first character of the line; -1 is the caret's line.
  int LineIndex(int line = -1) const;
  // EM_LINESCROLL: scrolls by lines (vertical) and characters (horizontal).
  void LineScroll(int lines, int chars = 0);
  // EM_SETSEL.
  void SetSel(int start, int end, BOOL noScroll = FALSE);
};
