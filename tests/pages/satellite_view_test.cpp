#include <gtest/gtest.h>

#include <string>

#include "display/satellite_geometry.h"
#include "tests/pages/info_page_fixture.h"

namespace {

constexpr COLORREF kGrid = RGB(192, 192, 192);
constexpr COLORREF kLetter = RGB(128, 128, 128);
constexpr COLORREF kUsed = RGB(0, 0, 128);
constexpr COLORREF kNotUsed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The first row of the slot's columns (rows 0 to H) that has the colour, or -1.
int TopRowOf(const QImage& bars, const SignalBarGeometry& geometry, int slot, COLORREF color) {
  const int left = SlotLeft(geometry, slot);
  for (int y = 0; y <= geometry.nBarHeight; ++y) {
    if (CountColor(bars, {left, y, left + geometry.nBarWidth, y + 1}, color) > 0) {
      return y;
    }
  }
  return -1;
}

int InkCount(const std::wstring& text) {
  const TextInk ink = InkOf(text);
  int count = 0;
  for (bool inked : ink.ink) {
    count += inked ? 1 : 0;
  }
  return count;
}

class SatelliteViewTest : public InfoPageTest {};

TEST_F(SatelliteViewTest, EmptyViewsOnEveryScreen) {
  struct {
    int nWidth, nHeight;
    RECT rcSky, rcBars;
  } const screens[] = {
      {240, 320, {117, 6, 238, 127}, {3, 182, 240, 238}},    {480, 640, {234, 12, 475, 253}, {6, 364, 480, 476}},
      {640, 480, {264, 12, 473, 221}, {254, 244, 640, 324}}, {320, 240, {132, 6, 237, 111}, {127, 122, 320, 162}},
      {240, 240, {133, 5, 212, 84}, {3, 126, 240, 162}},     {480, 480, {266, 10, 423, 167}, {6, 252, 480, 324}},
  };
  for (const auto& screen : screens) {
    SCOPED_TRACE(std::to_string(screen.nWidth) + "x" + std::to_string(screen.nHeight));
    OpenPage(screen.nWidth, screen.nHeight);
    ASSERT_TRUE(SameRect(StatusPageProbe::SkyRect(m_page), screen.rcSky));
    ASSERT_TRUE(SameRect(StatusPageProbe::BarsRect(m_page), screen.rcBars));

    // Sky: the four letters in grey with nothing in satellite colours.
    const QImage& sky = StatusPageProbe::SkyImage(m_page);
    const SkyPlotGeometry geometry = SkyPlotGeometryFor(screen.nWidth, screen.nHeight);
    const int side = geometry.nSide;
    const RECT whole{0, 0, side, side};
    const wchar_t* letters[] = {L"N", L"W", L"S", L"E"};
    for (int i = 0; i < 4; ++i) {
      const POINT centre = CompassLetterCentre(geometry, i);
      const POINT corner = CentredTextCorner(letters[i], centre.x, centre.y);
      EXPECT_EQ(TextMismatches(sky, letters[i], corner.x, corner.y, kLetter, whole), 0) << i;
    }
    EXPECT_EQ(CountColor(sky, whole, kBlack), 0);
    EXPECT_EQ(CountColor(sky, whole, kNotUsed), 0);

    // The inner rings keep inside their boxes: the left and top columns and
    // rows are drawn, the right and bottom edges are not. Looked at beside
    // the cross, away from the letters.
    const int t = geometry.nCentre;
    const int band = geometry.nRingStep / 2;
    for (int k = 1; k < 3; ++k) {
      const RECT box = SkyRingBox(geometry, k);
      auto column = [&](int x) {
        return CountColor(sky, {x, t - band, x + 1, t}, kGrid) + CountColor(sky, {x, t + 1, x + 1, t + band}, kGrid);
      };
      auto row = [&](int y) {
        return CountColor(sky, {t - band, y, t, y + 1}, kGrid) + CountColor(sky, {t + 1, y, t + band, y + 1}, kGrid);
      };
      EXPECT_GT(column(box.left), 0) << k;
      EXPECT_EQ(column(box.left - 1), 0) << k;
      EXPECT_GT(column(box.right - 1), 0) << k;
      EXPECT_EQ(column(box.right), 0) << k;
      EXPECT_GT(row(box.top), 0) << k;
      EXPECT_EQ(row(box.top - 1), 0) << k;
      EXPECT_GT(row(box.bottom - 1), 0) << k;
      EXPECT_EQ(row(box.bottom), 0) << k;
    }

    // Bars: twelve full grey slots and nothing else.
    const QImage& bars = StatusPageProbe::BarsImage(m_page);
    const SignalBarGeometry barGeometry = SignalBarGeometryFor(screen.nWidth, screen.nHeight);
    const int w = barGeometry.nBarWidth;
    const int h = barGeometry.nBarHeight;
    const RECT chart{0, 0, screen.rcBars.right - screen.rcBars.left, screen.rcBars.bottom - screen.rcBars.top};
    for (int i = 0; i < 12; ++i) {
      const int left = SlotLeft(barGeometry, i);
      EXPECT_EQ(CountColor(bars, {left, 1, left + w, h + 1}, kGrid), w * h) << i;
    }
    EXPECT_EQ(CountColor(bars, chart, kGrid), 12 * w * h);
    EXPECT_EQ(CountColor(bars, chart, kWhite), chart.right * chart.bottom - 12 * w * h);

    // The page shows both images at their places.
    const QImage& page = PageImage(Page());
    EXPECT_TRUE(PageShows(page, screen.rcSky, sky));
    EXPECT_TRUE(PageShows(page, screen.rcBars, bars));
    ClosePage();
  }
}

TEST_F(SatelliteViewTest, SatellitesStandByElevationAndAzimuth) {
  struct {
    int nWidth, nHeight;
    SatelliteInfo satellite;
    std::wstring label;
    POINT centre;
    COLORREF color;
  } const cases[] = {
      {240, 320, Satellite(7, 0, 90, 30, true), L"07", {114, 61}, kBlack},
      {240, 320, Satellite(12, 0, 0, 30, false), L"12", {61, 8}, kNotUsed},
      {240, 320, Satellite(120, 45, 45, 30, true), L"120", {87, 34}, kBlack},
      {240, 320, Satellite(5, 90, 0, 30, false), L"05", {61, 60}, kNotUsed},
      {480, 640, Satellite(7, 0, 90, 30, true), L"07", {227, 121}, kBlack},
      {480, 640, Satellite(9, 90, 90, 30, true), L"09", {121, 121}, kBlack},
      {320, 240, Satellite(21, 0, 270, 30, true), L"21", {8, 53}, kBlack},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.nWidth) + "x" + std::to_string(c.nHeight) + " PRN " +
                 std::to_string(c.satellite.nPRN));
    OpenPage(c.nWidth, c.nHeight);
    SatelliteTable table;
    table[4] = c.satellite;
    m_page.DrawSkyView(table.entries);
    const QImage& sky = StatusPageProbe::SkyImage(m_page);
    const int side = SkyPlotGeometryFor(c.nWidth, c.nHeight).nSide;
    const RECT whole{0, 0, side, side};
    const POINT corner = CentredTextCorner(c.label, c.centre.x, c.centre.y);
    EXPECT_EQ(TextMismatches(sky, c.label, corner.x, corner.y, c.color, whole), 0);
    // The label is the only thing in its colour.
    EXPECT_EQ(CountColor(sky, whole, c.color), InkCount(c.label));
    EXPECT_TRUE(PageShows(PageImage(Page()), StatusPageProbe::SkyRect(m_page), sky));
    ClosePage();
  }
}

TEST_F(SatelliteViewTest, LaterLabelsAreDrawnOverEarlierOnes) {
  OpenPage(240, 320);
  SatelliteTable table;
  table[0] = Satellite(11, 0, 90, 30, false);
  table[1] = Satellite(22, 0, 90, 30, true);
  m_page.DrawSkyView(table.entries);
  const QImage& sky = StatusPageProbe::SkyImage(m_page);
  const POINT corner = CentredTextCorner(L"22", 114, 61);
  EXPECT_EQ(TextMismatches(sky, L"22", corner.x, corner.y, kBlack, {0, 0, 121, 121}), 0);
}

TEST_F(SatelliteViewTest, BarTopsFollowTheSnr) {
  struct {
    int nWidth, nHeight;
    double dSNR;
    bool bUsed;
    int nTop;
  } const cases[] = {
      {240, 320, 25, true, 18}, {240, 320, 1, false, 35},  {240, 320, 60, true, 1},
      {480, 640, 25, true, 36}, {320, 240, 25, false, 11}, {240, 240, 50, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.nWidth) + "x" + std::to_string(c.nHeight) + " SNR " + std::to_string(c.dSNR));
    OpenPage(c.nWidth, c.nHeight);
    SatelliteTable table;
    table[3] = Satellite(8, 40, 40, c.dSNR, c.bUsed);
    table[5] = Satellite(10, 40, 40, 0, true);
    m_page.DrawSignalBars(table.entries);
    const QImage& bars = StatusPageProbe::BarsImage(m_page);
    const SignalBarGeometry geometry = SignalBarGeometryFor(c.nWidth, c.nHeight);
    const COLORREF color = c.bUsed ? kUsed : kNotUsed;
    EXPECT_EQ(TopRowOf(bars, geometry, 3, color), c.nTop);
    EXPECT_EQ(TopRowOf(bars, geometry, 3, kGrid), c.nTop > 1 ? 1 : -1);
    // SNR 0: the slot and its label, no bar and no number.
    const int left = SlotLeft(geometry, 5);
    const RECT slot{left, 1, left + geometry.nBarWidth, geometry.nBarHeight + 1};
    EXPECT_EQ(CountColor(bars, slot, kGrid), geometry.nBarWidth * geometry.nBarHeight);
    EXPECT_GT(CountColor(bars, {left, geometry.nBarHeight + 1, left + geometry.nBarWidth, bars.height()}, kBlack), 0);
    EXPECT_TRUE(PageShows(PageImage(Page()), StatusPageProbe::BarsRect(m_page), bars));
    ClosePage();
  }
}

TEST_F(SatelliteViewTest, RoundedSnrOnTheBarAndPrnBelow) {
  for (const auto& [width, height] : {std::pair{240, 320}, std::pair{480, 640}, std::pair{640, 480}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    OpenPage(width, height);
    SatelliteTable table;
    table[2] = Satellite(7, 40, 40, 49.5, true);
    m_page.DrawSignalBars(table.entries);
    const QImage& bars = StatusPageProbe::BarsImage(m_page);
    const SignalBarGeometry geometry = SignalBarGeometryFor(width, height);
    const int h = geometry.nBarHeight;
    const int slotLeft = SlotLeft(geometry, 2);
    const int textLeft = SlotTextLeft(geometry, 2);

    // The number: white, its bottom edge on the bar's bottom, seen where it
    // lies on the bar.
    const TextInk number = InkOf(L"50");
    const RECT bar{slotLeft, 1, slotLeft + geometry.nBarWidth, h + 1};
    const int numberLeft = textLeft + number.size.cx % 2;
    const int numberTop = h + 1 - number.size.cy;
    EXPECT_EQ(TextMismatches(bars, L"50", numberLeft, numberTop, kWhite, bar), 0);
    EXPECT_GT(TextMismatches(bars, L"49", numberLeft, numberTop, kWhite, bar), 0);

    // The label: black, below the slot, whole within the image.
    const TextInk label = InkOf(L"07");
    const int labelLeft = textLeft + label.size.cx % 2;
    const int labelTop = h + 2 * geometry.nScale + label.size.cy % 2;
    const RECT chart = StatusPageProbe::BarsRect(m_page);
    const RECT whole{0, 0, chart.right - chart.left, chart.bottom - chart.top};
    EXPECT_EQ(TextMismatches(bars, L"07", labelLeft, labelTop, kBlack, whole), 0);
    EXPECT_EQ(CountColor(bars, whole, kBlack), InkCount(L"07"));
    EXPECT_LE(labelTop + label.size.cy, whole.bottom);
    EXPECT_TRUE(PageShows(PageImage(Page()), chart, bars));
    ClosePage();
  }
}

TEST_F(SatelliteViewTest, BarsKeepTheirTablePositions) {
  OpenPage(240, 320);
  SatelliteTable table;
  for (int i = 6; i < 12; ++i) {
    table[i] = Satellite(i + 1, 30, 30 * i, 30, i % 2 == 0);
  }
  m_page.DrawSignalBars(table.entries);
  const QImage& bars = StatusPageProbe::BarsImage(m_page);
  const SignalBarGeometry geometry = SignalBarGeometryFor(240, 320);
  const int w = geometry.nBarWidth;
  const int h = geometry.nBarHeight;
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    const int left = SlotLeft(geometry, i);
    const RECT below{SlotTextLeft(geometry, i), h + 1, SlotTextLeft(geometry, i) + w + geometry.nBarGap, 238 - 182};
    if (i < 6) {
      EXPECT_EQ(CountColor(bars, {left, 1, left + w, h + 1}, kGrid), w * h);
      EXPECT_EQ(CountColor(bars, below, kBlack), 0);
    } else {
      EXPECT_EQ(TopRowOf(bars, geometry, i, i % 2 == 0 ? kUsed : kNotUsed), BarTop(h, 30));
      EXPECT_GT(CountColor(bars, below, kBlack), 0);
    }
  }
}

}  // namespace
