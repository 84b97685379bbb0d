#include "platform/ui/gdi.h"

#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

#include "platform/ui/dialog_font.h"
#include "platform/ui/gdi_objects.h"
#include "platform/ui/screen.h"
#include "platform/ui/resource_images.h"
#include "platform/ui/ui_application.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;

// A memory context over a white bitmap of its own.
class GdiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureTestApplication();
    objectsBefore = GdiObjectCount();
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, 40, 30);
    stockBitmap = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, 40, 30, nullptr, 0, 0, WHITENESS);
  }
  void TearDown() override {
    EXPECT_FALSE(DeleteObject(bitmap)) << "a selected bitmap cannot be deleted";
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_EQ(GdiObjectCount(), objectsBefore);
  }
  QRgb Pixel(int x, int y) const { return GdiBitmapImage(bitmap)->pixel(x, y); }
  // The columns of row y that are not white.
  std::vector<int> Inked(int y) const {
    std::vector<int> xs;
    for (int x = 0; x < 40; ++x) {
      if (Pixel(x, y) != kWhite) xs.push_back(x);
    }
    return xs;
  }

  std::size_t objectsBefore = 0;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ stockBitmap = nullptr;
};

TEST_F(GdiTest, FillRectLeavesOutTheRightAndBottomEdge) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT rect{2, 3, 6, 5};
  EXPECT_TRUE(FillRect(dc, &rect, red));
  EXPECT_EQ(Pixel(2, 3), qRgb(255, 0, 0));
  EXPECT_EQ(Pixel(5, 4), qRgb(255, 0, 0));
  EXPECT_EQ(Pixel(6, 4), kWhite);
  EXPECT_EQ(Pixel(5, 5), kWhite);
  EXPECT_EQ(Pixel(1, 3), kWhite);
  // The null brush paints nothing.
  RECT all{0, 0, 40, 30};
  EXPECT_TRUE(FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))));
  EXPECT_EQ(Pixel(0, 0), kWhite);
  EXPECT_TRUE(DeleteObject(red));
}

TEST_F(GdiTest, EllipseStaysInsideItsBoxWithoutAntiAliasing) {
  HPEN grey = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
  HGDIOBJ oldPen = SelectObject(dc, grey);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  EXPECT_EQ(oldBrush, GetStockObject(WHITE_BRUSH));
  ASSERT_TRUE(Ellipse(dc, 6, 4, 23, 21));  // box 6..22 x 4..20
  std::vector<int> middle = Inked(12);
  ASSERT_FALSE(middle.empty());
  EXPECT_EQ(middle.front(), 6);
  EXPECT_EQ(middle.back(), 22);
  EXPECT_EQ(Inked(3).size(), 0u);
  EXPECT_FALSE(Inked(4).empty());
  EXPECT_FALSE(Inked(20).empty());
  EXPECT_EQ(Inked(21).size(), 0u);
  // Hollow, and only the pen's colour: no blended pixels.
  EXPECT_EQ(Pixel(14, 12), kWhite);
  for (int y = 0; y < 30; ++y) {
    for (int x : Inked(y)) EXPECT_EQ(Pixel(x, y), qRgb(192, 192, 192)) << x << "," << y;
  }
  EXPECT_EQ(SelectObject(dc, oldPen), grey);
  SelectObject(dc, oldBrush);
  EXPECT_TRUE(DeleteObject(grey));
}

TEST_F(GdiTest, PolylineLeavesOutItsLastPoint) {
  HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, black);
  POINT across[] = {{3, 5}, {10, 5}};
  ASSERT_TRUE(Polyline(dc, across, 2));
  EXPECT_EQ(Inked(5), (std::vector<int>{3, 4, 5, 6, 7, 8, 9}));
  POINT corner[] = {{20, 2}, {20, 8}, {25, 8}};
  ASSERT_TRUE(Polyline(dc, corner, 3));
  EXPECT_EQ(Pixel(20, 2), kBlack);
  EXPECT_EQ(Pixel(20, 8), kBlack);  // the inner vertex is drawn
  EXPECT_EQ(Pixel(24, 8), kBlack);
  EXPECT_EQ(Pixel(25, 8), kWhite);  // the last point is not
  SelectObject(dc, old);
  DeleteObject(black);
}

TEST_F(GdiTest, StretchBltDoublesNearestNeighbourAndBitBltCopies) {
  HDC source = CreateCompatibleDC(dc);
  HBITMAP pattern = CreateCompatibleBitmap(dc, 3, 2);
  HGDIOBJ old = SelectObject(source, pattern);
  BitBlt(source, 0, 0, 3, 2, nullptr, 0, 0, WHITENESS);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 128));
  RECT one{1, 0, 2, 1};
  FillRect(source, &one, blue);
  RECT other{2, 1, 3, 2};
  FillRect(source, &other, blue);

  ASSERT_TRUE(StretchBlt(dc, 10, 10, 6, 4, source, 0, 0, 3, 2, SRCCOPY));
  const char* expected[] = {"..##..", "..##..", "....##", "....##"};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 6; ++x) {
      QRgb want = expected[y][x] == '#' ? qRgb(0, 0, 128) : kWhite;
      EXPECT_EQ(Pixel(10 + x, 10 + y), want) << x << "," << y;
    }
  }
  EXPECT_EQ(Pixel(16, 10), kWhite);

  ASSERT_TRUE(BitBlt(dc, 0, 0, 3, 2, source, 0, 0, SRCCOPY));
  EXPECT_EQ(Pixel(1, 0), qRgb(0, 0, 128));
  EXPECT_EQ(Pixel(0, 0), kWhite);
  ASSERT_TRUE(BitBlt(dc, 0, 0, 2, 2, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(Pixel(1, 0), kWhite);
  EXPECT_EQ(Pixel(2, 1), qRgb(0, 0, 128));

  // A bitmap goes into one context at a time.
  EXPECT_EQ(SelectObject(dc, pattern), nullptr);
  EXPECT_EQ(SelectObject(source, old), pattern);
  EXPECT_TRUE(DeleteDC(source));
  EXPECT_TRUE(DeleteObject(pattern));
  EXPECT_TRUE(DeleteObject(blue));
}

TEST_F(GdiTest, CopiesAreClippedToBothImages) {
  // A 3 x 2 source whose pixels all differ: red 10, 20, 30 on the top row,
  // 40, 50, 60 below.
  HDC source = CreateCompatibleDC(dc);
  HBITMAP pattern = CreateCompatibleBitmap(dc, 3, 2);
  HGDIOBJ old = SelectObject(source, pattern);
  for (int i = 0; i < 6; ++i) {
    HBRUSH brush = CreateSolidBrush(RGB(static_cast<BYTE>(10 * i + 10), 0, 0));
    RECT pixel{i % 3, i / 3, i % 3 + 1, i / 3 + 1};
    FillRect(source, &pixel, brush);
    DeleteObject(brush);
  }
  auto red = [](int r) { return qRgb(r, 0, 0); };

  // Off the target's top-left corner, and larger than the source.
  ASSERT_TRUE(BitBlt(dc, -1, -1, 10, 10, source, 0, 0, SRCCOPY));
  EXPECT_EQ(Pixel(0, 0), red(50));
  EXPECT_EQ(Pixel(1, 0), red(60));
  EXPECT_EQ(Pixel(2, 0), kWhite);
  EXPECT_EQ(Pixel(0, 1), kWhite);
  // Off its bottom-right corner.
  ASSERT_TRUE(BitBlt(dc, 38, 29, 3, 2, source, 0, 0, SRCCOPY));
  EXPECT_EQ(Pixel(38, 29), red(10));
  EXPECT_EQ(Pixel(39, 29), red(20));
  // From before the source's corner: only what the source has arrives.
  ASSERT_TRUE(BitBlt(dc, 10, 10, 3, 3, source, -1, -1, SRCCOPY));
  EXPECT_EQ(Pixel(10, 10), kWhite);
  EXPECT_EQ(Pixel(11, 11), red(10));
  EXPECT_EQ(Pixel(12, 12), red(50));

  // Within one image, overlapping: every pixel is read before it is overwritten.
  BitBlt(dc, 0, 0, 40, 30, nullptr, 0, 0, WHITENESS);
  BitBlt(dc, 5, 5, 3, 2, source, 0, 0, SRCCOPY);
  ASSERT_TRUE(BitBlt(dc, 6, 5, 3, 2, dc, 5, 5, SRCCOPY));
  EXPECT_EQ(Pixel(5, 5), red(10));
  EXPECT_EQ(Pixel(6, 5), red(10));
  EXPECT_EQ(Pixel(7, 5), red(20));
  EXPECT_EQ(Pixel(8, 6), red(60));

  // Stretched off the target's left edge: each pixel still takes the source
  // pixel under its centre.
  ASSERT_TRUE(StretchBlt(dc, -2, 20, 6, 4, source, 0, 0, 3, 2, SRCCOPY));
  EXPECT_EQ(Pixel(0, 20), red(20));
  EXPECT_EQ(Pixel(1, 21), red(20));
  EXPECT_EQ(Pixel(3, 23), red(60));
  EXPECT_EQ(Pixel(4, 20), kWhite);
  // From partly outside the source: those pixels stay as they were.
  ASSERT_TRUE(StretchBlt(dc, 20, 20, 4, 4, source, 1, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(Pixel(20, 20), red(20));
  EXPECT_EQ(Pixel(21, 22), red(60));
  EXPECT_EQ(Pixel(22, 20), kWhite);

  SelectObject(source, old);
  EXPECT_TRUE(DeleteDC(source));
  EXPECT_TRUE(DeleteObject(pattern));
}

TEST_F(GdiTest, TextIsDrawnWhereItIsMeasured) {
  SIZE size{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, L"N", 1, 0, nullptr, nullptr, &size));
  EXPECT_GT(size.cx, 0);
  EXPECT_GT(size.cy, 0);
  int fit = 0;
  int offsets[3] = {};
  SIZE three{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, L"NWS", 3, size.cx, &fit, offsets, &three));
  EXPECT_EQ(fit, 1);
  EXPECT_EQ(offsets[0], size.cx);
  EXPECT_EQ(offsets[2], three.cx);

  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetTextColor(dc, RGB(255, 0, 0)), RGB(0, 0, 0));
  RECT at{5, 4, 0, 0};
  EXPECT_EQ(DrawTextW(dc, L"N", -1, &at, DT_NOCLIP), size.cy);
  int inked = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      QRgb p = Pixel(x, y);
      if (p == kWhite) continue;
      ++inked;
      EXPECT_EQ(p, qRgb(255, 0, 0)) << "no anti-aliasing";
      EXPECT_GE(x, 5);
      EXPECT_LT(x, 5 + size.cx);
      EXPECT_GE(y, 4);
      EXPECT_LT(y, 4 + size.cy);
    }
  }
  EXPECT_GT(inked, 0);
}

// Texts are copied from pictures of them made once; every copy must set the
// pixels the drawing font sets, at either scale, clipped or not.
TEST(GdiText, RepeatedTextsSetThePixelsTheFontSets) {
  EnsureTestApplication();
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 120, 48);
  HGDIOBJ stock = SelectObject(dc, bitmap);
  SetBkMode(dc, TRANSPARENT);
  const int width = ScreenWidth();
  const int height = ScreenHeight();
  for (int scale : {1, 2}) {
    SetScreenSize(scale * 240, scale * 320);
    for (int round = 0; round < 2; ++round) {
      for (const wchar_t* text : {L"G12", L"N", L"Wj(q)", L"30 seen"}) {
        for (COLORREF color : {RGB(0, 0, 0), RGB(0, 0, 160)}) {
          BitBlt(dc, 0, 0, 120, 48, nullptr, 0, 0, WHITENESS);
          SetTextColor(dc, color);
          RECT at{7, 5, 60, 30};
          DrawTextW(dc, text, -1, &at, round == 0 ? DT_NOCLIP : 0);
          QImage expected(120, 48, GdiBitmapImage(bitmap)->format());
          expected.fill(Qt::white);
          QPainter painter(&expected);
          if (round != 0) painter.setClipRect(QRect(7, 5, 53, 25));
          const QFont font = DrawingFont(scale);
          painter.setFont(font);
          painter.setPen(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
          painter.drawText(QPoint(7, 5 + QFontMetrics(font).ascent()), QString::fromWCharArray(text));
          painter.end();
          ASSERT_EQ(*GdiBitmapImage(bitmap), expected) << "scale " << scale << ", round " << round;
        }
      }
    }
  }
  SetScreenSize(width, height);
  SelectObject(dc, stock);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

// A created font measures and draws its own size; the text it draws is not
// taken for the same text in the drawing font, and selecting back what the
// first selection gave restores the drawing font.
TEST_F(GdiTest, ACreatedFontDrawsItsOwnSize) {
  SIZE drawing{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, L"30", 2, 0, nullptr, nullptr, &drawing));
  HFONT font = CreateFontW(-10, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, nullptr);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(CreateFontW(0, 0, 0, 0, 0, FALSE, FALSE, FALSE, 0, 0, 0, 0, 0, nullptr), nullptr);
  const HGDIOBJ previous = SelectObject(dc, font);
  ASSERT_NE(previous, nullptr);
  SIZE small{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, L"30", 2, 0, nullptr, nullptr, &small));
  EXPECT_EQ(small.cy, QFontMetrics(DrawingFontOfPixels(10)).height());
  EXPECT_LT(small.cy, drawing.cy);
  EXPECT_LT(small.cx, drawing.cx);
  for (int round = 0; round < 2; ++round) {
    BitBlt(dc, 0, 0, 40, 30, nullptr, 0, 0, WHITENESS);
    RECT at{3, 2, 0, 0};
    DrawTextW(dc, L"30", -1, &at, DT_NOCLIP);
    QImage expected(40, 30, GdiBitmapImage(bitmap)->format());
    expected.fill(Qt::white);
    QPainter painter(&expected);
    const QFont expectedFont = round == 0 ? DrawingFontOfPixels(10) : DrawingFont(ScreenScale());
    painter.setFont(expectedFont);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(3, 2 + QFontMetrics(expectedFont).ascent()), QStringLiteral("30"));
    painter.end();
    EXPECT_EQ(*GdiBitmapImage(bitmap), expected) << "round " << round;
    if (round == 0) {
      EXPECT_FALSE(DeleteObject(font)) << "a selected font cannot be deleted";
      EXPECT_EQ(SelectObject(dc, previous), font);
    }
  }
  SIZE again{};
  ASSERT_TRUE(GetTextExtentExPointW(dc, L"30", 2, 0, nullptr, nullptr, &again));
  EXPECT_EQ(again.cx, drawing.cx);
  EXPECT_TRUE(DeleteObject(font));
}

TEST(Gdi, StaleAndWrongHandlesAreRefused) {
  EnsureTestApplication();
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_TRUE(DeleteObject(brush));
  RECT rect{0, 0, 1, 1};
  EXPECT_EQ(FillRect(dc, &rect, brush), 0);
  EXPECT_EQ(SelectObject(dc, brush), nullptr);
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(dc));
  EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));
  EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
  EXPECT_EQ(CreatePen(3, 1, 0), nullptr);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(GetDC(nullptr), nullptr);
}

TEST(Gdi, ResourceBitmapsAndIconsDecode) {
  EnsureTestApplication();
  struct Case {
    UINT id;
    int side;
  };
  for (Case c : {Case{141, 121}, Case{142, 105}, Case{143, 79}}) {
    HBITMAP sky = LoadBitmapW(nullptr, MAKEINTRESOURCEW(c.id));
    ASSERT_NE(sky, nullptr) << c.id;
    EXPECT_EQ(GdiBitmapImage(sky)->size(), QSize(c.side, c.side));
    DeleteObject(sky);
  }
  HBITMAP logo = LoadBitmapW(nullptr, MAKEINTRESOURCEW(128));
  ASSERT_NE(logo, nullptr);
  EXPECT_EQ(GdiBitmapImage(logo)->size(), QSize(111, 37));
  DeleteObject(logo);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(999)), nullptr);

  HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(128));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GdiIconImage(icon)->size(), QSize(64, 64));
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
}

}  // namespace

namespace {

// The window icon: all three sizes of the program's icon group.
TEST(ProgramIcon, HoldsEveryImageOfTheProgramsIconGroup) {
  EnsureTestApplication();
  QIcon icon = ProgramIcon();
  EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(64, 64)}));
}

}  // namespace
