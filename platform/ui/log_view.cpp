#include "platform/ui/log_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/ui/window_zoom.h"

namespace {

// The space around the text, as a text document leaves it.
constexpr qreal kMargin = 4;
// The horizontal bar's step, in pixels.
constexpr int kHorizontalStep = 20;

bool IsOpaque(const QImage& image) {
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(row[x]) != 255) return false;
  }
  return true;
}

// Draws scroll bars from pictures of the states they were drawn in before.
// A log's bar changes with every line but cycles through a handful of
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
    // Ranges that differ but put the thumb on the same pixels look the same.
    const QRect thumb = proxy()->subControlRect(control, option, SC_ScrollBarSlider, widget);
    const State state{option->rect.size(),
                      painter->device()->devicePixelRatio(),
                      static_cast<int>(option->state),
                      static_cast<int>(option->subControls),
                      static_cast<int>(option->activeSubControls),
                      thumb.translated(-option->rect.topLeft()),
                      static_cast<int>(bar->orientation) | (bar->upsideDown ? 4 : 0) |
                          (option->direction == Qt::RightToLeft ? 8 : 0) |
                          (bar->sliderPosition <= bar->minimum ? 16 : 0) |
                          (bar->sliderPosition >= bar->maximum ? 32 : 0),
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
      // A bar covers its whole area; a picture without transparent pixels
      // is copied rather than blended.
      if (IsOpaque(image)) image = image.convertToFormat(QImage::Format_RGB32);
      if (m_pictures.size() >= kPictures) m_pictures.pop_back();
      m_pictures.emplace_back(state, QPixmap::fromImage(std::move(image)));
      found = std::prev(m_pictures.end());
    }
    std::rotate(m_pictures.begin(), found, std::next(found));  // the latest first
    painter->drawPixmap(option->rect.topLeft(), m_pictures.front().second);
  }

 private:
  // Everything of a scroll bar's option that its look depends on.
  struct State {
    QSize size;
    qreal ratio;
    int state;
    int subControls;
    int activeSubControls;
    QRect thumb;
    int flags;  // orientation, upside down, right to left, at either end
    qint64 palette;
    bool operator==(const State&) const = default;
  };
  static constexpr std::size_t kPictures = 16;
  mutable std::vector<std::pair<State, QPixmap>> m_pictures;  // the latest used first
};

QStyle* ScrollBarStyle() {
  // One for the program's life: the scroll bars of every view use it.
  static QStyle* const style = new ScrollBarPictureStyle(QApplication::style()->name());
  return style;
}

// A scroll bar that paints every pixel of its area, so that a bar that
// changes repaints alone, without the frame and the page behind it.
class OpaqueScrollBar final : public QScrollBar {
 public:
  explicit OpaqueScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) { setStyle(ScrollBarStyle()); }

 protected:
  bool event(QEvent* event) override {
    const bool handled = QScrollBar::event(event);
    // Qt resets the flag as the bar is polished and shown.
    if (event->type() == QEvent::Polish || event->type() == QEvent::Show) setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
  }
};

// A screen reader's view of the log: a read-only, multi-line text.
class LogViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit LogViewAccessible(LogView* view) : QAccessibleWidget(view, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
  }
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return View()->Text();
    return QAccessibleWidget::text(kind);
  }

  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || View()->Anchor() == View()->Caret()) return;
    *start = std::min(View()->Anchor(), View()->Caret());
    *end = std::max(View()->Anchor(), View()->Caret());
  }
  int selectionCount() const override { return View()->Anchor() != View()->Caret() ? 1 : 0; }
  void addSelection(int start, int end) override { View()->Select(start, end); }
  void removeSelection(int) override { View()->Select(View()->Caret(), View()->Caret()); }
  void setSelection(int, int start, int end) override { View()->Select(start, end); }
  int cursorPosition() const override { return View()->Caret(); }
  void setCursorPosition(int position) override { View()->Select(position, position); }
  QString text(int start, int end) const override {
    const QString& text = View()->Text();
    start = std::clamp(start, 0, static_cast<int>(text.size()));
    end = std::clamp(end, start, static_cast<int>(text.size()));
    return text.mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(View()->Text().size()); }
  QRect characterRect(int offset) const override {
    const QRect area = View()->CharacterRect(offset);
    return area.isValid() ? QRect(View()->viewport()->mapToGlobal(area.topLeft()), area.size()) : QRect();
  }
  int offsetAtPoint(const QPoint& point) const override {
    return View()->PositionAt(View()->viewport()->mapFromGlobal(point));
  }
  void scrollToSubstring(int start, int) override {
    View()->Select(start, start);
    View()->ShowCaretLine();
  }
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  LogView* View() const { return static_cast<LogView*>(widget()); }
};

QAccessibleInterface* LogViewAccessibleFactory(const QString&, QObject* object) {
  if (auto* view = dynamic_cast<LogView*>(object)) return new LogViewAccessible(view);
  return nullptr;
}

}  // namespace

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent) {
  static const bool factoryInstalled = [] {
    QAccessible::installFactory(LogViewAccessibleFactory);
    return true;
  }();
  (void)factoryInstalled;
  setVerticalScrollBar(new OpaqueScrollBar(Qt::Vertical));
  setHorizontalScrollBar(new OpaqueScrollBar(Qt::Horizontal));
  // The scroll area lays its bars out again after every change of a bar's
  // range, to show or hide a bar as needed, and raising a bar's container
  // has the page behind the view painted again. Bars that are always shown
  // or never need none of it.
  for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
    QObject::disconnect(bar, SIGNAL(rangeChanged(int, int)), this, SLOT(_q_showOrHideScrollBars()));
  }
  verticalScrollBar()->setSingleStep(1);
  horizontalScrollBar()->setSingleStep(kHorizontalStep);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::IBeamCursor);
  // Every pixel of the view is painted by the view itself: the base colour,
  // then the text, with one painter (a background filled by Qt takes one
  // of its own).
  viewport()->setBackgroundRole(QPalette::Base);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  SetText(QString());
}

LogView::~LogView() = default;

void LogView::SetText(const QString& text) {
  m_text = text;
  m_lines.clear();
  int start = 0;
  for (;;) {
    const auto end = static_cast<int>(m_text.indexOf(u'\n', start));
    m_lines.push_back(Line{start, (end < 0 ? static_cast<int>(m_text.size()) : end) - start, nullptr, 0});
    if (end < 0) break;
    start = end + 1;
  }
  m_anchor = m_caret = 0;
  SetTopQuietly(0);
  UpdateBarsWhenVisible();
  viewport()->update();
  if (QAccessible::isActive()) {
    QAccessibleTextUpdateEvent event(this, 0, QString(), m_text);
    QAccessible::updateAccessibility(&event);
  }
  TextChanged();
}

void LogView::TrimAndAppend(int trim, QStringView appended, QStringView prefix) {
  trim = std::clamp(trim, 0, static_cast<int>(m_text.size()));
  if (trim == 0 && appended.isEmpty() && prefix.isEmpty()) return;
  const int top = m_top;
  // The lines the trim takes away whole, and what it takes of the next.
  int removed = 0;
  while (removed + 1 < LineCount() && m_lines[removed + 1].start <= trim) ++removed;
  const auto added = static_cast<int>(prefix.size());
  const QString trimmed = QAccessible::isActive() ? m_text.left(trim) : QString();
  if (trim > 0 || added > 0) {
    m_text.remove(0, trim);
    m_text.insert(0, prefix);
    m_lines.erase(m_lines.begin(), m_lines.begin() + removed);
    Line& first = m_lines.front();
    const int lost = trim - first.start;
    for (Line& line : m_lines) line.start += added - trim;
    if (lost > 0 || added > 0) {
      first.start = 0;
      first.length += added - lost;
      first.layout.reset();
    }
    // Positions of kept characters move with them; trimmed ones go to the
    // first kept one.
    const auto moved = [&](int position) { return std::max(position - trim, 0) + added; };
    m_anchor = moved(m_anchor);
    m_caret = moved(m_caret);
  }
  const int lastBefore = LineCount() - 1;
  if (!appended.isEmpty()) {
    const auto oldSize = static_cast<int>(m_text.size());
    m_text += appended;
    Line* line = &m_lines.back();
    line->layout.reset();
    for (int i = 0; i < appended.size(); ++i) {
      if (appended[i] != u'\n') continue;
      line->length = oldSize + i - line->start;
      m_lines.push_back(Line{oldSize + i + 1, 0, nullptr, 0});
      line = &m_lines.back();
    }
    line->length = static_cast<int>(m_text.size()) - line->start;
  }

  // Whether the lines in view are all still there: the first line, which
  // lost characters, and the lines taken away whole are above the view.
  const bool viewKept = (trim == 0 && added == 0) || top - removed > 0;
  // The line at the top of the view has a lower number now; its pixels
  // already show it, so the bar learns it without a scroll. When the trim
  // took the top line itself, the view starts at the first line left; the
  // top must name a line that exists before the bars' new range is set,
  // since a clamped value scrolls from it.
  if (removed > 0 || !viewKept) SetTopQuietly(std::max(0, top - removed));
  UpdateBarsWhenVisible();
  if (viewKept) {
    UpdateLines(lastBefore);
  } else {
    viewport()->update();
  }
  if (QAccessible::isActive()) {
    if (trim > 0) {
      QAccessibleTextRemoveEvent event(this, 0, trimmed);
      QAccessible::updateAccessibility(&event);
    }
    if (added > 0) {
      QAccessibleTextInsertEvent event(this, 0, prefix.toString());
      QAccessible::updateAccessibility(&event);
    }
    if (!appended.isEmpty()) {
      QAccessibleTextInsertEvent event(this, static_cast<int>(m_text.size() - appended.size()), appended.toString());
      QAccessible::updateAccessibility(&event);
    }
  }
  TextChanged();
}

void LogView::TextChanged() {
  if (m_textChanged) m_textChanged();
}

QTextLayout& LogView::Layout(int index) {
  Line& line = m_lines[static_cast<std::size_t>(index)];
  if (!line.layout) {
    // Laid out as a plain-text document lays out a block: one line, the
    // leading included, the margin at its left; the shaped glyphs are kept
    // for every later paint.
    line.layout = std::make_unique<QTextLayout>(m_text.mid(line.start, line.length), font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    line.layout->setTextOption(option);
    line.layout->setCacheEnabled(true);
    line.layout->beginLayout();
    QTextLine text = line.layout->createLine();
    text.setLeadingIncluded(true);
    text.setLineWidth(std::numeric_limits<int>::max() - 2 * kMargin);
    text.setPosition(QPointF(kMargin, 0));
    line.layout->endLayout();
    line.width = text.naturalTextWidth() + 2 * kMargin;
    // The horizontal bar follows the widest line laid out so far (as a
    // plain-text edit's does): lines never shown are never shaped.
    if (line.width > m_barsWidest && isVisible() && !m_barsPosted) {
      m_barsPosted = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            m_barsPosted = false;
            UpdateBars();
          },
          Qt::QueuedConnection);
    }
  }
  return *line.layout;
}

qreal LogView::Height(int line) { return Layout(line).lineAt(0).height(); }

qreal LogView::Widest() const {
  qreal widest = 0;
  for (const Line& line : m_lines)
    if (line.layout) widest = std::max(widest, line.width);
  return widest;
}

qreal LogView::LineY(int line, int top) {
  qreal y = top == 0 ? kMargin : 0;
  for (int i = top; i < line; ++i) y += Height(i);
  for (int i = line; i < top; ++i) y -= Height(i);
  return y;
}

int LogView::LinesFittingUpTo(int last) {
  // A plain-text edit keeps the bottom margin (and a pixel more) in view;
  // an edit control only whole rows.
  const qreal visible = m_endOnLastRow ? viewport()->height() : viewport()->height() - kMargin - 1;
  qreal y = last == LineCount() - 1 && !m_endOnLastRow ? kMargin : 0;
  int count = 0;
  for (int i = last; i >= 0; --i) {
    y += Height(i);
    if (y > visible) break;
    ++count;
  }
  return count;
}

void LogView::SetEndOnLastRow(bool onLastRow) {
  if (m_endOnLastRow == onLastRow) return;
  m_endOnLastRow = onLastRow;
  UpdateBarsWhenVisible();
}

void LogView::UpdateBars() {
  m_barsStale = false;
  const int fitting = LinesFittingUpTo(LineCount() - 1);
  QScrollBar* vertical = verticalScrollBar();
  // The steps are set only when they change: setting one repaints the bar.
  if (vertical->pageStep() != fitting) vertical->setPageStep(fitting);
  vertical->setRange(0, std::max(0, LineCount() - fitting));
  m_barsWidest = Widest();
  QScrollBar* horizontal = horizontalScrollBar();
  const int page = viewport()->width();
  if (horizontal->pageStep() != page) horizontal->setPageStep(page);
  horizontal->setRange(0, std::max(0, static_cast<int>(m_barsWidest) - page));
}

// A hidden view lays out nothing for its bars until it is shown; meanwhile
// its vertical range only keeps the value on a line that exists.
void LogView::UpdateBarsWhenVisible() {
  if (isVisible()) {
    UpdateBars();
  } else {
    m_barsStale = true;
    QScrollBar* vertical = verticalScrollBar();
    if (vertical->maximum() > LineCount() - 1) vertical->setMaximum(LineCount() - 1);
  }
}

void LogView::SetTopQuietly(int top) {
  m_quiet = true;
  verticalScrollBar()->setValue(top);
  m_quiet = false;
  m_top = top;
}

void LogView::scrollContentsBy(int, int) {
  // The bars' own values say where the view is; Qt's differences are not
  // used, since the view also moves its top line without scrolling.
  const int top = std::clamp(verticalScrollBar()->value(), 0, LineCount() - 1);
  const int left = horizontalScrollBar()->value();
  if (m_quiet) {
    m_top = top;
    return;
  }
  const int dx = m_left - left;
  m_left = left;
  const int from = m_top;
  m_top = top;
  if (!isVisible()) return;
  const qreal shift = from == top ? 0 : LineY(from, top) - LineY(from, from);
  const int dy = static_cast<int>(std::lround(shift));
  if (std::abs(shift - dy) > 1e-6 || std::abs(dy) >= viewport()->height() || std::abs(dx) >= viewport()->width()) {
    viewport()->update();
  } else if (dx != 0 || dy != 0) {
    viewport()->scroll(dx, dy);
  }
}

void LogView::UpdateLines(int first) {
  if (!isVisible()) return;  // a view is painted whole when it is shown
  first = std::clamp(first, m_top, LineCount());
  const int height = viewport()->height();
  qreal y = LineY(first, m_top);
  QRectF changed;
  for (int i = first; i < LineCount() && y <= height; ++i) {
    const qreal h = Height(i) + (i == LineCount() - 1 ? kMargin : 0);
    changed |= QRectF(0, y, viewport()->width(), h);
    y += h;
  }
  if (!changed.isEmpty()) viewport()->update(changed.toAlignedRect().adjusted(0, -1, 0, 1) & viewport()->rect());
}

void LogView::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  QRect area = event->rect();
  painter.fillRect(area, palette().brush(QPalette::Base));
  // The lines in view are laid out first: the right margin, which stays
  // clear as in a text document, is measured from the widest line.
  const int bottom = viewport()->height();
  int last = m_top;
  for (qreal y = LineY(m_top, m_top); last < LineCount() && y <= bottom; ++last) y += Height(last);
  const int maxX = static_cast<int>(-m_left + std::max<qreal>(viewport()->width(), Widest()) - kMargin);
  area.setRight(std::min(area.right(), maxX));
  painter.setClipRect(area);
  painter.setPen(palette().text().color());

  const int selectionStart = std::min(m_anchor, m_caret);
  const int selectionEnd = std::max(m_anchor, m_caret);
  QTextCharFormat selected;
  if (selectionStart != selectionEnd) {
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));
    QStyleOption option;
    option.initFrom(this);
    if (style()->styleHint(QStyle::SH_RichText_FullWidthSelection, &option, this))
      selected.setProperty(QTextFormat::FullWidthSelection, true);
  }
  QPointF offset(-m_left, m_top == 0 ? kMargin : 0);
  for (int i = m_top; i < last; ++i) {
    const qreal h = Height(i) + (i == LineCount() - 1 ? kMargin : 0);
    if (offset.y() + h >= area.top() && offset.y() <= area.bottom()) {
      const Line& line = m_lines[static_cast<std::size_t>(i)];
      QList<QTextLayout::FormatRange> selections;
      // The line's length counts its line break, which shows as selected.
      const int from = selectionStart - line.start;
      const int to = selectionEnd - line.start;
      if (from < line.length + 1 && to > 0 && to > from) selections.append({from, to - from, selected});
      Layout(i).draw(&painter, QPointF(offset.x(), offset.y()), selections, area);
    }
    offset.ry() += h;
  }
}

void LogView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (isVisible()) UpdateBars();
}

void LogView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  if (m_barsStale) UpdateBars();
}

void LogView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    for (Line& line : m_lines) line.layout.reset();
    UpdateBarsWhenVisible();
    viewport()->update();
  }
}

void LogView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  if (m_anchor != m_caret) viewport()->update();  // the selection's colours follow the focus
}

void LogView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  if (m_anchor != m_caret) viewport()->update();
}

void LogView::Select(int anchor, int caret) {
  const int size = static_cast<int>(m_text.size());
  anchor = std::clamp(anchor, 0, size);
  caret = std::clamp(caret, 0, size);
  if (anchor == m_anchor && caret == m_caret) return;
  const int oldAnchor = std::exchange(m_anchor, anchor);
  const int oldCaret = std::exchange(m_caret, caret);
  UpdateSelection(oldAnchor, oldCaret);
}

// Repaints the view unless neither the old nor the new selection selects
// anything (the caret is not drawn).
void LogView::UpdateSelection(int oldAnchor, int oldCaret) {
  if (oldAnchor == oldCaret && m_anchor == m_caret) return;
  viewport()->update();
  if (QAccessible::isActive()) {
    QAccessibleTextSelectionEvent event(this, std::min(m_anchor, m_caret), std::max(m_anchor, m_caret));
    event.setCursorPosition(m_caret);
    QAccessible::updateAccessibility(&event);
  }
}

QString LogView::SelectedText() const {
  const int start = std::min(m_anchor, m_caret);
  return m_text.mid(start, std::max(m_anchor, m_caret) - start);
}

void LogView::SelectAll() { Select(0, static_cast<int>(m_text.size())); }

void LogView::Copy() const {
  if (m_anchor != m_caret) QApplication::clipboard()->setText(SelectedText());
}

void LogView::ShowCaretLine() {
  const int line = LineOfPosition(m_caret);
  int top = m_top;
  if (line < top) {
    top = line;
  } else {
    top = std::max(top, line + 1 - std::max(LinesFittingUpTo(line), 1));
  }
  verticalScrollBar()->setValue(top);
}

int LogView::LineOfPosition(int position) const {
  const auto after = std::upper_bound(m_lines.begin(), m_lines.end(), position,
                                      [](int value, const Line& line) { return value < line.start; });
  return std::max(0, static_cast<int>(after - m_lines.begin()) - 1);
}

QRect LogView::CharacterRect(int position) {
  if (position < 0 || position >= m_text.size()) return {};
  const int index = LineOfPosition(position);
  const QTextLine line = Layout(index).lineAt(0);
  const int column = position - m_lines[static_cast<std::size_t>(index)].start;
  const qreal x = line.cursorToX(column);
  const qreal right = column < m_lines[static_cast<std::size_t>(index)].length ? line.cursorToX(column + 1) : x + 1;
  const qreal y = LineY(index, m_top);
  return QRectF(QPointF(x - m_left, y), QPointF(right - m_left, y + line.height())).toAlignedRect();
}

int LogView::PositionAt(QPoint point) {
  qreal y = LineY(m_top, m_top);
  int index = m_top;
  if (point.y() < y) {
    while (index > 0 && point.y() < y) y -= Height(--index);
  } else {
    while (index + 1 < LineCount() && point.y() >= y + Height(index)) y += Height(index++);
  }
  const int column = Layout(index).lineAt(0).xToCursor(point.x() + m_left);
  return m_lines[static_cast<std::size_t>(index)].start + column;
}

void LogView::AutoScroll(QPoint point) {
  if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.y() > viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  if (point.x() < 0) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.x() > viewport()->width()) horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

void LogView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  const int position = PositionAt(event->position().toPoint());
  Select((event->modifiers() & Qt::ShiftModifier) != 0 ? m_anchor : position, position);
  m_selecting = true;
}

void LogView::mouseMoveEvent(QMouseEvent* event) {
  if (!m_selecting) return;
  const QPoint point = event->position().toPoint();
  AutoScroll(point);
  Select(m_anchor, PositionAt(point));
}

void LogView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !m_selecting) return;
  m_selecting = false;
  // X11 users paste the selection with the middle button.
  QClipboard* clipboard = QApplication::clipboard();
  if (m_anchor != m_caret && clipboard->supportsSelection()) clipboard->setText(SelectedText(), QClipboard::Selection);
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int position = PositionAt(event->position().toPoint());
  const Line& line = m_lines[static_cast<std::size_t>(LineOfPosition(position))];
  // The word under the pointer: letters, digits and decimal points, so that
  // a sentence's field is a word; any other character is one by itself.
  const QStringView text = QStringView(m_text).mid(line.start, line.length);
  const auto inWord = [&](int i) { return text[i].isLetterOrNumber() || text[i] == u'.'; };
  const int column = std::min(position - line.start, line.length - 1);
  if (column < 0) return;
  int start = column;
  int end = column + 1;
  if (inWord(column)) {
    while (start > 0 && inWord(start - 1)) --start;
    while (end < line.length && inWord(end)) ++end;
  }
  Select(line.start + start, line.start + end);
  m_selecting = false;
}

void LogView::keyPressEvent(QKeyEvent* event) {
  if (event == QKeySequence::Copy) {
    Copy();
  } else if (event == QKeySequence::SelectAll) {
    SelectAll();
  } else if (event == QKeySequence::MoveToStartOfDocument) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (event == QKeySequence::MoveToEndOfDocument) {
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  } else if (event == QKeySequence::MoveToStartOfLine) {
    horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  } else if (event == QKeySequence::MoveToEndOfLine) {
    horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  } else {
    QAbstractScrollArea::keyPressEvent(event);  // the arrows and the page keys scroll
    return;
  }
  event->accept();
}

void LogView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.setFont(ZoomedFont(menu.font(), WindowZoom(this)));
  QAction* copy = menu.addAction(QStringLiteral("&Copy"), [this] { Copy(); });
  copy->setShortcut(QKeySequence::Copy);
  copy->setEnabled(m_anchor != m_caret);
  QAction* all = menu.addAction(QStringLiteral("Select All"), [this] { SelectAll(); });
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(!m_text.isEmpty());
  menu.exec(event->globalPos());
}
