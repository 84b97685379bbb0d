// The dialog font: the templates' 9 points at 96 dpi (12 pixels), doubled
// at 192 dpi on VGA screens, in DejaVu Sans Condensed (narrow like the
// handheld's system font), and its dialog base units as the handheld
// computes them.
#pragma once

#include <QFont>

struct DialogBaseUnits {
  int cx;  // average width of the 52 letters, rounded
  int cy;  // font height
};

// The font for screen scale 1 or 2.
QFont DialogFont(int scale);
// The same font without anti-aliasing, for drawing into device contexts.
QFont DrawingFont(int scale);
// Base units of a font: cx = (width of "A..Za..z" / 26 + 1) / 2, cy = height.
DialogBaseUnits BaseUnitsOf(const QFont& font);
