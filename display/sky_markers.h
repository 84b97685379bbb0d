// The marks of a sky plot of several systems: each satellite is a small
// marker whose shape tells its system (GPS circle, GLONASS square, Galileo
// diamond, BeiDou triangle, QZSS triangle upside down, SBAS flat bar, NavIC
// hourglass, unknown plus), filled when it is used in the fix and hollow
// when not, so that neither the system nor the use rests on colour alone.
#pragma once

#include <vector>

#include "platform/core/win_types.h"

enum class MarkerShape { kCircle, kSquare, kDiamond, kTriangle, kTriangleDown, kBar, kHourglass, kPlus };

MarkerShape SystemMarkerShape(int nSystem);

// The pixels of a marker nSide pixels square (odd, at least 7), row by
// row from its top-left corner: the whole shape, or its outline one pixel
// wide when hollow.
std::vector<bool> MarkerPixels(MarkerShape shape, int nSide, bool bFilled);

// The marker's side on a sky plot whose margin is nMargin: 7 pixels on the
// small screens, 13 on the VGA ones.
int SkyMarkerSide(int nMargin);

// The character height of the satellites' numbers and the legend's letters
// on those screens: 10 and 20 pixels, a sixth smaller than the drawing font.
int SkyMarkFontPixels(int nMargin);
