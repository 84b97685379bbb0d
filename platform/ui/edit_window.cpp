#include "platform/ui/edit_window.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

EditWindow::EditWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::Edit, parent, id, style, std::move(text)), m_editor(new QPlainTextEdit) {
  m_editor->setReadOnly((style & ES_READONLY) != 0);
  m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editor->setVerticalScrollBarPolicy((style & WS_VSCROLL) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m_editor->setHorizontalScrollBarPolicy((style & WS_HSCROLL) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  if ((style & WS_BORDER) == 0) m_editor->setFrameShape(QFrame::NoFrame);
  m_editor->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Nobody can undo in a read-only box; without this every edit in place
  // would be kept for an undo.
  if (m_editor->isReadOnly()) m_editor->document()->setUndoRedoEnabled(false);
  // A box the user cannot type into shows no caret.
  if (ReadOnly()) m_editor->setCursorWidth(0);
  ShowText();
  AdoptWidget(m_editor);
}

LRESULT EditWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_GETLINECOUNT:
      return m_lines.LineCount();
    case EM_LINEINDEX: {
      int line = static_cast<int>(static_cast<std::intptr_t>(wParam));
      if (line == -1) line = m_lines.LineFromChar(m_caret);
      return m_lines.LineIndex(line);
    }
    case EM_LINESCROLL: {
      QScrollBar* vertical = m_editor->verticalScrollBar();
      vertical->setValue(vertical->value() + static_cast<int>(lParam));
      QScrollBar* horizontal = m_editor->horizontalScrollBar();
      int charWidth = QFontMetrics(m_editor->font()).averageCharWidth();
      horizontal->setValue(horizontal->value() + static_cast<int>(static_cast<std::intptr_t>(wParam)) * charWidth);
      return TRUE;
    }
    case EM_SETSEL:
      Select(static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
      return 0;
    case EM_SCROLLCARET: {
      // A read-only box shows the caret's line but keeps the user's
      // horizontal position, so the end of a long line stays readable
      // while new lines arrive.
      QScrollBar* horizontal = m_editor->horizontalScrollBar();
      int left = horizontal->value();
      m_editor->ensureCursorVisible();
      if (ReadOnly()) horizontal->setValue(left);
      return TRUE;
    }
    default:
      return UiWindow::DefProc(message, wParam, lParam);
  }
}

bool EditWindow::ReadOnly() const { return (Style() & ES_READONLY) != 0; }

// A new text starts at the top; a read-only box keeps its horizontal
// position (see EM_SCROLLCARET), an editable one starts at the left.
void EditWindow::ShowText() {
  int left = m_editor->horizontalScrollBar()->value();
  m_lines.Set(Text());
  m_caret = 0;
  std::wstring shown = m_lines.DisplayText();
  if (m_editor->isReadOnly()) {
    // A log-like text that lost lines at its start and gained some at its end
    // is edited in place: the widget then lays out only the changed lines
    // instead of the whole text.
    ShowByTrimAndAppend(shown);
    m_editor->setTextCursor(QTextCursor(m_editor->document()));
  } else {
    m_editor->setPlainText(QString::fromStdWString(shown));
  }
  m_shown = std::move(shown);
  m_editor->verticalScrollBar()->setValue(0);
  m_editor->horizontalScrollBar()->setValue(ReadOnly() ? left : 0);
}

void EditWindow::ShowByTrimAndAppend(const std::wstring& shown) {
  std::size_t trim = 0;
  if (!EditText::FindTrimAndAppend(m_shown, shown, &trim)) {
    m_editor->setPlainText(QString::fromStdWString(shown));
    return;
  }
  QTextDocument* document = m_editor->document();
  QTextCursor cursor(document);
  if (trim > 0) {
    cursor.setPosition(static_cast<int>(trim), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
  }
  const std::size_t kept = m_shown.size() - trim;
  if (kept < shown.size()) {
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromWCharArray(shown.data() + kept, static_cast<qsizetype>(shown.size() - kept)));
  }
}

// The caret goes to `end` and the selection spans from `start`; -1 as start
// removes the selection. Selecting does not scroll (EM_SCROLLCARET does).
void EditWindow::Select(int start, int end) {
  int caret = m_lines.Clamp(end);
  int anchor = start == -1 ? caret : m_lines.Clamp(start);
  m_caret = caret;
  QScrollBar* vertical = m_editor->verticalScrollBar();
  QScrollBar* horizontal = m_editor->horizontalScrollBar();
  int top = vertical->value();
  int left = horizontal->value();
  QTextCursor cursor(m_editor->document());
  cursor.setPosition(m_lines.ToDisplay(anchor));
  cursor.setPosition(m_lines.ToDisplay(caret), QTextCursor::KeepAnchor);
  m_editor->setTextCursor(cursor);
  vertical->setValue(top);
  horizontal->setValue(left);
}
