#include "platform/ui/log_view.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "platform/ui/ui_application.h"

namespace {

void Mouse(QWidget* widget, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
  const QPointF global = widget->mapToGlobal(QPointF(at));
  QMouseEvent event(type, QPointF(at), global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QKeyEvent event(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(widget, &event);
}

QString Sentence(int i) {
  return QStringLiteral("$GPGSV,3,%1,12,01,06,157,10,02,51,060,33,%2*7%3")
      .arg(i % 3 + 1)
      .arg(QString(i * 7 % 23, u'0'))
      .arg(i % 10);
}

struct TestApplication {
  TestApplication() { EnsureTestApplication(); }
};

// A view and the plain-text edit it stands in for, set up alike, side by side.
class LogViewTest : public ::testing::Test, TestApplication {
 protected:
  void SetUp() override {
    edit.setReadOnly(true);
    edit.setLineWrapMode(QPlainTextEdit::NoWrap);
    edit.setCursorWidth(0);
    edit.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    for (QAbstractScrollArea* area :
         {static_cast<QAbstractScrollArea*>(&edit), static_cast<QAbstractScrollArea*>(&view)}) {
      area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      area->resize(300, 200);
      area->show();
    }
  }
  // Both scrolled alike; the edit's selection as the view's. Both have laid
  // out every line first: the horizontal range of each follows the widest
  // line it has laid out, and both lay out only what they need.
  void Align() {
    QScrollBar* vertical = view.verticalScrollBar();
    const int top = vertical->value();
    for (int line = 0; line <= vertical->maximum(); line += std::max(vertical->pageStep(), 1)) {
      vertical->setValue(line);
      view.grab();
    }
    vertical->setValue(top);
    QCoreApplication::processEvents();  // the bars learn the widest line
    for (QTextBlock block = edit.document()->begin(); block.isValid(); block = block.next())
      edit.document()->documentLayout()->blockBoundingRect(block);
    QTextCursor cursor(edit.document());
    cursor.setPosition(view.Anchor());
    cursor.setPosition(view.Caret(), QTextCursor::KeepAnchor);
    edit.setTextCursor(cursor);
    edit.verticalScrollBar()->setValue(view.verticalScrollBar()->value());
    edit.horizontalScrollBar()->setValue(view.horizontalScrollBar()->value());
  }
  void ExpectLooksAlike(const char* state) {
    Align();
    for (auto [ours, theirs] : {std::pair{view.verticalScrollBar(), edit.verticalScrollBar()},
                                std::pair{view.horizontalScrollBar(), edit.horizontalScrollBar()}}) {
      EXPECT_EQ(ours->maximum(), theirs->maximum()) << state;
      EXPECT_EQ(ours->pageStep(), theirs->pageStep()) << state;
      EXPECT_EQ(ours->value(), theirs->value()) << state;
    }
    const QImage ours = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage theirs = edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    QPoint first;
    for (int y = 0; y < ours.height(); ++y)
      for (int x = 0; x < ours.width(); ++x)
        if (ours.pixel(x, y) != theirs.pixel(x, y) && differing++ == 0) first = QPoint(x, y);
    EXPECT_EQ(differing, 0) << state << ": first at " << first.x() << "," << first.y();
  }

  QPlainTextEdit edit;
  LogView view;
};

TEST_F(LogViewTest, LooksAsAPlainTextEditInEveryState) {
  ExpectLooksAlike("empty");
  QString text;
  for (int i = 0; i < 30; ++i) text += Sentence(i) + u'\n';
  view.SetText(text);
  edit.setPlainText(text);
  ExpectLooksAlike("at the top");
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
  ExpectLooksAlike("at the end");
  view.verticalScrollBar()->setValue(5);
  view.horizontalScrollBar()->setValue(37);
  ExpectLooksAlike("in the middle, scrolled right");
  // A selection across line breaks, from the middle of a line.
  view.Select(static_cast<int>(text.indexOf(u'\n', 200)) - 5, static_cast<int>(text.indexOf(u'\n', 400)) + 1);
  ExpectLooksAlike("with a selection");
  view.Select(0, 0);

  // A log sliding through the view, edited in place, against the edit given
  // each whole text.
  for (int i = 30; i < 60; ++i) {
    const QString line = Sentence(i) + u'\n';
    const int trim = i % 4 == 0 ? 0 : 40 + i;
    const QString prefix = i % 5 == 0 ? QStringLiteral(" ") : QString();  // a log cut between CR and LF
    text = prefix + text.mid(trim) + line;
    view.TrimAndAppend(trim, line, prefix);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    edit.setPlainText(text);
    ASSERT_EQ(view.Text(), text);
    ExpectLooksAlike(qPrintable(QStringLiteral("after line %1").arg(i)));
  }
  // Lines that are wider than all before, and then taken away.
  view.TrimAndAppend(0, QString(90, u'W') + u'\n');
  edit.setPlainText(text += QString(90, u'W') + u'\n');
  ExpectLooksAlike("with a wide line");
}

// New text that pushes out the lines in view, and with them the top line the
// view scrolled to, while the view is shown and while it is hidden: the
// view starts at its first line again and looks as the edit does there.
TEST_F(LogViewTest, ATrimThroughTheViewStartsItAtTheFirstLine) {
  for (const bool hidden : {false, true}) {
    QString text;
    for (int i = 0; i < 256; ++i) text += QStringLiteral("OK\n");
    view.show();
    view.SetText(text);
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    ASSERT_GT(view.verticalScrollBar()->value(), 200);
    if (hidden) view.hide();
    QString sentences;
    for (int i = 0; i < 16; ++i) sentences += Sentence(i) + u'\n';
    view.TrimAndAppend(static_cast<int>(sentences.size()), sentences);
    text = text.mid(sentences.size()) + sentences;
    view.show();
    ASSERT_EQ(view.Text(), text);
    EXPECT_EQ(view.verticalScrollBar()->value(), 0) << (hidden ? "hidden" : "shown");
    edit.setPlainText(text);
    ExpectLooksAlike(hidden ? "trimmed while hidden" : "trimmed in view");
  }
}

// Trims, appends, scrolls, resizes, hides and shows in random order: the
// view keeps its text and never reads a line it no longer has (the
// sanitizer build checks every line access).
TEST_F(LogViewTest, AnyOrderOfEditsScrollsAndResizesKeepsTheView) {
  std::mt19937 random(2026);
  const auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(std::max(n, 1))); };
  QString text;
  for (int step = 0; step < 3000; ++step) {
    switch (below(8)) {
      case 0:
      case 1:
      case 2: {  // a batch of lines, the oldest text trimmed to stay near 1024 characters
        QString appended;
        for (int n = below(20); n >= 0; --n)
          appended += below(3) == 0 ? QStringLiteral("OK\n") : Sentence(step) + u'\n';
        const QString prefix = below(5) == 0 ? QStringLiteral(" ") : QString();
        const int trim = std::min(static_cast<int>(text.size()),
                                  std::max(0, static_cast<int>(text.size() + appended.size()) - 1024) + below(3));
        text = prefix + text.mid(trim) + appended;
        view.TrimAndAppend(trim, appended, prefix);
        break;
      }
      case 3:
        view.verticalScrollBar()->setValue(below(view.verticalScrollBar()->maximum() + 2));
        view.horizontalScrollBar()->setValue(below(view.horizontalScrollBar()->maximum() + 2));
        break;
      case 4:
        view.resize(40 + below(400), 30 + below(300));
        break;
      case 5:
        view.setVisible(!view.isVisible());
        break;
      case 6:
        view.Select(below(static_cast<int>(text.size()) + 1), below(static_cast<int>(text.size()) + 1));
        view.ShowCaretLine();
        break;
      default:
        if (view.isVisible()) view.grab();
        QCoreApplication::processEvents();
        break;
    }
    ASSERT_EQ(view.Text(), text) << "step " << step;
    ASSERT_LT(view.verticalScrollBar()->value(), view.LineCount()) << "step " << step;
  }
}

TEST_F(LogViewTest, EditsKeepTheLinesAndTheSelection) {
  view.SetText(QStringLiteral("one\ntwo\nthree"));
  EXPECT_EQ(view.LineCount(), 3);
  view.Select(5, 9);  // "wo\nt"
  EXPECT_EQ(view.SelectedText(), QStringLiteral("wo\nt"));
  // Cut inside the first line, then through the second, then nothing left.
  view.TrimAndAppend(2, QStringLiteral("s\nfour"));
  EXPECT_EQ(view.Text(), QStringLiteral("e\ntwo\nthrees\nfour"));
  EXPECT_EQ(view.LineCount(), 4);
  EXPECT_EQ(view.SelectedText(), QStringLiteral("wo\nt")) << "the selection stays on its characters";
  view.TrimAndAppend(4, QStringLiteral("\n"));
  EXPECT_EQ(view.Text(), QStringLiteral("o\nthrees\nfour\n"));
  EXPECT_EQ(view.LineCount(), 4);
  EXPECT_EQ(view.SelectedText(), QStringLiteral("o\nt"));
  view.TrimAndAppend(1, QString(), QStringLiteral("> "));
  EXPECT_EQ(view.Text(), QStringLiteral("> \nthrees\nfour\n"));
  EXPECT_EQ(view.LineCount(), 4);
  EXPECT_EQ(view.SelectedText(), QStringLiteral("\nt"));
  view.TrimAndAppend(static_cast<int>(view.Text().size()), QString());
  EXPECT_EQ(view.Text(), QString());
  EXPECT_EQ(view.LineCount(), 1);
  EXPECT_EQ(view.SelectedText(), QString());
}

TEST_F(LogViewTest, TheUserSelectsAndCopiesWithMouseAndKeys) {
  view.SetText(QStringLiteral("$GPGGA,092750.000,5321.6802,N\n$GPRMC,092751.000,A\n"));
  const QRect second = view.CharacterRect(31);  // "G" of $GPRMC
  const QRect fifth = view.CharacterRect(35);   // "C"
  ASSERT_TRUE(second.isValid());
  Mouse(view.viewport(), QEvent::MouseButtonPress, second.topLeft() + QPoint(0, second.height() / 2), Qt::LeftButton);
  Mouse(view.viewport(), QEvent::MouseMove, fifth.topLeft() + QPoint(0, fifth.height() / 2), Qt::LeftButton);
  Mouse(view.viewport(), QEvent::MouseButtonRelease, fifth.topLeft() + QPoint(0, fifth.height() / 2), Qt::NoButton);
  EXPECT_EQ(view.SelectedText(), QStringLiteral("GPRM"));
  Key(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("GPRM"));

  const QRect time = view.CharacterRect(10);  // inside "092750"
  Mouse(view.viewport(), QEvent::MouseButtonDblClick, time.center(), Qt::LeftButton);
  EXPECT_EQ(view.SelectedText(), QStringLiteral("092750.000"));

  Key(&view, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(view.SelectedText(), view.Text());
}

TEST_F(LogViewTest, ScreenReadersReadItAsAReadOnlyText) {
  QString text;
  for (int i = 0; i < 20; ++i) text += Sentence(i) + u'\n';
  view.SetText(text);
  view.verticalScrollBar()->setValue(4);
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::EditableText);
  EXPECT_TRUE(accessible->state().readOnly);
  EXPECT_TRUE(accessible->state().multiLine);
  QAccessibleTextInterface* reading = accessible->textInterface();
  ASSERT_NE(reading, nullptr);
  EXPECT_EQ(reading->characterCount(), text.size());
  EXPECT_EQ(reading->text(0, reading->characterCount()), text);
  // A character in view is where the reader says, and the reader finds it there.
  const int inView = static_cast<int>(text.indexOf(Sentence(6))) + 3;
  const QRect area = reading->characterRect(inView);
  EXPECT_TRUE(view.viewport()->rect().contains(view.viewport()->mapFromGlobal(area.center())));
  EXPECT_EQ(reading->offsetAtPoint(area.center()), inView);
  reading->setSelection(0, 2, 7);
  EXPECT_EQ(view.SelectedText(), text.mid(2, 5));
  int start = 0;
  int end = 0;
  reading->selection(0, &start, &end);
  EXPECT_EQ(std::pair(start, end), std::pair(2, 7));
}

}  // namespace
