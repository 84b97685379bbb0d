// The single-line edit box the user types into (the Accuracy page's
// reference point): typed text is its window text, the program's text shows,
// it is reached by Tab in template order, and screen readers see an editable
// text with its name. The read-only multi-line boxes stay log views.
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <string>

#include "platform/ui/accessibility.h"
#include "platform/ui/edit_window.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

class LineEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog = CreateTestDialog(IDD_ACCURACY_PORTRAIT);
    ASSERT_NE(dialog, nullptr);
    edit = GetDlgItem(dialog, IDC_ACC_REFERENCE_POINT);
    box = qobject_cast<QLineEdit*>(UiWindow::FromHandle(edit)->Widget());
    ASSERT_NE(box, nullptr) << "an edit without ES_MULTILINE and ES_READONLY takes typed text";
  }
  void TearDown() override { DestroyWindow(dialog); }

  HWND dialog = nullptr;
  HWND edit = nullptr;
  QLineEdit* box = nullptr;
};

TEST_F(LineEditTest, TypedTextIsTheWindowTextAndTheProgramsTextShows) {
  QTest::keyClicks(box, "45.5,-122.6");
  EXPECT_EQ(TextOf(edit), L"45.5,-122.6");
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 11);
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(TextOf(edit), L"45.5,-122.");

  EXPECT_TRUE(SetWindowTextW(edit, L"1,2"));
  EXPECT_EQ(box->text(), QStringLiteral("1,2"));
  QTest::keyClicks(box, ",3");
  EXPECT_EQ(TextOf(edit), L"1,2,3") << "typing goes on at the end of the program's text";
  EXPECT_TRUE(SetWindowTextW(edit, L""));
  EXPECT_TRUE(box->text().isEmpty());
  EXPECT_TRUE(ReceivedOf(WM_COMMAND).empty()) << "typing clicks nothing";

  // The raw and results boxes, multi-line and read-only, are not these.
  HWND setup = CreateTestDialog(IDD_SETUP_PORTRAIT);
  EXPECT_NE(dynamic_cast<EditWindow*>(UiWindow::FromHandle(GetDlgItem(setup, IDC_SETUP_RAW_TEXT))), nullptr);
  DestroyWindow(setup);
}

TEST_F(LineEditTest, ScreenReadersSeeAnEditableTextWithItsNameHintAndText) {
  EXPECT_TRUE(SetWindowAccessibleName(edit, L"Reference point"));
  EXPECT_TRUE(SendMessageW(edit, EM_SETCUEBANNER, FALSE, reinterpret_cast<LPARAM>(L"LAT,LON[,ALT]")));
  EXPECT_EQ(box->placeholderText(), QStringLiteral("LAT,LON[,ALT]"));
  SetWindowTextW(edit, L"45.5,-122.6");
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->role(), QAccessible::EditableText);
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Reference point"));
  ASSERT_NE(accessible->textInterface(), nullptr);
  EXPECT_EQ(accessible->textInterface()->text(0, accessible->textInterface()->characterCount()),
            QStringLiteral("45.5,-122.6"));
  EXPECT_FALSE(accessible->state().readOnly);
}

TEST_F(LineEditTest, TabReachesTheBoxAndGoesOnToTheNextControlInTheTemplate) {
  QWidget* page = UiWindow::FromHandle(dialog)->Widget();
  page->show();
  QApplication::setActiveWindow(page);
  auto* setReference = UiWindow::FromHandle(GetDlgItem(dialog, IDC_ACC_SET_REFERENCE))->Widget();
  EXPECT_TRUE(box->focusPolicy() & Qt::TabFocus);
  box->setFocus();
  ASSERT_TRUE(box->hasFocus());
  QTest::keyClick(box, Qt::Key_Tab);
  EXPECT_TRUE(setReference->hasFocus());
  QTest::keyClick(setReference, Qt::Key_Backtab);
  EXPECT_TRUE(box->hasFocus());
}

}  // namespace
