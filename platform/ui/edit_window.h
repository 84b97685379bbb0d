// A multi-line, read-only edit box (QPlainTextEdit without wrapping, with
// both scroll bars) and the EM_* messages the program sends to it. A
// read-only box shows no caret and keeps the user's horizontal scroll
// position when its text changes.
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
  // Brings the widget from m_shown to `shown`, in place where it can.
  void ShowByTrimAndAppend(const std::wstring& shown);
  bool ReadOnly() const;

  QPlainTextEdit* m_editor;
  EditText m_lines;
  std::wstring m_shown;  // what the widget shows
  int m_caret = 0;
};
