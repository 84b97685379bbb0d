#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/ui/property_sheet_window.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"
#include "resources/resource_ids.h"
#include "test_pages.h"

namespace {

using Log = std::vector<std::string>;

class PropertySheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    PageLog().clear();
    owner = CreateWindowExW(0, L"static", L"Owner", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ownerWnd.Attach(owner);
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.AddPage(&third);
  }
  void TearDown() override {
    ownerWnd.Detach();
    DestroyWindow(owner);
    SetScreenSize(480, 640);
  }
  // Runs `steps` once the sheet's modal loop runs, then the sheet.
  INT_PTR Run(std::function<void()> steps) {
    QTimer::singleShot(0, [steps] { steps(); });
    return sheet.DoModal();
  }
  LRESULT Sheet(UINT message, WPARAM wParam = 0) { return SendMessageW(sheet.m_hWnd, message, wParam, 0); }

  HWND owner = nullptr;
  CWnd ownerWnd;
  CPropertySheet sheet{L"", &ownerWnd, 0};
  CLoggingPage first{IDD_ABOUT_PORTRAIT, "A"};
  CLoggingPage second{IDD_ABOUT_LANDSCAPE, "B"};
  CLoggingPage third{IDD_ABOUT_SQUARE, "C"};
};

TEST_F(PropertySheetTest, PagesAreMadeWhenFirstShownAndLiveUntilTheSheetCloses) {
  INT_PTR result = Run([this] {
    EXPECT_EQ(PageLog(), (Log{"A:init", "A:active"}));
    EXPECT_FALSE(IsWindowEnabled(owner)) << "the owner is disabled while the sheet runs";
    EXPECT_TRUE(IsWindow(first.m_hWnd));
    EXPECT_EQ(second.m_hWnd, nullptr);
    EXPECT_EQ(first.m_nSizes, 1);
    EXPECT_TRUE(Sheet(PSM_SETCURSEL, 1));
    EXPECT_TRUE(IsWindow(first.m_hWnd)) << "a page lives on behind the others";
    EXPECT_TRUE(Sheet(PSM_SETCURSEL, 0));
    Sheet(WM_CLOSE);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(PageLog(), (Log{"A:init", "A:active", "A:leave", "B:init", "B:active", "B:leave", "A:active", "A:destroy",
                            "B:destroy"}));
  EXPECT_EQ(first.m_hWnd, nullptr);
  EXPECT_EQ(second.m_hWnd, nullptr);
  EXPECT_EQ(sheet.m_hWnd, nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(PropertySheetTest, OkAppliesEveryCreatedPageBeforeAnyWindowGoes) {
  INT_PTR result = Run([this] {
    Sheet(PSM_SETCURSEL, 2);
    PageLog().clear();
    Sheet(WM_COMMAND, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(PageLog(), (Log{"C:leave", "A:ok", "C:ok", "A:destroy", "C:destroy"}));
}

TEST_F(PropertySheetTest, APageThatRefusesToBeLeftKeepsTheSheetOpen) {
  INT_PTR result = Run([this] {
    first.m_bRefuseLeaving = true;
    EXPECT_FALSE(Sheet(PSM_SETCURSEL, 1));
    EXPECT_EQ(second.m_hWnd, nullptr);
    Sheet(WM_COMMAND, IDOK);
    EXPECT_TRUE(IsWindow(first.m_hWnd)) << "OK refused";
    first.m_bRefuseLeaving = false;
    Sheet(WM_COMMAND, IDOK);
  });
  EXPECT_EQ(result, IDOK);
}

TEST_F(PropertySheetTest, EveryCreatedPageIsSizedWhenTheScreenChanges) {
  Run([this] {
    Sheet(PSM_SETCURSEL, 1);
    int before = first.m_nSizes;
    RotateScreen();
    EXPECT_EQ(first.m_nSizes, before + 1) << "the hidden page too";
    EXPECT_EQ(second.m_nSizes, 2);
    EXPECT_EQ(third.m_nSizes, 0);
    Sheet(WM_CLOSE);
  });
}

TEST_F(PropertySheetTest, TheStartPageAndPageRemoval) {
  CPropertySheet other(L"Caption", nullptr, 2);
  other.AddPage(&first);
  other.AddPage(&third);
  other.AddPage(&second);
  QTimer::singleShot(0, [&] { SendMessageW(other.m_hWnd, WM_CLOSE, 0, 0); });
  other.DoModal();
  EXPECT_EQ(PageLog(), (Log{"B:init", "B:active", "B:destroy"}));
  other.RemovePage(&third);
  EXPECT_EQ(other.GetPageCount(), 2);
  EXPECT_EQ(other.GetPage(1), &second);
  other.RemovePage(0);
  EXPECT_EQ(other.GetPage(0), &second);
  EXPECT_EQ(first.Caption(), L"About");
}

}  // namespace
