// A multi-line, read-only edit box (QPlainTextEdit without wrapping, with
// both scroll bars) and the EM_* messages the program sends to it.
#pragma once

#include "platform/ui/edit_text.h"
#include "platform/ui/ui_window.h"

class QPlainTextEdit;

class EditWindow : public UiWindow {
 public:
  EditWindow(UiWindow* parent, int id, DWORD style, std::wstring text);
  LRESULT DefProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // The widget, for tests that look at what it shows.
  QPlainTextEdit* Editor() const { return m_editor; }

 protected:
  void ShowText() override;

 private:
  void Select(int start, int end);
  // Brings the widget from m_shown to `shown`: `trim` characters fewer at
  // the start, the rest of `shown` appended.
  void TrimAndAppend(std::size_t trim, const std::wstring& shown);

  QPlainTextEdit* m_editor;
  EditText m_lines;
  std::wstring m_shown;  // what the widget shows
  int m_caret = 0;
};
