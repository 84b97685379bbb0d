// Where the marks of a sky plot of several systems go. Every satellite gets
// its marker, in the given order: at its point, or when that would cover a
// reserved area (the counts, the legend) or a marker placed before it, or
// stand out of the plot, at the nearest place that does not, up to three
// markers' sides away (a marker with no such place keeps its point, pulled
// into the plot). Then each satellite's number goes beside its marker, on
// its right, left, top or bottom (centred, then level with an edge) or at
// a corner, in the first of those places
// that covers no marker, no reserved area and no number placed before it and
// lies inside the plot; a number with no such place is left out.
//
// Numbers are digits: their ink fills about the middle three fifths of a
// line's height (above is the room for accents, below the room for
// descenders), so two numbers may share those margins.
#pragma once

#include <vector>

#include "display/satellite_geometry.h"
#include "platform/core/win_types.h"

struct SkyMark {
  POINT ptSatellite;  // where the satellite stands on the plot
  SIZE sizeNumber;    // its number's text size
};

struct PlacedMark {
  RECT rcMarker;  // the marker's square (right and bottom exclusive)
  BOOL bNumber;   // its number is shown
  RECT rcNumber;  // where the number's text goes; empty when it is not shown
};

// Places the marks; each marker and each number's ink keeps a pixel of space
// around it, as their halos do. The plot is nSide pixels square; rcReserved
// are areas no mark may cover.
std::vector<PlacedMark> PlaceSkyMarks(const std::vector<SkyMark>& marks, int nMarkerSide,
                                      const std::vector<RECT>& rcReserved, int nSide);

// The legend's entries (a marker and its system's letter, each entry
// entry.cx by entry.cy pixels) in the plot's corners outside the horizon
// ring: row by row from the top, the first half of them from the left edge
// rightwards, the others from the right edge leftwards; what finds no room
// there goes in the bottom corners above the counts (nCountsHeight high),
// and past that down the left edge.
std::vector<RECT> PlaceSkyLegend(const SkyPlotGeometry& sky, SIZE entry, int nEntries, int nCountsHeight);

// The centred box of a text of that size around (x, y): its top-left corner is
// the rounded half width and height before the point.
RECT CentredTextBox(int x, int y, const SIZE& size);

// The rows of a number's text box that its ink fills.
RECT LabelInkBox(const RECT& rcText);
