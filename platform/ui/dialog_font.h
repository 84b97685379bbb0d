// The dialog font: the templates' 9 points at 96 dpi (12 pixels) in DejaVu
// Sans Condensed (narrow like the handheld's system font), and its dialog
// base units as the handheld computes them. On VGA screens (scale 2) every
// dialog unit doubles exactly, as it did on a VGA handheld: the base units
// are twice those of scale 1, and the font is the largest one up to twice
// the size whose letters are no wider than twice those of scale 1, so that
// a text that fits its box at scale 1 fits at scale 2.
#pragma once

#include <QFont>

struct DialogBaseUnits {
  int cx;  // average width of the 52 letters, rounded
  int cy;  // font height
};

// The font for screen scale 1 or 2.
QFont DialogFont(int scale);
// The font of a window zoomed by `zoom` at screen scale 1 or 2: chosen as
// the scale-2 font is, the largest size up to the zoomed one whose letters
// are no wider than the zoomed letters of scale 1, so that texts keep
// fitting their zoomed boxes. DialogFont(scale) at zoom 1.
QFont DialogFontAt(int scale, double zoom);
// The drawings' font (12 pixels times the scale, no anti-aliasing), for
// drawing into device contexts: drawings double exactly.
QFont DrawingFont(int scale);
// The drawings' font at another height in pixels, for texts smaller than the
// drawing font's.
QFont DrawingFontOfPixels(int pixels);
// Base units of a font: cx = (width of "A..Za..z" / 26 + 1) / 2, cy = height.
DialogBaseUnits BaseUnitsOf(const QFont& font);
// The dialogs' base units at screen scale 1 or 2: those of the scale-1
// dialog font, times the scale.
DialogBaseUnits DialogBaseUnitsAt(int scale);
