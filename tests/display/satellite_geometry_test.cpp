#include "display/satellite_geometry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ")-(" + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + ")";
}

struct ScreenCase {
  int nWidth, nHeight;
  int nShape;
  RECT rcSky;
  int nCentre, nMargin, nRadius, nRingStep, nBackground, nBackgroundSide;
  RECT rcBars;
  int nScale, nBarWidth, nBarHeight, nBarGap;
};

const ScreenCase kScreens[] = {
    {240, 320, kShapePortrait, {117, 6, 238, 127}, 60, 7, 53, 17, 0, 121, {3, 182, 240, 238}, 1, 13, 36, 6},
    {480, 640, kShapePortrait, {234, 12, 475, 253}, 120, 14, 106, 35, 0, 121, {6, 364, 480, 476}, 2, 26, 72, 12},
    {640, 480, kShapeLandscape, {264, 12, 473, 221}, 104, 14, 90, 30, 1, 105, {254, 244, 640, 324}, 2, 26, 44, 4},
    {320, 240, kShapeLandscape, {132, 6, 237, 111}, 52, 7, 45, 15, 1, 105, {127, 122, 320, 162}, 1, 13, 22, 2},
    {240, 240, kShapeSquare, {133, 5, 212, 84}, 39, 7, 32, 10, 2, 79, {3, 126, 240, 162}, 1, 13, 18, 6},
    {480, 480, kShapeSquare, {266, 10, 423, 167}, 78, 14, 64, 21, 2, 79, {6, 252, 480, 324}, 2, 26, 36, 12},
    // Only the width decides the scale: a 320-pixel-wide portrait screen is not doubled.
    {320, 480, kShapePortrait, {117, 6, 238, 127}, 60, 7, 53, 17, 0, 121, {3, 182, 240, 238}, 1, 13, 36, 6},
};

TEST(SatelliteGeometry, EachScreenPlacesBothViews) {
  for (const ScreenCase& c : kScreens) {
    SCOPED_TRACE(std::to_string(c.nWidth) + "x" + std::to_string(c.nHeight));
    EXPECT_EQ(ScreenShapeCode(c.nWidth, c.nHeight), c.nShape);
    const SkyPlotGeometry sky = SkyPlotGeometryFor(c.nWidth, c.nHeight);
    EXPECT_TRUE(SameRect(sky.rcSky, c.rcSky)) << Text(sky.rcSky);
    EXPECT_EQ(sky.nSide, c.rcSky.right - c.rcSky.left);
    EXPECT_EQ(sky.nSide, c.rcSky.bottom - c.rcSky.top);
    EXPECT_EQ(sky.nCentre, c.nCentre);
    EXPECT_EQ(sky.nMargin, c.nMargin);
    EXPECT_EQ(sky.nRadius, c.nRadius);
    EXPECT_EQ(sky.nRingStep, c.nRingStep);
    EXPECT_EQ(sky.nBackground, c.nBackground);
    EXPECT_EQ(sky.nBackgroundSide, c.nBackgroundSide);
    const SignalBarGeometry bars = SignalBarGeometryFor(c.nWidth, c.nHeight);
    EXPECT_TRUE(SameRect(bars.rcBars, c.rcBars)) << Text(bars.rcBars);
    EXPECT_EQ(bars.nScale, c.nScale);
    EXPECT_EQ(bars.nBarWidth, c.nBarWidth);
    EXPECT_EQ(bars.nBarHeight, c.nBarHeight);
    EXPECT_EQ(bars.nBarGap, c.nBarGap);
  }
}

TEST(SatelliteGeometry, RingsAndLettersOfTheSmallPortraitPlot) {
  const SkyPlotGeometry sky = SkyPlotGeometryFor(240, 320);
  EXPECT_TRUE(SameRect(SkyRingBox(sky, 0), {6, 6, 115, 115}));
  EXPECT_TRUE(SameRect(SkyRingBox(sky, 1), {23, 23, 98, 98}));
  EXPECT_TRUE(SameRect(SkyRingBox(sky, 2), {40, 40, 81, 81}));
  const POINT letters[] = {{61, 7}, {8, 60}, {61, 113}, {114, 60}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(CompassLetterCentre(sky, i).x, letters[i].x) << i;
    EXPECT_EQ(CompassLetterCentre(sky, i).y, letters[i].y) << i;
  }
}

TEST(SatelliteGeometry, SatellitesByElevationAndAzimuth) {
  const SkyPlotGeometry sky = SkyPlotGeometryFor(240, 320);
  struct {
    double dElevation, dAzimuth;
    POINT point;
  } const cases[] = {
      {0, 90, {113, 60}}, {0, 0, {60, 7}},   {45, 45, {86, 33}}, {0, 180, {60, 113}},
      {0, 270, {7, 60}},  {90, 0, {60, 59}}, {90, 90, {60, 60}}, {30, 135, {92, 92}},
  };
  for (const auto& c : cases) {
    const POINT point = SatellitePoint(sky, c.dElevation, c.dAzimuth);
    EXPECT_EQ(point.x, c.point.x) << c.dElevation << "/" << c.dAzimuth;
    EXPECT_EQ(point.y, c.point.y) << c.dElevation << "/" << c.dAzimuth;
  }
}

TEST(SatelliteGeometry, SlotsStandAtFixedPlaces) {
  const SignalBarGeometry portrait = SignalBarGeometryFor(240, 320);
  const SignalBarGeometry landscape = SignalBarGeometryFor(320, 240);
  const SignalBarGeometry vgaPortrait = SignalBarGeometryFor(480, 640);
  const SignalBarGeometry vgaLandscape = SignalBarGeometryFor(640, 480);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(SlotLeft(portrait, i), 19 * i + 5);
    EXPECT_EQ(SlotLeft(landscape, i), 15 * i + 5);
    EXPECT_EQ(SlotLeft(vgaPortrait, i), 38 * i + 11);
    EXPECT_EQ(SlotLeft(vgaLandscape, i), 30 * i + 11);
    EXPECT_EQ(SlotTextLeft(portrait, i), 19 * i + 5);
    EXPECT_EQ(SlotTextLeft(vgaLandscape, i), 30 * i + 10);
  }
  EXPECT_EQ(SlotLeft(portrait, 11), 214);
}

}  // namespace
