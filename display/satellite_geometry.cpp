#include "display/satellite_geometry.h"

#include <algorithm>
#include <cmath>

#include "platform/core/numbers.h"

namespace {

// Degrees to radians with the handheld's value of pi, so that a satellite
// at the zenith lands on the same pixel as it did there.
constexpr double kRadiansPerDegree = 3.14159265358979 / 180;

// One row per shape, in the order of the background bitmaps (portrait,
// landscape, square); every measure is multiplied by the scale, the sky
// plot's right and bottom edges then get one more pixel.
struct ShapeMeasures {
  int nSkyLeft, nSkyTop, nSkyRight, nSkyBottom;
  int nBackgroundSide;
  int nBarsLeft, nBarsTop, nBarsRight, nBarsBottom;
  int nBarWidth, nBarHeight, nBarGap;
};
constexpr ShapeMeasures kShapes[] = {
    {117, 6, 237, 126, 121, 3, 182, 240, 238, 13, 36, 6},    // portrait
    {132, 6, 236, 110, 105, 127, 122, 320, 162, 13, 22, 2},  // landscape
    {133, 5, 211, 83, 79, 3, 126, 240, 162, 13, 18, 6},      // square
};

int ShapeIndex(int nScreenWidth, int nScreenHeight) {
  switch (ScreenShapeCode(nScreenWidth, nScreenHeight)) {
    case kShapePortrait:
      return 0;
    case kShapeLandscape:
      return 1;
    default:
      return 2;
  }
}

}  // namespace

int ScreenShapeCode(int nScreenWidth, int nScreenHeight) {
  if (nScreenHeight > nScreenWidth) {
    return kShapePortrait;
  }
  return nScreenHeight < nScreenWidth ? kShapeLandscape : kShapeSquare;
}

int DrawingScale(int nScreenWidth) { return nScreenWidth > 320 ? 2 : 1; }

SkyPlotGeometry SkyPlotGeometryFor(int nScreenWidth, int nScreenHeight) {
  const int index = ShapeIndex(nScreenWidth, nScreenHeight);
  const ShapeMeasures& shape = kShapes[index];
  const int s = DrawingScale(nScreenWidth);
  SkyPlotGeometry sky{};
  sky.rcSky = {shape.nSkyLeft * s, shape.nSkyTop * s, shape.nSkyRight * s + 1, shape.nSkyBottom * s + 1};
  sky.nSide = sky.rcSky.right - sky.rcSky.left;
  sky.nCentre = sky.nSide / 2;
  sky.nMargin = 7 * s;
  sky.nRadius = sky.nCentre - sky.nMargin;
  sky.nRingStep = sky.nRadius / 3;
  sky.nBackground = index;
  sky.nBackgroundSide = shape.nBackgroundSide;
  return sky;
}

RECT SkyRingBox(const SkyPlotGeometry& sky, int k) {
  const LONG first = sky.nMargin - 1 + k * sky.nRingStep;
  const LONG end = 2 * sky.nCentre - sky.nMargin + 2 - k * sky.nRingStep;
  return {first, first, end, end};
}

POINT CompassLetterCentre(const SkyPlotGeometry& sky, int i) {
  const LONG t = sky.nCentre;
  const LONG m = sky.nMargin;
  switch (i) {
    case 0:
      return {t + 1, m};
    case 1:
      return {m + 1, t};
    case 2:
      return {t + 1, 2 * t - m};
    default:
      return {2 * t - m + 1, t};
  }
}

POINT SatellitePoint(const SkyPlotGeometry& sky, double dElevation, double dAzimuth) {
  const double r = sky.nRadius * std::cos(dElevation * kRadiansPerDegree);
  const double a = (dAzimuth - 90) * kRadiansPerDegree;
  return {TruncateToInt(r * std::cos(a) + sky.nCentre), TruncateToInt(r * std::sin(a) + sky.nCentre)};
}

SignalBarGeometry SignalBarGeometryFor(int nScreenWidth, int nScreenHeight) {
  const ShapeMeasures& shape = kShapes[ShapeIndex(nScreenWidth, nScreenHeight)];
  const int s = DrawingScale(nScreenWidth);
  SignalBarGeometry bars{};
  bars.rcBars = {shape.nBarsLeft * s, shape.nBarsTop * s, shape.nBarsRight * s, shape.nBarsBottom * s};
  bars.nScale = s;
  bars.nBarWidth = shape.nBarWidth * s;
  bars.nBarHeight = shape.nBarHeight * s;
  bars.nBarGap = shape.nBarGap * s;
  return bars;
}

int SlotLeft(const SignalBarGeometry& bars, int i) {
  return (bars.nBarWidth + bars.nBarGap) * i - (bars.nBarWidth + 1) / 2 + 12 * bars.nScale;
}

int SlotTextLeft(const SignalBarGeometry& bars, int i) { return (bars.nBarWidth + bars.nBarGap) * i + 5 * bars.nScale; }

int BarTop(int nBarHeight, double dSNR) {
  const int top = TruncateToInt(nBarHeight - (nBarHeight - 1) * dSNR * 0.02);
  return std::clamp(top, 1, nBarHeight - 1);
}

std::wstring SatelliteLabel(int nPRN) { return FormatText(L"%.2d", {nPRN}); }

std::wstring SnrLabel(double dSNR) { return FormatText(L"%.2d", {TruncateToInt(dSNR + 0.5)}); }
