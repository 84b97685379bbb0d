#include "platform/ui/edit_window.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOptionSlider>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QFontMetrics>
#include <algorithm>
#include <functional>
#include <vector>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Draws scroll bars from pictures of the states they were drawn in before.
// A log box's bar changes with every line but cycles through a handful of
// states (the thumb at the end of a range of nearly the same length), and
// the style's gradients are much dearer to draw than a picture to copy.
class ScrollBarPictureStyle final : public QProxyStyle {
 public:
  explicit ScrollBarPictureStyle(const QString& base) : QProxyStyle(base) {}

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control != CC_ScrollBar || bar == nullptr || option->rect.isEmpty()) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const State state{
        option->rect.size(),
        painter->device()->devicePixelRatio(),
        static_cast<int>(option->state),
        static_cast<int>(option->subControls),
        static_cast<int>(option->activeSubControls),
        bar->minimum,
        bar->maximum,
        bar->sliderPosition,
        bar->pageStep,
        static_cast<int>(bar->orientation) | (bar->upsideDown ? 4 : 0) | (option->direction == Qt::RightToLeft ? 8 : 0),
        option->palette.cacheKey()};
    auto found =
        std::find_if(m_pictures.begin(), m_pictures.end(), [&](const auto& entry) { return entry.first == state; });
    if (found == m_pictures.end()) {
      QImage image(state.size * state.ratio, QImage::Format_ARGB32_Premultiplied);
      image.setDevicePixelRatio(state.ratio);
      image.fill(Qt::transparent);
      QStyleOptionSlider moved(*bar);
      moved.rect.moveTo(0, 0);
      {
        QPainter imagePainter(&image);
        imagePainter.setFont(painter->font());
        QProxyStyle::drawComplexControl(control, &moved, &imagePainter, widget);
      }
      if (m_pictures.size() >= kPictures) m_pictures.pop_back();
      m_pictures.emplace_back(state, QPixmap::fromImage(std::move(image)));
      found = std::prev(m_pictures.end());
    }
    std::rotate(m_pictures.begin(), found, std::next(found));  // the latest first
    const QPixmap& picture = m_pictures.front().second;
    painter->drawPixmap(option->rect.topLeft(), picture);
  }

 private:
  // Everything of a scroll bar's option that its look depends on.
  struct State {
    QSize size;
    qreal ratio;
    int state;
    int subControls;
    int activeSubControls;
    int minimum;
    int maximum;
    int position;
    int pageStep;
    int flags;  // orientation, upside down, right to left
    qint64 palette;
    bool operator==(const State&) const = default;
  };
  static constexpr std::size_t kPictures = 16;
  mutable std::vector<std::pair<State, QPixmap>> m_pictures;  // the latest used first
};

QStyle* ScrollBarStyle() {
  // One for the program's life: the scroll bars of every box use it.
  static QStyle* const style = new ScrollBarPictureStyle(QApplication::style()->name());
  return style;
}

// A scroll bar that repaints only when something it shows changed, and
// alone. The text widget sets both steps again after every change of its
// text, which would repaint both bars for each line the raw box receives.
class StepAwareScrollBar final : public QScrollBar {
 public:
  explicit StepAwareScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) { setStyle(ScrollBarStyle()); }

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

// Repaints the lines from `first` to the end, where they are in the view.
void EditWindow::TextView::UpdateFromLine(int first) {
  const QPointF offset = contentOffset();
  QRectF changed;
  for (QTextBlock block = document()->findBlockByNumber(first); block.isValid(); block = block.next()) {
    const QRectF area = blockBoundingGeometry(block).translated(offset);
    if (area.top() > viewport()->height()) break;
    changed |= area;
  }
  viewport()->update(changed.toAlignedRect().adjusted(-1, -1, 1, 1) & viewport()->rect());
}

EditWindow::EditWindow(UiWindow* parent, int id, DWORD style, std::wstring text)
    : UiWindow(Kind::Edit, parent, id, style, std::move(text)), m_editor(new TextView) {
  m_editor->setReadOnly((style & ES_READONLY) != 0);
  m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
  m_editor->setVerticalScrollBar(new StepAwareScrollBar(Qt::Vertical));
  m_editor->setHorizontalScrollBar(new StepAwareScrollBar(Qt::Horizontal));
  // The box lays its bars out again after every change of a bar's range, to
  // show or hide a bar as needed, and raising a bar's container has the page
  // behind the box painted again. These bars are always shown or never.
  for (QScrollBar* bar : {m_editor->verticalScrollBar(), m_editor->horizontalScrollBar()}) {
    QObject::disconnect(bar, SIGNAL(rangeChanged(int, int)), m_editor, SLOT(_q_showOrHideScrollBars()));
  }
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

bool EditWindow::Deferring() const { return m_editor->isReadOnly() && (!m_editor->isVisible() || m_catchUpPosted); }

// Shows the caret's line. A read-only box keeps the user's horizontal
// position, so the end of a long line stays readable while new lines arrive.
void EditWindow::ScrollCaretKeepingHorizontal() {
  QScrollBar* horizontal = m_editor->horizontalScrollBar();
  const int left = horizontal->value();
  m_editor->ensureCursorVisible();
  if (ReadOnly()) horizontal->setValue(left);
}

void EditWindow::CatchUp() {
  m_catchUpPosted = false;
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
  if (lines != 0) {
    QScrollBar* vertical = m_editor->verticalScrollBar();
    vertical->setValue(vertical->value() + lines);
  }
  if (chars != 0) {
    QScrollBar* horizontal = m_editor->horizontalScrollBar();
    int charWidth = QFontMetrics(m_editor->font()).averageCharWidth();
    horizontal->setValue(horizontal->value() + chars * charWidth);
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
  if (m_editor->isReadOnly() && m_editor->isVisible() && !m_catchUpPosted) {
    // Lines that arrive together are shown together: the texts and scrolls
    // of the messages already waiting are applied in one go once they have
    // been handled, still before the box is painted. (The call is queued
    // on the watcher, which goes with this window: a window that goes first
    // takes its call with it.)
    m_catchUpPosted = true;
    QMetaObject::invokeMethod(
        m_showWatcher.get(), [this] { CatchUp(); }, Qt::QueuedConnection);
  }
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
  QTextDocument* document = m_editor->document();
  QAbstractTextDocumentLayout* layout = document->documentLayout();
  QScrollBar* vertical = m_editor->verticalScrollBar();
  // Lines the trim takes away whole, and the line the new text starts on.
  const int removedLines =
      static_cast<int>(std::count(m_shown.begin(), m_shown.begin() + static_cast<std::ptrdiff_t>(trim), L'\n'));
  const int firstChangedLine = document->blockCount() - 1 - removedLines;
  const int top = vertical->value();  // the first line in view: one line per block, no wrapping
  {
    // The plain-text layout answers a change in the number of lines with a
    // repaint of the whole box and a scroll-bar update that moves the view.
    // Both wait: the lines still in view stay where they are on the screen
    // (a later scroll moves their pixels) and only the changed lines are
    // repainted below.
    const QSignalBlocker quiet(layout);
    // Each edit in an edit block of its own: a cursor lays out the line it
    // ends on after an edit, unless the edit block is still open, and the
    // first line lost only characters nobody sees. (One block for both
    // would make the whole text one change, all of it laid out again.)
    QTextCursor cursor(document);
    if (trim > 0) {
      cursor.beginEditBlock();
      cursor.setPosition(static_cast<int>(trim), QTextCursor::KeepAnchor);
      cursor.removeSelectedText();
      cursor.endEditBlock();
    }
    const std::size_t kept = m_shown.size() - trim;
    if (kept < shown.size()) {
      cursor.beginEditBlock();
      cursor.setPosition(document->characterCount() - 1);  // the end, without laying out the line it stands on
      cursor.insertText(QString::fromWCharArray(shown.data() + kept, static_cast<qsizetype>(shown.size() - kept)));
      cursor.endEditBlock();
    }
  }
  // Whether the lines in view are all still there: the first line, which
  // lost characters, and the lines removed whole are above the view.
  const bool viewKept = trim == 0 || top - removedLines > 0;
  if (removedLines > 0 && viewKept) {
    // The line at the top of the view has a lower number now; the widget is
    // told so without scrolling, since its pixels already show that line.
    QWidget* viewport = m_editor->viewport();
    viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    vertical->setValue(top - removedLines);
    viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
  }
  emit layout->documentSizeChanged(layout->documentSize());  // the scroll bars' ranges
  if (!viewKept) {
    m_editor->viewport()->update();
    return;
  }
  m_editor->UpdateFromLine(std::max(firstChangedLine, 0));
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
  const int displayAnchor = m_lines.ToDisplay(anchor);
  const int displayCaret = m_lines.ToDisplay(caret);
  const QTextCursor current = m_editor->textCursor();
  // The caret at the end stays there as text is appended: nothing to do.
  if (current.anchor() == displayAnchor && current.position() == displayCaret) return;
  QScrollBar* vertical = m_editor->verticalScrollBar();
  QScrollBar* horizontal = m_editor->horizontalScrollBar();
  int top = vertical->value();
  int left = horizontal->value();
  QTextCursor cursor(m_editor->document());
  cursor.setPosition(displayAnchor);
  cursor.setPosition(displayCaret, QTextCursor::KeepAnchor);
  m_editor->setTextCursor(cursor);
  vertical->setValue(top);
  horizontal->setValue(left);
}
