// Drawing the satellite view into its two memory images: the sky plot (the
// background picture, three rings, a cross, the compass letters and one
// label or marker per satellite) and the twelve signal bars. The page places the
// images and copies them onto the screen; these functions only compose.
#pragma once

#include <string>
#include <vector>

#include "acquisition/satellite_info.h"
#include "display/satellite_geometry.h"
#include "display/sky_labels.h"
#include "display/sky_plan.h"
#include "platform/afx/bitmap.h"
#include "platform/ui/ui_types.h"

// Draws the text with its centre on (x, y): the text is measured, and its
// top-left corner goes to the rounded half width and height before the point.
BOOL DrawTextCentered(HDC dc, const std::wstring& strText, int x, int y, UINT nFormat, BOOL bHalo);

// Draws the text from (left, top); with a halo it is first drawn in white one
// pixel to the left, right, above and below, so that it stays readable on
// any background. Returns whether the last draw succeeded.
BOOL DrawTextHalo(HDC dc, const std::wstring& strText, int left, int top, UINT nFormat, BOOL bHalo);

// A line from (x1, y1) to (x2, y2) with the selected pen, the end point left out.
BOOL DrawLine(HDC dc, int x1, int y1, int x2, int y2);

// A memory context over `bitmap`, compatible with the page's context: where
// a page composes a picture before copying it onto the screen.
HDC CreateImageContext(HDC pageDc, CBitmap& bitmap);

// The objects the two drawings use.
struct SatelliteViewTools {
  HBRUSH brNull;     // hollow rings
  HPEN penGrid;      // rings and cross
  HBRUSH brSlot;     // an empty slot
  HBRUSH brUsed;     // the bar of a satellite used in the fix
  HBRUSH brNotUsed;  // the bar of any other satellite
};

// Composes the sky plot in dcSky (its top-left W x W pixels) over the
// background in dcBackground, with the plan's satellites (PlanTable for the
// designed table of kSatelliteCount entries, or null for an empty plot;
// empty entries are skipped): with bSystems each satellite is a marker of
// its system's shape with its number beside it where there is room
// (LayOutSkyMarks), a legend of the shapes fills the top corners, and the
// bottom corners show how many satellites are in view (left) and used
// (right).
void ComposeSkyView(HDC dcSky, const SkyPlotGeometry& sky, HDC dcBackground, const SatelliteViewTools& tools,
                    const SkyPlan& plan);

// Where ComposeSkyView puts the marks of a sky of several systems, measured
// in dc (whose font stays as it was).
struct SkyMarksLayout {
  RECT rcInView;                    // the counts' text boxes
  RECT rcUsed;                      //
  int nCountsPixels = 0;            // the counts' font: 0 the drawing font, else a
                                    // smaller one's height, clear of the compass's S
  std::vector<int> nLegendSystems;  // the systems of the legend's entries
  std::vector<RECT> rcLegend;       // their boxes, a marker and its letter each
  std::vector<int> nSatellite;      // the pSky entry of each mark, used first
  std::vector<PlacedMark> marks;
  int nMarkerSide = 0;
};
SkyMarksLayout LayOutSkyMarks(HDC dc, const SkyPlotGeometry& sky, const SkyPlan& plan);

// Composes the signal bars in dcBars (the chart's size from its top-left
// corner): twelve slots; slot i shows the plan's entry nSlot[i], its bar with
// the rounded SNR on it (when the SNR is not 0) and its label below. A plan
// of no satellites draws the slots alone.
void ComposeSignalBars(HDC dcBars, const SignalBarGeometry& bars, const SatelliteViewTools& tools, const SkyPlan& plan);
