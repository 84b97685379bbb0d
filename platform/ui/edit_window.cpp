#include "platform/ui/edit_window.h"

#include <QEvent>
#include <QFontMetrics>
#include <functional>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A scroll bar that repaints only when something it shows changed, and
// alone. The text widget sets both steps again after every change of its
// text, which would repaint both bars for each line the raw box receives.
class StepAwareScrollBar final : public QScrollBar {
 public:
  explicit StepAwareScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

 protected:
  bool event(QEvent* event) override {
    const bool handled = QScrollBar::event(event);
    // The style paints every pixel of a scroll bar, so a bar that changes
    // need not have the edit box's frame and the page behind it painted
    // first. (Qt resets the flag as the bar is polished and shown.)
    if (event->type() == QEvent::Polish || event->type() == QEvent::Show) setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
  }

  void sliderChange(SliderChange change) override {
    if (change == SliderStepsChange && singleStep() == m_singleStep && pageStep() == m_pageStep) return;
    m_singleStep = singleStep();
    m_pageStep = pageStep();
    QScrollBar::sliderChange(change);
  }

 private:
  int m_singleStep = -1;
  int m_pageStep = -1;
};

// Calls back when the watched widget is shown.
class ShowWatcher final : public QObject {
 public:
  explicit ShowWatcher(std::function<void()> shown) : m_shown(std::move(shown)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) m_shown();
    return false;
  }

 private:
  std::function<void()> m_shown;
};

}  // namespace

EditWindow::EditWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::Edit, parent, id, style, std::move(text)), m_editor(new QPlainTextEdit) {
  m_editor->setReadOnly((style & ES_READONLY) != 0);
  m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editor->setVerticalScrollBar(new StepAwareScrollBar(Qt::Vertical));
  m_editor->setHorizontalScrollBar(new StepAwareScrollBar(Qt::Horizontal));
  m_editor->setVerticalScrollBarPolicy((style & WS_VSCROLL) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m_editor->setHorizontalScrollBarPolicy((style & WS_HSCROLL) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  if ((style & WS_BORDER) == 0) m_editor->setFrameShape(QFrame::NoFrame);
  m_editor->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  // Nobody can undo in a read-only box; without this every edit in place
  // would be kept for an undo.
  if (m_editor->isReadOnly()) m_editor->document()->setUndoRedoEnabled(false);
  // A box the user cannot type into shows no caret.
  if (ReadOnly()) m_editor->setCursorWidth(0);
  m_showWatcher = std::make_unique<ShowWatcher>([this] { CatchUp(); });
  m_editor->installEventFilter(m_showWatcher.get());
  ShowText();
  AdoptWidget(m_editor);
}

// The watcher goes with the window; Qt forgets a destroyed event filter.
EditWindow::~EditWindow() = default;

QPlainTextEdit* EditWindow::Editor() {
  CatchUp();
  return m_editor;
}

bool EditWindow::Deferring() const { return m_editor->isReadOnly() && !m_editor->isVisible(); }

// Shows the caret's line. A read-only box keeps the user's horizontal
// position, so the end of a long line stays readable while new lines arrive.
void EditWindow::ScrollCaretKeepingHorizontal() {
  QScrollBar* horizontal = m_editor->horizontalScrollBar();
  const int left = horizontal->value();
  m_editor->ensureCursorVisible();
  if (ReadOnly()) horizontal->setValue(left);
}

void EditWindow::CatchUp() {
  if (m_behind) {
    m_behind = false;
    std::wstring shown = m_lines.DisplayText();
    std::size_t trim = 0;
    if (!m_behindFromTop && EditText::FindTrimAndAppend(m_shown, shown, &trim)) {
      TrimAndAppend(trim, shown);
    } else {
      m_editor->setPlainText(QString::fromStdWString(shown));
      m_editor->verticalScrollBar()->setValue(0);
      m_editor->horizontalScrollBar()->setValue(0);
    }
    m_shown = std::move(shown);
    m_behindFromTop = false;
  }
  if (m_pendingChars != 0 || m_pendingLines != 0) {
    const int chars = std::exchange(m_pendingChars, 0);
    const int lines = std::exchange(m_pendingLines, 0);
    LineScroll(chars, lines);
  }
  if (m_pendingSelection) {
    const auto [anchor, caret] = *std::exchange(m_pendingSelection, std::nullopt);
    Select(anchor, caret);
  }
  if (std::exchange(m_pendingScrollCaret, false)) ScrollCaretKeepingHorizontal();
}

void EditWindow::LineScroll(int chars, int lines) {
  if (Deferring()) {
    m_pendingChars += chars;
    m_pendingLines += lines;
    return;
  }
  QScrollBar* vertical = m_editor->verticalScrollBar();
  vertical->setValue(vertical->value() + lines);
  QScrollBar* horizontal = m_editor->horizontalScrollBar();
  int charWidth = QFontMetrics(m_editor->font()).averageCharWidth();
  horizontal->setValue(horizontal->value() + chars * charWidth);
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
    case EM_LINESCROLL:
      LineScroll(static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
      return TRUE;
    case EM_SETSEL:
      Select(static_cast<int>(static_cast<std::intptr_t>(wParam)), static_cast<int>(lParam));
      return 0;
    case EM_SCROLLCARET:
      if (Deferring()) {
        m_pendingScrollCaret = true;
      } else {
        ScrollCaretKeepingHorizontal();
      }
      return TRUE;
    default:
      return UiWindow::DefProc(message, wParam, lParam);
  }
}

bool EditWindow::ReadOnly() const { return (Style() & ES_READONLY) != 0; }

// A new text starts at the top; a read-only box keeps its horizontal
// position (see EM_SCROLLCARET), an editable one starts at the left.
void EditWindow::ShowText() {
  if (Deferring()) {
    // What the page asked for before this text belongs to the old one; a
    // text unlike the old one starts at the top.
    const std::wstring before = m_lines.DisplayText();
    m_lines.Set(Text());
    m_caret = 0;
    std::size_t trim = 0;
    if (!EditText::FindTrimAndAppend(before, m_lines.DisplayText(), &trim)) {
      m_behindFromTop = true;
      m_pendingChars = 0;
      m_pendingLines = 0;
    }
    m_pendingSelection.reset();
    m_pendingScrollCaret = false;
    m_behind = true;
    return;
  }
  CatchUp();
  int left = m_editor->horizontalScrollBar()->value();
  m_lines.Set(Text());
  m_caret = 0;
  std::wstring shown = m_lines.DisplayText();
  std::size_t trim = 0;
  if (m_editor->isReadOnly() && EditText::FindTrimAndAppend(m_shown, shown, &trim)) {
    // A log-like text that lost characters at its start and gained some at
    // its end is edited in place, where it stands: the widget lays out only
    // the lines that changed, and neither the scroll bars nor the view move
    // (a caller that wants the end scrolls there, as the Setup page does; a
    // scroll from the top would end in the same place).
    TrimAndAppend(trim, shown);
    m_shown = std::move(shown);
    return;
  }
  m_editor->setPlainText(QString::fromStdWString(shown));
  m_shown = std::move(shown);
  m_editor->verticalScrollBar()->setValue(0);
  m_editor->horizontalScrollBar()->setValue(ReadOnly() ? left : 0);
}

void EditWindow::TrimAndAppend(std::size_t trim, const std::wstring& shown) {
  QTextCursor cursor(m_editor->document());
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
  if (Deferring()) {
    m_pendingSelection = std::pair{anchor, caret};
    return;
  }
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
