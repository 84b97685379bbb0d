#include "platform/afx/edit.h"

int CEdit::GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT, 0, 0)); }

int CEdit::LineIndex(int line) const {
  return static_cast<int>(SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

void CEdit::LineScroll(int lines, int chars) { SendMessage(EM_LINESCROLL, static_cast<WPARAM>(chars), lines); }

void CEdit::SetSel(int start, int end, BOOL noScroll) {
  SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
  if (!noScroll) SendMessage(EM_SCROLLCARET, 0, 0);
}
