#include "pages/about_page.h"

#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/ui/dialog_window.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/resource_images.h"
#include "platform/ui/screen.h"
#include "platform/ui/ui_application.h"
#include "resources/resource_ids.h"

namespace {

struct LogoCase {
  int width;
  int height;
  int x;
  int y;
  int scale;
};

void PrintTo(const LogoCase& c, std::ostream* out) { *out << c.width << "x" << c.height; }

class AboutLogoTest : public ::testing::TestWithParam<LogoCase> {};

// Whether the page shows the logo, scaled nearest-neighbour, at (x, y).
bool LogoAt(const QImage& page, const QImage& logo, int x, int y, int scale) {
  for (int j = 0; j < logo.height() * scale; ++j) {
    for (int i = 0; i < logo.width() * scale; ++i) {
      if (page.pixel(x + i, y + j) != logo.pixel(i / scale, j / scale)) return false;
    }
  }
  return true;
}

TEST_P(AboutLogoTest, LogoSitsAtItsScaleAndPlace) {
  const LogoCase& c = GetParam();
  EnsureTestApplication();
  SetScreenSize(c.width, c.height);
  CAboutPpg page;
  ASSERT_NE(page.CreatePageWindow(nullptr), nullptr);
  auto* window = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(page.m_hWnd));
  window->Widget()->resize(c.width, c.height - 40);
  std::size_t objects = GdiObjectCount();
  window->Widget()->grab();
  EXPECT_EQ(GdiObjectCount(), objects) << "each paint gives back its context and bitmap";

  QImage shown = window->BackingImage();
  QImage logo = LoadBitmapImage(nullptr, MAKEINTRESOURCEW(IDB_LOGO));
  ASSERT_EQ(logo.size(), QSize(111, 37));
  EXPECT_TRUE(LogoAt(shown, logo, c.x, c.y, c.scale));
  EXPECT_FALSE(LogoAt(shown, logo, c.x + 1, c.y, c.scale));
  EXPECT_FALSE(LogoAt(shown, logo, c.x, c.y + 1, c.scale));
  page.DestroyWindow();
  SetScreenSize(480, 640);
}

INSTANTIATE_TEST_SUITE_P(Screens, AboutLogoTest,
                         ::testing::Values(LogoCase{240, 320, 11, 10, 1}, LogoCase{320, 240, 11, 10, 1},
                                           LogoCase{480, 640, 22, 20, 2}, LogoCase{640, 480, 22, 20, 2}),
                         [](const ::testing::TestParamInfo<LogoCase>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

}  // namespace
