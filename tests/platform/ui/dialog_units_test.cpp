#include <QFontMetrics>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/ui/dialog_font.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_window.h"
#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

class DialogUnitsTest : public ::testing::TestWithParam<std::pair<int, int>> {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    SetScreenSize(GetParam().first, GetParam().second);
  }
  void TearDown() override { SetScreenSize(480, 640); }
};

// The base units are the scale-1 font's: the 52 letters' average width,
// rounded as the handheld does, and its height; VGA screens double them.
TEST_P(DialogUnitsTest, MapDialogRectUsesTheDialogFontOfTheScreen) {
  QFontMetrics metrics(DialogFont(1));
  int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  int cx = (letters / 26 + 1) / 2 * ScreenScale();
  int cy = metrics.height() * ScreenScale();
  EXPECT_EQ(DialogFont(1).pixelSize(), 12);

  HWND dialog = CreateTestDialog(IDD_SETUP_PORTRAIT);
  RECT rect{4, 8, 137, 146};
  ASSERT_TRUE(MapDialogRect(dialog, &rect));
  EXPECT_EQ(rect.left, (4 * cx + 2) / 4);
  EXPECT_EQ(rect.top, cy);
  EXPECT_EQ(rect.right, (137 * cx + 2) / 4);
  EXPECT_EQ(rect.bottom, (146 * cy + 4) / 8);
  // The page's portrait template fits its screen's width.
  EXPECT_LE(rect.right, GetSystemMetrics(SM_CXSCREEN));

  // Every control starts at its template rectangle.
  const DialogPage& setup = DialogPages()[0];
  for (const DialogControl& control : setup.controls) {
    const DialogRect& r = control.rects[kPortraitLayout];
    RECT expected{r.x, r.y, r.x + r.cx, r.y + r.cy};
    MapDialogRect(dialog, &expected);
    QWidget* widget = UiWindow::FromHandle(GetDlgItem(dialog, control.id))->Widget();
    EXPECT_EQ(widget->x(), expected.left) << control.id;
    EXPECT_EQ(widget->y(), expected.top) << control.id;
    EXPECT_EQ(widget->width(), expected.right - expected.left) << control.id;
    if (control.windowClass != DialogClass::ComboBox) {
      EXPECT_EQ(widget->height(), expected.bottom - expected.top) << control.id;
    }
  }
  DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Screens, DialogUnitsTest,
                         ::testing::Values(std::pair{240, 320}, std::pair{320, 240}, std::pair{480, 640},
                                           std::pair{640, 480}),
                         [](const ::testing::TestParamInfo<std::pair<int, int>>& info) {
                           return std::to_string(info.param.first) + "x" + std::to_string(info.param.second);
                         });

TEST(Screen, SizeRotationAndCommandLine) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 480);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 640);
  int calls = 0;
  SetScreenListener([&] { ++calls; });
  RotateScreen();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  EXPECT_TRUE(SetScreenSize(640, 480));
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(SetScreenSize(0, 480));
  EXPECT_TRUE(SetScreenSize(320, 240));
  EXPECT_EQ(ScreenScale(), 1);
  EXPECT_TRUE(SetScreenSize(321, 240));
  EXPECT_EQ(ScreenScale(), 2);
  SetScreenListener({});
  SetScreenSize(480, 640);

  int width = 0;
  int height = 0;
  EXPECT_TRUE(ParseScreenSize("240x320", width, height));
  EXPECT_EQ(width, 240);
  EXPECT_EQ(height, 320);
  for (const char* bad : {"240", "x320", "240x", "240x320x", "-240x320", "240 x320", "0x10", "99999x10"}) {
    EXPECT_FALSE(ParseScreenSize(bad, width, height)) << bad;
  }
}

}  // namespace
