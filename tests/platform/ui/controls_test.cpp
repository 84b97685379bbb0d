#include <QApplication>
#include <QComboBox>
#include <QStyle>
#include <QCoreApplication>
#include <QScreen>
#include <QLabel>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTextDocument>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <string>

#include "platform/ui/edit_text.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/log_view.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

std::wstring TextOf(HWND window) {
  wchar_t buffer[256];
  GetWindowTextW(window, buffer, 256);
  return buffer;
}

LRESULT AddString(HWND combo, const wchar_t* text) {
  return SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = CreateTestDialog(IDD_SETUP_PORTRAIT);
    ASSERT_NE(dialog, nullptr);
  }
  void TearDown() override { DestroyWindow(dialog); }
  HWND Item(UINT id) const { return GetDlgItem(dialog, static_cast<int>(id)); }

  HWND dialog = nullptr;
};

// The Setup page's raw sentence box, its page shown at 240x300 (a hidden
// read-only box defers its layout).
class RawTextBoxTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    edit = Item(IDC_SETUP_RAW_TEXT);
    window = dynamic_cast<EditWindow*>(UiWindow::FromHandle(edit));
    ASSERT_NE(window, nullptr);
    page = UiWindow::FromHandle(dialog)->Widget();
    page->resize(240, 300);
    page->show();
  }
  // What the Setup page does with every new raw text: show it, scroll down
  // by the lines below the caret, put the caret at the end and show it.
  void ShowAsTheSetupPage(const std::wstring& text) const {
    SetWindowTextW(edit, text.c_str());
    const LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    SendMessageW(edit, EM_LINESCROLL, 0, lines - SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(-1), 0));
    SendMessageW(edit, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  }
  // The bar as the program's style draws it, without the bar's own pictures.
  static QImage DrawnByTheStyle(QScrollBar* bar) {
    QStyle* own = bar->style();
    bar->setStyle(QApplication::style());
    const QImage drawn = bar->grab().toImage();
    bar->setStyle(own);
    return drawn;
  }

  HWND edit = nullptr;
  EditWindow* window = nullptr;
  QWidget* page = nullptr;
};

TEST_F(ControlsTest, DialogGetsInitDialogWithItsParameterAfterItsControls) {
  std::vector<ReceivedMessage> init = ReceivedOf(WM_INITDIALOG);
  ASSERT_EQ(init.size(), 1u);
  EXPECT_EQ(init[0].lParam, 42);
  EXPECT_EQ(Received().front().message, WM_INITDIALOG);
  EXPECT_EQ(TextOf(dialog), L"Setup");
  for (UINT id : {IDC_SETUP_PORT, IDC_SETUP_PORT_LABEL, IDC_SETUP_BAUD, IDC_SETUP_BAUD_LABEL, IDC_SETUP_SCAN,
                  IDC_SETUP_START_STOP, IDC_SETUP_COLD_START, IDC_SETUP_RAW_TEXT}) {
    EXPECT_NE(Item(id), nullptr) << id;
  }
  EXPECT_EQ(Item(4242), nullptr);
  EXPECT_EQ(TextOf(Item(IDC_SETUP_PORT_LABEL)), L"COM Port:");
  EXPECT_EQ(TextOf(Item(IDC_SETUP_COLD_START)), L"Cold Start");
}

TEST_F(ControlsTest, TextsAndEnabledStateReachTheWidgets) {
  HWND button = Item(IDC_SETUP_START_STOP);
  EXPECT_TRUE(SetDlgItemTextW(dialog, static_cast<int>(IDC_SETUP_START_STOP), L"Start GPS"));
  EXPECT_EQ(TextOf(button), L"Start GPS");
  EXPECT_EQ(GetWindowTextLengthW(button), 9);
  auto* widget = qobject_cast<QPushButton*>(UiWindow::FromHandle(button)->Widget());
  EXPECT_EQ(widget->text(), QStringLiteral("Start GPS"));

  wchar_t small[4];
  EXPECT_EQ(GetWindowTextW(button, small, 4), 3);
  EXPECT_EQ(std::wstring(small), L"Sta");

  HWND cold = Item(IDC_SETUP_COLD_START);
  EXPECT_FALSE(IsWindowEnabled(cold));
  EXPECT_TRUE(EnableWindow(cold, TRUE));
  EXPECT_TRUE(IsWindowEnabled(cold));
  EXPECT_TRUE(UiWindow::FromHandle(cold)->Widget()->isEnabled());
  EXPECT_FALSE(EnableWindow(cold, FALSE));

  auto* label = qobject_cast<QLabel*>(UiWindow::FromHandle(Item(IDC_SETUP_PORT_LABEL))->Widget());
  SetWindowTextW(Item(IDC_SETUP_PORT_LABEL), L"A && B &x");
  EXPECT_EQ(label->text(), QStringLiteral("A & B x"));
  EXPECT_FALSE(label->wordWrap());
}

TEST_F(ControlsTest, ButtonClickSendsCommandOnlyWhenEnabled) {
  HWND scan = Item(IDC_SETUP_SCAN);
  SendMessageW(scan, BM_CLICK, 0, 0);
  std::vector<ReceivedMessage> commands = ReceivedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wParam), IDC_SETUP_SCAN);
  EXPECT_EQ(HIWORD(commands[0].wParam), BN_CLICKED);
  EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(scan));

  SendMessageW(Item(IDC_SETUP_COLD_START), BM_CLICK, 0, 0);
  EXPECT_EQ(ReceivedOf(WM_COMMAND).size(), 1u);
}

TEST_F(ControlsTest, ComboBoxMessagesBehaveAsOnTheHandheld) {
  HWND combo = Item(IDC_SETUP_PORT);
  auto* widget = qobject_cast<QComboBox*>(UiWindow::FromHandle(combo)->Widget());
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(AddString(combo, L"COM1: Serial"), 0);
  EXPECT_EQ(AddString(combo, L"COM2:"), 1);
  EXPECT_EQ(AddString(combo, L"COM3: USB"), 2);
  // Adding leaves "no selection" alone.
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(widget->currentIndex(), -1);
  EXPECT_EQ(TextOf(combo), L"");

  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"com2:")), 1);
  EXPECT_EQ(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"COM2")),
            CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"com3")), 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(TextOf(combo), L"COM3: USB");
  EXPECT_EQ(widget->currentText(), QStringLiteral("COM3: USB"));
  // Not found: the selection stays.
  EXPECT_EQ(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"COM9")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);

  EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(L"COM0:")), 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_INSERTSTRING, 9, reinterpret_cast<LPARAM>(L"x")), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXTLEN, 3, 0), 9);
  wchar_t text[32];
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 12);
  EXPECT_EQ(std::wstring(text), L"COM1: Serial");
  EXPECT_EQ(SendMessageW(combo, CB_GETLBTEXT, 4, reinterpret_cast<LPARAM>(text)), CB_ERR);

  // Deleting before the selection moves it; deleting it clears it.
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 0, 0), 3);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 2, 0), 2);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(widget->currentIndex(), -1);
  EXPECT_EQ(SendMessageW(combo, CB_DELETESTRING, 5, 0), CB_ERR);

  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 1, 0), 1);
  EXPECT_EQ(SendMessageW(combo, CB_SETCURSEL, 7, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 2);

  // The user's choice in the widget becomes the selection and is told to
  // the parent (CBN_SELCHANGE); none of the program's own choices above was.
  EXPECT_TRUE(ReceivedOf(WM_COMMAND).empty());
  widget->activated(1);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
  const std::vector<ReceivedMessage> commands = ReceivedOf(WM_COMMAND);
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(LOWORD(commands[0].wParam), IDC_SETUP_PORT);
  EXPECT_EQ(HIWORD(commands[0].wParam), CBN_SELCHANGE);
  EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(combo));
}

TEST_F(ControlsTest, FindStringExactSearchesOnFromTheStartAndWraps) {
  HWND combo = Item(IDC_SETUP_BAUD);
  for (const wchar_t* text : {L"4800", L"9600", L"4800"}) AddString(combo, text);
  auto find = [&](int after) {
    return SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(L"4800"));
  };
  EXPECT_EQ(find(-1), 0);
  EXPECT_EQ(find(0), 2);
  EXPECT_EQ(find(2), 0);
}

TEST_F(RawTextBoxTest, ScrollsToItsEndAsTheSetupPageAsks) {
  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"$GPGSV,3,1,12,01,06,157,10*74 line " + std::to_wstring(i) + L"\r\n";
  SetWindowTextW(edit, text.c_str());

  LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
  EXPECT_EQ(lines, 41);
  EXPECT_EQ(SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 0);
  QScrollBar* bar = window->View()->verticalScrollBar();
  EXPECT_EQ(bar->value(), 0);
  SendMessageW(edit, EM_LINESCROLL, 0, lines);
  SendMessageW(edit, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
  EXPECT_EQ(SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(-1), 0), static_cast<LRESULT>(text.size()));
  EXPECT_EQ(SendMessageW(edit, EM_LINEINDEX, 1, 0), static_cast<LRESULT>(text.find(L"\r\n") + 2));
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  EXPECT_GT(bar->maximum(), 0);
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_EQ(window->View()->Caret(), window->View()->Text().size());

  // A new text starts at the top again.
  SetWindowTextW(edit, L"one\r\ntwo");
  EXPECT_EQ(window->View()->Text(), QStringLiteral("one\ntwo"));
  EXPECT_EQ(bar->value(), 0);
}

TEST_F(RawTextBoxTest, ShowsEachTextOfASlidingLogExactly) {
  LogView* editor = window->View();
  // The record's raw text: lines appended, the first 1024 characters kept,
  // so a line is often cut in the middle, sometimes between CR and LF.
  std::wstring log;
  for (int i = 0; i < 120; ++i) {
    log += L"$GPGSV,3," + std::to_wstring(i % 3 + 1) + L",12,01,06,157," + std::to_wstring(i) + L"*74\r\n";
    if (i % 17 == 5) log += L"noise\rx\n";
    if (log.size() > 1024) log.erase(0, log.size() - 1024);
    ShowAsTheSetupPage(log);
    EditText expected;
    expected.Set(log);
    ASSERT_EQ(window->View()->Text().toStdWString(), expected.DisplayText()) << "line " << i;
    ASSERT_EQ(editor->LineCount(), expected.LineCount()) << "line " << i;
    EXPECT_EQ(editor->verticalScrollBar()->value(), editor->verticalScrollBar()->maximum());
    EXPECT_EQ(editor->horizontalScrollBar()->value(), 0);
  }

  // A box nobody sees (its page is behind another) takes the texts and the
  // scrolls without laying anything out, and shows the last text, scrolled
  // to its end, when it comes to the front.
  const QString seen = editor->Text();
  page->hide();
  for (int i = 0; i < 10; ++i) {
    log += L"$GPRMC,hidden," + std::to_wstring(i) + L"*00\r\n";
    log.erase(0, log.size() - 1024);
    ShowAsTheSetupPage(log);
  }
  EXPECT_EQ(editor->Text(), seen);
  page->show();
  EditText expected;
  expected.Set(log);
  EXPECT_EQ(editor->Text().toStdWString(), expected.DisplayText());
  EXPECT_GT(editor->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(editor->verticalScrollBar()->value(), editor->verticalScrollBar()->maximum());
  EXPECT_EQ(editor->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(editor->Caret(), editor->Text().size());

  // A text unlike the one shown replaces it.
  SetWindowTextW(edit, L"one\r\ntwo");
  EXPECT_EQ(window->View()->Text(), QStringLiteral("one\ntwo"));
  SetWindowTextW(edit, L"");
  EXPECT_EQ(window->View()->Text(), QString());
}

// The box moves the pixels of the lines that stay in view and paints only
// the changed ones; after every line the screen must hold what a full
// repaint of the box draws.
TEST_F(RawTextBoxTest, OnScreenMatchesAFullRepaintAsLinesArrive) {
  page->resize(600, 700);  // the whole box on the screen
  LogView* editor = window->View();
  QWidget* viewport = editor->viewport();
  std::wstring log;
  for (int i = 0; i < 60; ++i) {
    // Lines of changing length, some arriving two at a time.
    for (int n = 0; n <= i % 2; ++n) {
      log +=
          L"$GPGSA,A,3," + std::wstring(static_cast<std::size_t>(i * 7 % 23), L'0') + std::to_wstring(i) + L"*1E\r\n";
    }
    if (log.size() > 1024) log.erase(0, log.size() - 1024);
    ShowAsTheSetupPage(log);
    // The box catches up with the line, then the window repaints what changed.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const QPixmap screen = page->screen()->grabWindow(page->winId());
    const QImage shown = screen.copy(QRect(viewport->mapTo(page, QPoint()), viewport->size())).toImage();
    const QImage repainted = viewport->grab().toImage();
    ASSERT_EQ(shown.convertToFormat(QImage::Format_RGB32), repainted.convertToFormat(QImage::Format_RGB32))
        << "line " << i;
    // The scroll bar, drawn from a picture of its state, as the style draws it.
    QScrollBar* bar = editor->verticalScrollBar();
    const QImage barShown = screen.copy(QRect(bar->mapTo(page, QPoint()), bar->size())).toImage();
    ASSERT_EQ(barShown.convertToFormat(QImage::Format_RGB32),
              DrawnByTheStyle(bar).convertToFormat(QImage::Format_RGB32))
        << "line " << i;
  }
}

// While a session runs every new line replaces the text and scrolls to the
// end; a user who scrolled right to read a long sentence stays there.
TEST_F(RawTextBoxTest, KeepsTheUsersHorizontalPosition) {
  QScrollBar* horizontal = window->View()->horizontalScrollBar();
  QScrollBar* vertical = window->View()->verticalScrollBar();
  std::wstring text;
  for (int i = 0; i < 30; ++i) {
    text += L"$GPGSV,3,1,12,01,06,157,10,02,51,060,33,03,21,311,24,04,73,250,40*7" + std::to_wstring(i % 10) + L"\r\n";
    ShowAsTheSetupPage(text);
    QCoreApplication::processEvents();  // the box catches up with the line
    if (i == 20) {
      ASSERT_GT(horizontal->maximum(), 120);
      horizontal->setValue(120);
    }
    if (i >= 20) {
      EXPECT_EQ(horizontal->value(), 120) << "line " << i;
      EXPECT_EQ(vertical->value(), vertical->maximum()) << "line " << i;
    }
  }
}

// The raw box's scroll bars repaint without the page behind them, which is
// only right when they cover their whole area themselves.
TEST_F(RawTextBoxTest, LooksTheSameWhenItsScrollBarsPaintAlone) {
  std::wstring text;
  for (int i = 0; i < 30; ++i) text += L"$GPGGA,092750.000,5321.6802,N,00630.3372,W,1,8,1.03,61.7,M,55.2,M,,*76\r\n";
  SetWindowTextW(edit, text.c_str());
  SendMessageW(edit, EM_LINESCROLL, 0, 10);
  LogView* editor = window->View();
  for (QScrollBar* bar : {editor->verticalScrollBar(), editor->horizontalScrollBar()}) {
    ASSERT_TRUE(bar->testAttribute(Qt::WA_OpaquePaintEvent));
    const QImage alone = page->grab().toImage();
    bar->setAttribute(Qt::WA_OpaquePaintEvent, false);
    const QImage withBackground = page->grab().toImage();
    bar->setAttribute(Qt::WA_OpaquePaintEvent, true);
    int differing = 0;
    QPoint first;
    for (int y = 0; y < alone.height(); ++y)
      for (int x = 0; x < alone.width(); ++x)
        if (alone.pixel(x, y) != withBackground.pixel(x, y) && differing++ == 0) first = QPoint(x, y);
    EXPECT_EQ(differing, 0) << "first at " << first.x() << "," << first.y() << " of bar at " << bar->geometry().x()
                            << "," << bar->geometry().y() << " " << bar->width() << "x" << bar->height() << " "
                            << std::hex << alone.pixel(first) << " vs " << withBackground.pixel(first);
    // The bar draws from pictures of its states; they match what the
    // program's style draws.
    EXPECT_EQ(bar->grab().toImage().convertToFormat(QImage::Format_ARGB32),
              DrawnByTheStyle(bar).convertToFormat(QImage::Format_ARGB32));
  }
}

TEST(Windows, HandlesAreValidatedAndDestroyedWindowsGoQuiet) {
  HWND dialog = CreateTestDialog(IDD_ABOUT_PORTRAIT);
  HWND label = GetDlgItem(dialog, static_cast<int>(IDC_ABOUT_VERSION));
  ASSERT_TRUE(IsWindow(label));
  EXPECT_TRUE(DestroyWindow(dialog));
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_FALSE(IsWindow(label));
  EXPECT_FALSE(DestroyWindow(dialog));
  EXPECT_FALSE(SetWindowTextW(label, L"x"));
  EXPECT_EQ(GetDlgItem(dialog, static_cast<int>(IDC_ABOUT_VERSION)), nullptr);
  EXPECT_FALSE(IsWindowEnabled(label));
  RECT rect{0, 0, 4, 8};
  EXPECT_FALSE(MapDialogRect(dialog, &rect));
  // The dialog heard WM_DESTROY once and then WM_NCDESTROY.
  std::vector<ReceivedMessage> destroys = ReceivedOf(WM_DESTROY);
  ASSERT_EQ(destroys.size(), 1u);
  EXPECT_EQ(ReceivedOf(WM_NCDESTROY).size(), 1u);
}

TEST(Windows, OwnerWindowIsAStaticThatIsNeverShown) {
  EnsureTestApplication();
  HWND owner = CreateWindowExW(0, L"static", L"Zelmora 3.0", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(UiWindow::FromHandle(owner)->Widget(), nullptr);
  wchar_t text[32];
  GetWindowTextW(owner, text, 32);
  EXPECT_EQ(std::wstring(text), L"Zelmora 3.0");
  EXPECT_EQ(CreateWindowExW(0, L"button", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_TRUE(DestroyWindow(owner));
}

}  // namespace
