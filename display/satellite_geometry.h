// Where the GPS Info page's two drawings sit and how they are measured on a
// screen of a given size: the sky plot (rings, cross, compass letters and
// satellite labels placed by azimuth and elevation) and the twelve signal
// bars. Screens wider than 320 pixels double every measure. All arithmetic
// is integer and truncates toward zero, as the drawings are pixel-exact.
#pragma once

#include <string>

#include "platform/core/win_types.h"

// The screen's shape: portrait when it is taller than wide, landscape when it
// is wider than tall, square otherwise. The codes are the page's
// m_nOrientation values.
constexpr int kShapePortrait = 1;
constexpr int kShapeLandscape = -1;
constexpr int kShapeSquare = 0;
int ScreenShapeCode(int nScreenWidth, int nScreenHeight);

// 2 when the screen is wider than 320 pixels, else 1; only the width counts.
int DrawingScale(int nScreenWidth);

// The sky plot of one screen, in the pixels of the page (rcSky) and of its
// square image (the rest).
struct SkyPlotGeometry {
  RECT rcSky;           // on the page; W wide and W high
  int nSide;            // W, the side of the drawn square
  int nCentre;          // t, the centre's x and y
  int nMargin;          // m, from the image's edge to the outer ring
  int nRadius;          // R, the outer ring's radius: the horizon
  int nRingStep;        // d, between two rings
  int nBackground;      // which background: 0 portrait, 1 landscape, 2 square
  int nBackgroundSide;  // N, the background picture's side (121, 105, 79)
};
SkyPlotGeometry SkyPlotGeometryFor(int nScreenWidth, int nScreenHeight);

// The bounding box of ring k (0 outer, 2 inner) for Ellipse.
RECT SkyRingBox(const SkyPlotGeometry& sky, int k);

// The centre of compass letter i of "NWSE" (0 N at the top, 1 W at the left,
// 2 S at the bottom, 3 E at the right).
POINT CompassLetterCentre(const SkyPlotGeometry& sky, int i);

// The point of a satellite: the zenith at the centre, the horizon on the
// outer ring, north up and east to the right. Both coordinates are
// truncated, so a value a hair below a whole pixel falls to the pixel below.
POINT SatellitePoint(const SkyPlotGeometry& sky, double dElevation, double dAzimuth);

// The signal bars of one screen: the chart's place on the page and the
// slots' measures in the chart's image.
struct SignalBarGeometry {
  RECT rcBars;     // on the page
  int nScale;      // s
  int nBarWidth;   // w
  int nBarHeight;  // H, the full height of a slot (rows 1 to H)
  int nBarGap;     // g, between two slots
};
SignalBarGeometry SignalBarGeometryFor(int nScreenWidth, int nScreenHeight);

// The left edge of slot i (0 to 11).
int SlotLeft(const SignalBarGeometry& bars, int i);

// The left edge of the texts under and on slot i: the SNR number and the
// PRN label start here (one pixel further right when their width is odd).
int SlotTextLeft(const SignalBarGeometry& bars, int i);

// The top row of a bar of that SNR: 50 dB-Hz or more fills the slot from
// row 1, the lowest bar is two rows high (H - 1 to H).
int BarTop(int nBarHeight, double dSNR);

// "%.2d" of a satellite's PRN: 5 gives "05", 120 gives "120" (never cut to
// "20", another satellite's number).
std::wstring SatelliteLabel(int nPRN);

// "%.2d" of the SNR rounded to a whole number: 49.5 gives "50".
std::wstring SnrLabel(double dSNR);
