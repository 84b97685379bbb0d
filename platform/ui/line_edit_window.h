// A single-line edit box the user types into (QLineEdit): an edit control
// created without ES_MULTILINE and ES_READONLY. Its window text is what the
// box holds, so WM_GETTEXT and WM_GETTEXTLENGTH give what the user typed and
// WM_SETTEXT replaces it; EM_SETCUEBANNER gives the grey hint an empty box
// shows (the placeholder text). Tab and a click give it the keyboard focus;
// Enter and Escape go on to the page and the sheet, as the other controls'
// do. It takes the page's font, so it follows the window's zoom.
#pragma once

#include "platform/ui/ui_window.h"

class QLineEdit;

class LineEditWindow : public UiWindow {
 public:
  LineEditWindow(UiWindow* parent, int id, DWORD style, std::wstring text);
  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  void ShowText() override;

 private:
  QLineEdit* m_edit;
  bool m_typing = false;  // the window text is being taken from the box
};
