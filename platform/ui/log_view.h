// A read-only, multi-line text view built for a log: a text that gains lines
// at its end and loses characters at its start, many times a second. It
// looks as a plain-text edit without wrapping looks (the same frame, margins,
// line positions, glyphs, scroll bars and selection colours) but keeps one
// laid-out line per line of text: an edit lays out only the lines it
// changes, the lines that stay in view keep their pixels (a scroll moves
// them), and only changed lines repaint. The user selects with the mouse,
// copies (Ctrl+C, the context menu, the X selection) and scrolls with the
// bars, the wheel and the keys; screen readers read it as a read-only text.
#pragma once

#include <QAbstractScrollArea>
#include <QString>
#include <QStringView>
#include <functional>
#include <memory>
#include <vector>

class QTextLayout;

class LogView final : public QAbstractScrollArea {
 public:
  explicit LogView(QWidget* parent = nullptr);
  ~LogView() override;

  // The text, lines separated by '\n'.
  const QString& Text() const { return m_text; }
  int LineCount() const { return static_cast<int>(m_lines.size()); }

  // A new text: no selection, the first line at the top; the horizontal
  // position stays where it can.
  void SetText(const QString& text);
  // The text without its first `trim` characters, with `prefix` (no line
  // break in it) before what is kept and `appended` after it, edited in
  // place: the lines that stay in view stay where they are on the screen and
  // only the changed lines repaint; neither bar moves unless its range
  // shrinks under it.
  void TrimAndAppend(int trim, QStringView appended, QStringView prefix = {});

  // The selection runs from `anchor` to the caret (positions in Text(),
  // clamped to it); the caret is not drawn. Selecting does not scroll.
  void Select(int anchor, int caret);
  int Anchor() const { return m_anchor; }
  int Caret() const { return m_caret; }
  QString SelectedText() const;
  void SelectAll();
  void Copy() const;
  // Scrolls vertically as little as needed to show the caret's line.
  void ShowCaretLine();

  // Where scrolling down ends: by default as in a plain-text edit, with the
  // bottom margin below the last line in view; with `onLastRow`, as in an
  // edit control, with the last line on the last whole row, so that the
  // rows above it are all filled.
  void SetEndOnLastRow(bool onLastRow);

  // Called after every change of the text.
  void OnTextChanged(std::function<void()> changed) { m_textChanged = std::move(changed); }

  // For the accessible interface: the line and its area on the viewport.
  int LineOfPosition(int position) const;
  QRect CharacterRect(int position);
  int PositionAt(QPoint viewportPoint);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  struct Line {
    int start = 0;                        // in m_text
    int length = 0;                       // without the '\n'
    std::unique_ptr<QTextLayout> layout;  // null until needed, and after a change
    qreal width = 0;                      // text width plus both margins; an upper bound while the layout is null
    bool widthKnown = false;
  };
  QTextLayout& Layout(int line);
  qreal Height(int line);
  qreal Widest() const;  // of the lines laid out
  // The top of `line` on the viewport with `top` the first line in view.
  qreal LineY(int line, int top);
  // Lines that fit in the view, counted up from `last`.
  int LinesFittingUpTo(int last);
  void UpdateBars();
  void UpdateBarsWhenVisible();
  void UpdateLines(int first);
  void UpdateSelection(int oldAnchor, int oldCaret);
  void SetTopQuietly(int top);
  void TextChanged();
  void AutoScroll(QPoint viewportPoint);

  QString m_text;
  std::vector<Line> m_lines;
  int m_top = 0;   // the first line in view (the vertical bar's value)
  int m_left = 0;  // the horizontal bar's value, in pixels
  int m_anchor = 0;
  int m_caret = 0;
  bool m_selecting = false;
  bool m_endOnLastRow = false;
  bool m_quiet = false;       // the bars' values change without moving the view
  bool m_barsStale = true;    // a hidden view updates its bars when shown
  bool m_barsPosted = false;  // ... a visible one once a line wider than the bars know is laid out
  qreal m_barsWidest = 0;     // the widest line the horizontal bar knows
  std::function<void()> m_textChanged;
};
