// The single-line box the user types into: typed text is its window text,
// the program's text shows, it follows the zoom, and screen readers see an
// editable text with its name.
#include <QAccessible>
#include <QFontInfo>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include "platform/ui/accessibility.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

TEST(LineEdit, TypedTextIsItsWindowTextAndScreenReadersSeeAnEditableText) {
  HWND dialog = CreateTestDialog(IDD_ACCURACY_PORTRAIT);
  HWND edit = GetDlgItem(dialog, IDC_ACC_REFERENCE_POINT);
  auto* box = qobject_cast<QLineEdit*>(UiWindow::FromHandle(edit)->Widget());
  ASSERT_NE(box, nullptr) << "an edit without ES_MULTILINE and ES_READONLY takes typed text";
  QTest::keyClicks(box, "45.5,-122.6");
  wchar_t text[32] = {};
  EXPECT_EQ(GetWindowTextW(edit, text, 32), 11);
  EXPECT_STREQ(text, L"45.5,-122.6");
  SetWindowTextW(edit, L"1,2");
  EXPECT_EQ(box->text(), QStringLiteral("1,2"));
  EXPECT_TRUE(box->focusPolicy() & Qt::TabFocus);

  SetWindowAccessibleName(edit, L"Reference point");
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
  EXPECT_EQ(accessible->role(), QAccessible::EditableText);
  EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Reference point"));

  const QRect shown = box->geometry();
  const int font = QFontInfo(box->font()).pixelSize();
  UiWindow::FromHandle(dialog)->SetZoom(2.0);
  EXPECT_EQ(box->geometry(), QRect(shown.topLeft() * 2, shown.size() * 2));
  EXPECT_NEAR(QFontInfo(box->font()).pixelSize(), font * 2, 1.0);
  DestroyWindow(dialog);
}

}  // namespace
