#include <QLabel>
#include <gtest/gtest.h>

#include "platform/ui/ui_application.h"
#include "platform/ui/ui_window.h"
#include "resources/resource_ids.h"
#include "test_pages.h"

namespace {

class DataExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    ASSERT_NE(page.CreatePageWindow(nullptr), nullptr);
  }
  void TearDown() override { page.DestroyWindow(); }

  CComboPage page;
};

TEST_F(DataExchangeTest, InitialisationFillsTheSpeedsAndBindsTheControls) {
  ASSERT_EQ(page.m_cbBaudRate.m_hWnd, GetDlgItem(page.m_hWnd, static_cast<int>(IDC_SETUP_BAUD)));
  const wchar_t* speeds[] = {L"1200", L"2400", L"4800", L"9600", L"14400", L"19200", L"38400", L"57600", L"115200"};
  ASSERT_EQ(page.m_cbBaudRate.GetCount(), 9);
  for (int i = 0; i < 9; ++i) {
    std::wstring text;
    page.m_cbBaudRate.GetLBText(i, text);
    EXPECT_EQ(text, speeds[i]);
  }
  EXPECT_EQ(page.m_cbBaudRate.GetCurSel(), CB_ERR) << "the member was empty";
  EXPECT_EQ(page.m_strLabel, L"") << "towards the controls at initialisation";
}

TEST_F(DataExchangeTest, ComboBoxesAreExchangedByTheirWholeTextWithoutRegardToCase) {
  for (const wchar_t* port : {L"COM1: Serial", L"COM2:", L"COM3: USB"}) page.m_cbPort.AddString(port);
  page.m_strPort = L"com2:";
  page.m_strBaudRate = L"4800";
  page.UpdateData(FALSE);
  EXPECT_EQ(page.m_cbPort.GetCurSel(), 1);
  EXPECT_EQ(page.m_cbBaudRate.GetCurSel(), 2);

  // No entry equals the text (a beginning is not enough): the selection stays.
  page.m_strPort = L"COM3:";
  page.m_strBaudRate = L"4801";
  page.UpdateData(FALSE);
  EXPECT_EQ(page.m_cbPort.GetCurSel(), 1);
  EXPECT_EQ(page.m_cbBaudRate.GetCurSel(), 2);

  page.UpdateData(TRUE);
  EXPECT_EQ(page.m_strPort, L"COM2:");
  EXPECT_EQ(page.m_strBaudRate, L"4800");
  page.m_cbPort.SetCurSel(-1);
  page.UpdateData(TRUE);
  EXPECT_EQ(page.m_strPort, L"");
}

TEST_F(DataExchangeTest, TextsGoBothWaysAndAnEqualTextIsNotSetAgain) {
  HWND label = GetDlgItem(page.m_hWnd, static_cast<int>(IDC_SETUP_PORT_LABEL));
  SetWindowTextW(label, L"COM Port:");
  page.UpdateData(TRUE);
  EXPECT_EQ(page.m_strLabel, L"COM Port:");
  page.m_strLabel = L"Port";
  page.UpdateData(FALSE);
  wchar_t text[16];
  GetWindowTextW(label, text, 16);
  EXPECT_EQ(std::wstring(text), L"Port");

  // The widget shows something else now; an unchanged member leaves it be.
  auto* widget = qobject_cast<QLabel*>(UiWindow::FromHandle(label)->Widget());
  widget->setText(QStringLiteral("painted"));
  page.UpdateData(FALSE);
  EXPECT_EQ(widget->text(), QStringLiteral("painted"));
}

TEST_F(DataExchangeTest, BoundControlsFollowTheirPageWindow) {
  HWND before = page.m_cbPort.m_hWnd;
  page.DestroyWindow();
  EXPECT_EQ(page.m_hWnd, nullptr) << "a page lets go of its window after the last message";
  ASSERT_NE(page.CreatePageWindow(nullptr), nullptr);
  EXPECT_NE(page.m_cbPort.m_hWnd, before);
  EXPECT_EQ(page.m_cbPort.m_hWnd, GetDlgItem(page.m_hWnd, static_cast<int>(IDC_SETUP_PORT)));
}

}  // namespace
