// Drawing through a window's device context: the screen shows every pixel
// drawn, and only the parts drawn on are painted again (a page that draws a
// small graph once a second must not repaint its whole window and every
// control on it), at 1:1 and zoomed.
#include <QApplication>
#include <QElapsedTimer>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/ui/dialog_window.h"
#include "platform/ui/gdi.h"
#include "resources/resource_ids.h"
#include "ui_test_window.h"

namespace {

// Gathers the regions of the paint events a widget receives.
class PaintedRegions : public QObject {
 public:
  QRegion region;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) region += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

class WindowDrawingTest : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    dialog = CreateTestDialog(IDD_SETUP_PORTRAIT);
    ASSERT_NE(dialog, nullptr);
    window = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(dialog));
    ASSERT_NE(window, nullptr);
    window->SetZoom(GetParam());
    page = window->Widget();
    // Only the page's own pixels: its controls would take the paints of
    // what lies under them.
    for (QWidget* control : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) control->hide();
    page->show();
    Settle();
    page->installEventFilter(&painted);
  }
  void TearDown() override { DestroyWindow(dialog); }
  // Lets the toolkit deliver the paints it has asked for (it may hold a
  // repaint back a few milliseconds, to the screen's pace).
  static void Settle() {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }

  HWND dialog = nullptr;
  DialogWindow* window = nullptr;
  QWidget* page = nullptr;
  PaintedRegions painted;
};

TEST_P(WindowDrawingTest, RepaintsWhatWasDrawnAndNothingElse) {
  const double zoom = GetParam();
  const QImage before = window->BackingImage().copy();

  HDC dc = GetDC(dialog);
  ASSERT_NE(dc, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HPEN wide = CreatePen(PS_SOLID, 3, RGB(0, 0, 255));
  const RECT box{10, 10, 30, 20};
  FillRect(dc, &box, red);
  const HGDIOBJ previousPen = SelectObject(dc, wide);
  Ellipse(dc, 50, 40, 90, 80);
  SelectObject(dc, previousPen);
  const POINT line[] = {{100, 100}, {140, 130}, {100, 150}};
  Polyline(dc, line, 3);
  RECT text{20, 120, 200, 140};
  DrawTextW(dc, L"Wqj", -1, &text, DT_NOCLIP);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 12, 12);
  const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
  BitBlt(dc, 150, 10, 12, 12, memory, 0, 0, SRCCOPY);  // a black square
  StretchBlt(dc, 150, 60, 30, 30, memory, 0, 0, 12, 12, SRCCOPY);
  SelectObject(memory, previousBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ASSERT_EQ(ReleaseDC(dialog, dc), 1);
  DeleteObject(red);
  DeleteObject(wide);
  Settle();

  // Every pixel that changed lies in a painted part of the widget.
  const QImage& after = window->BackingImage();
  int changed = 0;
  for (int y = 0; y < after.height(); ++y) {
    for (int x = 0; x < after.width(); ++x) {
      if (after.pixel(x, y) == before.pixel(x, y)) continue;
      ++changed;
      const QRect shown = QRectF(x * zoom, y * zoom, zoom, zoom).toAlignedRect();
      ASSERT_TRUE(painted.region.contains(shown)) << "pixel " << x << "," << y << " drawn but not shown";
    }
  }
  EXPECT_GT(changed, 500);
  // The far corner of the page, and the controls there, were left alone.
  EXPECT_FALSE(painted.region.contains(QPoint(page->width() - 2, page->height() - 2)));
  EXPECT_LT(painted.region.boundingRect().height(), page->height() / 2);

  // And the screen shows what a full repaint shows. A zoomed window's
  // smoothing, painted in parts, may round a channel one step apart.
  const QImage shown = page->screen()->grabWindow(page->winId()).toImage().convertToFormat(QImage::Format_RGB32);
  const QImage repainted = page->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const auto near = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 1 && std::abs(qGreen(a) - qGreen(b)) <= 1 &&
           std::abs(qBlue(a) - qBlue(b)) <= 1;
  };
  for (int y = 0; y < repainted.height(); ++y) {
    for (int x = 0; x < repainted.width(); ++x) {
      ASSERT_TRUE(near(shown.pixel(x, y), repainted.pixel(x, y))) << "screen pixel " << x << "," << y;
    }
  }
}

// A graph composed in memory and copied whole onto the window every second:
// only what changed since the last copy is painted again.
TEST_P(WindowDrawingTest, CopiesRepaintOnlyThePixelsTheyChange) {
  const double zoom = GetParam();
  HDC dc = GetDC(dialog);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 100, 80);
  const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, 100, 80, nullptr, 0, 0, WHITENESS);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT dot{40, 30, 42, 32};
  FillRect(memory, &dot, blue);
  BitBlt(dc, 20, 200, 100, 80, memory, 0, 0, SRCCOPY);
  Settle();

  painted.region = QRegion();
  BitBlt(dc, 20, 200, 100, 80, memory, 0, 0, SRCCOPY);
  Settle();
  EXPECT_TRUE(painted.region.isEmpty()) << "the same pixels again";

  const RECT second{70, 10, 72, 12};
  FillRect(memory, &second, blue);
  BitBlt(dc, 20, 200, 100, 80, memory, 0, 0, SRCCOPY);
  Settle();
  EXPECT_TRUE(painted.region.contains(QRectF(90 * zoom, 210 * zoom, 2 * zoom, 2 * zoom).toAlignedRect()))
      << "painted " << painted.region.boundingRect().width() << "x" << painted.region.boundingRect().height();
  EXPECT_LE(painted.region.boundingRect().width(), 2 * zoom + 4);
  EXPECT_LE(painted.region.boundingRect().height(), 2 * zoom + 4);
  EXPECT_EQ(window->BackingImage().pixel(90, 210), qRgb(0, 0, 255));
  EXPECT_EQ(window->BackingImage().pixel(60, 230), qRgb(0, 0, 255)) << "the first dot stays";

  SelectObject(memory, previousBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  DeleteObject(blue);
  ReleaseDC(dialog, dc);
}

INSTANTIATE_TEST_SUITE_P(Zooms, WindowDrawingTest, ::testing::Values(1.0, 1.25, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return "x" + std::to_string(static_cast<int>(info.param * 100));
                         });

}  // namespace
