#include "platform/ui/accessibility.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

#include "platform/ui/property_sheet_window.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

QString AccessibleName(QWidget* widget) {
  return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

// The labels screen readers announce a widget with ("labelled by").
QStringList LabelsOf(QWidget* widget) {
  QStringList labels;
  for (const auto& [label, relation] : QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label)) {
    labels << label->text(QAccessible::Name);
  }
  return labels;
}

template <typename T>
T* ByText(QWidget* root, const QString& text) {
  for (T* widget : root->findChildren<T*>()) {
    if (widget->text() == text) return widget;
  }
  return nullptr;
}

// A sheet of the program's three page templates, run by RunPropertySheet;
// `during` runs inside its loop, with the sheet's window active, and the
// sheet closes after it.
class ThreePages : public PropertySheetClient {
 public:
  int PageCount() const override { return 3; }
  std::wstring PageCaption(int index) const override { return std::wstring(L"Page ") + wchar_t(L'1' + index); }
  void SheetWindowChanged(HWND) override {}
  HWND CreatePage(int index, HWND sheet) override {
    const UINT templates[] = {IDD_SETUP_PORTRAIT, IDD_GPSINFO_PORTRAIT, IDD_ABOUT_PORTRAIT};
    return CreateDialogParamW(nullptr, MAKEINTRESOURCEW(templates[index]), sheet, &RecordingProc, 0);
  }
  bool PageActivated(int index, bool active) override {
    if (active) activated.push_back(index);
    return true;
  }
  bool ApplyPages() override { return true; }

  void Run(std::function<void(QWidget* window)> during) {
    EnsureTestApplication();
    // Small enough for the offscreen desktop: the sheet shows it 1:1.
    SetScreenSize(240, 320);
    QTimer::singleShot(0, [during] {
      HWND sheet = RunningPropertySheet();
      QWidget* window = UiWindow::FromHandle(sheet)->Widget();
      QApplication::setActiveWindow(window);
      during(window);
      PostMessageW(sheet, WM_CLOSE, 0, 0);
    });
    RunPropertySheet(*this, nullptr, L"Sheet", 0);
    SetScreenSize(480, 640);
  }

  std::vector<int> activated;
};

TEST(SheetKeyboard, CtrlTabAndCtrlPageKeysSwitchPagesAndLeaveTheFocusedComboAlone) {
  ThreePages pages;
  pages.Run([&](QWidget* window) {
    HWND page = reinterpret_cast<HWND>(SendMessageW(RunningPropertySheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND port = GetDlgItem(page, IDC_SETUP_PORT);
    for (const wchar_t* text : {L"COM1:", L"COM2:", L"COM3:"}) {
      SendMessageW(port, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageW(port, CB_SETCURSEL, 0, 0);
    auto* combo = static_cast<QComboBox*>(UiWindow::FromHandle(port)->Widget());
    combo->setFocus();
    ASSERT_TRUE(combo->hasFocus());
    auto* tabs = window->findChild<QTabBar*>();

    QTest::keyClick(combo, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(combo->currentIndex(), 0) << "Ctrl+PgDn went to the combo box";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0) << "Ctrl+Tab goes round";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs->currentIndex(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_EQ(combo->currentIndex(), 0);
    EXPECT_EQ(SendMessageW(port, CB_GETCURSEL, 0, 0), 0);
  });
  // Each switch was a page activation, as a tap on the tab is.
  EXPECT_EQ(pages.activated, (std::vector<int>{0, 1, 2, 0, 2, 1}));
}

TEST(SheetKeyboard, TabGoesRoundOkCloseThePagesControlsAndTheTabs) {
  ThreePages pages;
  pages.Run([&](QWidget* window) {
    HWND page = reinterpret_cast<HWND>(SendMessageW(RunningPropertySheet(), PSM_GETCURRENTPAGEHWND, 0, 0));
    auto control = [page](UINT id) { return UiWindow::FromHandle(GetDlgItem(page, static_cast<int>(id)))->Widget(); };
    QWidget* ok = ByText<QPushButton>(window, "ok");
    QWidget* close = ByText<QPushButton>(window, QStringLiteral("\u00D7"));
    QWidget* tabs = window->findChild<QTabBar*>();
    ok->setFocus();
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    for (int i = 0; i < 8; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      visited.push_back(QApplication::focusWidget());
    }
    // Cold Start is disabled.
    EXPECT_EQ(visited, (std::vector<QWidget*>{ok, close, control(IDC_SETUP_PORT), control(IDC_SETUP_BAUD),
                                              control(IDC_SETUP_SCAN), control(IDC_SETUP_START_STOP),
                                              control(IDC_SETUP_RAW_TEXT), tabs, ok}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_NE(qobject_cast<QTabBar*>(QApplication::focusWidget()), nullptr) << "Shift+Tab goes back";
  });
}

TEST(SheetAccessibility, TheWindowIsAFrameNamedByItsTitleAndTheButtonsHaveNames) {
  ThreePages pages;
  pages.Run([&](QWidget* window) {
    QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(window);
    EXPECT_EQ(frame->role(), QAccessible::Window);
    EXPECT_EQ(frame->text(QAccessible::Name), "Sheet");
    EXPECT_EQ(AccessibleName(ByText<QPushButton>(window, "ok")), "OK");
    EXPECT_EQ(AccessibleName(ByText<QPushButton>(window, QStringLiteral("\u00D7"))), "Close");
  });
}

TEST(DialogAccessibility, ACaptionLabelsTheControlBesideItInTheTemplate) {
  // The Setup page lists each combo box before its caption; the landscape
  // template puts both captions on one line.
  for (UINT id : {IDD_SETUP_PORTRAIT, IDD_SETUP_LANDSCAPE}) {
    HWND dialog = CreateTestDialog(id);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(LabelsOf(UiWindow::FromHandle(GetDlgItem(dialog, IDC_SETUP_PORT))->Widget()), QStringList{"COM Port:"});
    EXPECT_EQ(LabelsOf(UiWindow::FromHandle(GetDlgItem(dialog, IDC_SETUP_BAUD))->Widget()), QStringList{"Baud Rate:"});
    EXPECT_EQ(LabelsOf(UiWindow::FromHandle(GetDlgItem(dialog, IDC_SETUP_SCAN))->Widget()), QStringList{});
    DestroyWindow(dialog);
  }
  // A text without a colon labels nothing.
  HWND about = CreateTestDialog(IDD_ABOUT_LANDSCAPE);
  for (QLabel* label : UiWindow::FromHandle(about)->Widget()->findChildren<QLabel*>()) {
    EXPECT_EQ(label->buddy(), nullptr) << label->text().toStdString();
  }
  DestroyWindow(about);
}

TEST(DialogAccessibility, APictureIsAnImageWithANameADescriptionAndAPlace) {
  HWND dialog = CreateTestDialog(IDD_GPSINFO_PORTRAIT);
  HWND picture = CreateAccessiblePicture(dialog, 2001, 10, 20, 30, 40);
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(SetWindowAccessibleName(picture, L"Sky plot"));
  EXPECT_TRUE(SetWindowAccessibleDescription(picture, L"3 satellites in view, 2 used"));
  EXPECT_TRUE(MoveWindow(picture, 5, 6, 7, 8, FALSE));
  QWidget* widget = UiWindow::FromHandle(picture)->Widget();
  QAccessibleInterface* image = QAccessible::queryAccessibleInterface(widget);
  EXPECT_EQ(image->role(), QAccessible::Graphic);
  EXPECT_EQ(image->text(QAccessible::Name), "Sky plot");
  EXPECT_EQ(image->text(QAccessible::Description), "3 satellites in view, 2 used");
  EXPECT_EQ(widget->geometry(), QRect(5, 6, 7, 8));
  EXPECT_TRUE(widget->testAttribute(Qt::WA_TransparentForMouseEvents));
  EXPECT_EQ(GetDlgItem(dialog, 2001), picture);
  DestroyWindow(dialog);
  EXPECT_FALSE(IsWindow(picture)) << "the picture goes with its dialog";
  EXPECT_EQ(CreateAccessiblePicture(nullptr, 1, 0, 0, 1, 1), nullptr);
}

}  // namespace
