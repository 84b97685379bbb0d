#include "platform/ui/edit_window.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMetaObject>
#include <QObject>
#include <QScrollBar>
#include <functional>

#include "platform/ui/log_view.h"

namespace {

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
    : UiWindow(Kind::Edit, parent, id, style, std::move(text)), m_view(new LogView) {
  m_view->setVerticalScrollBarPolicy((style & WS_VSCROLL) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  m_view->setHorizontalScrollBarPolicy((style & WS_HSCROLL) != 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
  if ((style & WS_BORDER) == 0) m_view->setFrameShape(QFrame::NoFrame);
  // Scrolled to its end, the box shows the newest lines in every row.
  m_view->SetEndOnLastRow(true);
  m_showWatcher = std::make_unique<ShowWatcher>([this] { CatchUp(); });
  m_view->installEventFilter(m_showWatcher.get());
  ShowText();
  AdoptWidget(m_view);
}

// The watcher goes with the window; Qt forgets a destroyed event filter.
EditWindow::~EditWindow() = default;

LogView* EditWindow::View() {
  CatchUp();
  return m_view;
}

bool EditWindow::Deferring() const { return !m_view->isVisible() || m_catchUpPosted; }

void EditWindow::CatchUp() {
  m_catchUpPosted = false;
  if (m_behind) {
    m_behind = false;
    ShowDisplayText(m_lines.DisplayText(), std::exchange(m_behindFromTop, false));
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
  // The caret's line comes into view; the horizontal position stays, so the
  // end of a long line stays readable while new lines arrive.
  if (std::exchange(m_pendingScrollCaret, false)) m_view->ShowCaretLine();
}

void EditWindow::ShowDisplayText(std::wstring shown, bool fromTop) {
  std::size_t trim = 0;
  std::size_t prefix = 0;
  if (!fromTop && EditText::FindTrimPrefixAndAppend(m_shown, shown, &trim, &prefix)) {
    // A log-like text that lost characters at its start and gained some at
    // its end is edited in place, where it stands: neither the scroll bars
    // nor the view move (a caller that wants the end scrolls there, as the
    // Setup page does; a scroll from the top would end in the same place).
    const std::size_t appended = prefix + m_shown.size() - trim;
    const auto text = [&](std::size_t from, std::size_t length) {
      return QString::fromWCharArray(shown.data() + from, static_cast<qsizetype>(length));
    };
    m_view->TrimAndAppend(
        static_cast<int>(QString::fromWCharArray(m_shown.data(), static_cast<qsizetype>(trim)).size()),
        text(appended, shown.size() - appended), text(0, prefix));
  } else {
    m_view->SetText(QString::fromStdWString(shown));
    m_view->horizontalScrollBar()->setValue(0);
  }
  m_shown = std::move(shown);
}

void EditWindow::LineScroll(int chars, int lines) {
  if (Deferring()) {
    m_pendingChars += chars;
    m_pendingLines += lines;
    return;
  }
  if (lines != 0) {
    QScrollBar* vertical = m_view->verticalScrollBar();
    vertical->setValue(vertical->value() + lines);
  }
  if (chars != 0) {
    QScrollBar* horizontal = m_view->horizontalScrollBar();
    horizontal->setValue(horizontal->value() + chars * QFontMetrics(m_view->font()).averageCharWidth());
  }
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
        m_view->ShowCaretLine();
      }
      return TRUE;
    default:
      return UiWindow::DefProc(message, wParam, lParam);
  }
}

// A new text starts at the top. The view takes it, with the scroll and
// selection requests that follow, once the messages already waiting have
// been handled (or, for a box nobody sees, once it is shown): lines that
// arrive together are shown together, still before the box is painted.
void EditWindow::ShowText() {
  if (m_view->isVisible() && !m_catchUpPosted) {
    // The call is queued on the watcher, which goes with this window: a
    // window that goes first takes its call with it.
    m_catchUpPosted = true;
    QMetaObject::invokeMethod(
        m_showWatcher.get(), [this] { CatchUp(); }, Qt::QueuedConnection);
  }
  // What the page asked for before this text belongs to the old one; a
  // text unlike the old one starts at the top.
  std::size_t trim = 0;
  if (!EditText::FindTrimAndAppend(m_lines.Text(), Text(), &trim)) {
    m_behindFromTop = true;
    m_pendingChars = 0;
    m_pendingLines = 0;
  }
  m_lines.Set(Text());
  m_caret = 0;
  m_pendingSelection.reset();
  m_pendingScrollCaret = false;
  m_behind = true;
}

// The caret goes to `end` and the selection spans from `start`; -1 as start
// removes the selection. Selecting does not scroll (EM_SCROLLCARET does).
void EditWindow::Select(int start, int end) {
  const int caret = m_lines.Clamp(end);
  const int anchor = start == -1 ? caret : m_lines.Clamp(start);
  m_caret = caret;
  if (Deferring()) {
    m_pendingSelection = std::pair{anchor, caret};
    return;
  }
  m_view->Select(m_lines.ToDisplay(anchor), m_lines.ToDisplay(caret));
}
